#pragma once
// Reading a whole input file named by the user, bounded: a path may name a device node or a
// pipe, which could feed bytes for ever or never send any.

#include <cstddef>
#include <expected>
#include <filesystem>
#include <string>
#include <system_error>

#include "utils/unique_fd.h"

namespace zelkor::utils::file {

// Opens `path` for blocking reads without waiting at the open: a FIFO nobody writes to then
// reads as empty instead of hanging.
std::expected<UniqueFd, std::error_code> open_for_reading(const std::filesystem::path& path);

// Appends to `text` what `fd` gives until its end, or until `text` is longer than `max` bytes
// (one byte past it: enough to tell that it is too long).
std::expected<std::string, std::error_code> read_capped(int fd, std::size_t max,
                                                        std::string text = {});

} // namespace zelkor::utils::file
