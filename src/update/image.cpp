#include "update/image.h"

#include <sys/stat.h>

#include <cerrno>

#include "update/update_text.h"
#include "utils/file.h"
#include "utils/last_error.h"

namespace zelkor::update {

std::expected<std::string, std::string> read_image(const std::filesystem::path& path) {
  auto fd = utils::file::open_for_reading(path);
  if (!fd) {
    return std::unexpected(unreadable(path, fd.error()));
  }
  struct stat info {};
  if (::fstat(fd->get(), &info) != 0) {
    return std::unexpected(unreadable(path, utils::last_error()));
  }
  std::string image;
  if (S_ISREG(info.st_mode)) {
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (size > max_image_size) { // known before a byte is read
      return std::unexpected(*refusal(path, size));
    }
    image.reserve(size);
  }
  auto read = utils::file::read_capped(fd->get(), max_image_size, std::move(image));
  if (!read) {
    return std::unexpected(unreadable(path, read.error()));
  }
  if (auto refused = refusal(path, read->size())) {
    return std::unexpected(std::move(*refused));
  }
  return std::move(*read);
}

} // namespace zelkor::update
