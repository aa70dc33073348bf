#pragma once
// The file a dump writes to, opened before any port is touched: an output that cannot be
// opened must not cost a mode check or hold the CAN port.

#include <expected>
#include <filesystem>
#include <string>

#include "utils/output.h"

namespace zelkor::can {

struct DumpFile {
  std::filesystem::path path; // as the user gave it, for messages
  utils::output::Sink sink;
};

// Opens `path` for writing, created when missing and emptied when present, or the text that
// says why it cannot be: "Could not open output file out.csv: Permission denied". A FIFO
// nobody reads is refused at once ("No such device or address") instead of waiting for a
// reader.
std::expected<DumpFile, std::string> open_dump_file(const std::filesystem::path& path);

} // namespace zelkor::can
