#pragma once
// Values that the program places inside a firmware command line ("set {} {}", a frame, an
// operation's argument). The firmware reads words separated by spaces and ends a command at a
// line break, so such a value must stay one word: otherwise "30\rlaunch-bootloader" from a
// script would run a second command.

#include <expected>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace CLI {
class Option;
} // namespace CLI

namespace zelkor::cli {

// Nothing when `value` can stand as one word of a command, or the reason it cannot.
std::expected<void, std::string> check_command_field(std::string_view value);

// Refuses, while parsing, every value of `option` for which `reason` gives a text, with that text
// as the reason; `type` names the value in CLI11's terms. An empty text accepts the value.
CLI::Option* refuse_with(CLI::Option* option, std::function<std::string(const std::string&)> reason,
                         std::string type);

// Refuses, while parsing, every value of `option` for which `check` gives an error, with that
// error as the reason. `check` returns a std::expected; `type` names the value in CLI11's terms.
template <typename Check>
CLI::Option* checked(CLI::Option* option, Check check, std::string type = "TEXT") {
  return refuse_with(
      option,
      [check](const std::string& value) {
        const auto result = check(value);
        return result ? std::string{} : std::string(result.error());
      },
      std::move(type));
}

// Refuses, while parsing, any value of `option` that check_command_field refuses.
CLI::Option* command_field(CLI::Option* option);

} // namespace zelkor::cli
