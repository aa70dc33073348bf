#pragma once
// One completion script generator per shell, each formatting the walked command tree.

#include <string>

#include "completions/model.h"

namespace zelkor::completions {

std::string bash_script(const Command& root);
std::string fish_script(const Command& root);
std::string zsh_script(const Command& root);
std::string powershell_script(const Command& root);
std::string elvish_script(const Command& root);

} // namespace zelkor::completions
