#pragma once
// The manual page, written from the same command tree as the help, so every subcommand and
// option a module adds appears in it without a change here.

#include <string>

#include "cli/tree.h"

namespace zelkor::man {

// Where the installed files are, as the FILES section names them, and what the udev rule says.
struct Files {
  std::string udev_rule;
  std::string udev_rule_text; // the rule file as installed
  std::string bash_completion;
  std::string zsh_completion;
  std::string fish_completion;
};

std::string page(const cli::Tree& tree, const Files& files);

} // namespace zelkor::man
