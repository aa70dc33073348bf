#include "utils/parsing.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using zelkor::utils::parsing::iterfind;

struct Case {
  const char* name;
  std::string text;
  std::string key;
  std::optional<std::string> expected;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

class IterfindTest : public testing::TestWithParam<Case> {};

TEST_P(IterfindTest, FindsTheValue) {
  const Case& c = GetParam();
  EXPECT_EQ(iterfind(c.text, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IterfindTest,
    testing::Values(Case{"simple", "CAN Mode: slcan\n", "can-mode", "slcan"},
                    Case{"first_match_wins", "Extended CAN Mode: off\nCAN Mode: slcan\n",
                         "can-mode", "off"},
                    Case{"spaces_removed", "Name: a b c", "name", "abc"},
                    Case{"after_last_colon", "Up time: 12:30", "up-time", "30"},
                    Case{"no_colon", "Hot Plug on", "hot-plug", "HotPlugon"},
                    Case{"key_not_normalised", "CAN Mode: slcan\n", "CAN-mode", std::nullopt},
                    Case{"empty_key_first_line", "A: 1\nB: 2\n", "", "1"},
                    Case{"no_match", "A: 1\nB: 2\n", "c", std::nullopt},
                    Case{"empty_text", "", "", std::nullopt},
                    Case{"crlf_endings", "Baud: 500\r\nCAN Mode: std\r\n", "can-mode", "std"},
                    Case{"crlf_value_end", "CAN Mode: std\r\n", "can-mode", "std"},
                    Case{"empty_line_inside", "\nCAN Mode: std\n", "can-mode", "std"},
                    Case{"value_keeps_case_and_tab", "Mode:\tOn X\n", "mode", "\tOnX"},
                    Case{"colon_at_end", "Name:\n", "name", ""},
                    Case{"utf8_untouched", "Größe: Ä b\n", "größe", "Äb"},
                    Case{"last_line_without_newline", "a: 1\nkey: v", "key", "v"}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
