#pragma once
// Shared by the `can` suites: a dump started under a board and the frames it was sent.

#include "process_probe.h"
#include "support.h"

#include <gtest/gtest.h>

#include <string>

namespace zelkor::e2e {

// Generous bounds: they catch a hang, not a slow machine.
inline constexpr auto dump_ready_within = 10s;
inline constexpr auto shown_within = 10s;
inline constexpr auto exits_within = 5s;

// `zelkor can CAN_OPTIONS dump DUMP_ARGS...`, returned once it handles Ctrl-C (its port is
// claimed by then).
inline sim::Child start_dump(Board& board, Args dump_args, Args can_options = {"-n"}) {
  Args argv{ZELKOR_BINARY, "can"};
  argv.insert(argv.end(), can_options.begin(), can_options.end());
  argv.emplace_back("dump");
  argv.insert(argv.end(), dump_args.begin(), dump_args.end());
  auto child = board.spawn(argv);
  const bool ready = eventually([&] { return catches_sigint(child.pid()); }, dump_ready_within);
  EXPECT_TRUE(ready) << child.out_so_far() << child.err_so_far();
  return child;
}

// Waits until the dump's standard output is `expected`.
inline bool shows(const sim::Child& child, const std::string& expected) {
  const bool shown = eventually([&] { return child.out_so_far() == expected; }, shown_within);
  EXPECT_TRUE(shown) << "so far: " << testing::PrintToString(child.out_so_far());
  return shown;
}

// What the link reports for a board whose terminal port is missing.
inline const std::string one_port_found =
    std::string(only_one_found) + "\nFailed to auto-detect port. Try rebooting?";

// What the pour sends as frames first to first + count - 1, as CSV lines.
inline std::string poured_csv(std::size_t first, std::size_t count) {
  std::string lines;
  for (std::size_t i = first; i < first + count; ++i) {
    std::string text = sim::numbered_frame(i);
    text.resize(text.size() - 2); // CR LF
    const auto space = text.find(' ');
    lines += text.substr(0, space) + ",8," + text.substr(space + 1) + "\n";
  }
  return lines;
}

} // namespace zelkor::e2e
