// The dump's header and lines, byte for byte, the identifier filter, and its messages about
// the output file.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "can/dump_text.h"

namespace zelkor::can::listen {
namespace {

constexpr Layout columns{.csv = false, .delta = false};
constexpr Layout columns_delta{.csv = false, .delta = true};
constexpr Layout csv{.csv = true, .delta = false};
constexpr Layout csv_delta{.csv = true, .delta = true};

TEST(DumpHeader, MatchesEachLayout) {
  EXPECT_EQ(header(columns), "      id [l]             data\n");
  EXPECT_EQ(header(columns_delta), "      id [l]             data            delta\n");
  EXPECT_EQ(header(csv), "id,len,data\n");
  EXPECT_EQ(header(csv_delta), "id,len,data,delta\n");
}

TEST(DumpLine, LaysOutEachFrame) {
  const struct {
    Frame frame;
    float delta;
    Layout layout;
    const char* line;
  } cases[] = {
      {{"123", "11223344"}, 0, columns, "     123 [4]         11223344\n"},
      {{"123", "11223344"}, 0, csv, "123,4,11223344\n"},
      {{"123", "11223344"}, 1.5F, csv_delta, "123,4,11223344,1.5\n"},
      {{"123", "11223344"},
       1.5F,
       columns_delta,
       "     123 [4]         11223344         1.500000\n"},
      // The delta rounds to the nearest six decimals of the single-precision value.
      {{"1", "00"}, 0.0012345F, columns_delta, "       1 [1]               00         0.001234\n"},
      {{"1", "00"}, 0.0012345F, csv_delta, "1,1,00,0.0012345\n"},
      {{"1", "00"}, 1.0F, csv_delta, "1,1,00,1\n"},
      {{"1", "00"}, 0.0F, csv_delta, "1,1,00,0\n"},
      // The length is the data's bytes over two, remainder dropped; an empty data field is 0.
      {{"123", "112"}, 0, csv, "123,1,112\n"},
      {{"123", ""}, 0, columns, "     123 [0]                 \n"},
      // Wider values are written whole.
      {{"123456789", "0102030405060708AA"}, 0, columns, "123456789 [9] 0102030405060708AA\n"},
      {{"12345678", "0102030405060708"}, 0, columns, "12345678 [8] 0102030405060708\n"},
      {{"1", "00"},
       123456789.0F,
       columns_delta,
       "       1 [1]               00 123456792.000000\n"},
      {{"1", "00"},
       1234567890.0F,
       columns_delta,
       "       1 [1]               00 1234567936.000000\n"},
      // Widths count characters: "ü" is one wide, though two bytes.
      {{"ü", "ü"}, 0, columns, "       ü [1]                ü\n"},
  };
  for (const auto& c : cases) {
    std::string lines;
    append_line(lines, c.frame, c.delta, c.layout);
    EXPECT_EQ(lines, c.line) << c.frame.id << " " << c.frame.data << " " << c.delta;
  }
}

TEST(DumpLine, AppendsToWhatIsThere) {
  std::string lines;
  append_line(lines, {"1", "11"}, 0, csv);
  append_line(lines, {"2", "2222"}, 0, csv);
  EXPECT_EQ(lines, "1,1,11\n2,2,2222\n");
}

TEST(ShortestDecimal, ReadsBackAsTheSameValueWithoutExponent) {
  const struct {
    float seconds;
    const char* text;
  } cases[] = {
      {1.0F, "1"},
      {0.5F, "0.5"},
      {0.1F, "0.1"},
      {0.000001F, "0.000001"},
      {1e-10F, "0.0000000001"},
      {16777216.0F, "16777216"},
      {1e10F, "10000000000"},
      {123.456F, "123.456"},
      {std::numeric_limits<float>::denorm_min(), "0.000000000000000000000000000000000000000000001"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(shortest_decimal(c.seconds), c.text);
  }
}

TEST(Filter, ComparesWholeIdentifiersExactly) {
  const std::vector<std::string> ids{"7FF", "123"};
  const struct {
    std::vector<std::string> filter;
    const char* id;
    bool kept;
  } cases[] = {
      {{}, "anything", true}, {ids, "7FF", true},   {ids, "123", true},
      {ids, "7ff", false},    {ids, "0123", false}, {ids, "12", false},
      {ids, "1234", false},   {ids, "", false},     {{"0x7FF"}, "7FF", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(keeps(c.filter, c.id), c.kept) << c.id;
  }
}

// The path as `update` shows paths: the user's bytes, but printable.
TEST(OutputFileMessages, NameThePathAndTheCause) {
  const auto missing = std::make_error_code(std::errc::no_such_file_or_directory);
  const auto full = std::make_error_code(std::errc::no_space_on_device);
  EXPECT_EQ(cannot_open("/tmp/x/out.csv", missing),
            "Could not open output file /tmp/x/out.csv: No such file or directory");
  EXPECT_EQ(cannot_write("/dev/full", full),
            "Could not write to output file /dev/full: No space left on device");
  EXPECT_EQ(cannot_open("caf\xe9.csv", missing),
            "Could not open output file caf\uFFFD.csv: No such file or directory");
  EXPECT_EQ(cannot_write("caf\xe9.csv", full),
            "Could not write to output file caf\uFFFD.csv: No space left on device");
}

} // namespace
} // namespace zelkor::can::listen
