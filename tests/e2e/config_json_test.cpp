// JSON answers and the import of a JSON document, on a board whose listing follows the set
// commands it receives. What zelkor prints is read back by jq, a JSON reader this project did
// not write, as the scripts that use it would.
#include "config_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zelkor::e2e {
namespace {

using ::testing::HasSubstr;

// A file holding `text` for as long as this lives.
class TempFile {
public:
  explicit TempFile(const std::string& text)
      : path_(::testing::TempDir() + "zelkor-json-" + std::to_string(getpid()) + "-" +
              std::to_string(next_++)) {
    std::ofstream(path_, std::ios::binary) << text;
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { std::filesystem::remove(path_); }
  [[nodiscard]] const std::string& path() const { return path_; }

private:
  static inline int next_ = 0;
  std::string path_;
};

// What `filter` gives for `json`, in jq's compact form; a failure when jq cannot read it.
std::string jq(const std::string& filter, const std::string& json) {
  const TempFile input(json);
  const std::string command = "jq -c '" + filter + "' " + input.path() + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return "";
  }
  std::string out;
  char buffer[4096];
  for (std::size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    out.append(buffer, count);
  }
  EXPECT_EQ(pclose(pipe), 0) << command << ": " << out;
  return out;
}

// Everything written to the terminal port since `before` bytes had been, once `expected` came.
std::string traffic_since(const Board& board, std::size_t before, const std::string& expected) {
  board.wait_received(PortId::terminal,
                      board.received(PortId::terminal).substr(0, before) + expected, 2s);
  return terminal_traffic(board, "").substr(before);
}

// A listing with every kind of value a JSON answer has: a flag, a whole number, a number, a
// word, text that fits no kind, and a field the board does not list (HDMI CEC).
const std::string odd_listing = "User Config: 3\r\n"
                                "Ignition Sense: on\r\n"
                                "Startup Timer: 010\r\n"
                                "Shutdown Timer: soon\r\n"
                                "Hard Off Timer: 60\r\n"
                                "Shutdown Voltage: 11.50\r\n"
                                "Hotplug: off\r\n"
                                "CAN Baudrate: 250\r\n"
                                "CAN Mode: slcan\r\n"
                                "Power Switch: maybe\r\n"
                                "ERP Mode: off\r\n"
                                "Boot Config: 1\r\n";

TEST(ConfigJson, ShowTypesEveryValueAndNullsWhatTheListingLacks) {
  const auto [result, traffic] = exchange(answering({{"config", {{odd_listing}}}}),
                                          {"show", "--json"}, "config", {}, run_config);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "{\"user-configuration\": 3, \"ignition-sense\": true, \"startup-timer\": 10, "
            "\"shutdown-timer\": \"soon\", \"hard-off-timer\": 60, \"shutdown-voltage\": 11.5, "
            "\"hotplug\": false, \"can-baudrate\": 250, \"can-mode\": \"slcan\", "
            "\"dio-power-switch\": \"maybe\", \"low-power-mode\": false, \"hdmi-cec\": null}\n");
  EXPECT_EQ(traffic, "config");
  EXPECT_EQ(jq("[to_entries[] | [.key, (.value | type)]]", result.out),
            "[[\"user-configuration\",\"number\"],[\"ignition-sense\",\"boolean\"],"
            "[\"startup-timer\",\"number\"],[\"shutdown-timer\",\"string\"],"
            "[\"hard-off-timer\",\"number\"],[\"shutdown-voltage\",\"number\"],"
            "[\"hotplug\",\"boolean\"],[\"can-baudrate\",\"number\"],[\"can-mode\",\"string\"],"
            "[\"dio-power-switch\",\"string\"],[\"low-power-mode\",\"boolean\"],"
            "[\"hdmi-cec\",\"null\"]]\n");
}

