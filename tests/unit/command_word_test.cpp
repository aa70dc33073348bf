#include "utils/command_word.h"

#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zelkor::utils::command_word {
namespace {

TEST(CommandWord, MustNotSmuggleASecondCommandNorLeaveAWordOut) {
  // A value past the limit is a script's mistake (a file's contents, a runaway variable), not
  // something to write into the controller's command line.
  for (const std::string& ok : std::initializer_list<std::string>{
           "123", "7FF", "xyz", "11223344", "ü", "11.5", std::string(64, '1')}) {
    EXPECT_TRUE(check(ok).has_value()) << ok;
  }
  const struct {
    std::string value;
    std::string reason;
  } refused[] = {
      {"", "must not be empty"},
      {"1 2", "must not contain spaces or control characters"},
      {"123\rlaunch-bootloader", "must not contain spaces or control characters"},
      {"a\nb", "must not contain spaces or control characters"},
      {"\t1", "must not contain spaces or control characters"},
      {"a\x7f", "must not contain spaces or control characters"},
      {"\xff", "must be valid UTF-8 text"},
      {"a\xc3", "must be valid UTF-8 text"},
      {std::string(65, '1'), "must be at most 64 bytes long"},
  };
  for (const auto& [value, reason] : refused) {
    const auto checked = check(value);
    ASSERT_FALSE(checked.has_value()) << testing::PrintToString(value);
    EXPECT_EQ(checked.error(), reason) << testing::PrintToString(value);
  }
}

} // namespace
} // namespace zelkor::utils::command_word
