#pragma once
// Help pages of the command tree, in a short form (-h) and a long form (--help, `help`).

#include <string>

#include "cli/tree.h"

namespace zelkor::cli {

enum class HelpForm { Short, Long };

std::string help(const Tree& tree, const CLI::App& app, HelpForm form);

} // namespace zelkor::cli