// Standard output carries the JSON alone: the selection's answer is not printed.
TEST(ConfigJson, ReadsAfterASelectionPrintJsonOnly) {
  Board board({.default_firmware = true});
  struct Run {
    Args args;
    std::string printed;
    std::string sent;
  };
  const std::vector<Run> runs = {
      {{"-n", "2", "startup-timer", "--json"}, "{\"startup-timer\": 10}\n", "user-config 2config"},
      {{"shutdown-voltage", "--json"}, "{\"shutdown-voltage\": 11.5}\n", "config"},
      {{"low-power-mode", "--json"}, "{\"low-power-mode\": false}\n", "config"},
      {{"--number", "4", "can-mode", "--json"}, "{\"can-mode\": \"std\"}\n", "user-config 4config"},
  };
  for (const auto& run : runs) {
    const auto before = board.received(PortId::terminal).size();
    const auto result = run_config(board, run.args);
    EXPECT_EQ(result.status, 0) << joined(run.args) << result.err;
    EXPECT_EQ(result.out, run.printed) << joined(run.args);
    EXPECT_EQ(traffic_since(board, before, run.sent), run.sent) << joined(run.args);
  }
  const auto shown = run_config(board, {"-n", "2", "show", "--json"});
  EXPECT_EQ(jq("[.\"user-configuration\", .\"startup-timer\", .\"hdmi-cec\"]", shown.out),
            "[2,10,true]\n");
}

TEST(ConfigJson, FailuresPrintWhatTheyPrintWithout) {
  const auto missing = exchange(answering({{"config", {{"Hotplug: on\r\n"}}}}),
                                {"startup-timer", "--json"}, "config", {}, run_config);
  EXPECT_EQ(missing.result.out, "Failed to determine current configuration.\n");
  EXPECT_EQ(missing.result.status, 1);
  const auto unselected = exchange(answering({{"user-config 2", {{"\xff\r\n"}}}}),
                                   {"-n", "2", "show", "--json"}, "user-config 2", {}, run_config);
  EXPECT_EQ(unselected.result.out, read_failed);
  EXPECT_EQ(unselected.result.status, 1);
  EXPECT_EQ(unselected.traffic, "user-config 2");
}

// A value makes it a write, which has no JSON answer: refused before anything is sent.
TEST(ConfigJson, AValueWithJsonIsACommandLineError) {
  for (const Args& args : {Args{"startup-timer", "45", "--json"}, Args{"hotplug", "--json", "true"},
                           Args{"show", "--json", "--json"}}) {
    Board board({.default_firmware = true});
    const auto result = run_config(board, args);
    EXPECT_EQ(result.status, 1) << joined(args);
    EXPECT_EQ(result.out, "") << joined(args);
    EXPECT_THAT(result.err, HasSubstr("--json")) << joined(args);
    EXPECT_EQ(terminal_traffic(board, ""), "") << joined(args);
  }
  Board board;
  EXPECT_THAT(run_config(board, {"startup-timer", "45", "--json"}).err,
              HasSubstr("error: the argument '--json' cannot be used with '[VALUE]'"));
}

