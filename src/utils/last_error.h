#pragma once

#include <cerrno>
#include <system_error>

namespace zelkor::utils {

// What the system call that just failed left in errno.
inline std::error_code last_error() {
  return {errno, std::generic_category()};
}

} // namespace zelkor::utils
