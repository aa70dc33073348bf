#include "cli/scan.h"

#include <algorithm>
#include <set>

#include <fmt/format.h>

#include "cli/names.h"
#include "cli/suggest.h"
#include "utils/chunk.h"

namespace zelkor::cli {

namespace {

enum class Kind { End, Subcommand, Long, Short, Positional };

// As CLI11 tells option names from values: "-" alone, "-5" and "---x" are values.
bool starts_a_name(char c) {
  return c != '-' && c != '!' && c != ' ' && c != '\n';
}

// A list longer than this shows its first words and how many more there are, so that a runaway
// script's thousands of words give a message of one line.
constexpr std::size_t listed_in_full = 3;

std::string quoted_list(const std::vector<std::string>& words) {
  const std::size_t shown = words.size() > listed_in_full ? listed_in_full - 1 : words.size();
  std::vector<std::string> quoted;
  for (std::size_t i = 0; i < shown; ++i) {
    quoted.push_back(fmt::format("'{}'", utils::chunk::escaped(words[i])));
  }
  if (shown < words.size()) {
    quoted.push_back(fmt::format("... and {} more", words.size() - shown));
  }
  return fmt::format("{}", fmt::join(quoted, ", "));
}

std::string possible_values(const Tree& tree, const CLI::Option& option) {
  const Choices choices = tree.choices_of(option);
  return choices.empty() ? std::string{}
                         : fmt::format("\n  [possible values: {}]", fmt::join(choices, ", "));
}

class Scanner {
public:
  Scanner(const Tree& tree, std::span<const char* const> args)
      : tree_(tree), args_(args.begin(), args.end()) {
    enter(tree.root());
  }

  Scanned run() {
    while (!stopped_ && next_ < args_.size()) {
      step(args_[next_++]);
    }
    if (!unexpected_.empty()) {
      return {std::move(words_), unexpected_problem()};
    }
    return {std::move(words_), std::move(problem_)};
  }

private:
  void enter(const CLI::App& app) {
    level_ = &app;
    positionals_.clear();
    positional_ = 0;
    for (const CLI::Option* option : app.get_options()) {
      if (option->get_positional()) {
        positionals_.push_back(option);
      }
    }
  }

  [[nodiscard]] const CLI::App* subcommand_named(std::string_view word) const {
    for (const CLI::App* sub : subcommands(*level_)) {
      if (sub->get_name() == word) {
        return sub;
      }
    }
    return nullptr;
  }

  [[nodiscard]] Kind kind_of(std::string_view word) const {
    if (only_positionals_) {
      // At the top, CLI11 still takes a subcommand's name for the subcommand, whose own words
      // may be options again.
      const bool top = level_->get_parent() == nullptr;
      return top && subcommand_named(word) != nullptr ? Kind::Subcommand : Kind::Positional;
    }
    if (word == "--") {
      return Kind::End;
    }
    if (subcommand_named(word) != nullptr) {
      return Kind::Subcommand;
    }
    if (word.size() > 2 && word.starts_with("--") && starts_a_name(word[2])) {
      return Kind::Long;
    }
    const bool digit = word.size() > 1 && word[1] >= '0' && word[1] <= '9';
    if (word.size() > 1 && word[0] == '-' && starts_a_name(word[1]) && !digit) {
      return Kind::Short;
    }
    return Kind::Positional;
  }

  void step(const std::string& word) {
    switch (kind_of(word)) {
    case Kind::End:
      only_positionals_ = true;
      words_.push_back(word);
      break;
    case Kind::Subcommand:
      words_.push_back(word);
      enter(*subcommand_named(word));
      only_positionals_ = false;
      break;
    case Kind::Long:
      long_option(word);
      break;
    case Kind::Short:
      short_option(word);
      break;
    case Kind::Positional:
      positional(word);
      break;
    }
  }

