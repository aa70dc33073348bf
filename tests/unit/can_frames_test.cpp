// Frame texts cut from the CAN port's byte stream whatever the reads look like, and decoded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "can/frames.h"

namespace zelkor::can::listen {
namespace {

using Texts = std::vector<std::string>;

Texts split_reads(const std::vector<std::string>& reads) {
  FrameSplitter splitter;
  Texts texts;
  for (const auto& read : reads) {
    splitter.feed(read, [&](std::string_view text) { texts.emplace_back(text); });
  }
  return texts;
}

TEST(FrameSplitter, CutsAtLineEndsAndJoinsAcrossReads) {
  const std::string long_text(max_frame_text, 'a');
  const std::string too_long(max_frame_text + 1, 'a');
  const struct {
    const char* name;
    std::vector<std::string> reads;
    Texts texts;
  } cases[] = {
      {"one frame per read", {"123 11\r\n", "7FF 22\r\n"}, {"123 11", "7FF 22"}},
      {"several frames in one read", {"1 11\r\n2 22\r\n3 33\r\n"}, {"1 11", "2 22", "3 33"}},
      {"a frame across reads", {"12", "3 11", "22\r\n"}, {"123 1122"}},
      {"CR, LF and CR LF", {"1 11\r2 22\n3 33\r\n4 44\r"}, {"1 11", "2 22", "3 33", "4 44"}},
      {"CR LF split between reads", {"1 11\r", "\n2 22\r", "\n"}, {"1 11", "2 22"}},
      {"CR then another frame", {"1 11\r", "2 22\n"}, {"1 11", "2 22"}},
      {"line end split from its frame", {"1 11", "\r\n"}, {"1 11"}},
      {"no line end yet", {"1 11"}, {}},
      {"empty lines", {"\r\n\n\r\r\n1 11\n\n"}, {"1 11"}},
      {"LF CR is two line ends", {"1 11\n\r2 22\n"}, {"1 11", "2 22"}},
      {"the longest text", {long_text + "\r\n"}, {long_text}},
      {"the longest text across reads",
       {long_text.substr(0, 100), long_text.substr(100), "\n"},
       {long_text}},
      {"a longer text is dropped, the next kept", {too_long + "\r\n1 11\r\n"}, {"1 11"}},
      {"a longer text across reads is dropped",
       {too_long.substr(0, 200), too_long.substr(200), "\r\n1 11\r\n"},
       {"1 11"}},
      {"a longer text ending in a later read",
       {too_long, "more", " text\r", "\n1 11\r\n"},
       {"1 11"}},
      {"pending part plus tail over the limit", {long_text.substr(0, 200), long_text + "\n"}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(split_reads(c.reads), c.texts) << c.name;
  }
}

// Whatever the reads' sizes, the same texts come out.
TEST(FrameSplitter, ReadSizesDoNotMatter) {
  std::string stream;
  Texts expected;
  for (int i = 0; i < 200; ++i) {
    const std::string text =
        std::to_string(i) + " " + std::string(static_cast<size_t>(i % 17), 'F');
    expected.push_back(text);
    stream += text + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
  }
  for (std::size_t size : {1U, 2U, 3U, 7U, 64U, 1021U, 4096U}) {
    std::vector<std::string> reads;
    for (std::size_t at = 0; at < stream.size(); at += size) {
      reads.push_back(stream.substr(at, size));
    }
    EXPECT_EQ(split_reads(reads), expected) << "reads of " << size << " bytes";
  }
}

TEST(Decode, TakesTheFirstTwoFieldsOrNothing) {
  const struct {
    std::string text;
    std::optional<std::pair<std::string, std::string>> frame;
  } cases[] = {
      {"123 11223344", {{"123", "11223344"}}},
      {"123 1122 extra", {{"123", "1122"}}},
      {"123 1122 extra more", {{"123", "1122"}}},
      {"123  1122", {{"123", ""}}},
      {"123 ", {{"123", ""}}},
      {" 1122", {{"", "1122"}}},
      {"123 ü", {{"123", "ü"}}},
      {"1231122", std::nullopt},
      {"", std::nullopt},
      {"123 \xff\xfe", std::nullopt},
      {std::string("123 11\0"
                   "22",
                   9),
       std::nullopt},
  };
  for (const auto& c : cases) {
    const auto frame = decode(c.text);
    ASSERT_EQ(frame.has_value(), c.frame.has_value()) << c.text;
    if (frame) {
      EXPECT_EQ(frame->id, c.frame->first) << c.text;
      EXPECT_EQ(frame->data, c.frame->second) << c.text;
    }
  }
}

} // namespace
} // namespace zelkor::can::listen
