// The log line of a dump, byte for byte: which frames the format can carry and how.
#include <gtest/gtest.h>

#include <string>

#include "can/log_text.h"

namespace zelkor::can::log {
namespace {

WallTime at(std::int64_t micros) {
  return WallTime(std::chrono::microseconds(micros));
}

TEST(LogLine, WritesEachIdentifierAndDataShape) {
  const struct {
    listen::Frame frame;
    const char* line; // "" when the frame is left out
  } cases[] = {
      // 1 to 3 digits: a standard frame, 3 upper-case digits.
      {{"7ff", "11223344"}, "(1765000000.123456) can0 7FF#11223344\n"},
      {{"5", "aabb"}, "(1765000000.123456) can0 005#AABB\n"},
      {{"12", ""}, "(1765000000.123456) can0 012#\n"},
      {{"fff", "00"}, "(1765000000.123456) can0 FFF#00\n"},
      // 4 to 8 digits: an extended frame, 8 digits, up to 1FFFFFFF.
      {{"00000555", "01"}, "(1765000000.123456) can0 00000555#01\n"},
      {{"1234", "01"}, "(1765000000.123456) can0 00001234#01\n"},
      {{"1fffffff", "0102030405060708"}, "(1765000000.123456) can0 1FFFFFFF#0102030405060708\n"},
      {{"20000000", "01"}, ""},
      {{"123456789", "01"}, ""},
      {{"", "01"}, ""},
      {{"12g", "01"}, ""},
      {{"+12", "01"}, ""},
      {{"0x12", "01"}, ""},
      {{"ü", "01"}, ""},
      // Data: an even number of hexadecimal digits, at most 16.
      {{"123", "112"}, ""},
      {{"123", "010203040506070809"}, ""},
      {{"123", "zz"}, ""},
      {{"123", "11 22"}, ""},
  };
  for (const auto& c : cases) {
    std::string lines = "kept\n";
    const bool written = append_line(lines, c.frame, default_interface, at(1765000000123456));
    EXPECT_EQ(written, *c.line != '\0') << c.frame.id << " " << c.frame.data;
    EXPECT_EQ(lines, std::string("kept\n") + c.line) << c.frame.id << " " << c.frame.data;
  }
}

TEST(LogLine, TimeHasSixDigitsAfterTheDot) {
  const struct {
    std::int64_t micros;
    const char* text;
  } cases[] = {
      {0, "(0.000000)"},
      {1, "(0.000001)"},
      {999999, "(0.999999)"},
      {1000000, "(1.000000)"},
      {1765000000000010, "(1765000000.000010)"},
      {-5, "(0.000000)"},
  };
  for (const auto& c : cases) {
    std::string text;
    append_time(text, at(c.micros));
    EXPECT_EQ(text, c.text) << c.micros;
  }
}

TEST(LogLine, NamesTheInterfaceGiven) {
  std::string lines;
  ASSERT_TRUE(append_line(lines, {"1", "01"}, "vcan1", at(2000000)));
  EXPECT_EQ(lines, "(2.000000) vcan1 001#01\n");
}

TEST(InterfaceName, OneToFifteenCharactersWithoutSpaceSlashOrControl) {
  const struct {
    const char* name;
    bool valid;
  } cases[] = {
      {"can0", true},
      {"c", true},
      {"abcdefghijklmno", true},
      {"abcdefghijklmnop", false},
      {"", false},
      {"can 0", false},
      {"can/0", false},
      {"can\t0", false},
      {"can\x7f", false},
      {"vcan-1.x", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(is_interface_name(c.name), c.valid) << c.name;
  }
}

} // namespace
} // namespace zelkor::can::log
