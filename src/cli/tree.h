#pragma once
// The command tree: CLI11 apps plus what CLI11 has no place for (long help texts, which levels
// need a next word, which values an option allows), so help and completion read one source.

#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

namespace zelkor::cli {

// A fixed list of allowed values, kept in static storage by the module that owns the option.
using Choices = std::span<const std::string_view>;

struct Identity {
  std::string command;      // word used in usage lines and completion scripts
  std::string display_name; // used by the version line and the help header
  std::string version;

  // What -V and --version print, without its line break: "Zelkor 1.0.1".
  [[nodiscard]] std::string version_line() const { return display_name + " " + version; }
};

class Tree {
public:
  Tree(Identity identity, std::string about, std::string long_about);
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;

  [[nodiscard]] CLI::App& root() { return root_; }
  [[nodiscard]] const CLI::App& root() const { return root_; }
  [[nodiscard]] const Identity& identity() const { return identity_; }

  // Adds a subcommand; an empty long help falls back to the short one.
  CLI::App& add_command(CLI::App& parent, std::string name, std::string about,
                        std::string long_about = {});
  // Without one of its subcommands, `app` prints its help as a command-line error.
  void require_subcommand(CLI::App& app);
  // Restricts `option` to `values`, matched exactly; completion scripts offer them.
  CLI::Option* choices(CLI::Option* option, Choices values);

  // Marks `option` as taking a filesystem path; completion scripts offer file names for it.
  CLI::Option* paths(CLI::Option* option);

  // Marks `option` as naming a serial port, by one of `words` or by a device path; completion
  // scripts offer the words and the /dev/tty* device paths.
  CLI::Option* serial_port(CLI::Option* option, Choices words);

  // The text `--help` shows for `option` in place of its description (which `-h` shows).
  CLI::Option* long_help(CLI::Option* option, std::string text);

  // Adds the switches every level carries and the `help` subcommand to every level that has
  // subcommands. Call once, after every module has added its grammar.
  void finish();

  [[nodiscard]] std::string about(const CLI::App& app) const { return app.get_description(); }
  [[nodiscard]] std::string long_about(const CLI::App& app) const;
  [[nodiscard]] bool requires_subcommand(const CLI::App& app) const;
  [[nodiscard]] Choices choices_of(const CLI::Option& option) const;
  [[nodiscard]] bool is_help_command(const CLI::App& app) const;
  [[nodiscard]] bool is_path(const CLI::Option& option) const;
  [[nodiscard]] std::string long_help(const CLI::Option& option) const;
  [[nodiscard]] bool is_serial_port(const CLI::Option& option) const;
  // The words of a serial-port option, else its fixed choices.
  [[nodiscard]] Choices suggested(const CLI::Option& option) const;

private:
  void finish_level(CLI::App& app);

  Identity identity_;
  CLI::App root_;
  std::map<const CLI::App*, std::string> long_about_;
  std::set<const CLI::App*> requires_subcommand_;
  std::set<const CLI::App*> help_commands_;
  std::map<const CLI::Option*, Choices> choices_;
  std::set<const CLI::Option*> paths_;
  std::map<const CLI::Option*, Choices> serial_ports_;
  std::map<const CLI::Option*, std::string> long_help_;
};

// The reason a value outside `values` is refused with.
std::string choice_refusal(std::string_view value, Choices values);

// The defined subcommands of `app` in the order they were added (CLI11's unfiltered call lists
// only the parsed ones).
std::vector<const CLI::App*> subcommands(const CLI::App& app);
std::vector<CLI::App*> subcommands(CLI::App& app);

// The words from the root down to `app`, e.g. {"zelkor", "raw", "write"}.
std::vector<std::string> path_of(const CLI::App& app);

} // namespace zelkor::cli
