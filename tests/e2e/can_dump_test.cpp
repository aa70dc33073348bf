// `can dump` as a running process: formats, filters, frames cut from the stream however they
// arrive, Ctrl-C and unplug.
#include "can_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <regex>
#include <string>

namespace zelkor::e2e {
namespace {

const std::string columns_header = "      id [l]             data\n";

// Stops the dump and checks it ended well, having written exactly `expected`.
void ends_with_ctrl_c(sim::Child& child, const std::string& expected) {
  child.signal(SIGINT);
  const auto result = child.wait(exits_within);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, expected);
  EXPECT_EQ(result.err, "");
}

struct FormatCase {
  const char* name;
  Args args;
  std::string header;
  // The lines for "123 11223344" and "123456789 0102030405060708AA" (wider than their columns),
  // with DELTA where the delta goes.
  std::string lines;
};

void PrintTo(const FormatCase& param, std::ostream* out) {
  *out << param.name;
}

class CanDumpFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(CanDumpFormat, HeaderAndLinesExactly) {
  const auto& param = GetParam();
  Board board;
  auto child = start_dump(board, param.args);
  ASSERT_TRUE(shows(child, param.header));
  board.push(PortId::can, "123 11223344\r\n123456789 0102030405060708AA\r\n");
  const bool some =
      eventually([&] { return std::ranges::count(child.out_so_far(), '\n') == 3; }, shown_within);
  EXPECT_TRUE(some) << child.out_so_far();
  child.signal(SIGINT);
  const auto result = child.wait(exits_within);
  EXPECT_EQ(result.status, 0);
  // Deltas vary: each one must be a number in its place, in the layout's own notation.
  std::string pattern = param.header + param.lines;
  pattern = std::regex_replace(pattern, std::regex(R"([\[\]])"), R"(\$&)");
  pattern =
      std::regex_replace(pattern, std::regex("DELTA6"), R"((?=[ ]*[0-9]+\.[0-9]{6}\n)[ 0-9.]{16})");
  pattern = std::regex_replace(pattern, std::regex("DELTA"), R"([0-9]+(\.[0-9]+)?)");
  EXPECT_TRUE(std::regex_match(result.out, std::regex(pattern)))
      << testing::PrintToString(result.out) << "\ndoes not match\n"
      << pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Can, CanDumpFormat,
    ::testing::Values(
        FormatCase{"columns",
                   {},
                   columns_header,
                   "     123 [4]         11223344\n123456789 [9] 0102030405060708AA\n"},
        FormatCase{"columns_delta",
                   {"-d"},
                   "      id [l]             data            delta\n",
                   "     123 [4]         11223344 DELTA6\n"
                   "123456789 [9] 0102030405060708AA DELTA6\n"},
        FormatCase{
            "csv", {"-c"}, "id,len,data\n", "123,4,11223344\n123456789,9,0102030405060708AA\n"},
        FormatCase{"csv_delta",
                   {"--csv", "--delta"},
                   "id,len,data,delta\n",
                   "123,4,11223344,DELTA\n123456789,9,0102030405060708AA,DELTA\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CanDumpFrames, DecodesFieldsAndSkipsWhatIsNoFrame) {
  Board board;
  auto child = start_dump(board, {"-c"});
  ASSERT_TRUE(shows(child, "id,len,data\n"));
  std::string expected = "id,len,data\n";
  const struct {
    std::string bytes;
    std::string lines;
  } steps[] = {
      {"123 1122 extra\r\n", "123,2,1122\n"},
      {"123 112\r\n", "123,1,112\n"},
      {"123  1122\r\n", "123,0,\n"},
      // Several frames in one read, each with its line.
      {"1 11\r\n2 22\r\n3 33\r\n", "1,1,11\n2,1,22\n3,1,33\n"},
      // Every kind of line end.
      {"4 44\r5 55\n6 66\r\n", "4,1,44\n5,1,55\n6,1,66\n"},
      // Texts that cannot be frames are skipped and the dump goes on.
      {"nospace\r\n\xff\xfe 11\r\n" + std::string(300, 'A') + " 11\r\n7 77\r\n", "7,1,77\n"},
  };
  for (const auto& step : steps) {
    board.push(PortId::can, step.bytes);
    expected += step.lines;
    shows(child, expected);
  }
  ends_with_ctrl_c(child, expected);
}

// A frame split across reads is joined, however the split falls.
TEST(CanDumpFrames, JoinsAFrameAcrossReads) {
  Board board;
  auto child = start_dump(board, {"-c"});
  ASSERT_TRUE(shows(child, "id,len,data\n"));
  std::string expected = "id,len,data\n";
  for (const std::vector<std::string>& pieces :
       {std::vector<std::string>{"12", "3 1122\r\n"},
        {"123 11", "22\r", "\n"},
        {"123 1122", "\r\n"},
        {"1", "2", "3", " ", "1", "1", "2", "2", "\r", "\n"}}) {
    for (const auto& piece : pieces) {
      board.push(PortId::can, piece);
      std::this_thread::sleep_for(30ms); // each piece its own read
    }
    expected += "123,2,1122\n";
    shows(child, expected);
  }
  ends_with_ctrl_c(child, expected);
}

TEST(CanDumpFrames, BurstOfTenThousandLosesNone) {
  Board board;
  auto child = start_dump(board, {"-c"});
  ASSERT_TRUE(shows(child, "id,len,data\n"));
  board.pour(PortId::can, 10'000);
  const std::string expected = "id,len,data\n" + poured_csv(0, 10'000);
  const bool all = eventually([&] { return child.out_so_far().size() >= expected.size(); }, 30s);
  EXPECT_TRUE(all) << child.out_so_far().size() << " of " << expected.size() << " bytes";
  child.signal(SIGINT);
  const auto result = child.wait(exits_within);
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(result.out == expected) << "the output differs from the 10000 frames sent";
}

struct FilterCase {
  const char* name;
  Args args;
  std::string lines; // for frames 7FF, 7ff, 123, 0123, 555
};

void PrintTo(const FilterCase& param, std::ostream* out) {
  *out << param.name;
}

class CanDumpFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(CanDumpFilter, KeepsWholeExactIdentifiers) {
  const auto& param = GetParam();
  Board board;
  auto child = start_dump(board, param.args);
  ASSERT_TRUE(shows(child, "id,len,data\n"));
  board.push(PortId::can, "7FF 01\r\n7ff 02\r\n123 03\r\n0123 04\r\n555 05\r\n");
  // A last frame that every filter keeps shows that all before it were handled.
  board.push(PortId::can, "END 00\r\n");
  const std::string expected = "id,len,data\n" + param.lines + "END,1,00\n";
  shows(child, expected);
  ends_with_ctrl_c(child, expected);
}

const std::string all_five = "7FF,1,01\n7ff,1,02\n123,1,03\n0123,1,04\n555,1,05\n";

INSTANTIATE_TEST_SUITE_P(
    Can, CanDumpFilter,
    ::testing::Values(FilterCase{"no_filter", {"-c"}, all_five},
                      FilterCase{"bare_filter", {"-c", "-f"}, all_five},
                      FilterCase{"bare_filter_last", {"-f", "-c"}, all_five},
                      FilterCase{"list", {"-c", "-f", "7FF", "123", "END"}, "7FF,1,01\n123,1,03\n"},
                      FilterCase{"repeated",
                                 {"-f", "7FF", "-c", "--filter", "0123", "-f", "END"},
                                 "7FF,1,01\n0123,1,04\n"},
                      FilterCase{"list_then_output_after_dashes",
                                 {"-c", "-f", "555", "END", "--"},
                                 "555,1,05\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// The delta is the real time since the header, then between the reads of two frames (its rules
// are unit-tested). The second frame is sent 300 ms after the first was shown, so it cannot be
// read sooner after it; the first comes at once, so 10 s only catches a wrong reference.
TEST(CanDumpDelta, IsTheTimeBetweenFrames) {
  Board board;
  auto child = start_dump(board, {"-c", "-d"});
  ASSERT_TRUE(shows(child, "id,len,data,delta\n"));
  board.push(PortId::can, "1 11\r\n");
  eventually([&] { return std::ranges::count(child.out_so_far(), '\n') == 2; }, shown_within);
  std::this_thread::sleep_for(300ms);
  board.push(PortId::can, "2 22\r\n");
  eventually([&] { return std::ranges::count(child.out_so_far(), '\n') == 3; }, shown_within);
  child.signal(SIGINT);
  const auto result = child.wait(exits_within);
  std::smatch match;
  ASSERT_TRUE(std::regex_match(
      result.out, match, std::regex("id,len,data,delta\n1,1,11,([0-9.]+)\n2,1,22,([0-9.]+)\n")))
      << result.out;
  EXPECT_LT(std::stod(match[1]), 10);
  EXPECT_GE(std::stod(match[2]), 0.3);
}

// A quiet bus: the header alone until Ctrl-C, which ends the dump at once with status 0.
TEST(CanDumpEnd, CtrlCOnAQuietBus) {
  Board board;
  auto child = start_dump(board, {});
  ASSERT_TRUE(shows(child, columns_header));
  ends_with_ctrl_c(child, columns_header);
}

// A board that goes away: every frame received is written, then "\n\n", and status 1.
TEST(CanDumpEnd, UnplugWritesWhatCameThenFails) {
  Board board;
  auto child = start_dump(board, {"-c"});
  ASSERT_TRUE(shows(child, "id,len,data\n"));
  board.push(PortId::can, "1 11\r\n2 22\r\n");
  shows(child, "id,len,data\n1,1,11\n2,1,22\n");
  board.unplug();
  const auto result = child.wait(exits_within);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "id,len,data\n1,1,11\n2,1,22\n\n\n");
}

TEST(CanDumpEnd, NoPortNoHeader) {
  Board board({.topology = sim::Topology::one_port});
  const auto result = zelkor(board, {"can", "-n", "dump"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, one_port_found + "\n");
}

} // namespace
} // namespace zelkor::e2e