  void long_option(const std::string& word) {
    const auto equals = word.find('=');
    const std::string name = word.substr(2, equals == std::string::npos ? equals : equals - 2);
    const CLI::Option* option = find(name, true);
    if (option == nullptr) {
      unknown_option(word, "--" + name, name, true);
      return;
    }
    if (option->get_items_expected_max() == 0 && equals != std::string::npos) {
      flag_value(*option, word.substr(equals + 1));
      return;
    }
    if (!count(*option, word)) {
      return;
    }
    if (option->get_items_expected_max() == 0) {
      words_.push_back(word);
      return;
    }
    words_.push_back("--" + name);
    if (equals == std::string::npos) {
      take_values(*option, 0);
    } else {
      words_.push_back(word.substr(equals + 1));
      take_values(*option, 1);
    }
  }

  // "-abc" is the switches -a -b -c; "-n2", "-n 2" and "-n=2" all give -n the value 2; "-a=1"
  // gives a switch a value, which it does not take.
  void short_option(const std::string& word) {
    for (std::size_t at = 1; at < word.size(); ++at) {
      const std::string name(1, word[at]);
      const CLI::Option* option = find(name, false);
      if (option == nullptr) {
        unknown_option(at == 1 ? word : "-" + name, "-" + name, name, false);
        return;
      }
      const bool is_flag = option->get_items_expected_max() == 0;
      if (is_flag && word.size() > at + 1 && word[at + 1] == '=') {
        flag_value(*option, word.substr(at + 2));
        return;
      }
      if (!count(*option, "-" + name)) {
        return;
      }
      words_.push_back("-" + name);
      if (is_flag) {
        continue;
      }
      std::string attached = word.substr(at + 1);
      if (attached.empty()) {
        take_values(*option, 0);
        return;
      }
      words_.push_back(attached.starts_with('=') ? attached.substr(1) : attached);
      take_values(*option, 1);
      return;
    }
  }

  // After an option and `given` attached values: the values it still needs, taken whatever
  // they look like (as CLI11 does, so "-c -1" gives -c the value "-1"), then for a list every
  // further word up to the next option, subcommand or "--". That "--" ends the list and, as
  // anywhere, the options: what follows is an operand however it looks ("-f 7FF -- -out.csv").
  void take_values(const CLI::Option& option, int given) {
    const int needed = std::min(option.get_items_expected_min(), 1) - given;
    for (int i = 0; i < needed; ++i) {
      if (next_ >= args_.size()) {
        stop({level_, fmt::format("a value is required for '{}' but none was supplied{}",
                                  label(option), possible_values(tree_, option))});
        return;
      }
      words_.push_back(args_[next_++]);
    }
    if (!takes_list(option)) {
      return;
    }
    while (next_ < args_.size() && kind_of(args_[next_]) == Kind::Positional) {
      words_.push_back(args_[next_++]);
    }
    if (next_ < args_.size() && kind_of(args_[next_]) == Kind::End) {
      ++next_;
      // CLI11 takes one "--" as the list's end and a second as the end of the options.
      words_.insert(words_.end(), {"--", "--"});
      only_positionals_ = true;
    }
  }

  void positional(const std::string& word) {
    if (positional_ < positionals_.size()) {
      words_.push_back(word);
      if (!takes_list(*positionals_[positional_])) {
        ++positional_;
      }
      return;
    }
    auto children = subcommands(*level_);
    if (children.empty()) {
      add_unexpected(word, port_tip(word));
      return;
    }
    std::vector<std::string> names;
    for (const CLI::App* child : children) {
      names.push_back(child->get_name());
    }
    std::string message = fmt::format("unrecognized subcommand '{}'", utils::chunk::escaped(word));
    if (auto near = closest(word, names)) {
      message += fmt::format("\n\n  tip: did you mean '{}'?", *near);
    }
    stop({level_, message});
  }

  void flag_value(const CLI::Option& option, const std::string& value) {
    stop({level_, fmt::format("unexpected value '{}' for '{}'", value, label(option))});
  }

