// Reading a log for replay: every accepted line shape and every refusal, with its line.
#include <gtest/gtest.h>

#include <string>

#include "can/replay_text.h"

namespace zelkor::can::replay {
namespace {

using std::chrono::microseconds;

LogFrame frame(std::int64_t micros, const char* id, std::optional<std::string> data,
               bool extended) {
  return {.time = microseconds(micros),
          .interface = "can0",
          .identifier = id,
          .data = std::move(data),
          .extended = extended,
          .line = 0};
}

TEST(ReplayLine, AcceptsEachFrameShape) {
  const struct {
    const char* line;
    LogFrame expected;
  } cases[] = {
      {"(1765000000.123456) can0 123#11223344", frame(1765000000123456, "123", "11223344", false)},
      {"(1.5) can0 7FF#", frame(1500000, "7FF", "", false)},
      {"(1) can0 7ff#aabb", frame(1000000, "7ff", "aabb", false)},
      {"(0.000001) can0 000#0102030405060708", frame(1, "000", "0102030405060708", false)},
      {"(1.123456789) can0 00000555#01", frame(1123456, "00000555", "01", true)},
      {"(1.0) can0 1FFFFFFF#01", frame(1000000, "1FFFFFFF", "01", true)},
      {"(1.0) can0 123#R", frame(1000000, "123", std::nullopt, false)},
      {"(1.0) can0 1ABCDEF0#R8", frame(1000000, "1ABCDEF0", std::nullopt, true)},
      {"(1.0) can0 123#R0", frame(1000000, "123", std::nullopt, false)},
      // Further fields (python-can's direction), CR LF and runs of blanks are taken in stride.
      {"(1.0) can0 123#11 R", frame(1000000, "123", "11", false)},
      {"(1.0) can0 123#11 T extra\r", frame(1000000, "123", "11", false)},
      {"  (1.0)\tcan0   123#11  ", frame(1000000, "123", "11", false)},
      {"(999999999999.999999) can0 123#11", frame(999999999999999999, "123", "11", false)},
  };
  for (const auto& c : cases) {
    const auto parsed = parse_line(c.line);
    ASSERT_TRUE(parsed && *parsed) << c.line << ": " << (parsed ? "blank" : parsed.error());
    EXPECT_EQ(**parsed, c.expected) << c.line;
  }
}

TEST(ReplayLine, SkipsBlankLines) {
  for (const char* line : {"", " ", "\t  ", "\r"}) {
    const auto parsed = parse_line(line);
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_FALSE(*parsed);
  }
}

TEST(ReplayLine, RefusesWithTheReason) {
  const struct {
    const char* line;
    const char* reason;
  } cases[] = {
      {"(1.0) can0", "expected \"(TIME) INTERFACE FRAME\""},
      {"123#11", "expected \"(TIME) INTERFACE FRAME\""},
      {"1.0 can0 123#11", "invalid time \"1.0\""},
      {"() can0 123#11", "invalid time \"()\""},
      {"(1.) can0 123#11", "invalid time \"(1.)\""},
      {"(.5) can0 123#11", "invalid time \"(.5)\""},
      {"(-1.0) can0 123#11", "invalid time \"(-1.0)\""},
      {"(1.0x) can0 123#11", "invalid time \"(1.0x)\""},
      {"(1.1234567890) can0 123#11", "invalid time \"(1.1234567890)\""},
      {"(1000000000000.0) can0 123#11", "invalid time \"(1000000000000.0)\""},
      {"(1.0) can0 12311", "invalid frame \"12311\": expected ID#DATA or ID#R"},
      {"(1.0) can0 12#11",
       "invalid identifier \"12\": 3 hexadecimal digits (standard) or 8 (extended)"},
      {"(1.0) can0 0123#11",
       "invalid identifier \"0123\": 3 hexadecimal digits (standard) or 8 (extended)"},
      {"(1.0) can0 123456789#11",
       "invalid identifier \"123456789\": 3 hexadecimal digits (standard) or 8 (extended)"},
      {"(1.0) can0 12g#11",
       "invalid identifier \"12g\": 3 hexadecimal digits (standard) or 8 (extended)"},
      {"(1.0) can0 #11",
       "invalid identifier \"\": 3 hexadecimal digits (standard) or 8 (extended)"},
      {"(1.0) can0 800#11", "standard identifier 800 is above 7FF"},
      {"(1.0) can0 40000000#11", "extended identifier 40000000 is above 1FFFFFFF"},
      {"(1.0) can0 20000080#0000000000000000", "error frames cannot be replayed"},
      {"(1.0) can0 123##311223344", "CAN FD frames cannot be replayed"},
      {"(1.0) can0 123#112",
       "invalid data \"112\": an even number of hexadecimal digits, at most 16"},
      {"(1.0) can0 123#010203040506070809",
       "invalid data \"010203040506070809\": an even number of hexadecimal digits, at most 16"},
      {"(1.0) can0 123#11.22",
       "invalid data \"11.22\": an even number of hexadecimal digits, at most 16"},
      {"(1.0) can0 123#R9", "invalid remote frame length \"9\": one digit, 0 to 8"},
      {"(1.0) can0 123#R08", "invalid remote frame length \"08\": one digit, 0 to 8"},
      {"(1.0) can0 123#Rx", "invalid remote frame length \"x\": one digit, 0 to 8"},
      {"(1.0) can0 123#11\x01", "not a text line"},
      {"(1.0) can0 123#11\xff", "not a text line"},
  };
  for (const auto& c : cases) {
    const auto parsed = parse_line(c.line);
    ASSERT_FALSE(parsed) << c.line;
    EXPECT_EQ(parsed.error(), c.reason) << c.line;
  }
}

TEST(ReplayCommand, IsTheFrameCommandOfCanSend) {
  const struct {
    const char* line;
    const char* command;
  } cases[] = {
      {"(1.0) can0 123#11223344", "std 123 4 11223344 data"},
      {"(1.0) can0 7ff#aabb", "std 7ff 2 aabb data"},
      {"(1.0) can0 00000555#0102030405060708", "ext 00000555 8 0102030405060708 data"},
      {"(1.0) can0 1ABCDEF0#R", "ext 1ABCDEF0 remote"},
      {"(1.0) can0 123#R4", "std 123 remote"},
      // No data: as `can send -l 0 123 00`.
      {"(1.0) can0 123#", "std 123 0 00 data"},
  };
  for (const auto& c : cases) {
    const auto parsed = parse_line(c.line);
    ASSERT_TRUE(parsed && *parsed) << c.line;
    EXPECT_EQ(frame_command(**parsed), c.command) << c.line;
  }
}

TEST(ReplayLog, NumbersLinesAndKeepsTheInterfaceAsked) {
  const std::string text = "\n(1.0) can0 123#11\n(2.0) can1 124#22\r\n\n(3.0) can0 125#R";
  const auto all = parse_log(text, "log", std::nullopt);
  ASSERT_TRUE(all) << all.error();
  ASSERT_EQ(all->size(), 3U);
  EXPECT_EQ((*all)[0].line, 2U);
  EXPECT_EQ((*all)[1].line, 3U);
  EXPECT_EQ((*all)[2].line, 5U);
  const auto can1 = parse_log(text, "log", "can1");
  ASSERT_TRUE(can1) << can1.error();
  ASSERT_EQ(can1->size(), 1U);
  EXPECT_EQ((*can1)[0].identifier, "124");
}

TEST(ReplayLog, NamesTheFirstBadLineOrAnEmptyLog) {
  const struct {
    const char* text;
    std::optional<std::string> interface;
    const char* error;
  } cases[] = {
      {"(1.0) can0 123#11\n(2.0) can0 800#11\n(3.0) can0 x\n", std::nullopt,
       "in.log:2: standard identifier 800 is above 7FF"},
      // Lines of other interfaces are checked all the same.
      {"(1.0) can0 123#11\n(2.0) can1 800#11\n", "can0",
       "in.log:2: standard identifier 800 is above 7FF"},
      {"", std::nullopt, "in.log: no frames to replay"},
      {"\n \n", std::nullopt, "in.log: no frames to replay"},
      {"(1.0) can0 123#11\n", "can1", "in.log: no frames on interface can1"},
  };
  for (const auto& c : cases) {
    const auto parsed = parse_log(c.text, "in.log", c.interface);
    ASSERT_FALSE(parsed) << c.text;
    EXPECT_EQ(parsed.error(), c.error) << c.text;
  }
}

} // namespace
} // namespace zelkor::can::replay
