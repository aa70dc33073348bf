#include "utils/chunk.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace zelkor::utils::chunk;
using namespace std::string_literals;

TEST(Chunk, AppendDropsZeroBytesButKeepsEverythingElse) {
  std::string collected = "ab";
  const std::string bytes = "c\0d\0\0e"s;
  append(collected, bytes);
  EXPECT_EQ(collected, "abcde");

  // A full buffer of data has no terminator to look for; every byte counts.
  const std::string full(256, 'x');
  std::string all;
  append(all, full);
  EXPECT_EQ(all.size(), 256U);
}

TEST(Chunk, DropTail) {
  struct Case {
    std::string text;
    std::uint64_t count;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"OK\r\n", 2, "OK"}, {"OK\r\n", 1, "OK\r"}, {"OK\r\n", 0, "OK\r\n"}, {"\n", 2, ""},
      {"ab", 2, ""},       {"", 1, ""},           {"abc", UINT64_MAX, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(drop_tail(c.text, c.count), c.expected) << c.text << " less " << c.count;
  }
}

// An answer in several packets is one answer: the tail is dropped once, at its very end.
TEST(Chunk, AnswerInPiecesLosesOnlyItsOwnTail) {
  std::string collected;
  for (const std::string piece : {"Hardware: ", "ZK-100\r", "\nCAN Mode: std\r\n"}) {
    append(collected, piece);
  }
  EXPECT_EQ(drop_tail(collected, 2), "Hardware: ZK-100\r\nCAN Mode: std");
}

TEST(Chunk, Utf8Validation) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"", true},
      {"plain ascii\r\n", true},
      {"Gr\xC3\xB6\xC3\x9F"
       "e",
       true},                     // two-byte
      {"\xE2\x82\xAC", true},     // euro sign
      {"\xF0\x9F\x98\x80", true}, // four-byte
      {"\xFF", false},
      {"\xC3", false},             // cut short
      {"\xC0\xAF", false},         // overlong
      {"\xE0\x80\xAF", false},     // overlong
      {"\xED\xA0\x80", false},     // surrogate
      {"\xF4\x90\x80\x80", false}, // past U+10FFFF
      {"\xE2\x82", false},
      {"ok\x80", false}, // stray continuation
  };
  for (const auto& c : cases) {
    EXPECT_EQ(is_utf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);
  }
}

TEST(Chunk, CharacterCountCountsCharactersNotBytes) {
  const std::vector<std::pair<std::string, std::size_t>> cases = {
      {"", 0},
      {"7FF", 3},
      {"Gr\xC3\xB6\xC3\x9F"
       "e",
       5},
      {"\xE2\x82\xAC", 1},
      {"\xF0\x9F\x98\x80!", 2},
  };
  for (const auto& [text, count] : cases) {
    EXPECT_EQ(character_count(text), count) << testing::PrintToString(text);
  }
}

TEST(Chunk, PrintableReplacesOnlyTheBadBytes) {
  EXPECT_EQ(to_printable("abc"), "abc");
  EXPECT_EQ(to_printable("a\xFF"
                         "b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(to_printable("\xC3\xB6\xC3"), "\xC3\xB6\xEF\xBF\xBD");
  EXPECT_EQ(to_printable("\xE2\x82"
                         "x"),
            "\xEF\xBF\xBD\xEF\xBF\xBD"
            "x");
}

// One rule for every path or value echoed in a message: nothing in it can reach the terminal
// as a control sequence, and text without control characters stays as typed.
TEST(Chunk, EscapedShowsControlsAndStrayBytes) {
  const struct {
    std::string bytes;
    std::string expected;
  } cases[] = {
      {"fw.bin", "fw.bin"},
      {"/tmp/a b/ü€😀\\x", "/tmp/a b/ü€😀\\x"},
      {"fw\x1b[31m.bin", "fw\\x1b[31m.bin"},
      {"a\tb\nc\rd", "a\\x09b\\x0ac\\x0dd"},
      {"nul\0end"s, "nul\\x00end"},
      {"del\x7f", "del\\x7f"},
      {"csi\xc2\x9b"
       "2J",
       "csi\\xc2\\x9b2J"},                // C1 controls, as UTF-8
      {"nbsp\xc2\xa0", "nbsp\xc2\xa0"},   // the first character past them
      {"bad\xff\xfe", "bad\\xff\\xfe"},   // bytes that are never UTF-8
      {"cut\xe2\x82", "cut\\xe2\\x82"},   // a sequence cut short
      {"over\xc0\xaf", "over\\xc0\\xaf"}, // an overlong form
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(escaped(c.bytes), c.expected) << testing::PrintToString(c.bytes);
  }
}

} // namespace
