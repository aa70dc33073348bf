// What the shells offer depends on where the cursor stands: the positional being filled, a
// value that is a file name, one that names a serial port, and nowhere else file names.

#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/tree.h"
#include "completions/generate.h"
#include "shell_run.h"

namespace zelkor {
namespace {

using testing::Contains;
using testing::IsEmpty;
using testing::Not;

constexpr std::array<std::string_view, 2> modes{"fast", "slow"};
constexpr std::array<std::string_view, 2> kinds{"x", "y"};
constexpr std::array<std::string_view, 2> states{"0", "1"};
constexpr std::array<std::string_view, 2> ports{"can", "terminal"};

struct PathTree {
  PathTree() : tree({.command = "zelkor", .display_name = "Zelkor", .version = "1"}, "about", "") {
    CLI::App& take = tree.add_command(tree.root(), "take", "Take");
    tree.choices(take.add_option("-m,--mode", mode, "Mode"), modes);
    tree.paths(take.add_option("-f,--file", file, "File"));
    tree.serial_port(take.add_option("-p,--port", port, "Port"), ports);
    take.add_option("-n,--name", name, "Name");
    tree.choices(take.add_option("kind", kind, "Kind")->required(), kinds);
    tree.choices(take.add_option("state", state, "State")->required(), states);
    tree.paths(take.add_option("input", input, "Input"));
    tree.add_command(tree.root(), "plain", "Plain");
    tree.finish();
  }
  cli::Tree tree;
  std::string mode, file, port, name, kind, state, input;
};

// Runs the shells in a folder holding one known file, so file names show up by that name.
class Positions : public testing::TestWithParam<std::string> {
protected:
  void SetUp() override {
    folder_ = testing::TempDir() + "positions-" + std::to_string(getpid()) + "-" + GetParam();
    std::filesystem::create_directories(folder_);
    std::ofstream(folder_ + "/firmware.bin") << "image";
    PathTree paths;
    std::ostringstream text;
    completions::generate(GetParam(), paths.tree, text);
    script_.emplace("positions-script." + GetParam(), text.str());
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
    script_.reset();
  }

  // What is offered, options left out (some shells list them for an empty word too).
  std::set<std::string> values(const std::string& line) const {
    std::set<std::string> out;
    for (const auto& word : test::offered(GetParam(), script_->path(), line)) {
      if (!word.starts_with('-')) {
        out.insert(word.starts_with("./") ? word.substr(2) : word);
      }
    }
    return out;
  }

  std::string folder_;
  std::optional<test::ScratchFile> script_;
  std::filesystem::path previous_;
};

TEST_P(Positions, EachPositionalOffersItsOwnValues) {
  using Set = std::set<std::string>;
  EXPECT_EQ(values("zelkor take "), (Set{"x", "y"}));
  EXPECT_EQ(values("zelkor take x "), (Set{"0", "1"}));
  EXPECT_EQ(values("zelkor take -m fast y "), (Set{"0", "1"}));
  EXPECT_EQ(values("zelkor take --name n x y "), (Set{"firmware.bin"}));
}

TEST_P(Positions, FileNamesOnlyWhereAPathIsExpected) {
  EXPECT_THAT(values("zelkor take -f "), Contains("firmware.bin"));
  EXPECT_THAT(values("zelkor take --file "), Contains("firmware.bin"));
  EXPECT_EQ(values("zelkor take --mode "), (std::set<std::string>{"fast", "slow"}));
  EXPECT_THAT(values("zelkor take --name "), IsEmpty());
  EXPECT_THAT(values("zelkor plain "), IsEmpty());
  EXPECT_THAT(values("zelkor take x 0 firmware.bin "), IsEmpty());
}

TEST_P(Positions, SerialPortsByKindAndDevicePath) {
  auto offered = values("zelkor take -p ");
  EXPECT_THAT(offered, Contains("can"));
  EXPECT_THAT(offered, Contains("terminal"));
  EXPECT_THAT(offered, Contains("/dev/tty"));
  EXPECT_THAT(offered, Not(Contains("firmware.bin")));
  EXPECT_THAT(values("zelkor take -p /dev/tt"), Contains("/dev/tty"));
}

INSTANTIATE_TEST_SUITE_P(Shells, Positions, testing::Values("bash", "fish", "zsh", "elvish"));

} // namespace
} // namespace zelkor
