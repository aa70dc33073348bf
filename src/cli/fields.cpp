#include "cli/fields.h"

#include <CLI/CLI.hpp>

#include "utils/chunk.h"
#include "utils/command_word.h"

namespace zelkor::cli {

CLI::Option* text(CLI::Option* option) {
  return checked(option, utils::chunk::check_text);
}

CLI::Option* refuse_with(CLI::Option* option, std::function<std::string(const std::string&)> reason,
                         std::string type) {
  return option->check(CLI::Validator(std::move(reason), std::move(type)));
}

CLI::Option* command_field(CLI::Option* option) {
  return checked(option, utils::command_word::check);
}

} // namespace zelkor::cli
