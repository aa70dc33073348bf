#pragma once
// Reading an input whole, with a ceiling, whatever it is (a file, a pipe, a device node).

#include <cstdint>
#include <expected>
#include <string>
#include <system_error>

namespace zelkor::utils {

// Appends to `text` what `fd` gives until end of file or until `text` holds one byte more than
// `max`, so the caller tells an input that is too large by its size without reading it all.
std::expected<std::string, std::error_code> read_all(int fd, std::uint64_t max, std::string text);

} // namespace zelkor::utils
