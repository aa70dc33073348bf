#pragma once
// Value checks while parsing: a check that gives a std::expected becomes an option's check, with
// its error as the reason the value is refused.

#include <expected>
#include <functional>
#include <string>
#include <utility>

namespace CLI {
class Option;
} // namespace CLI

namespace zelkor::cli {

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

// Refuses any value that is not UTF-8 text.
CLI::Option* text(CLI::Option* option);

// Refuses any value that cannot stand as one word of a firmware command (utils/command_word.h).
CLI::Option* command_field(CLI::Option* option);

} // namespace zelkor::cli
