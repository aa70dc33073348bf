// `can dump -L`: the log lines as CAN tools read them back (python-can, can-utils), the round
// trip through `can replay`, and `--count` and `--idle` ending a dump in every layout.
#include "can_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

namespace zelkor::e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* debian_python = "/usr/bin/python3";

// Frames as the controller reports them, one of each shape the log writes.
const std::string shapes = "123 11223344\r\n1abcdef0 0102030405060708\r\n7ff \r\n5 aa\r\n"
                           "00000555 00\r\n";
// The same frames as log lines, without their times.
const std::string shapes_logged = " can0 123#11223344\n"
                                  " can0 1ABCDEF0#0102030405060708\n"
                                  " can0 7FF#\n"
                                  " can0 005#AA\n"
                                  " can0 00000555#00\n";

std::string contents(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

double wall_seconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// The log lines less their times, and the times, checked to be "(S.UUUUUU)".
std::pair<std::string, std::vector<double>> untimed(const std::string& log) {
  std::string rest;
  std::vector<double> times;
  const std::regex line(R"(\(([0-9]+\.[0-9]{6})\)( [^\n]*\n))");
  for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator();
       ++it) {
    times.push_back(std::stod((*it)[1]));
    rest += (*it)[2];
  }
  return {rest, times};
}

class CanDumpLog : public WithTempDir {
protected:
  // Dumps `bytes` from the board into a log file with `args`; gives the file's path and the
  // wall clock before the frames were sent and after they were written.
  fs::path record(Board& board, const std::string& bytes, long lines, Args args = {}) {
    const auto file = dir_ / "bus.log";
    args.insert(args.begin(), "-L");
    args.push_back(file.string());
    auto child = start_dump(board, args);
    before_ = wall_seconds();
    board.push(PortId::can, bytes);
    const bool written =
        eventually([&] { return std::ranges::count(contents(file), '\n') >= lines; }, shown_within);
    EXPECT_TRUE(written) << contents(file);
    after_ = wall_seconds();
    child.signal(SIGINT);
    result_ = child.wait(exits_within);
    return file;
  }

  double before_ = 0;
  double after_ = 0;
  Board::Result result_;
};

TEST_F(CanDumpLog, OneLinePerFrameAtTheWallClock) {
  Board board;
  // Frames the format cannot carry are left out and counted.
  const auto file = record(board, shapes + "800 112\r\n20000000 11\r\n123 zz\r\n", 5);
  EXPECT_EQ(result_.status, 0);
  EXPECT_EQ(result_.out, "");
  EXPECT_EQ(result_.err, "zelkor: 3 frames could not be written in the log format\n");
  const auto [lines, times] = untimed(contents(file));
  EXPECT_EQ(lines, shapes_logged);
  ASSERT_EQ(times.size(), 5U);
  EXPECT_TRUE(std::ranges::is_sorted(times));
  EXPECT_GE(times.front(), before_ - 1);
  EXPECT_LE(times.back(), after_ + 1);
}

TEST_F(CanDumpLog, InterfaceNameAndFilter) {
  Board board;
  const auto file = record(board, shapes, 1, {"--interface", "vcan1", "-f", "5", "--"});
  EXPECT_EQ(result_.status, 0);
  EXPECT_EQ(result_.err, "");
  EXPECT_EQ(untimed(contents(file)).first, " vcan1 005#AA\n");
}

// python-can and can-utils read every frame's identifier, extended flag, length and data.
TEST_F(CanDumpLog, ReadBackByCanTools) {
  Board board;
  const auto file = record(board, shapes, 5);
  ASSERT_EQ(result_.status, 0);
  const auto python = board.run(
      {debian_python, "-c",
       "import can, sys\n"
       "for m in can.LogReader(sys.argv[1]):\n"
       "    print(f'{m.timestamp:.6f} {m.channel} {m.arbitration_id:X} {m.is_extended_id} "
       "{m.dlc} {m.data.hex()}')\n",
       file.string()});
  ASSERT_EQ(python.status, 0) << python.err;
  const auto [lines, times] = untimed(contents(file));
  std::string expected;
  const char* frames[] = {"can0 123 False 4 11223344", "can0 1ABCDEF0 True 8 0102030405060708",
                          "can0 7FF False 0 ", "can0 5 False 1 aa", "can0 555 True 1 00"};
  for (std::size_t i = 0; i < times.size(); ++i) {
    expected += fmt::format("{:.6f} {}\n", times[i], frames[i]);
  }
  EXPECT_EQ(python.out, expected);

  const auto long_form =
      board.run({"sh", "-c", "log2long < \"$1\" | cut -c20-", "-", file.string()});
  EXPECT_EQ(long_form.out, "  can0       123   [4]  11 22 33 44               '.\"3D'\n"
                           "  can0  1ABCDEF0   [8]  01 02 03 04 05 06 07 08   '........'\n"
                           "  can0       7FF   [0]                            ''\n"
                           "  can0       005   [1]  AA                        '.'\n"
                           "  can0  00000555   [1]  00                        '.'\n");
  const auto asc =
      board.run({"sh", "-c", "log2asc -I \"$1\" can0 | tail -n 5 | cut -c12-", "-", file.string()});
  EXPECT_EQ(asc.out, " 1  123             Rx   d 4 11 22 33 44\n"
                     " 1  1ABCDEF0x       Rx   d 8 01 02 03 04 05 06 07 08\n"
                     " 1  7FF             Rx   d 0\n"
                     " 1  5               Rx   d 1 AA\n"
                     " 1  555x            Rx   d 1 00\n");
}