TEST(RawDevicesJson, NamesTheTwoPorts) {
  Board board;
  const auto result = zelkor(board, {"raw", "devices", "--json"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "{\"can\": \"" + board.node(PortId::can) + "\", \"terminal\": \"" +
                            board.node(PortId::terminal) + "\"}\n");
  EXPECT_EQ(jq(".terminal", result.out), "\"" + board.node(PortId::terminal) + "\"\n");
  Board none({.topology = sim::Topology::none});
  const auto missing = zelkor(none, {"raw", "devices", "--json"});
  EXPECT_EQ(missing.out, std::string(none_found) + "\n");
  EXPECT_EQ(missing.status, 1);
}

// `zelkor config ARGS...` with standard input read from `input`.
Board::Result with_input(Board& board, const std::string& args, const TempFile& input) {
  return board.run(
      {"sh", "-c",
       std::string("exec ") + ZELKOR_BINARY + " config " + args + " < " + input.path()});
}

// One configuration exported and imported into another: only what differs is sent, and both
// then show the same.
TEST(ConfigImport, ExportedConfigurationMovesToAnother) {
  Board board({.default_firmware = true});
  for (const Args& args :
       {Args{"-n", "1", "startup-timer", "45"}, Args{"-n", "1", "shutdown-voltage", "12.50"},
        Args{"-n", "1", "hotplug", "false"}, Args{"-n", "1", "can-mode", "slcan"}}) {
    ASSERT_EQ(run_config(board, args).status, 0) << joined(args);
  }
  const auto exported = run_config(board, {"-n", "1", "export"});
  EXPECT_EQ(exported.status, 0) << exported.err;
  EXPECT_THAT(exported.out, ::testing::StartsWith("{\"format\": 1, \"user-configuration\": 1, "));
  const TempFile document(exported.out);

  const auto before = board.received(PortId::terminal).size();
  const auto imported = run_config(board, {"-n", "2", "import", document.path()});
  EXPECT_EQ(imported.out, "startup-timer: 10 -> 45\n"
                          "shutdown-voltage: 11.5 -> 12.5\n"
                          "hotplug: on -> off\n"
                          "can-mode: std -> slcan\n"
                          "4 changed, 7 unchanged\n");
  EXPECT_EQ(imported.status, 0) << imported.err;
  const std::string sent = "user-config 2config"
                           "set startup-timer 45set shutdown-voltage 12.5set hotplug off"
                           "set can-mode slcanconfig";
  EXPECT_EQ(traffic_since(board, before, sent), sent);

  const std::string same = "del(.\"user-configuration\")";
  EXPECT_EQ(jq(same, run_config(board, {"-n", "2", "show", "--json"}).out),
            jq(same, run_config(board, {"-n", "1", "show", "--json"}).out));
  EXPECT_NE(jq(same, run_config(board, {"-n", "3", "show", "--json"}).out),
            jq(same, run_config(board, {"-n", "1", "show", "--json"}).out));
}

// With -s, one "save-config" after the last set, and none when nothing changed.
TEST(ConfigImport, SavesOnceAfterTheLastSet) {
  Board board({.default_firmware = true});
  const TempFile document(
      R"({"hdmi-cec": null, "hotplug": false, "startup-timer": 30, "user-configuration": 4})");
  struct Run {
    std::string printed;
    std::string sent;
  };
  const std::vector<Run> runs = {
      {"startup-timer: 10 -> 30\nhotplug: on -> off\n2 changed, 0 unchanged, saved\n",
       "configset startup-timer 30set hotplug offsave-configconfig"},
      {"0 changed, 2 unchanged\n", "configconfig"},
  };
  for (const auto& run : runs) {
    const auto before = board.received(PortId::terminal).size();
    const auto result = with_input(board, "-s import -", document);
    EXPECT_EQ(result.out, run.printed);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(traffic_since(board, before, run.sent), run.sent);
  }
}

struct Refusal {
  const char* name;
  std::string document;
  std::string printed;
};

void PrintTo(const Refusal& param, std::ostream* out) {
  *out << param.name;
}

class ConfigImportRefusal : public ::testing::TestWithParam<Refusal> {};

// The whole document is checked first: a refusal selects nothing and sends nothing.
TEST_P(ConfigImportRefusal, SendsNothing) {
  const auto& param = GetParam();
  Board board({.default_firmware = true});
  const TempFile document(param.document);
  for (const auto& result : {run_config(board, {"-n", "2", "-s", "import", document.path()}),
                             with_input(board, "-n 2 -s import -", document)}) {
    EXPECT_EQ(result.out, "Refused the document: " + param.printed + ".\n");
    EXPECT_EQ(result.status, 1);
  }
  EXPECT_EQ(terminal_traffic(board, ""), "");
}

std::string padded(const std::string& document, std::size_t size) {
  return document + std::string(size - document.size(), ' ');
}

INSTANTIATE_TEST_SUITE_P(
    Config, ConfigImportRefusal,
    ::testing::Values(
        Refusal{"unknown_key", R"({"hotplug": true, "colour": "red"})", "unknown key \"colour\""},
        Refusal{"flag_as_text", R"({"hotplug": "on"})", "\"hotplug\" is \"on\", not true or false"},
        Refusal{"flag_as_number", R"({"hdmi-cec": 1})", "\"hdmi-cec\" is 1, not true or false"},
        Refusal{"fraction_for_a_timer", R"({"startup-timer": 4.5})",
                "\"startup-timer\" is 4.5, not a whole number"},
        Refusal{"text_for_a_timer", R"({"startup-timer": "10"})",
                "\"startup-timer\" is \"10\", not a whole number"},
        Refusal{"text_for_the_voltage", R"({"shutdown-voltage": "11.5"})",
                "\"shutdown-voltage\" is \"11.5\", not a number"},
        Refusal{"number_for_can_mode", R"({"can-mode": 5})",
                "\"can-mode\" is 5, not a string of one word"},
        Refusal{"space_in_can_mode", R"({"can-mode": "std launch-bootloader"})",
                "\"can-mode\" is \"std launch-bootloader\", which must not contain spaces or "
                "control characters"},
        Refusal{"line_break_in_can_mode", R"({"can-mode": "std\rlaunch-bootloader"})",
                "\"can-mode\" is \"std\\rlaunch-bootloader\", which must not contain spaces or "
                "control characters"},
        Refusal{"not_an_object", R"([{"hotplug": true}])", "it is not a JSON object"},
        Refusal{"not_json", R"({"hotplug": true)", "it is not valid JSON"},
        Refusal{"empty", "", "it is not valid JSON"},
        Refusal{"other_format", R"({"format": 2, "hotplug": true})", "\"format\" is 2, not 1"},
        Refusal{"key_given_twice", R"({"hotplug": true, "hotplug": false})",
                "\"hotplug\" is given twice"},
        // Valid JSON to its end: only the size refuses it.
        Refusal{"over_64_KiB", padded(R"({"hotplug": true})", 64 * 1024 + 1),
                "it is larger than 64 KiB"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigImport, AnUnreadableFileSendsNothing) {
  Board board({.default_firmware = true});
  const auto result = run_config(board, {"import", "/nonexistent/vehicle.json"});
  EXPECT_EQ(result.out, "Could not read /nonexistent/vehicle.json: No such file or directory\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(terminal_traffic(board, ""), "");
}

// A set whose answer cannot be read stops the import: what went before is named, nothing
// after it is sent, and nothing is saved.
TEST(ConfigImport, StopsAtASetThatFails) {
  const TempFile document(R"({"can-mode": "slcan", "hotplug": false, "startup-timer": 45})");
  const std::string sent = "configset startup-timer 45set hotplug off";
  const auto [result, traffic] =
      exchange(answering({{"set hotplug off", {{"\xff\r\n"}}}}), {"-s", "import", document.path()},
               sent, {.default_firmware = true}, run_config);
  EXPECT_EQ(result.out, "startup-timer: 10 -> 45\n"
                        "hotplug: Failed to read response from microcontroller.\n"
                        "Set before the failure: startup-timer. Not saved.\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(traffic, sent);
}

// The board acknowledges a value it does not keep: the read-back says so.
TEST(ConfigImport, ReportsAValueThatDoesNotTake) {
  const TempFile document(R"({"startup-timer": 45, "hotplug": true})");
  const std::string sent = "configset startup-timer 45config";
  const auto [result, traffic] =
      exchange(answering({{"set startup-timer 45", {{"OK\r\n"}}}}), {"import", document.path()},
               sent, {.default_firmware = true}, run_config);
  EXPECT_EQ(result.out, "startup-timer: 10 -> 45\n"
                        "startup-timer: set 45, reads 10\n"
                        "1 changed, 1 unchanged\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(traffic, sent);
}

} // namespace
} // namespace zelkor::e2e
