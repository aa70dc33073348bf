#pragma once
// Shell completion scripts for the whole command tree.

#include <ostream>
#include <string_view>

namespace zelkor::cli {
class Tree;
} // namespace zelkor::cli

namespace zelkor::completions {

// Writes the completion script for `shell` (one of `shells`), for the tree's command name.
void generate(std::string_view shell, const cli::Tree& tree, std::ostream& out);

} // namespace zelkor::completions
