#pragma once
// Shared by the `update` suites: image files and what a whole update prints.

#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace zelkor::e2e {

// An image file in a directory of its own, removed with it.
class ImageFile {
public:
  ImageFile(const std::string& name, const std::string& bytes) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelkor-update-XXXXXX");
    dir_ = ::mkdtemp(pattern.data());
    path_ = dir_ / name;
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;
  ~ImageFile() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  [[nodiscard]] std::string path() const { return path_.native(); }
  [[nodiscard]] std::string dir() const { return dir_.native(); }

private:
  std::filesystem::path dir_;
  std::filesystem::path path_;
};

// `size` bytes holding every byte value, zero and 0xff among them.
inline std::string image_bytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
  }
  return bytes;
}

// Compares what a port received with what it should have, without printing an image on failure.
inline ::testing::AssertionResult same_bytes(const std::string& received,
                                             const std::string& expected) {
  if (received == expected) {
    return ::testing::AssertionSuccess();
  }
  const auto at = std::ranges::mismatch(received, expected).in1 - received.begin();
  return ::testing::AssertionFailure()
         << received.size() << " bytes instead of " << expected.size()
         << ", the first difference at byte " << at << "; received begins with "
         << ::testing::PrintToString(received.substr(0, 24));
}

inline const std::string update_started = "Reading binary update file...\n"
                                          "Detecting microntroller interface...\n"
                                          "Starting bootloader...\n"
                                          "Waiting for bootloader to start...\n";
inline const std::string update_writing = update_started + "Attaching to bootloader...\n"
                                                           "Performing step:\n"
                                                           "  - start...\n"
                                                           "  - erase...\n"
                                                           "  - flash...\n"
                                                           "Writing new firmware...\n";
inline const std::string update_complete = update_writing + "Update Complete!\n";
inline const std::string update_timed_out =
    update_started + "Timed out wating for bootloader. Try running the update again?\n";

} // namespace zelkor::e2e
