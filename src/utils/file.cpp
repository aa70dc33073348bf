#include "utils/file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "utils/last_error.h"

namespace zelkor::utils::file {

std::expected<UniqueFd, std::error_code> open_for_reading(const std::filesystem::path& path) {
  UniqueFd fd{::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)};
  if (!fd.valid()) {
    return std::unexpected(last_error());
  }
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return std::unexpected(last_error());
  }
  return fd;
}

std::expected<std::string, std::error_code> read_capped(int fd, std::size_t max, std::string text) {
  std::array<char, 65536> buffer{};
  while (text.size() <= max) {
    const auto wanted = std::min<std::size_t>(buffer.size(), max + 1 - text.size());
    const ssize_t count = ::read(fd, buffer.data(), wanted);
    if (count == 0) {
      break;
    }
    if (count < 0) {
      if (errno == EINTR) {
        continue;
      }
      return std::unexpected(last_error());
    }
    text.append(buffer.data(), static_cast<std::size_t>(count));
  }
  return text;
}

} // namespace zelkor::utils::file
