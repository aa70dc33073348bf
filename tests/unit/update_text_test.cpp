#include "update/update_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace zelkor::update;

TEST(UpdateText, Refusal) {
  struct Case {
    std::string path;
    std::uint64_t size;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"fw.bin", 0, "Firmware image fw.bin is empty: nothing was written. Download it again?"},
      {"fw.bin", 1, std::nullopt},
      {"fw.bin", max_image_size, std::nullopt},
      {"/dev/zero", max_image_size + 1,
       "Firmware image /dev/zero is larger than 64 MiB: nothing was written. Is it the right "
       "file?"},
      {"fw\xff.bin", 0,
       "Firmware image fw\\xff.bin is empty: nothing was written. Download it again?"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(refusal(c.path, c.size), c.expected) << c.path << " " << c.size;
  }
}

TEST(UpdateText, Unreadable) {
  EXPECT_EQ(unreadable("missing.bin", std::make_error_code(std::errc::no_such_file_or_directory)),
            "Could not read firmware image missing.bin: No such file or directory");
  EXPECT_EQ(unreadable("dir\xc3", std::make_error_code(std::errc::is_a_directory)),
            "Could not read firmware image dir\\xc3: Is a directory");
}

TEST(UpdateText, ProgressLine) {
  struct Case {
    std::string actual;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {progress_line(0, 65536), "\rWriting firmware: 0 of 65536 bytes (0%)"},
      {progress_line(4096, 65536), "\rWriting firmware: 4096 of 65536 bytes (6%)"},
      {progress_line(65536, 65536), "\rWriting firmware: 65536 of 65536 bytes (100%)"},
      {progress_line(max_image_size, max_image_size),
       "\rWriting firmware: 67108864 of 67108864 bytes (100%)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.actual, c.expected);
  }
}

} // namespace
