// What each `config` parameter puts on the wire and what it prints of the answers.
#include "config_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace zelkor::e2e {
namespace {

// One parameter: what the user types to change it, what goes out in "set {} {}", and the label
// under which the firmware lists it.
struct Row {
  std::string name;
  std::string typed;
  std::string written;
  std::string label;
  std::string listed; // the value as the listing shows it
};

const std::vector<Row> rows = {
    {"ignition-sense", "true", "ignition-sense on", "Ignition Sense", "on"},
    {"startup-timer", "30", "startup-timer 30", "Startup Timer", "30"},
    {"shutdown-timer", "25", "shutdown-timer 25", "Shutdown Timer", "25"},
    {"hard-off-timer", "120", "hard-off-timer 120", "Hard Off Timer", "120"},
    {"shutdown-voltage", "11.5", "shutdown-voltage 11.5", "Shutdown Voltage", "11.5"},
    {"hotplug", "false", "hotplug off", "Hotplug", "off"},
    {"can-baudrate", "500", "can-baudrate 500", "CAN Baudrate", "500"},
    {"can-mode", "slcan", "can-mode slcan", "CAN Mode", "slcan"},
    {"dio-power-switch", "true", "dio-power-switch on", "Power Switch", "on"},
    {"low-power-mode", "false", "erp-mode off", "ERP Mode", "off"},
    {"hdmi-cec", "false", "hdmi-cec off", "HDMI CEC", "off"},
};

// The firmware's listing, in which only `wanted` holds its value and every other field a dash,
// so a read of the wrong field shows.
std::string listing_for(const Row& wanted) {
  std::string text = "User Config: 1\r\n";
  for (const auto& row : rows) {
    text += row.label + ": " + (row.name == wanted.name ? row.listed : "-") + "\r\n";
  }
  return text + "Boot Config: 1\r\n";
}

struct Case {
  Args args;
  Script script;
  std::string sent;
  std::string printed;
};

void PrintTo(const Case& param, std::ostream* out) {
  *out << joined(param.args);
}

std::string test_name(const ::testing::TestParamInfo<Case>& info) {
  std::string name = std::to_string(info.index) + "_" + joined(info.param.args);
  for (char& c : name) {
    c = std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
  }
  return name;
}

const Reply ok{{"OK\r\n"}};
const Reply saved{{"Config saved\r\n"}};

// A read sends only the listing query, with or without -s; a set sends "set", and "save-config"
// after it only with -s.
std::vector<Case> every_parameter() {
  std::vector<Case> cases;
  for (const auto& row : rows) {
    const std::string set = "set " + row.written;
    for (const Args& read : {Args{row.name}, Args{"-s", row.name}}) {
      cases.push_back({read, {{"config", {{listing_for(row)}}}}, "config", row.listed + "\n"});
    }
    cases.push_back({{row.name, row.typed}, {{set, ok}}, set, "OK\n"});
    cases.push_back({{"-s", row.name, row.typed},
                     {{set, ok}, {"save-config", saved}},
                     set + "save-config",
                     "OK\n"});
  }
  return cases;
}

class ConfigParameter : public ::testing::TestWithParam<Case> {};

// The board answers only the exact expected bytes, so a wrong command shows up twice: in the
// traffic and in what is printed.
TEST_P(ConfigParameter, SendsExactlyItsCommandsAndPrintsTheAnswer) {
  const auto& param = GetParam();
  const auto [result, traffic] =
      exchange(answering(param.script), param.args, param.sent, {}, run_config);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, param.printed);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(traffic, param.sent);
}

INSTANTIATE_TEST_SUITE_P(ConfigEvery, ConfigParameter, ::testing::ValuesIn(every_parameter()),
                         test_name);

const std::string listing = "User Config: 3\r\nHotplug: on\r\nCAN Mode: std\r\n";

// The other value of each boolean, values written as typed whatever they are, the fixed
// parameters, and a selection before each kind of operation. The selection's answer loses only
// its last byte, a set's its last two.
INSTANTIATE_TEST_SUITE_P(
    ConfigValues, ConfigParameter,
    ::testing::Values(
        Case{{"ignition-sense", "false"},
             {{"set ignition-sense off", ok}},
             "set ignition-sense off",
             "OK\n"},
        Case{{"hotplug", "true"}, {{"set hotplug on", ok}}, "set hotplug on", "OK\n"},
        Case{{"dio-power-switch", "false"},
             {{"set dio-power-switch off", ok}},
             "set dio-power-switch off",
             "OK\n"},
        Case{{"low-power-mode", "true"}, {{"set erp-mode on", ok}}, "set erp-mode on", "OK\n"},
        Case{{"hdmi-cec", "true"}, {{"set hdmi-cec on", ok}}, "set hdmi-cec on", "OK\n"},
        Case{{"can-mode", "std"}, {{"set can-mode std", ok}}, "set can-mode std", "OK\n"},
        // Ranges in the help texts are the firmware's to enforce.
        Case{{"startup-timer", "abc"},
             {{"set startup-timer abc", ok}},
             "set startup-timer abc",
             "OK\n"},
        Case{{"can-baudrate", "5000"},
             {{"set can-baudrate 5000", ok}},
             "set can-baudrate 5000",
             "OK\n"},
        Case{{"shutdown-voltage", "9.70"},
             {{"set shutdown-voltage 9.70", ok}},
             "set shutdown-voltage 9.70",
             "OK\n"},
        Case{{"startup-timer", "\xc3\xa9"},
             {{"set startup-timer \xc3\xa9", ok}},
             "set startup-timer \xc3\xa9",
             "OK\n"},
        // Whatever the firmware answers is printed, its own complaints included.
        Case{{"can-baudrate", "7"},
             {{"set can-baudrate 7", {{"Invalid value\r\n"}}}},
             "set can-baudrate 7",
             "Invalid value\n"},
        Case{{"set-as-default"}, {{"set boot-config true", ok}}, "set boot-config true", "OK\n"},
        Case{{"--save", "set-as-default"},
             {{"set boot-config true", ok}, {"save-config", saved}},
             "set boot-config truesave-config",
             "OK\n"},
        Case{{"-n", "1", "set-as-default"},
             {{"user-config 1", ok}, {"set boot-config true", ok}},
             "user-config 1set boot-config true",
             "OK\r\nOK\n"},
        // The listing keeps its line ends; only its very last byte goes.
        Case{{"show"},
             {{"config", {{listing}}}},
             "config",
             listing.substr(0, listing.size() - 1) + "\n"},
        Case{{"-s", "show"},
             {{"config", {{listing}}}},
             "config",
             listing.substr(0, listing.size() - 1) + "\n"},
        Case{{"-n", "3", "show"},
             {{"user-config 3", ok}, {"config", {{listing}}}},
             "user-config 3config",
             "OK\r\n" + listing.substr(0, listing.size() - 1) + "\n"},
        Case{{"--number", "4", "hotplug"},
             {{"user-config 4", ok}, {"config", {{listing}}}},
             "user-config 4config",
             "OK\r\non\n"},
        Case{{"-n", "2", "-s", "hotplug", "true"},
             {{"user-config 2", ok}, {"set hotplug on", ok}, {"save-config", saved}},
             "user-config 2set hotplug onsave-config",
             "OK\r\nOK\n"},
        Case{{"-s", "--number", "2", "can-mode", "std"},
             {{"user-config 2", ok}, {"set can-mode std", ok}, {"save-config", saved}},
             "user-config 2set can-mode stdsave-config",
             "OK\r\nOK\n"}),
    test_name);

} // namespace
} // namespace zelkor::e2e
