#pragma once
// How options, arguments and levels are named to the user, the same way in help pages and in
// the parser's errors: values by name ("--id <ID>", "<INPUT>"), never by type.

#include <string>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace zelkor::cli {

// The value's name in capitals: "--set-led" gives "SET_LED", the positional "input" "INPUT".
std::string value_name(const CLI::Option& option);

// One name and its value, as errors and usage lines show an option: "--number <NUMBER>",
// "--set-default", "<INPUT>", "[SUBCOMMAND]..." for an optional repeated positional.
std::string label(const CLI::Option& option);

// Every name and the value, as the help page lists an option: "-n, --number <NUMBER>",
// "    --gen-completions <GEN_COMPLETIONS>", "<INPUT>".
std::string help_label(const CLI::Option& option);

// True for the switches every level carries (-h, --help, -V, --version).
bool is_standard_switch(const CLI::App& app, const CLI::Option& option);

// True when `option` takes more than one value per occurrence.
bool takes_list(const CLI::Option& option);

// The words from the root down to `app`, joined: "zelkor raw write".
std::string command_line_of(const CLI::App& app);

// The last line of every parser error: "For more information, try 'zelkor op --help'."
std::string more_information(const CLI::App& app);

} // namespace zelkor::cli
