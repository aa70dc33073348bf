#include "can/dump_output.h"

#include <fcntl.h>

#include <cerrno>
#include <system_error>

#include "can/dump_text.h"

namespace zelkor::can {

std::expected<DumpFile, std::string> open_dump_file(const std::filesystem::path& path) {
  // Non-blocking only to open: a FIFO without a reader fails with ENXIO instead of waiting.
  utils::UniqueFd fd{
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644)};
  if (!fd.valid() || ::fcntl(fd.get(), F_SETFL, 0) != 0) {
    return std::unexpected(
        listen::cannot_open(path, std::error_code(errno, std::generic_category())));
  }
  return DumpFile{path, utils::output::Sink(std::move(fd))};
}

} // namespace zelkor::can
