#include "completions/generate.h"

#include <fmt/ostream.h>

#include "completions/scripts.h"

namespace zelkor::completions {

void generate(std::string_view shell, const cli::Tree& tree, std::ostream& out) {
  Command root = walk(tree);
  std::string script;
  if (shell == "bash") {
    script = bash_script(root);
  } else if (shell == "fish") {
    script = fish_script(root);
  } else if (shell == "zsh") {
    script = zsh_script(root);
  } else if (shell == "powershell") {
    script = powershell_script(root);
  } else if (shell == "elvish") {
    script = elvish_script(root);
  }
  fmt::print(out, "{}", script);
}

} // namespace zelkor::completions
