#pragma once
// `config import`: a JSON document of parameters applied to the user configuration in one
// checked step.

#include <cstdint>
#include <optional>
#include <string>

#include "utils/output.h"

namespace zelkor::cmds::config {

// Reads and checks the whole document at `file` ("-": standard input) before any port is
// touched; then selects configuration `number` when given, and on one claim of the terminal
// port sends a set command for each value that differs from the listing, "save-config" once
// after them when `save` (and something changed), and reads the listing again to compare every
// value. Prints each change, each value that did not take and a summary; returns the status.
std::uint8_t import_document(const std::string& file, std::optional<std::uint8_t> number, bool save,
                             utils::output::Sink& out);

} // namespace zelkor::cmds::config
