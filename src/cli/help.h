#pragma once
// Help pages of the command tree, in a short form (-h) and a long form (--help, `help`).

#include <cstddef>
#include <string>

#include "cli/tree.h"

namespace zelkor::cli {

enum class HelpForm { Short, Long };

// The width help is wrapped at: the terminal's when standard output is one, else 100 columns.
std::size_t help_width();

// The page for `app`, wrapped at `width` columns, its last line ended by one line break.
std::string help(const Tree& tree, const CLI::App& app, HelpForm form,
                 std::size_t width = help_width());

} // namespace zelkor::cli
