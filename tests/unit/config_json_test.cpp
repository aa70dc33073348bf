#include "cmds/config_json.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cmds/config_text.h"

namespace {

using namespace zelkor::cmds::config;

const ParameterInfo& row(std::string_view name) {
  for (const auto& info : parameters) {
    if (info.name == name) {
      return info;
    }
  }
  throw std::invalid_argument(std::string(name));
}

// How a listed value is typed decides whether an import sends it again: the same value in
// another spelling must compare equal, text that fits no kind must stay as it was.
TEST(ConfigJson, ListedValuesAsASetCommandWritesThem) {
  struct Case {
    std::string parameter;
    std::string listed;
    std::string text;
    std::string json;
  };
  const std::vector<Case> cases = {
      {"hotplug", "on", "on", "true"},
      {"hotplug", "off", "off", "false"},
      {"hotplug", "ON", "ON", "\"ON\""},
      {"startup-timer", "010", "10", "10"},
      {"startup-timer", "-5", "-5", "-5"},
      {"startup-timer", "10.0", "10.0", "\"10.0\""},
      {"startup-timer", "+10", "+10", "\"+10\""},
      {"startup-timer", "99999999999999999999", "99999999999999999999", "\"99999999999999999999\""},
      {"shutdown-voltage", "12.50", "12.5", "12.5"},
      {"shutdown-voltage", "12", "12", "12"},
      {"shutdown-voltage", "1e2", "100", "100.0"},
      {"shutdown-voltage", "0.1", "0.1", "0.1"},
      {"shutdown-voltage", "inf", "inf", "\"inf\""},
      {"shutdown-voltage", "11.5V", "11.5V", "\"11.5V\""},
      {"can-mode", "slcan", "slcan", "\"slcan\""},
      {"can-mode", "10", "10", "\"10\""},
  };
  for (const auto& c : cases) {
    const auto& info = row(c.parameter);
    const std::string field = c.parameter == "shutdown-voltage" ? "Shutdown Voltage"
                              : c.parameter == "startup-timer"  ? "Startup Timer"
                              : c.parameter == "hotplug"        ? "Hotplug"
                                                                : "CAN Mode";
    const std::string text = field + ": " + c.listed + "\r\n";
    EXPECT_EQ(listed_text(info, text), c.text) << c.parameter << " " << c.listed;
    EXPECT_EQ(field_object(info, c.listed), "{\"" + c.parameter + "\": " + c.json + "}")
        << c.parameter << " " << c.listed;
  }
  EXPECT_EQ(listed_text(row("hotplug"), "Startup Timer: 10\r\n"), std::nullopt);
}

std::vector<std::pair<std::string, std::string>> texts(std::string_view document) {
  std::vector<std::pair<std::string, std::string>> out;
  const auto wanted = parse_document(document);
  EXPECT_TRUE(wanted.has_value()) << document << ": " << wanted.error();
  for (const auto& one : wanted.value_or(std::vector<Wanted>{})) {
    out.emplace_back(one.info->name, one.text);
  }
  return out;
}

// Numbers go out in their shortest decimal text, never in exponent form; the parameters in the
// table's order whatever the document's; null and the selection are left out.
TEST(ConfigJson, DocumentValuesAsSetCommandsWriteThem) {
  using Texts = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(texts(R"({"can-mode": "slcan", "user-configuration": 3, "hdmi-cec": null,
                      "shutdown-voltage": 12.0, "format": 1, "ignition-sense": false,
                      "startup-timer": -5, "can-baudrate": 18446744073709551615})"),
            (Texts{{"ignition-sense", "off"},
                   {"startup-timer", "-5"},
                   {"shutdown-voltage", "12"},
                   {"can-baudrate", "18446744073709551615"},
                   {"can-mode", "slcan"}}));
  for (const auto& [number, text] : std::vector<std::pair<std::string, std::string>>{
           {"11.55", "11.55"}, {"1e-7", "0.0000001"}, {"1E3", "1000"}, {"-0.5", "-0.5"}}) {
    EXPECT_EQ(texts(R"({"shutdown-voltage": )" + number + "}"), (Texts{{"shutdown-voltage", text}}))
        << number;
  }
  EXPECT_EQ(texts("{}"), Texts{});
}

TEST(ConfigJson, DocumentsUpTo64KiBAreRead) {
  std::string document = R"({"hotplug": true})";
  document.resize(max_document_bytes, ' ');
  EXPECT_TRUE(parse_document(document).has_value());
  document += ' ';
  EXPECT_EQ(parse_document(document).error(), "Refused the document: it is larger than 64 KiB.");
}

// The listing's own spelling of every field, each found by the field search of a one-field
// read, and the document's keys in their fixed order.
TEST(ConfigJson, ListingObjectHasEveryKeyInOrder) {
  EXPECT_EQ(listing_object("User Config: 2\r\nPower Switch: on\r\nERP Mode: off\r\n", true),
            "{\"format\": 1, \"user-configuration\": 2, \"ignition-sense\": null, "
            "\"startup-timer\": null, \"shutdown-timer\": null, \"hard-off-timer\": null, "
            "\"shutdown-voltage\": null, \"hotplug\": null, \"can-baudrate\": null, "
            "\"can-mode\": null, \"dio-power-switch\": true, \"low-power-mode\": false, "
            "\"hdmi-cec\": null}");
  EXPECT_THAT(listing_object("", false), ::testing::StartsWith("{\"user-configuration\": null, "));
}

} // namespace
