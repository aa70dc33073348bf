#include "utils/read_all.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace zelkor::utils {

std::expected<std::string, std::error_code> read_all(int fd, std::uint64_t max, std::string text) {
  std::array<char, 65536> buffer{};
  while (text.size() <= max) {
    const auto wanted = std::min<std::uint64_t>(buffer.size(), max + 1 - text.size());
    const ssize_t count = ::read(fd, buffer.data(), wanted);
    if (count == 0) {
      break;
    }
    if (count < 0) {
      if (errno == EINTR) {
        continue;
      }
      return std::unexpected(std::error_code(errno, std::generic_category()));
    }
    text.append(buffer.data(), static_cast<std::size_t>(count));
  }
  return text;
}

} // namespace zelkor::utils
