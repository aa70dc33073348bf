// What the `config` command line refuses and what its help pages say. Nothing here may reach the
// board.
#include "config_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zelkor::e2e {
namespace {

using ::testing::HasSubstr;

// One board for the whole suite, with the default firmware so that anything sent would be
// answered; it must stay untouched.
class ConfigLine : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    board_ = std::make_unique<Board>(sim::BoardOptions{.default_firmware = true});
  }
  static void TearDownTestSuite() { board_.reset(); }
  void TearDown() override {
    EXPECT_EQ(board_->received(PortId::terminal), "");
    EXPECT_EQ(board_->received(PortId::can), "");
  }

  static Board::Result config(Args args) { return run_config(*board_, std::move(args)); }

  static std::unique_ptr<Board> board_;
};

std::unique_ptr<Board> ConfigLine::board_;

struct RefusalCase {
  const char* name;
  Args args;
  std::string in_stderr;
};

void PrintTo(const RefusalCase& param, std::ostream* out) {
  *out << param.name;
}

class ConfigRefusal : public ConfigLine, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ConfigRefusal, RefusedByTheParserWithStatusOne) {
  const auto& param = GetParam();
  const auto result = config(param.args);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_THAT(result.err, HasSubstr(param.in_stderr));
}

constexpr const char* not_a_boolean = "provided string was not `true` or `false`";
constexpr const char* not_one_word = "must not contain spaces or control characters";

INSTANTIATE_TEST_SUITE_P(
    Config, ConfigRefusal,
    ::testing::Values(
        RefusalCase{"no_parameter", {}, "Set or get a user configuration parameter"},
        RefusalCase{"save_only", {"-s"}, "Set or get a user configuration parameter"},
        RefusalCase{"enable_on", {"ignition-sense", "on"}, not_a_boolean},
        RefusalCase{"enable_capitalised", {"hotplug", "True"}, not_a_boolean},
        RefusalCase{"enable_upper_case", {"hdmi-cec", "FALSE"}, not_a_boolean},
        RefusalCase{"enable_digit", {"low-power-mode", "1"}, not_a_boolean},
        RefusalCase{"enable_empty", {"dio-power-switch", ""}, not_a_boolean},
        RefusalCase{"number_5", {"-n", "5", "show"}, "invalid value '5'"},
        RefusalCase{"number_0", {"-n", "0", "show"}, "invalid value '0'"},
        RefusalCase{"number_padded", {"-n", "01", "show"}, "invalid value '01'"},
        RefusalCase{"number_missing", {"-n"}, "number"},
        RefusalCase{"number_twice", {"-n", "1", "-n", "2", "show"}, "number"},
        RefusalCase{"save_twice", {"-s", "--save", "hotplug", "true"}, "save"},
        RefusalCase{"can_mode_upper_case", {"can-mode", "SLCAN"}, "invalid value 'SLCAN'"},
        RefusalCase{"can_mode_other", {"can-mode", "fd"}, "invalid value 'fd'"},
        // The options belong to `config` and stand before the parameter.
        RefusalCase{"save_after_parameter", {"hotplug", "-s", "true"}, "-s"},
        RefusalCase{"number_after_parameter", {"show", "-n", "2"}, "-n"},
        RefusalCase{"show_with_argument", {"show", "true"}, "true"},
        RefusalCase{"set_as_default_with_argument", {"set-as-default", "1"}, "1"},
        RefusalCase{"two_arguments", {"startup-timer", "10", "20"}, "20"},
        RefusalCase{"unknown_parameter", {"brightness", "3"}, "brightness"},
        // Each would put a second command on the firmware's line ("set startup-timer 30" and
        // then the bootloader).
        RefusalCase{
            "value_with_carriage_return", {"startup-timer", "30\rlaunch-bootloader"}, not_one_word},
        RefusalCase{"value_with_line_feed", {"shutdown-timer", "30\nsave-config"}, not_one_word},
        RefusalCase{"value_with_space", {"hard-off-timer", "30 launch-bootloader"}, not_one_word},
        RefusalCase{"value_with_tab", {"shutdown-voltage", "11.5\t"}, not_one_word},
        RefusalCase{"value_with_delete", {"can-baudrate", "500\x7f"}, not_one_word},
        RefusalCase{"value_not_utf8", {"startup-timer", "3\xff"}, "must be valid UTF-8 text"}),
    [](const auto& info) { return std::string(info.param.name); });

struct HelpCase {
  Args args;
  std::vector<std::string> shows;
};

void PrintTo(const HelpCase& param, std::ostream* out) {
  *out << joined(param.args);
}

class ConfigHelp : public ConfigLine, public ::testing::WithParamInterface<HelpCase> {};

// Each page carries its own texts word for word (the layout around them is the parser's): the
// command's, a boolean's, a value's with fixed values and one with any text, and one without an
// argument.
TEST_P(ConfigHelp, ShowsItsTextsOnStandardOutput) {
  const auto& param = GetParam();
  const auto result = config(param.args);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  for (const auto& text : param.shows) {
    EXPECT_THAT(unwrapped(result.out), HasSubstr(unwrapped(text)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Config, ConfigHelp,
    ::testing::Values(
        HelpCase{{"--help"},
                 {"This command is used to configure automotive features, setup CAN bus, etc. "
                  "By default, configuration changes will be saved to flash memory, and will "
                  "persist across cold reboots. All changes will be made to the currently "
                  "selected user configuration. Running a parameter without a value will report "
                  "the current value of that parameter. (e.g. `zelkor config can-mode` --> "
                  "slcan)\n\nRun `zelkor config <PARAMETER> -h` for detailed help about a "
                  "parameter.",
                  "Save the current user configuration to flash memory after updating a "
                  "parameter",
                  "Select the user configuration to modify, defaults to current configuration "
                  "NOTE: This will change the currently selected configuration!",
                  "Enable or disable power management based on the state of the ignition pin",
                  "Display entire user configuration", "Set this configuration as the default"}},
        HelpCase{
            {"ignition-sense", "--help"},
            {"Example: `zelkor config ignition-sense true`", "Enable or disable ignition sense"}},
        HelpCase{{"startup-timer", "--help"},
                 {"Example: `zelkor config startup-timer 25`",
                  "Set the time, in seconds, until the system will begin to boot. (10, 30, 120, "
                  "...)"}},
        HelpCase{{"can-mode", "--help"},
                 {"Use standard mode for CAN interface via pyzelkor and this tool, slcan mode "
                  "for slcand and can-utils.\n\nExample: `zelkor config can-mode slcan`",
                  "Set the can bus operational mode. [std, slcan]"}},
        HelpCase{{"help", "set-as-default"}, {"Example: `zelkor config -n 1 set-as-default`"}},
        HelpCase{{"-V"}, {"Zelkor 1.0.1"}}));

} // namespace
} // namespace zelkor::e2e
