#include "update/image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "update/update_text.h"
#include "utils/read_all.h"
#include "utils/unique_fd.h"

namespace zelkor::update {
namespace {

std::error_code last_error() {
  return {errno, std::generic_category()};
}

} // namespace

std::expected<std::string, std::string> read_image(const std::filesystem::path& path) {
  // Opened without waiting: a pipe nobody writes to then reads as empty instead of hanging.
  utils::UniqueFd fd{::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)};
  if (!fd.valid()) {
    return std::unexpected(unreadable(path, last_error()));
  }
  struct stat info {};
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (::fstat(fd.get(), &info) != 0 || flags < 0 ||
      ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return std::unexpected(unreadable(path, last_error()));
  }
  std::string image;
  if (S_ISREG(info.st_mode)) {
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (size > max_image_size) { // known before a byte is read
      return std::unexpected(*refusal(path, size));
    }
    image.reserve(size);
  }
  auto read = utils::read_all(fd.get(), max_image_size, std::move(image));
  if (!read) {
    return std::unexpected(unreadable(path, read.error()));
  }
  if (auto refused = refusal(path, read->size())) {
    return std::unexpected(std::move(*refused));
  }
  return std::move(*read);
}

} // namespace zelkor::update
