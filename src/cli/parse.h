#pragma once
// The parse boundary: the only place that sees CLI11's exceptions. Help, version and
// command-line errors are answered here, so callers only ever see a parsed tree.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>

#include "cli/tree.h"

namespace zelkor::cli {

// Parses `argv` (program name first) against the finished tree. When the command line was
// answered here (help or version on `out`, an error on `err`) gives the exit status to end
// with; nothing when the caller goes on to read the parsed values.
// Help pages are wrapped at `width` columns; without one, at help_width().
std::optional<std::uint8_t> parse(Tree& tree, std::span<const char* const> argv, std::ostream& out,
                                  std::ostream& err);
std::optional<std::uint8_t> parse(Tree& tree, std::span<const char* const> argv, std::ostream& out,
                                  std::ostream& err, std::size_t width);

} // namespace zelkor::cli
