#pragma once
// `config`: reads or changes one parameter of the microcontroller's current user configuration,
// lists it whole, or marks it as the one loaded at boot; prints it as a JSON document or applies
// such a document; optionally selects another user configuration first.

#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "utils/output.h"

namespace zelkor::cmds::config {

// One alternative per parameter subcommand, in the order they are offered on the command line.
// Each names its row of `parameters`, which the table checks at compile time. An absent `enable`
// or `value` asks for the parameter's current value.
struct IgnitionSense {
  static constexpr std::string_view name = "ignition-sense";
  std::optional<bool> enable;
};
struct StartupTimer {
  static constexpr std::string_view name = "startup-timer";
  std::optional<std::string> value;
};
struct ShutdownTimer {
  static constexpr std::string_view name = "shutdown-timer";
  std::optional<std::string> value;
};
struct HardOffTimer {
  static constexpr std::string_view name = "hard-off-timer";
  std::optional<std::string> value;
};
struct ShutdownVoltage {
  static constexpr std::string_view name = "shutdown-voltage";
  std::optional<std::string> value;
};
struct Hotplug {
  static constexpr std::string_view name = "hotplug";
  std::optional<bool> enable;
};
struct CanBaudrate {
  static constexpr std::string_view name = "can-baudrate";
  std::optional<std::string> value;
};
struct CanMode {
  static constexpr std::string_view name = "can-mode";
  std::optional<std::string> value;
};
struct DioPowerSwitch {
  static constexpr std::string_view name = "dio-power-switch";
  std::optional<bool> enable;
};
struct LowPowerMode {
  static constexpr std::string_view name = "low-power-mode";
  std::optional<bool> enable;
};
struct HdmiCec {
  static constexpr std::string_view name = "hdmi-cec";
  std::optional<bool> enable;
};
struct Show {
  static constexpr std::string_view name = "show";
};
struct SetAsDefault {
  static constexpr std::string_view name = "set-as-default";
};
struct Export {
  static constexpr std::string_view name = "export";
};
struct Import {
  static constexpr std::string_view name = "import";
  std::string file; // "-" is standard input
};

using UserParameters = std::variant<IgnitionSense, StartupTimer, ShutdownTimer, HardOffTimer,
                                    ShutdownVoltage, Hotplug, CanBaudrate, CanMode, DioPowerSwitch,
                                    LowPowerMode, HdmiCec, Show, SetAsDefault, Export, Import>;

struct Parameter {
  bool save = false;                  // "save-config" after a written value
  std::optional<std::uint8_t> number; // user configuration to select first, 1 to 4
  bool json = false;                  // a read or `show` answers with a JSON object
  UserParameters parameter;
};

enum class Kind {
  boolean,         // `enable`: true or false, written as "on" or "off"
  value,           // `value`: text written as typed
  listing,         // the whole configuration
  fixed,           // one fixed value written, never read
  export_document, // the whole configuration as a JSON document
  import_document, // `file`: a JSON document applied
};

// What a parameter's value is in a JSON document, and how the listing's text is read as one.
enum class Type {
  none,   // not a parameter of the document
  flag,   // true or false; "on" or "off" in the listing and on the wire
  whole,  // a whole number
  number, // any number
  word,   // a string of one word
};

// How each parameter is named on the command line and at the firmware, with its help. Indexed
// like UserParameters; each row's name and kind are its alternative's, or the table does not
// compile.
struct ParameterInfo {
  std::string_view name; // the subcommand, and the parameter's key in a JSON document
  Kind kind;
  Type type;
  std::string_view key;                     // in "set {key} {value}"; empty for the listing
  std::span<const std::string_view> values; // the argument's only values; empty: any text
  std::string_view about;
  std::string_view long_about;
  std::string_view argument_help; // empty when the subcommand takes no argument
};

extern const std::array<ParameterInfo, std::variant_size_v<UserParameters>> parameters;

const ParameterInfo& info_of(const UserParameters& parameter);

// What `set-as-default` writes under its key.
inline constexpr std::string_view set_as_default_value = "true";

// The MCU's answer to "set {key} {value}" (then "save-config" when `save`), or the error text to
// print.
std::expected<std::string, std::string> set(std::string_view key, std::string_view value,
                                            bool save);

// The value of field `key` in the "config" listing, or the error text to print.
std::expected<std::string, std::string> read(std::string_view key);

// The answer to "user-config {number}", or the error text to print.
std::expected<std::string, std::string> select(std::uint8_t number);

// Read `key` when `enable` is absent, else set it "on" or "off"; prints the outcome and returns
// the exit status.
std::uint8_t bool_param(std::string_view key, std::optional<bool> enable, bool save,
                        utils::output::Sink& out);

// Read `key` when `value` is absent, else set it to `value`; prints the outcome and returns the
// exit status.
std::uint8_t value_param(std::string_view key, std::optional<std::string_view> value, bool save,
                         utils::output::Sink& out);

std::uint8_t handler(Parameter parameter, utils::output::Sink& out);

} // namespace zelkor::cmds::config
