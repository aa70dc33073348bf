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

Cli::Cli(cli::Tree& tree) {
  op_ = &tree.add_command(
      tree.root(), std::string(command), "Run a command or operation on the microcontroller",
      "Run a command or operation on the microcontroller.\n\nThis command is used to report "
      "version information, program digital ouputs, etc.\n\nRun `zelkor op <OPERATION> -h` for "
      "detailed help about an operation.");
  tree.require_subcommand(*op_);
  for (std::size_t i = 0; i < operations.size(); ++i) {
    const Operation& op = operations.at(i);
    operations_.at(i) = &tree.add_command(*op_, std::string(op.name), std::string(op.about),
                                          std::string(op.long_about));
  }
  auto& can_message = *operations_.at(Commands(CanMessage{}).index());
  cli::command_field(
      can_message
          .add_option("-i,--id", id_,
                      "The message identifier. Takes the form of a three character hex string "
                      "(1 - 7FF)")
          ->required());
  cli::command_field(
      can_message
          .add_option("-d,--data", data_, "Data to transmit, up to a sixteen charcter hex string")
          ->required());

  auto& get_di = *operations_.at(Commands(GetDi{}).index());
  tree.choices(
      get_di.add_option("input", input_, "Which digital input to read. [0 - 3]")->required(),
      outputs);

  auto& set_do = *operations_.at(Commands(SetDo{}).index());
  tree.choices(set_do.add_option("output", output_, "Which digital output to configure. [0 - 3]")
                   ->required(),
               outputs);
  tree.choices(set_do.add_option("state", state_, "Enable or disable the output")->required(),
               states);

  auto& set_led = *operations_.at(Commands(SetLed{}).index());
  tree.choices(
      set_led.add_option("number", led_, "Which led output state to set. [1 - 4]")->required(),
      leds);
  tree.choices(set_led.add_option("state", state_, "Enable or disable the output")->required(),
               states);

  auto& user_config = *operations_.at(Commands(UserConfig{}).index());
  tree.choices(user_config
                   .add_option("-n,--number", config_number_,
                               "Select the user configuration to swap to. [1 - 4]")
                   ->required(),
               user_configs);
  user_config
      .add_flag("-s,--set-default", set_default_,
                "Set this configuration to be loaded as default on reboot")
      ->multi_option_policy(CLI::MultiOptionPolicy::Throw);

  auto& cal_voltage = *operations_.at(Commands(CalVoltage{}).index());
  cli::checked(cal_voltage
                   .add_option("-r,--reference", reference_,
                               "Reference voltage, as measured at the system input")
                   ->required(),
               parse_reference, "FLOAT");
}

std::optional<Commands> Cli::options() const {
  if (!op_->parsed()) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < operations_.size(); ++i) {
    if (operations_.at(i)->parsed()) {
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
