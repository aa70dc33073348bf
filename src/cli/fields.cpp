#include "cli/fields.h"

#include "utils/chunk.h"
#include "utils/command_word.h"

namespace zelkor::cli {

CLI::Option* text(CLI::Option* option) {
  return checked(option, utils::chunk::check_text);
}

CLI::Option* command_field(CLI::Option* option) {
  return checked(option, utils::command_word::check);
}

} // namespace zelkor::cli
