#include "update/update_text.h"

#include <fmt/format.h>

#include "utils/chunk.h"

namespace zelkor::update {

std::string step_line(std::string_view step) {
  return fmt::format("  - {}...", step);
}

std::string shown(const std::filesystem::path& path) {
  return utils::chunk::escaped(path.native());
}

std::string unreadable(const std::filesystem::path& path, std::error_code cause) {
  return fmt::format("Could not read firmware image {}: {}", shown(path), cause.message());
}

std::optional<std::string> refusal(const std::filesystem::path& path, std::uint64_t size) {
  if (size == 0) {
    return fmt::format("Firmware image {} is empty: nothing was written. Download it again?",
                       shown(path));
  }
  if (size > max_image_size) {
    return fmt::format(
        "Firmware image {} is larger than 64 MiB: nothing was written. Is it the right file?",
        shown(path));
  }
  return std::nullopt;
}

std::string progress_line(std::uint64_t sent, std::uint64_t total) {
  return fmt::format("\rWriting firmware: {} of {} bytes ({}%)", sent, total, sent * 100 / total);
}

} // namespace zelkor::update
