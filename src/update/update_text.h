#pragma once
// What an update prints, and the checks on an image that need no file or port.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace zelkor::update {

// Far above any firmware image, far below what a device node or a wrong path could feed us.
inline constexpr std::uint64_t max_image_size = 64ULL * 1024 * 1024;

// The messages in the order an update prints them (scripts match them, typos included).
inline constexpr std::string_view reading = "Reading binary update file...";
inline constexpr std::string_view detecting = "Detecting microntroller interface...";
inline constexpr std::string_view starting = "Starting bootloader...";
inline constexpr std::string_view waiting = "Waiting for bootloader to start...";
inline constexpr std::string_view timed_out =
    "Timed out wating for bootloader. Try running the update again?";
inline constexpr std::string_view attaching = "Attaching to bootloader...";
inline constexpr std::string_view performing = "Performing step:";
inline constexpr std::string_view writing = "Writing new firmware...";
inline constexpr std::string_view complete = "Update Complete!";
// After a second Ctrl-C, in place of "Update Complete!".
inline constexpr std::string_view interrupted =
    "Update interrupted: the microcontroller waits in its bootloader. Run the update again.";

// The bootloader's commands, sent in this order before the image.
inline constexpr std::array<std::string_view, 3> steps{"start", "erase", "flash"};

// "  - start..."
std::string step_line(std::string_view step);

// The image path as text that can be printed, control characters and stray bytes escaped.
std::string shown(const std::filesystem::path& path);

// "Could not read firmware image fw.bin: No such file or directory"
std::string unreadable(const std::filesystem::path& path, std::error_code cause);

// Why an image of `size` bytes must not be written, or nothing when it may: an empty one (a
// failed download) would leave the microcontroller erased without firmware, an oversized one
// is not a firmware image.
std::optional<std::string> refusal(const std::filesystem::path& path, std::uint64_t size);

// The progress shown on a terminal while the image is written, overwriting itself:
// "\rWriting firmware: 4096 of 65536 bytes (6%)". `total` is never 0.
std::string progress_line(std::uint64_t sent, std::uint64_t total);

} // namespace zelkor::update
