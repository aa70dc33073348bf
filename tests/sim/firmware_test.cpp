#include "firmware.h"

#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <string>

namespace zelkor::sim {
namespace {

std::optional<std::string> answer(PortId port, std::string_view command, FirmwareStyle style = {}) {
  auto reply = default_firmware(port, style)(command);
  if (!reply) {
    return std::nullopt;
  }
  return std::accumulate(reply->chunks.begin(), reply->chunks.end(), std::string());
}

struct Exchange {
  PortId port;
  const char* command;
  std::optional<std::string> expected;
};

TEST(DefaultFirmware, AnswersWhatTheToolAsks) {
  const Exchange table[] = {
      {PortId::terminal, "dio-state", "10110000\r\n"},
      {PortId::terminal, "get-voltage", "24.12\r\n"},
      {PortId::terminal, "set-do 0 1", "OK\r\n"},
      {PortId::terminal, "set hotplug on", "OK\r\n"},
      {PortId::terminal, "user-config 2", "OK\r\n"},
      {PortId::terminal, "vcal 19.95", "OK\r\n"},
      {PortId::terminal, "save-config", "Config saved\r\n"},
      {PortId::terminal, "dio-stat", std::nullopt},
      {PortId::terminal, "kind ", std::nullopt},
      {PortId::terminal, "std 7ff 4 11223344 data", std::nullopt},
      {PortId::can, "std 7ff 4 11223344 data", "OK\r\n"},
      {PortId::can, "ext 1ABCDEF0 remote", "OK\r\n"},
      {PortId::can, "version", std::nullopt},
      {PortId::can, "std 123", std::nullopt}, // not yet a whole frame command
  };
  for (const auto& [port, command, expected] : table) {
    EXPECT_EQ(answer(port, command), expected) << command;
  }
  for (const char* command : {"kind", "version", "status", "config"}) {
    auto text = answer(PortId::terminal, command);
    ASSERT_TRUE(text) << command;
    EXPECT_TRUE(text->ends_with("\r\n")) << command;
  }
}

TEST(DefaultFirmware, ListingHasTheFieldsTheToolLooksFor) {
  auto listing = answer(PortId::terminal, "config").value_or("");
  for (const char* field : {"CAN Mode: std\r\n", "CAN Baudrate: 500\r\n", "Hotplug: on\r\n"}) {
    EXPECT_NE(listing.find(field), std::string::npos) << field;
  }
  EXPECT_GT(default_firmware(PortId::terminal, {})("config")->chunks.size(), 1U);
}

TEST(DefaultFirmware, SetChangesTheListing) {
  auto firmware = default_firmware(PortId::terminal, {});
  auto listing = [&] {
    auto reply = firmware("config");
    return std::accumulate(reply->chunks.begin(), reply->chunks.end(), std::string());
  };
  firmware("set hotplug off");
  firmware("set dio-power-switch on");
  firmware("set no-such-key 5");
  EXPECT_NE(listing().find("Hotplug: off\r\n"), std::string::npos);
  EXPECT_NE(listing().find("Power Switch: on\r\n"), std::string::npos);
  EXPECT_NE(listing().find("CAN Mode: std\r\n"), std::string::npos);
}

// An import into one configuration must not show in another: each keeps its own values.
TEST(DefaultFirmware, KeepsTheFourConfigurationsApart) {
  auto firmware = default_firmware(PortId::terminal, {});
  auto listing = [&] {
    auto reply = firmware("config");
    return std::accumulate(reply->chunks.begin(), reply->chunks.end(), std::string());
  };
  firmware("user-config 2");
  firmware("set startup-timer 45");
  firmware("set boot-config 2");
  EXPECT_NE(listing().find("User Config: 2\r\nIgnition Sense"), std::string::npos);
  EXPECT_NE(listing().find("Startup Timer: 45\r\n"), std::string::npos);
  firmware("user-config 5");
  EXPECT_NE(listing().find("User Config: 2\r\n"), std::string::npos);
  firmware("user-config 1");
  EXPECT_NE(listing().find("User Config: 1\r\n"), std::string::npos);
  EXPECT_NE(listing().find("Startup Timer: 10\r\n"), std::string::npos);
  EXPECT_NE(listing().find("Boot Config: 2\r\n"), std::string::npos);
}

TEST(DefaultFirmware, StyleSplitsAndPacesAnswers) {
  auto reply = default_firmware(PortId::terminal,
                                {.chunks = 3, .pause = std::chrono::milliseconds(7)})("dio-state");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->chunks, (std::vector<std::string>{"1011", "0000", "\r\n"}));
  EXPECT_EQ(reply->pause, std::chrono::milliseconds(7));
  EXPECT_EQ(split("abc", 5), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(split("", 2), std::vector<std::string>{});
}

} // namespace
} // namespace zelkor::sim
