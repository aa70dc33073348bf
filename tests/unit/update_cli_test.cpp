// The `update` grammar: the path reaches the handler byte for byte, and the help texts.

#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/help.h"
#include "cli/parse.h"
#include "grammar.h"

namespace zelkor {
namespace {

using testing::HasSubstr;

struct Parsed {
  std::optional<std::uint8_t> answered;
  std::optional<update::Options> options;
  std::string err;
};

Parsed parse(const std::vector<std::string>& args) {
  Grammar grammar;
  std::vector<const char*> argv{"zelkor"};
  for (const auto& arg : args) {
    argv.push_back(arg.c_str());
  }
  std::ostringstream out, err;
  auto answered = cli::parse(grammar.tree, argv, out, err);
  return {answered, grammar.update->options(), err.str()};
}

TEST(UpdateGrammar, PathReachesTheHandlerUnchanged) {
  const std::vector<std::vector<std::string>> cases = {
      {"update", "Zelkor_v3.1.2.1.bin"},
      {"update", "fw\xff\xfe.bin"},
      {"update", "/tmp/with space/fw.bin"},
      {"update", "--", "-fw.bin"},
  };
  for (const auto& args : cases) {
    const auto parsed = parse(args);
    ASSERT_EQ(parsed.answered, std::nullopt) << parsed.err;
    ASSERT_TRUE(parsed.options) << args.back();
    EXPECT_EQ(parsed.options->input.native(), args.back());
  }
}

TEST(UpdateGrammar, RefusedOrNotChosen) {
  EXPECT_EQ(parse({"update"}).answered, 1);
  EXPECT_EQ(parse({"update", "a.bin", "b.bin"}).answered, 1);
  EXPECT_EQ(parse({"raw", "devices"}).options, std::nullopt);
}

TEST(UpdateGrammar, HelpTexts) {
  Grammar grammar;
  const auto& update = *grammar.tree.root().get_subcommand("update");
  EXPECT_THAT(cli::help(grammar.tree, grammar.tree.root(), cli::HelpForm::Short),
              HasSubstr("Update to a new microcontroller firmware version"));
  const auto long_help = cli::help(grammar.tree, update, cli::HelpForm::Long);
  EXPECT_THAT(long_help, HasSubstr("Update to a new microcontroller firmware version.\n\n"
                                   "The latest firmware binaries are available at: "
                                   "https://zelkor.example/firmware\n\n"
                                   "Example: `zelkor update Zelkor_v3.1.2.1.bin`"));
  EXPECT_THAT(long_help, HasSubstr("Path to firmware update binary image"));
  EXPECT_TRUE(grammar.tree.is_path(*update.get_option("input")));
}

} // namespace
} // namespace zelkor