  // A port named where the level's port option was wanted: the option is named in the tip.
  [[nodiscard]] std::string port_tip(const std::string& word) const {
    for (const CLI::Option* option : level_->get_options()) {
      if (!tree_.is_serial_port(*option) || seen_.contains(option)) {
        continue;
      }
      const Choices words = tree_.suggested(*option);
      if (word.starts_with("/dev/") || std::ranges::find(words, word) != words.end()) {
        const std::string name = option->get_snames().empty() ? "--" + option->get_lnames().front()
                                                              : "-" + option->get_snames().front();
        return fmt::format("to name the port, use '{} {}'", name, word);
      }
    }
    return {};
  }

  [[nodiscard]] const CLI::Option* find(const std::string& name, bool is_long) const {
    return find_at(*level_, name, is_long);
  }

  static const CLI::Option* find_at(const CLI::App& app, const std::string& name, bool is_long) {
    for (const CLI::Option* option : app.get_options()) {
      if (!option->get_positional() &&
          (is_long ? option->check_lname(name) : option->check_sname(name))) {
        return option;
      }
    }
    return nullptr;
  }

  // Counts an option; false (and the scan stops) when it may be given only once and was
  // already given, or when it is a help or version switch, which ends the scan.
  bool count(const CLI::Option& option, const std::string& typed) {
    if (is_standard_switch(*level_, option)) {
      words_.push_back(typed);
      stopped_ = true;
      return false;
    }
    if (!seen_.insert(&option).second && !takes_list(option)) {
      stop({level_, fmt::format("the argument '{}' cannot be used multiple times", label(option))});
      return false;
    }
    return true;
  }

  void unknown_option(const std::string& typed, const std::string& dashed, const std::string& name,
                      bool is_long) {
    // An option of a level above, typed after that level's subcommand.
    for (const CLI::App* above = level_; above->get_parent() != nullptr;) {
      const CLI::App* below = above;
      above = above->get_parent();
      if (find_at(*above, name, is_long) != nullptr) {
        add_unexpected(typed, fmt::format("'{}' belongs to '{}': put it before '{}'",
                                          utils::chunk::escaped(dashed), command_line_of(*above),
                                          below->get_name()));
        return;
      }
    }
    std::vector<std::string> names;
    for (const CLI::Option* option : level_->get_options()) {
      for (const auto& long_name : option->get_lnames()) {
        names.push_back("--" + long_name);
      }
    }
    auto near = is_long ? closest(dashed, names) : std::nullopt;
    add_unexpected(typed, near ? fmt::format("did you mean '{}'?", *near) : std::string{});
  }

  void add_unexpected(const std::string& word, const std::string& tip) {
    if (unexpected_.empty()) {
      unexpected_level_ = level_;
      unexpected_tip_ = tip;
    }
    unexpected_.push_back(word);
  }

  [[nodiscard]] Problem unexpected_problem() const {
    std::string message = fmt::format("unexpected argument{} {} found",
                                      unexpected_.size() > 1 ? "s" : "", quoted_list(unexpected_));
    if (!unexpected_tip_.empty()) {
      message += "\n\n  tip: " + unexpected_tip_;
    }
    return {unexpected_level_, message};
  }

  void stop(Problem problem) {
    problem_ = std::move(problem);
    stopped_ = true;
  }

  const Tree& tree_;
  std::vector<std::string> args_;
  std::size_t next_ = 0;
  bool stopped_ = false;
  bool only_positionals_ = false;
  const CLI::App* level_ = nullptr;
  std::vector<const CLI::Option*> positionals_;
  std::size_t positional_ = 0;
  std::set<const CLI::Option*> seen_;
  std::vector<std::string> words_;
  std::vector<std::string> unexpected_;
  const CLI::App* unexpected_level_ = nullptr;
  std::string unexpected_tip_;
  std::optional<Problem> problem_;
};

} // namespace

Scanned scan(const Tree& tree, std::span<const char* const> args) {
  return Scanner(tree, args).run();
}

} // namespace zelkor::cli
