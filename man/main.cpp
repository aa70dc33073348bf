// Writes zelkor's manual page on standard output, from the command tree the program itself
// builds and the udev rule it installs. Run at build time, once per install layout, with the
// installed paths as arguments:
//   zelkor-man UDEV_RULE BASH_COMPLETION ZSH_COMPLETION FISH_COMPLETION

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "grammar.h"
#include "page.h"
#include "utils/output.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fputs("usage: zelkor-man UDEV_RULE BASH_COMPLETION ZSH_COMPLETION FISH_COMPLETION\n",
               stderr);
    return 2;
  }
  std::ifstream rule(ZELKOR_UDEV_RULE_SOURCE);
  std::string rule_text{std::istreambuf_iterator<char>(rule), {}};
  if (!rule) {
    return 1;
  }
  const zelkor::Grammar grammar;
  const zelkor::man::Files files{.udev_rule = argv[1],
                                 .udev_rule_text = std::move(rule_text),
                                 .bash_completion = argv[2],
                                 .zsh_completion = argv[3],
                                 .fish_completion = argv[4]};
  zelkor::utils::output::Sink out(STDOUT_FILENO);
  out.write(zelkor::man::page(grammar.tree, files));
  return out.ok() ? 0 : 1;
}
