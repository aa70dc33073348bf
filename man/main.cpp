// Writes zelkor's manual page on standard output, from the command tree the program itself
// builds and the udev rule it installs. Run at build time; the installed paths come from the
// build configuration.

#include <unistd.h>

#include <fstream>
#include <iterator>

#include "grammar.h"
#include "page.h"
#include "utils/output.h"

int main() {
  std::ifstream rule(ZELKOR_UDEV_RULE_SOURCE);
  std::string rule_text{std::istreambuf_iterator<char>(rule), {}};
  if (!rule) {
    return 1;
  }
  const zelkor::Grammar grammar;
  const zelkor::man::Files files{.udev_rule = ZELKOR_UDEV_RULE,
                                 .udev_rule_text = std::move(rule_text),
                                 .bash_completion = ZELKOR_BASH_COMPLETION,
                                 .zsh_completion = ZELKOR_ZSH_COMPLETION,
                                 .fish_completion = ZELKOR_FISH_COMPLETION};
  zelkor::utils::output::Sink out(STDOUT_FILENO);
  out.write(zelkor::man::page(grammar.tree, files));
  return out.ok() ? 0 : 1;
}
