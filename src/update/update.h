#pragma once
// `update`: writes a new firmware image into the microcontroller through its bootloader.

#include <cstdint>
#include <filesystem>

#include "utils/output.h"

namespace zelkor::update {

struct Options {
  std::filesystem::path input; // the image, as the operating system names it (any bytes)
};

// Reads the image, restarts the microcontroller into its bootloader, waits for the bootloader's
// ports and writes "start", "erase", "flash" and the image to the first of them. 0 after
// "Update Complete!", 1 on any failure (its message printed on `out`).
std::uint8_t handler(Options options, utils::output::Sink& out);

} // namespace zelkor::update
