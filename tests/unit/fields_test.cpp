#include "cli/fields.h"

#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zelkor::cli {
namespace {

TEST(CommandField, MustNotSmuggleASecondCommand) {
  for (const std::string ok : {"123", "7FF", "xyz", "", "11223344", "ü", "11.5"}) {
    EXPECT_TRUE(check_command_field(ok).has_value()) << ok;
  }
  for (const std::string bad :
       {"1 2", "123\rlaunch-bootloader", "a\nb", "\t1", "a\x7f", "\xff", "a\xc3"}) {
    EXPECT_FALSE(check_command_field(bad).has_value()) << testing::PrintToString(bad);
  }
}

// No firmware field comes near the limit; a value past it is a script's mistake (a file's
// contents, a runaway variable), not something to write into the controller's command line.
TEST(CommandField, IsBoundedInLength) {
  EXPECT_TRUE(check_command_field(std::string(64, '1')).has_value());
  const auto refused = check_command_field(std::string(65, '1'));
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error(), "must be at most 64 bytes long");
  EXPECT_FALSE(check_command_field(std::string(100000, '7')).has_value());
}

} // namespace
} // namespace zelkor::cli
