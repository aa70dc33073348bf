#include <type_traits>
#include <utility>

#include "cmds/config.h"

namespace zelkor::cmds::config {
namespace {

constexpr std::array<std::string_view, 2> booleans = {"true", "false"};
constexpr std::array<std::string_view, 2> can_modes = {"std", "slcan"};
constexpr std::span<const std::string_view> any_text{};

} // namespace

constexpr std::array<ParameterInfo, std::variant_size_v<UserParameters>> parameters = {{
    {"ignition-sense", Kind::boolean, Type::flag, "ignition-sense", booleans,
     "Enable or disable power management based on the state of the ignition pin",
     "Enable or disable power management based on the state of the ignition pin.\n\n"
     "Example: `zelkor config ignition-sense true`",
     "Enable or disable ignition sense"},
    {"startup-timer", Kind::value, Type::whole, "startup-timer", any_text,
     "Configure the number of seconds until the system will boot after an ignition signal",
     "Configure the number of seconds until the system will boot after an ignition signal.\n\n"
     "Example: `zelkor config startup-timer 25`",
     "Set the time, in seconds, until the system will begin to boot. (10, 30, 120, ...)"},
    {"shutdown-timer", Kind::value, Type::whole, "shutdown-timer", any_text,
     "Configure the number of seconds until soft power off after loss of the ignition signal",
     "Configure the number of seconds until soft power off after loss of the ignition signal.\n\n"
     "This timer is also triggered by low power events.\n\n"
     "Example: `zelkor config shutdown-timer 25`",
     "Set the time, in seconds, until the system will begin to shutdown. (10, 30, 120, ...)"},
    {"hard-off-timer", Kind::value, Type::whole, "hard-off-timer", any_text,
     "Configure the number of seconds until force power off after loss of the ignition signal",
     "Configure the number of seconds until force power off after loss of the ignition signal.\n\n"
     "This timer is also triggered by low power events.\n\n"
     "Example: `zelkor config hard-off-timer 120`",
     "Set the time, in seconds, until the system will force power off. (10, 30, 120, ...)"},
    {"shutdown-voltage", Kind::value, Type::number, "shutdown-voltage", any_text,
     "Configure the threshold voltage that will trigger a low power shutdown event",
     "Configure the threshold voltage that will trigger a low power shutdown event\n\n"
     "Example: `zelkor config shutdown-voltage 11.5`",
     "Set the threshold voltage, to one decimal point. (12, 11.9, 9.7, 10, ...)"},
    {"hotplug", Kind::boolean, Type::flag, "hotplug", booleans,
     "Enable or disable reacting to display hotplug events",
     "Enable or disable reacting to display hotplug events.\n\n"
     "Example: `zelkor config hotplug true`",
     "Enable or disable display hotplug events"},
    {"can-baudrate", Kind::value, Type::whole, "can-baudrate", any_text,
     "Configure the default baudrate of the CAN bus",
     "Configure the default baudrate of the CAN bus.\n\n"
     "Example: `zelkor config can-baudrate 500`",
     "The baudrate, in thousands, of the CAN device [100-1000]. (500, 250, 800, ...)"},
    {"can-mode", Kind::value, Type::word, "can-mode", can_modes,
     "Select standard CAN mode or SLCAN mode",
     "Select standard CAN mode or SLCAN mode.\n\n"
     "Use standard mode for CAN interface via pyzelkor and this tool, slcan mode for slcand and "
     "can-utils.\n\n"
     "Example: `zelkor config can-mode slcan`",
     "Set the can bus operational mode. [std, slcan]"},
    {"dio-power-switch", Kind::boolean, Type::flag, "dio-power-switch", booleans,
     "Enable or disable using the digital inputs for remote power on",
     "Enable or disable using the digital inputs for remote power on.\n\n"
     "Example: `zelkor config dio-power-switch true`",
     "Enable or disable remote power on via the isolated digital io"},
    {"low-power-mode", Kind::boolean, Type::flag, "erp-mode", booleans,
     "Enable or disable entering low power mode after shutdown. (ERP mode)",
     "Enable or disable entering low power mode after shutdown. (ERP mode)\n\n"
     "Example: `zelkor config low-power-mode true`",
     "Enable or disable entering low power mode after shutdown"},
    {"hdmi-cec", Kind::boolean, Type::flag, "hdmi-cec", booleans,
     "Enable or disable HDMI CEC (Consumer Electronics Control) functionality",
     "Enable or disable HDMI CEC (Consumer Electronics Control) functionality.\n\n"
     "Example: `zelkor config hdmi-cec false`",
     "Enable or disable HDMI CEC functionality"},
    {"show", Kind::listing, Type::none, "", any_text, "Display entire user configuration",
     "Display entire user configuration\n\nExample: `zelkor config show`", ""},
    {"set-as-default", Kind::fixed, Type::none, "boot-config", any_text,
     "Set this configuration as the default",
     "Set this configuration as the default\n\nExample: `zelkor config -n 1 set-as-default`", ""},
    {"export", Kind::export_document, Type::none, "", any_text,
     "Print the user configuration as a JSON document for `import`",
     "Print the user configuration as a JSON document for `import`.\n\n"
     "The document is the object `show --json` prints, with \"format\": 1 as its first key.\n\n"
     "Example: `zelkor config -n 1 export > vehicle.json`",
     ""},
    {"import", Kind::import_document, Type::none, "", any_text,
     "Apply a JSON document of parameters to the user configuration",
     "Apply a JSON document of parameters to the user configuration.\n\n"
     "The whole document is checked before anything is sent: an object of at most 64 KiB whose "
     "keys are the parameters' subcommand names, \"format\" (1) and \"user-configuration\" "
     "(ignored: `-n` selects). A parameter's value is true or false, a whole number (the timers, "
     "can-baudrate), a number (shutdown-voltage), a string of one word (can-mode), or null to "
     "leave it as it is. Only values that differ from the configuration are sent, `-s` saves "
     "once after them, and every value is read back and compared.\n\n"
     "Example: `zelkor config -n 1 -s import vehicle.json`",
     "The JSON document to apply, or - for standard input"},
}};

namespace {

template <typename T> constexpr Kind kind_of() {
  if constexpr (requires(T t) { t.enable; }) {
    return Kind::boolean;
  } else if constexpr (requires(T t) { t.value; }) {
    return Kind::value;
  } else if constexpr (requires(T t) { t.file; }) {
    return Kind::import_document;
  } else if constexpr (std::is_same_v<T, Show>) {
    return Kind::listing;
  } else if constexpr (std::is_same_v<T, Export>) {
    return Kind::export_document;
  } else {
    return Kind::fixed;
  }
}

constexpr bool takes_argument(Kind kind) {
  return kind == Kind::boolean || kind == Kind::value || kind == Kind::import_document;
}

// Exactly the parameters read and written one at a time belong to the document, booleans as
// flags.
constexpr bool typed_rightly(const ParameterInfo& row) {
  if (row.kind == Kind::boolean) {
    return row.type == Type::flag;
  }
  if (row.kind == Kind::value) {
    return row.type != Type::none && row.type != Type::flag;
  }
  return row.type == Type::none;
}

// A row out of place would write one parameter under another's key.
template <std::size_t... I> consteval bool matches_variant(std::index_sequence<I...> /*all*/) {
  return ((parameters[I].name == std::variant_alternative_t<I, UserParameters>::name &&
           parameters[I].kind == kind_of<std::variant_alternative_t<I, UserParameters>>() &&
           parameters[I].argument_help.empty() != takes_argument(parameters[I].kind) &&
           typed_rightly(parameters[I])) &&
          ...);
}
static_assert(matches_variant(std::make_index_sequence<parameters.size()>{}),
              "the parameter table does not match UserParameters");

} // namespace

const ParameterInfo& info_of(const UserParameters& parameter) {
  return parameters.at(parameter.index());
}

} // namespace zelkor::cmds::config
