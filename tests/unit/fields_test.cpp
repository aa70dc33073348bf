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

} // namespace
} // namespace zelkor::cli
