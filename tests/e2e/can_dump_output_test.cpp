// `can dump` into a file: created or emptied, mode 0644 less the umask, a clear refusal when it
// cannot be opened, and a failed write reported.
#include "can_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zelkor::e2e {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class CanDumpOutput : public WithTempDir {
protected:
  // Runs a dump into `file` with `args` before it, sends two frames, waits for them in the
  // file and stops it; gives its result.
  Board::Result dump_into(Board& board, const fs::path& file, Args args) {
    args.push_back(file.string());
    auto child = start_dump(board, args);
    board.push(PortId::can, "123 11\r\n7FF 2222\r\n555 33\r\n");
    const bool written = eventually(
        [&] { return std::ranges::count(contents(file), '\n') >= lines_expected_; }, shown_within);
    EXPECT_TRUE(written) << contents(file);
    child.signal(SIGINT);
    return child.wait(exits_within);
  }

  long lines_expected_ = 4;
};

TEST_F(CanDumpOutput, AfterTheFilterListAndDashes) {
  Board board;
  const auto file = dir_ / "messages.csv";
  lines_expected_ = 3;
  const auto result = dump_into(board, file, {"-c", "-f", "123", "7FF", "--"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(contents(file), "id,len,data\n123,1,11\n7FF,2,2222\n");
}

// A shorter dump must not leave the tail of an older file behind.
TEST_F(CanDumpOutput, EmptiesAnOlderLongerFile) {
  Board board;
  const auto file = dir_ / "old.txt";
  std::ofstream(file) << std::string(10'000, 'x') << "\n";
  const auto result = dump_into(board, file, {"-c"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(contents(file), "id,len,data\n123,1,11\n7FF,2,2222\n555,1,33\n");
}

TEST_F(CanDumpOutput, CreatedWithMode0644LessTheUmask) {
  for (const mode_t mask : {mode_t{022}, mode_t{027}, mode_t{077}}) {
    Board board;
    const auto file = dir_ / ("umask" + std::to_string(mask));
    const mode_t previous = umask(mask); // inherited by the program started next
    auto child = start_dump(board, {file.string()});
    umask(previous);
    EXPECT_TRUE(eventually([&] { return !contents(file).empty(); }, shown_within));
    child.signal(SIGINT);
    EXPECT_EQ(child.wait(exits_within).status, 0);
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644 & ~mask) << "umask " << mask;
  }
}

// The path is the user's bytes, UTF-8 or not.
TEST_F(CanDumpOutput, PathIsTakenAsBytes) {
  Board board;
  const auto file = dir_ / "caf\xe9.csv";
  const auto result = dump_into(board, file, {"-c"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(contents(file), "id,len,data\n123,1,11\n7FF,2,2222\n555,1,33\n");
}

// Nothing is written, the message names the path and the reason, and the CAN port is free again.
TEST_F(CanDumpOutput, UnopenablePathIsRefused) {
  Board board;
  const auto file = dir_ / "missing" / "out.csv";
  const auto result = zelkor(board, {"can", "-n", "dump", file.string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out,
            "Could not open output file " + file.string() + ": No such file or directory\n");
  EXPECT_EQ(result.err, "");
  EXPECT_FALSE(fs::exists(file));
  const auto next = zelkor(board, {"can", "-n", "send", "123", "11"});
  EXPECT_EQ(next.status, 0) << next.out;
}

// An output that cannot be opened is found before any port is touched: no mode check on the
// terminal port, no claim of the CAN port. A FIFO nobody reads is refused at once instead of
// waiting for a reader with the CAN port held.
TEST_F(CanDumpOutput, UnopenableOutputTouchesNoPort) {
  const auto fifo = dir_ / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const auto missing = dir_ / "missing" / "out.csv";
  // Echoed with its control characters escaped, so the message cannot repaint the terminal.
  const auto painted = dir_ / "\x1b[2Jx" / "out.csv";
  const struct {
    Args can_options;
    fs::path path;
    const char* reason;
    std::string shown;
  } cases[] = {
      {{"-n"}, fifo, "No such device or address", fifo.string()},
      {{}, fifo, "No such device or address", fifo.string()},
      {{}, missing, "No such file or directory", missing.string()},
      {{"-n"}, painted, "No such file or directory", dir_.string() + "/\\x1b[2Jx/out.csv"},
  };
  for (const auto& c : cases) {
    Board board({.default_firmware = true});
    Args args{"can"};
    args.insert(args.end(), c.can_options.begin(), c.can_options.end());
    args.insert(args.end(), {"dump", c.path.string()});
    const auto result = zelkor(board, args, 5s);
    EXPECT_EQ(result.status, 1) << joined(args);
    EXPECT_EQ(result.out, "Could not open output file " + c.shown + ": " + c.reason + "\n");
    EXPECT_EQ(terminal_traffic(board, ""), "") << joined(args);
    EXPECT_EQ(board.received(PortId::can), "") << joined(args);
  }
}

// Reported on standard output, as the refusal to open is.
TEST_F(CanDumpOutput, FailedWriteIsReported) {
  Board board;
  const auto result = zelkor(board, {"can", "-n", "dump", "/dev/full"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "Could not write to output file /dev/full: No space left on device\n");
  EXPECT_EQ(result.err, "");
}

// An unplugged board: the file keeps every frame, standard output gets the two line breaks.
TEST_F(CanDumpOutput, UnplugKeepsTheFramesInTheFile) {
  Board board;
  const auto file = dir_ / "unplug.csv";
  auto child = start_dump(board, {"-c", file.string()});
  board.push(PortId::can, "1 11\r\n");
  EXPECT_TRUE(eventually([&] { return contents(file) == "id,len,data\n1,1,11\n"; }, shown_within));
  board.unplug();
  const auto result = child.wait(exits_within);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "\n\n");
  EXPECT_EQ(contents(file), "id,len,data\n1,1,11\n");
}

// Standard output that cannot be written: a full device fails at the header with the reason on
// standard error; a reader already gone ends the dump at once, quietly. Either way the status
// is 1 and the CAN port is free again.
TEST(CanDumpStdout, UnwritableOutputEndsTheDump) {
  const struct {
    const char* where;
    const char* err;
  } cases[] = {
      {"full", "zelkor: cannot write output: No space left on device\n"},
      {"closed-pipe", ""},
  };
  for (const auto& c : cases) {
    Board board;
    const auto result =
        board.run({WITH_STDOUT_BINARY, c.where, ZELKOR_BINARY, "can", "-n", "dump"}, 10s);
    EXPECT_EQ(result.status, 1) << c.where;
    EXPECT_EQ(result.err, c.err) << c.where;
    EXPECT_EQ(zelkor(board, {"can", "-n", "send", "123", "11"}).status, 0) << c.where;
  }
}

// `zelkor can dump | head -c 5`: the dump ends once its reader leaves, without waiting for the
// next frame. A dump that stays is ended by timeout(1) ("status 124").
TEST(CanDumpStdout, ReaderThatLeavesEndsItAtOnce) {
  Board board;
  auto child = board.spawn(
      {"sh", "-c", R"({ timeout 15 "$0" can -n dump -c; echo "status $?" >&2; } | head -c 12)",
       ZELKOR_BINARY});
  const auto result = child.wait(10s);
  EXPECT_EQ(result.out, "id,len,data\n");
  EXPECT_EQ(result.err, "status 1\n");
  EXPECT_EQ(result.status, 0);
}

} // namespace
} // namespace zelkor::e2e
