// Reading one field out of the firmware's configuration listing as a real controller sends it:
// in pieces, with its own labels and spelling.
#include "config_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelkor::e2e {
namespace {

using ::testing::HasSubstr;

// Labels as the firmware spells them: renamed fields (Power Switch, ERP Mode), fields whose name
// begins another's, mixed case, a heading, CRLF line ends.
const std::string listing = "Zelkor User Configuration\r\n"
                            "User Config: 2\r\n"
                            "Ignition Sense: ON\r\n"
                            "Startup Timer: 10\r\n"
                            "Shutdown Timer: 20\r\n"
                            "Hard Off Timer: 60\r\n"
                            "Shutdown Voltage: 11.5\r\n"
                            "Shutdown Voltage Hysteresis: 0.5\r\n"
                            "Hotplug: off\r\n"
                            "Hotplug Delay: 3\r\n"
                            "CAN Baudrate: 250\r\n"
                            "CAN Mode: slcan\r\n"
                            "CAN Mode Default: std\r\n"
                            "Power Switch: on\r\n"
                            "ERP Mode: on\r\n"
                            "HDMI CEC: Off\r\n"
                            "Boot Config: 1\r\n";

struct Read {
  std::string parameter;
  std::string printed;
};

// The value keeps its case; only the label is matched without it.
const std::vector<Read> reads = {
    {"ignition-sense", "ON\n"}, {"startup-timer", "10\n"},      {"shutdown-timer", "20\n"},
    {"hard-off-timer", "60\n"}, {"shutdown-voltage", "11.5\n"}, {"hotplug", "off\n"},
    {"can-baudrate", "250\n"},  {"can-mode", "slcan\n"},        {"dio-power-switch", "on\n"},
    {"low-power-mode", "on\n"}, {"hdmi-cec", "Off\n"},
};

std::string with_line_feeds(std::string text) {
  std::erase(text, '\r');
  return text;
}

std::string lower_case(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

// Cut mid-label, mid-value and between "\r" and "\n": the field is found only if the whole
// answer is searched as one text.
std::vector<std::string> pieces(const std::string& text, std::size_t size) {
  std::vector<std::string> chunks;
  for (std::size_t at = 0; at < text.size(); at += size) {
    chunks.push_back(text.substr(at, size));
  }
  return chunks;
}

struct ListingCase {
  const char* name;
  Reply reply;
  std::vector<Read> reads;
};

void PrintTo(const ListingCase& param, std::ostream* out) {
  *out << param.name;
}

class ConfigListing : public ::testing::TestWithParam<ListingCase> {};

// Reads change nothing, so one board answers them all. The pieces come with pauses shorter than
// the read's time-out, which a starved firmware thread can stretch: a read may run again.
TEST_P(ConfigListing, ReadPrintsTheValueOfItsOwnField) {
  const auto& param = GetParam();
  for (const auto& read : param.reads) {
    // A board of its own for every run: the rest of an answer that one run stopped reading must
    // not complete the answer of the next.
    const auto [result, traffic] = retried(
        [&] {
          Board board;
          board.answer(PortId::terminal, "config", param.reply);
          Exchange run{run_config(board, {read.parameter}), ""};
          run.traffic = terminal_traffic(board, "");
          return run;
        },
        read.printed, "config");
    EXPECT_EQ(result.status, 0) << read.parameter << result.err;
    EXPECT_EQ(result.out, read.printed) << read.parameter;
    EXPECT_EQ(traffic, "config") << read.parameter;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Config, ConfigListing,
    ::testing::Values(
        ListingCase{"whole", {{listing}}, reads},
        ListingCase{"nine_byte_pieces", {pieces(listing, 9), 2ms}, reads},
        ListingCase{"line_pieces_with_pauses", {pieces(listing, 40), 15ms}, reads},
        // Pauses a 25 ms command window would take for the end of the answer.
        ListingCase{
            "pauses_past_a_command_window", {pieces(listing, 120), 60ms}, {{"hdmi-cec", "Off\n"}}},
        ListingCase{"line_feeds_only", {pieces(with_line_feeds(listing), 13)}, reads},
        ListingCase{"lower_case_labels",
                    {pieces(lower_case(listing), 11)},
                    {{"ignition-sense", "on\n"},
                     {"can-mode", "slcan\n"},
                     {"hdmi-cec", "off\n"},
                     {"low-power-mode", "on\n"},
                     {"dio-power-switch", "on\n"}}},
        // Spaces inside a value go; the text after the label's last colon stays.
        ListingCase{"spaced_values",
                    {{"Startup Timer: 1 0\r\nShutdown Voltage : 11.5 V\r\nCAN Mode:std\r\n"
                      "HDMI CEC:\r\n"}},
                    {{"startup-timer", "10\n"},
                     {"shutdown-voltage", "11.5V\n"},
                     {"can-mode", "std\n"},
                     {"hdmi-cec", "\n"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// The default firmware keeps what it is told; a change shows in the next read and listing, as a
// user on a real board would see it.
TEST(ConfigRoundTrip, AChangeShowsInTheNextReadAndListing) {
  Board board({.default_firmware = true, .style = {.chunks = 5}});
  const std::vector<std::pair<Args, std::string>> runs = {
      {{"startup-timer"}, "10\n"},    {{"-s", "startup-timer", "45"}, "OK\n"},
      {{"startup-timer"}, "45\n"},    {{"dio-power-switch", "true"}, "OK\n"},
      {{"dio-power-switch"}, "on\n"}, {{"low-power-mode", "true"}, "OK\n"},
      {{"low-power-mode"}, "on\n"},   {{"can-mode"}, "std\n"},
  };
  for (const auto& [args, printed] : runs) {
    const auto result = run_config(board, args);
    EXPECT_EQ(result.out, printed) << joined(args);
    EXPECT_EQ(result.status, 0) << joined(args);
  }
  const auto shown = run_config(board, {"-n", "1", "show"});
  EXPECT_EQ(shown.status, 0);
  EXPECT_THAT(shown.out, HasSubstr("User Config: 1\r\n"));
  EXPECT_THAT(shown.out, HasSubstr("Startup Timer: 45\r\n"));
  EXPECT_THAT(shown.out, HasSubstr("ERP Mode: on\r\n"));
  // Each stored configuration keeps its own values.
  const auto other = run_config(board, {"-n", "3", "show"});
  EXPECT_THAT(other.out, HasSubstr("User Config: 3\r\n"));
  EXPECT_THAT(other.out, HasSubstr("Startup Timer: 10\r\n"));
}

} // namespace
} // namespace zelkor::e2e
