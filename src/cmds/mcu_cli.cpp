#include "cmds/mcu_cli.h"

#include <string_view>
#include <utility>

#include "cli/fields.h"
#include "cmds/mcu_text.h"
#include "utils/overloaded.h"
#include "utils/variant.h"

namespace zelkor::cmds::mcu {
namespace {

constexpr std::array<std::string_view, 4> outputs = {"0", "1", "2", "3"};
constexpr std::array<std::string_view, 4> leds = {"1", "2", "3", "4"};
constexpr std::array<std::string_view, 2> states = {"0", "1"};
constexpr std::array<std::string_view, 4> user_configs = {"1", "2", "3", "4"};

std::uint8_t small_number(const std::string& text) {
  return static_cast<std::uint8_t>(std::stoul(text)); // already one of a fixed list of digits
}

} // namespace

Cli::Cli(cli::Tree& tree, const cli::Reach& reach) {
  op_ = &tree.add_command(
      tree.root(), std::string(command), "Run a command or operation on the microcontroller",
      "Run a command or operation on the microcontroller.\n\nThis command is used to report "
      "version information, program digital ouputs, etc.\n\nRun `zelkor op <OPERATION> -h` for "
      "detailed help about an operation.");
  tree.require_subcommand(*op_);
  const auto only = cli::confined_child(reach, operations, &Operation::name);
  for (std::size_t i = 0; i < operations.size(); ++i) {
    if (only && *only != i) {
      continue;
    }
    const Operation& op = operations.at(i);
    operations_.at(i) = &tree.add_command(*op_, std::string(op.name), std::string(op.about),
                                          std::string(op.long_about));
    add_arguments(tree, *operations_.at(i), utils::alternative_at<Commands>(i));
  }
}

void Cli::add_arguments(cli::Tree& tree, CLI::App& operation, const Commands& kind) {
  std::visit(
      utils::Overloaded{
          [&](const CanMessage&) {
            cli::command_field(
                operation
                    .add_option("-i,--id", id_,
                                "The message identifier. Takes the form of a three character hex "
                                "string (1 - 7FF)")
                    ->required());
            cli::command_field(
                operation
                    .add_option("-d,--data", data_,
                                "Data to transmit, up to a sixteen charcter hex string")
                    ->required());
          },
          [&](const GetDi&) {
            tree.choices(
                operation.add_option("input", input_, "Which digital input to read. [0 - 3]")
                    ->required(),
                outputs);
          },
          [&](const SetDo&) {
            tree.choices(
                operation
                    .add_option("output", output_, "Which digital output to configure. [0 - 3]")
                    ->required(),
                outputs);
            tree.choices(
                operation.add_option("state", state_, "Enable or disable the output")->required(),
                states);
          },
          [&](const SetLed&) {
            tree.choices(
                operation.add_option("number", led_, "Which led output state to set. [1 - 4]")
                    ->required(),
                leds);
            tree.choices(
                operation.add_option("state", state_, "Enable or disable the output")->required(),
                states);
          },
          [&](const UserConfig&) {
            tree.choices(operation
                             .add_option("-n,--number", config_number_,
                                         "Select the user configuration to swap to. [1 - 4]")
                             ->required(),
                         user_configs);
            operation
                .add_flag("-s,--set-default", set_default_,
                          "Set this configuration to be loaded as default on reboot")
                ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
          },
          [&](const CalVoltage&) {
            cli::checked(operation
                             .add_option("-r,--reference", reference_,
                                         "Reference voltage, as measured at the system input")
                             ->required(),
                         parse_reference, "FLOAT");
          },
          [](const auto&) {}, // the operations that take no values
      },
      kind);
}

std::optional<Commands> Cli::options() const {
  if (!op_->parsed()) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < operations_.size(); ++i) {
    if (operations_.at(i) != nullptr && operations_.at(i)->parsed()) {
      return command_at(i);
    }
  }
  return std::nullopt; // the tree requires an operation, so this is never reached
}

Commands Cli::command_at(std::size_t index) const {
  auto command = utils::alternative_at<Commands>(index); // its fields still at their defaults
  std::visit(utils::Overloaded{
                 [&](CanMessage& m) {
                   m = {id_, data_};
                 },
                 [&](GetDi& g) { g.input = small_number(input_); },
                 [&](SetDo& s) {
                   s = {small_number(output_), state_.front()};
                 },
                 [&](SetLed& s) {
                   s = {small_number(led_), state_.front()};
                 },
                 [&](UserConfig& u) {
                   u = {config_number_, set_default_};
                 },
                 [&](CalVoltage& c) { c.reference = parse_reference(reference_).value(); },
                 [](auto&) {},
             },
             command);
  return command;
}

} // namespace zelkor::cmds::mcu
