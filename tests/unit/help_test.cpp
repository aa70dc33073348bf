// Every level's help pages against a stored copy at a fixed width, and against the tree's own
// texts. A grammar change shows up here as a changed page to look at: regenerate the copies
// with ZELKOR_UPDATE_SNAPSHOTS=1 build/release/tests/unit_tests --gtest_filter='HelpPages.*'
// and review the difference before committing it.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/help.h"
#include "cli/names.h"
#include "grammar.h"
#include "utils/unique_fd.h"

namespace zelkor {
namespace {

using testing::HasSubstr;

constexpr std::size_t snapshot_width = 100;

// Calls `visit` for the root and every level below it, parents first.
void for_each_level(const CLI::App& app, const std::function<void(const CLI::App&)>& visit) {
  visit(app);
  for (const CLI::App* sub : cli::subcommands(app)) {
    for_each_level(*sub, visit);
  }
}

// Both pages of a level as the user asks for them, in one file per level.
std::string pages(const cli::Tree& tree, const CLI::App& level, std::size_t width) {
  const auto line = cli::command_line_of(level);
  return fmt::format("$ {} -h\n{}\n$ {} --help\n{}", line,
                     cli::help(tree, level, cli::HelpForm::Short, width), line,
                     cli::help(tree, level, cli::HelpForm::Long, width));
}

std::filesystem::path snapshot_of(const CLI::App& level) {
  return std::filesystem::path(HELP_SNAPSHOTS) /
         (fmt::format("{}", fmt::join(cli::path_of(level), "_")) + ".txt");
}

std::string read(const std::filesystem::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(HelpPages, MatchTheirSnapshots) {
  const bool update = std::getenv("ZELKOR_UPDATE_SNAPSHOTS") != nullptr;
  Grammar grammar;
  std::set<std::filesystem::path> expected;
  for_each_level(grammar.tree.root(), [&](const CLI::App& level) {
    const auto path = snapshot_of(level);
    expected.insert(path);
    const auto page = pages(grammar.tree, level, snapshot_width);
    if (update) {
      std::ofstream(path) << page;
      return;
    }
    ASSERT_TRUE(std::filesystem::exists(path))
        << path << " is missing: regenerate the snapshots (ZELKOR_UPDATE_SNAPSHOTS=1)";
    EXPECT_EQ(page, read(path)) << "for " << path
                                << "; after a wanted change regenerate the snapshots "
                                   "(ZELKOR_UPDATE_SNAPSHOTS=1)";
  });
  for (const auto& entry : std::filesystem::directory_iterator(HELP_SNAPSHOTS)) {
    if (update && !expected.contains(entry.path())) {
      std::filesystem::remove(entry.path());
    } else {
      EXPECT_TRUE(expected.contains(entry.path())) << entry.path() << " names no level";
    }
  }
}

// Wide enough that nothing wraps, each of the tree's texts stands in its page word for word.
TEST(HelpPages, CarryEveryTextOfTheTree) {
  Grammar grammar;
  const cli::Tree& tree = grammar.tree;
  for_each_level(tree.root(), [&](const CLI::App& level) {
    const auto short_page = cli::help(tree, level, cli::HelpForm::Short, 10000);
    const auto long_page = cli::help(tree, level, cli::HelpForm::Long, 10000);
    const auto where = cli::command_line_of(level);
    EXPECT_THAT(short_page, HasSubstr(tree.about(level) + "\n\nUsage: ")) << where;
    EXPECT_THAT(long_page, HasSubstr(tree.long_about(level) + "\n\nUsage: ")) << where;
    for (const CLI::App* sub : cli::subcommands(level)) {
      EXPECT_THAT(short_page, HasSubstr("  " + tree.about(*sub) + "\n")) << where;
    }
    for (const CLI::Option* option : level.get_options()) {
      if (option == level.get_help_all_ptr()) {
        continue;
      }
      EXPECT_THAT(short_page, HasSubstr("  " + option->get_description())) << where;
      // A long help of several paragraphs is indented to its column line by line.
      std::istringstream paragraphs(tree.long_help(*option));
      for (std::string line; std::getline(paragraphs, line);) {
        EXPECT_THAT(long_page, HasSubstr(line.empty() ? "\n\n" : "  " + line)) << where;
      }
    }
  });
}

TEST(HelpPages, NoLineReachesPastTheWidth) {
  Grammar grammar;
  for (const std::size_t width : {100, 80, 60}) {
    for_each_level(grammar.tree.root(), [&](const CLI::App& level) {
      std::istringstream page(pages(grammar.tree, level, width));
      for (std::string line; std::getline(page, line);) {
        // A single word longer than the room left keeps its line.
        const bool one_word = line.find(' ', line.find_first_not_of(' ')) == std::string::npos;
        EXPECT_TRUE(line.size() <= width || one_word) << width << ": " << line;
      }
    });
  }
}

// Standard output on a terminal 61 columns wide: help is wrapped to it; elsewhere, 100.
TEST(HelpPages, WidthIsTheTerminalsWhenThereIsOne) {
  utils::UniqueFd controller(posix_openpt(O_RDWR | O_NOCTTY));
  ASSERT_TRUE(controller.get() >= 0 && grantpt(controller.get()) == 0 &&
              unlockpt(controller.get()) == 0);
  utils::UniqueFd terminal(open(ptsname(controller.get()), O_RDWR | O_NOCTTY));
  ASSERT_GE(terminal.get(), 0);
  winsize size{.ws_row = 24, .ws_col = 61, .ws_xpixel = 0, .ws_ypixel = 0};
  ASSERT_EQ(ioctl(terminal.get(), TIOCSWINSZ, &size), 0);
  std::fflush(stdout);
  utils::UniqueFd saved(dup(STDOUT_FILENO));
  dup2(terminal.get(), STDOUT_FILENO);
  const std::size_t width = cli::help_width();
  dup2(saved.get(), STDOUT_FILENO);
  EXPECT_EQ(width, 61U);
  if (isatty(STDOUT_FILENO) == 0) {
    EXPECT_EQ(cli::help_width(), 100U);
  }
}

} // namespace
} // namespace zelkor
