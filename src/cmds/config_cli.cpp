#include "cmds/config_cli.h"

#include <charconv>
#include <type_traits>
#include <utility>

#include "cli/fields.h"
#include "cmds/config_text.h"
#include "utils/variant.h"

namespace zelkor::cmds::config {
namespace {

constexpr std::array<std::string_view, 4> user_configs = {"1", "2", "3", "4"};

CLI::Option* add_argument(cli::Tree& tree, CLI::App& command, const ParameterInfo& info,
                          std::string& bound) {
  switch (info.kind) {
  case Kind::boolean:
    // The fixed message comes first; the choices after it never refuse anything it let through,
    // and give completion its words.
    return tree.choices(
        cli::checked(command.add_option("enable", bound, std::string(info.argument_help)),
                     parse_enable, ""),
        info.values);
  case Kind::value: {
    CLI::Option* option = command.add_option("value", bound, std::string(info.argument_help));
    return info.values.empty() ? cli::command_field(option) : tree.choices(option, info.values);
  }
  case Kind::import_document:
    return tree.paths(command.add_option("file", bound, std::string(info.argument_help)))
        ->required();
  case Kind::listing:
  case Kind::fixed:
  case Kind::export_document:
    return nullptr;
  }
  return nullptr;
}

// Reads and `show` can answer as JSON; a value given makes it a write, which has no JSON answer.
void add_json(CLI::App& command, const ParameterInfo& info, CLI::Option* argument, bool& bound) {
  if (info.kind != Kind::boolean && info.kind != Kind::value && info.kind != Kind::listing) {
    return;
  }
  CLI::Option* json =
      command
          .add_flag("--json", bound,
                    info.kind == Kind::listing ? "Print the configuration as one JSON object"
                                               : "Print the value as a JSON object")
          ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
  if (argument != nullptr) {
    json->excludes(argument);
  }
}

std::uint8_t selection(const std::string& text) {
  std::uint8_t number = 0;
  std::from_chars(text.data(), text.data() + text.size(), number); // one of user_configs
  return number;
}

} // namespace

Cli::Cli(cli::Tree& tree, const cli::Reach& reach) {
  config_ = &tree.add_command(
      tree.root(), std::string(command), "Set or get a user configuration parameter",
      "Set or get a user configuration parameter.\n\nThis command is used to configure "
      "automotive features, setup CAN bus, etc. By default, configuration changes will be saved "
      "to flash memory, and will persist across cold reboots. All changes will be made to the "
      "currently selected user configuration. Running a parameter without a value will report "
      "the current value of that parameter. (e.g. `zelkor config can-mode` --> slcan)\n\nRun "
      "`zelkor config <PARAMETER> -h` for detailed help about a parameter.");
  tree.require_subcommand(*config_);
  config_
      ->add_flag("-s,--save", save_,
                 "Save the current user configuration to flash memory after updating a parameter")
      ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
  tree.choices(config_->add_option("-n,--number", number_,
                                   "Select the user configuration to modify, defaults to current "
                                   "configuration NOTE: This will change the currently selected "
                                   "configuration!"),
               user_configs);
  const auto only = cli::confined_child(reach, parameters, &ParameterInfo::name);
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (only && *only != i) {
      continue;
    }
    const ParameterInfo& info = parameters.at(i);
    commands_.at(i) = &tree.add_command(*config_, std::string(info.name), std::string(info.about),
                                        std::string(info.long_about));
    arguments_.at(i) = add_argument(tree, *commands_.at(i), info, argument_);
    add_json(*commands_.at(i), info, arguments_.at(i), json_);
  }
}

std::optional<Parameter> Cli::options() const {
  if (!config_->parsed()) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < commands_.size(); ++i) {
    if (commands_.at(i) != nullptr && commands_.at(i)->parsed()) {
      return Parameter{
          .save = save_,
          .number = number_.empty() ? std::nullopt : std::optional(selection(number_)),
          .json = json_,
          .parameter = parameter_at(i),
      };
    }
  }
  return std::nullopt; // the tree requires a parameter, so this is never reached
}

UserParameters Cli::parameter_at(std::size_t index) const {
  auto parameter = utils::alternative_at<UserParameters>(index); // its argument still absent
  const CLI::Option* argument = arguments_.at(index);
  if (argument == nullptr || argument->count() == 0) {
    return parameter;
  }
  std::visit(
      [&](auto& request) {
        if constexpr (requires { request.enable; }) {
          request.enable = parse_enable(argument_).value();
        } else if constexpr (requires { request.value; }) {
          request.value = argument_;
        } else if constexpr (requires { request.file; }) {
          request.file = argument_;
        }
      },
      parameter);
  return parameter;
}

} // namespace zelkor::cmds::config
