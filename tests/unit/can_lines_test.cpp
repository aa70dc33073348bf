// The dump's lines from received bytes and the instants they were read: which frames show, and
// what each delta counts from.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "can/lines.h"

namespace zelkor::can::listen {
namespace {

using namespace std::chrono_literals;

constexpr Layout csv_delta{.csv = true, .delta = true};

struct Read {
  std::string bytes;
  std::chrono::milliseconds at; // after the header was written
};

TEST(DumpLines, DeltaAndFilterRules) {
  const struct {
    const char* name;
    std::vector<std::string> filter;
    std::vector<Read> reads;
    std::string lines;
  } cases[] = {
      {"first frame counts from the header", {}, {{"1 11\r\n", 250ms}}, "1,1,11,0.25\n"},
      {"whole seconds count", {}, {{"1 11\r\n", 1500ms}}, "1,1,11,1.5\n"},
      {"each frame counts from the one before",
       {},
       {{"1 11\r\n", 1000ms}, {"2 22\r\n", 1250ms}, {"3 33\r\n", 3750ms}},
       "1,1,11,1\n2,1,22,0.25\n3,1,33,2.5\n"},
      {"frames of one read share its instant",
       {},
       {{"1 11\r\n2 22\r\n", 500ms}},
       "1,1,11,0.5\n2,1,22,0\n"},
      {"a filtered-out frame restarts the delta",
       {"1"},
       {{"1 11\r\n", 1000ms}, {"2 22\r\n", 1400ms}, {"1 33\r\n", 1420ms}},
       "1,1,11,1\n1,1,33,0.02\n"},
      {"the first shown frame counts from a filtered-out one",
       {"1"},
       {{"2 22\r\n", 1000ms}, {"1 11\r\n", 3000ms}},
       "1,1,11,2\n"},
      {"quiet time is counted, however long",
       {},
       {{"1 11\r\n", 0ms}, {"2 22\r\n", 3'600'000ms}},
       "1,1,11,0\n2,1,22,3600\n"},
      {"reads of no frame leave the reference",
       {},
       {{"noise\r\n", 500ms}, {"1 1", 800ms}, {"1\r\n", 2000ms}},
       "1,1,11,2\n"},
  };
  for (const auto& c : cases) {
    const auto start = Clock::time_point{} + 12345s;
    Lines lines(c.filter, csv_delta, start);
    std::string shown;
    for (const auto& read : c.reads) {
      shown += lines.take(read.bytes, start + read.at);
    }
    EXPECT_EQ(shown, c.lines) << c.name;
  }
}

// The text of a read is its own: the lines of earlier reads are not given again.
TEST(DumpLines, EachReadGivesOnlyItsLines) {
  const auto start = Clock::time_point{};
  Lines lines({}, {.csv = true, .delta = false}, start);
  EXPECT_EQ(lines.take("1 11\r\n", start), "1,1,11\n");
  EXPECT_EQ(lines.take("2 2", start), "");
  EXPECT_EQ(lines.take("2\r\n", start), "2,1,22\n");
}

// A log line carries the wall time of the read that completed its frame, however the reads cut
// the frames, and the interface it was given.
TEST(DumpLines, LogLinesTakeTheirReadsWallTime) {
  const auto start = Clock::time_point{};
  const auto wall = [](std::chrono::microseconds since_epoch) {
    return log::WallTime(since_epoch);
  };
  Lines lines({}, {.log = true}, start, "vcan1");
  EXPECT_EQ(lines.take("1 11\r\n2 2", start, wall(1s)), "(1.000000) vcan1 001#11\n");
  EXPECT_EQ(lines.take("2\r\n3 33\r\n", start, wall(2500ms)),
            "(2.500000) vcan1 002#22\n(2.500000) vcan1 003#33\n");
}

} // namespace
} // namespace zelkor::can::listen
