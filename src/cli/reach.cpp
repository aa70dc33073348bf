#include "cli/reach.h"

#include <algorithm>
#include <array>

namespace zelkor::cli {

namespace {

// Alone on the command line, each prints the version line, which names no subcommand.
constexpr std::array<std::string_view, 2> version_switches = {"-V", "--version"};

} // namespace

Reach reach(std::span<const char* const> args, std::span<const std::string_view> names) {
  if (args.empty()) {
    return {}; // the short help, which lists every subcommand
  }
  const std::string_view first = args.front();
  if (std::ranges::find(names, first) != names.end()) {
    return {.everything = false,
            .subcommand = first,
            .next = args.size() > 1 ? std::string_view(args[1]) : std::string_view()};
  }
  if (args.size() == 1 && std::ranges::find(version_switches, first) != version_switches.end()) {
    return {.everything = false, .subcommand = {}, .next = {}};
  }
  return {};
}

} // namespace zelkor::cli
