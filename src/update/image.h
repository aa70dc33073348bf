#pragma once
// Reading the firmware image before anything touches the microcontroller.

#include <expected>
#include <filesystem>
#include <string>

namespace zelkor::update {

// The whole file, or the message that says why it cannot be written: unreadable, empty or
// larger than any firmware image. Never reads more than just past that size, whatever the
// path names (a device node, a pipe).
std::expected<std::string, std::string> read_image(const std::filesystem::path& path);

} // namespace zelkor::update
