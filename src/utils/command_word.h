#pragma once
// A value placed inside a firmware command ("set {} {}", an operation's argument) must
// stay one word of it. The firmware reads words separated by spaces and ends a command at a line
// break, so "30\rlaunch-bootloader" from a script would run a second command, and an empty value
// would leave the command one word short.

#include <expected>
#include <string>
#include <string_view>

namespace zelkor::utils::command_word {

// Nothing when `value` can stand as one word of a command, or the reason it cannot.
std::expected<void, std::string> check(std::string_view value);

} // namespace zelkor::utils::command_word