// What a dump recorded replays as the frame commands for the same frames.
TEST_F(CanDumpLog, RoundTripThroughReplay) {
  constexpr std::size_t frames = 300;
  Board board;
  const auto file = dir_ / "poured.log";
  auto child = start_dump(board, {"-L", "--count", std::to_string(frames), file.string()});
  board.pour(PortId::can, frames);
  const auto dumped = child.wait(30s);
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  std::string expected;
  for (std::size_t i = 0; i < frames; ++i) {
    expected += fmt::format("std {:03X} 8 {:016X} data", i % 0x800, i);
  }
  Board other;
  const auto replayed = zelkor(other, {"can", "-n", "replay", "-t", file.string()});
  EXPECT_EQ(replayed.out, fmt::format("Sent {} frames\n", frames));
  EXPECT_TRUE(other.wait_received(PortId::can, expected, 5s));
  std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(other.received(PortId::can) == expected) << "the commands differ from the frames";
}

struct CountCase {
  const char* name;
  Args args;
  std::string out; // for frames 1 11, 2 22, 3 33, 4 44 in one read; TIME where a time goes
};

void PrintTo(const CountCase& param, std::ostream* out) {
  *out << param.name;
}

class CanDumpCount : public ::testing::TestWithParam<CountCase> {};

// The dump ends by itself after the count, with the frames of the same read past it dropped.
TEST_P(CanDumpCount, EndsAfterTheWrittenFrames) {
  const auto& param = GetParam();
  Board board;
  Args args{"--count", "2"};
  args.insert(args.end(), param.args.begin(), param.args.end());
  args.insert(args.end(), {"-f", "1", "3", "4"});
  auto child = start_dump(board, args);
  board.push(PortId::can, "1 11\r\n2 22\r\n3 33\r\n4 44\r\n");
  const auto result = child.wait(exits_within);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const std::string pattern =
      std::regex_replace(param.out, std::regex(R"([\[\]\(\)\.])"), R"(\$&)");
  EXPECT_TRUE(std::regex_match(
      result.out, std::regex(std::regex_replace(pattern, std::regex("TIME"), "[0-9.]+"))))
      << result.out;
}

INSTANTIATE_TEST_SUITE_P(
    Can, CanDumpCount,
    ::testing::Values(
        CountCase{"columns",
                  {},
                  "      id [l]             data\n       1 [1]               11\n"
                  "       3 [1]               33\n"},
        CountCase{"csv_delta", {"-c", "-d"}, "id,len,data,delta\n1,1,11,TIME\n3,1,33,TIME\n"},
        CountCase{"log", {"-L"}, "(TIME) can0 001#11\n(TIME) can0 003#33\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// --idle ends a dump once no frame has come for its time, not while frames keep coming.
TEST(CanDumpIdle, EndsOnceTheBusIsQuiet) {
  for (const Args& layout : {Args{}, Args{"-c"}, Args{"-L"}}) {
    Board board;
    Args args{"--idle", "700"};
    args.insert(args.end(), layout.begin(), layout.end());
    board.stream(PortId::can, {"123 11\r\n"}, 100ms);
    auto child = start_dump(board, args);
    // Frames every 100 ms keep it running well past its idle time.
    EXPECT_FALSE(child.wait_exit(1500ms)) << joined(args);
    board.stream(PortId::can, {}, 100ms);
    const auto quiet = std::chrono::steady_clock::now();
    const auto result = child.wait(exits_within);
    EXPECT_GE(std::chrono::steady_clock::now() - quiet, 600ms) << joined(args);
    EXPECT_EQ(result.status, 0) << joined(args);
    EXPECT_EQ(result.err, "") << joined(args);
    EXPECT_THAT(result.out, ::testing::HasSubstr("11\n")) << joined(args);
  }
}

} // namespace
} // namespace zelkor::e2e
