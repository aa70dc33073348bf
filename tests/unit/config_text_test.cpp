#include "cmds/config_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cmds/config.h"

namespace {

using namespace zelkor::cmds::config;

// What the firmware knows each subcommand by, and where a read finds it in the listing.
TEST(ConfigTable, KeysAndListingFieldsOfEveryParameter) {
  struct Row {
    UserParameters parameter;
    std::string name;
    Kind kind;
    std::string key;
    std::string field;
  };
  const std::vector<Row> rows = {
      {IgnitionSense{}, "ignition-sense", Kind::boolean, "ignition-sense", "ignition-sense"},
      {StartupTimer{}, "startup-timer", Kind::value, "startup-timer", "startup-timer"},
      {ShutdownTimer{}, "shutdown-timer", Kind::value, "shutdown-timer", "shutdown-timer"},
      {HardOffTimer{}, "hard-off-timer", Kind::value, "hard-off-timer", "hard-off-timer"},
      {ShutdownVoltage{}, "shutdown-voltage", Kind::value, "shutdown-voltage", "shutdown-voltage"},
      {Hotplug{}, "hotplug", Kind::boolean, "hotplug", "hotplug"},
      {CanBaudrate{}, "can-baudrate", Kind::value, "can-baudrate", "can-baudrate"},
      {CanMode{}, "can-mode", Kind::value, "can-mode", "can-mode"},
      {DioPowerSwitch{}, "dio-power-switch", Kind::boolean, "dio-power-switch", "power-switch"},
      {LowPowerMode{}, "low-power-mode", Kind::boolean, "erp-mode", "erp-mode"},
      {HdmiCec{}, "hdmi-cec", Kind::boolean, "hdmi-cec", "hdmi-cec"},
      {Show{}, "show", Kind::listing, "", ""},
      {SetAsDefault{}, "set-as-default", Kind::fixed, "boot-config", "boot-config"},
      {Export{}, "export", Kind::export_document, "", ""},
      {Import{}, "import", Kind::import_document, "", ""},
  };
  ASSERT_EQ(rows.size(), parameters.size());
  for (const auto& row : rows) {
    const ParameterInfo& info = info_of(row.parameter);
    EXPECT_EQ(info.name, row.name);
    EXPECT_EQ(info.kind, row.kind) << row.name;
    EXPECT_EQ(info.key, row.key) << row.name;
    EXPECT_EQ(listing_field(info.key), row.field) << row.name;
  }
  EXPECT_EQ(set_as_default_value, "true");
}

TEST(ConfigText, CommandTexts) {
  EXPECT_EQ(select_command(1), "user-config 1");
  EXPECT_EQ(select_command(4), "user-config 4");
  EXPECT_EQ(set_command("hotplug", switch_word(true)), "set hotplug on");
  EXPECT_EQ(set_command("erp-mode", switch_word(false)), "set erp-mode off");
  EXPECT_EQ(set_command("boot-config", set_as_default_value), "set boot-config true");
  EXPECT_EQ(set_command("shutdown-voltage", "11.5"), "set shutdown-voltage 11.5");
}

// Only the exact lower-case words are booleans; the rest get the one fixed message.
TEST(ConfigText, EnableIsExactlyTrueOrFalse) {
  EXPECT_EQ(parse_enable("true"), true);
  EXPECT_EQ(parse_enable("false"), false);
  for (const std::string bad : {"True", "FALSE", "on", "off", "1", "0", "", " true", "true "}) {
    const auto parsed = parse_enable(bad);
    ASSERT_FALSE(parsed.has_value()) << bad;
    EXPECT_EQ(parsed.error(), "provided string was not `true` or `false`") << bad;
  }
}

// Only the key written in full is renamed in the listing.
TEST(ConfigText, OnlyTheWholeDioKeyIsSearchedUnderItsShortLabel) {
  EXPECT_EQ(listing_field("dio-power-switch"), "power-switch");
  EXPECT_EQ(listing_field("dio-power-switch-2"), "dio-power-switch-2");
  EXPECT_EQ(listing_field("power-switch"), "power-switch");
  EXPECT_EQ(listing_field("DIO-power-switch"), "DIO-power-switch");
}

// Other modules call set directly, past the parser's check: a second command must not get
// through there either. Refused before any port is looked for.
TEST(ConfigSet, RefusesAFieldThatIsNotOneWord) {
  for (const auto& [key, value] :
       std::vector<std::pair<std::string, std::string>>{{"can-baudrate", "500\rlaunch-bootloader"},
                                                        {"can-baudrate", "500 250"},
                                                        {"can-baudrate", "\xff"},
                                                        {"can-baudrate", ""},
                                                        {"can-baudrate\n", "500"}}) {
    const auto outcome = set(key, value, true);
    ASSERT_FALSE(outcome.has_value()) << testing::PrintToString(value);
    EXPECT_THAT(outcome.error(), testing::StartsWith("Refused to send the setting: a key or value "
                                                     "must "))
        << testing::PrintToString(value);
  }
}

} // namespace
