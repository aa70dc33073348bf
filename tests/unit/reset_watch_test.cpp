#include "update/reset_watch.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace zelkor::update;
using zelkor::utils::serial::PortIdentity;
using Listing = std::vector<PortIdentity>;

const Listing firmware = {{"/dev/ttyACM0", "1", "5"}, {"/dev/ttyACM1", "1", "5"}};
const Listing renumbered = {{"/dev/ttyACM0", "1", "6"}, {"/dev/ttyACM1", "1", "6"}};
const Listing renamed = {{"/dev/ttyACM2", "1", "6"}, {"/dev/ttyACM3", "1", "6"}};
const Listing nothing = {};
const Listing can_only = {{"/dev/ttyACM0", "1", "5"}};
const Listing terminal_only = {{"/dev/ttyACM1", "1", "5"}};
const Listing unnumbered = {{"/dev/ttyACM0", "", ""}, {"/dev/ttyACM1", "", ""}};

std::string describe(const Verdict& verdict) {
  if (const auto* ready = std::get_if<Ready>(&verdict)) {
    std::string text = "ready";
    for (const auto& node : ready->ports) {
      text += " " + node;
    }
    return text;
  }
  return std::holds_alternative<TimedOut>(verdict) ? "timed out" : "wait";
}

struct Step {
  int elapsed_ms;
  std::optional<Listing> listing; // nothing: udev could not be asked
  std::string verdict;
};

struct Case {
  std::string name;
  Listing before;
  std::vector<Step> steps;
};

TEST(ResetWatch, DecidesFromSuccessiveDiscoveries) {
  const std::string on_new = "ready /dev/ttyACM0 /dev/ttyACM1";
  const std::vector<Case> cases = {
      {"still listed, then gone, then back renumbered",
       firmware,
       {{0, firmware, "wait"}, {40, nothing, "wait"}, {300, renumbered, on_new}}},
      {"renumbered between two discoveries", firmware, {{5, renumbered, on_new}}},
      {"back under other names",
       firmware,
       {{0, firmware, "wait"},
        {100, nothing, "wait"},
        {400, renamed, "ready /dev/ttyACM2 /dev/ttyACM3"}}},
      {"one port back first", firmware, {{100, nothing, "wait"}, {300, can_only, "wait"}}},
      {"no sign of a restart: the ports present after the grace",
       firmware,
       {{0, firmware, "wait"}, {1999, firmware, "wait"}, {2000, firmware, on_new}}},
      {"listed in another order: no sign of a restart",
       firmware,
       {{0, Listing{firmware[1], firmware[0]}, "wait"},
        {2000, Listing{firmware[1], firmware[0]}, "ready /dev/ttyACM1 /dev/ttyACM0"}}},
      {"restarted: the grace no longer ends the wait",
       firmware,
       {{10, nothing, "wait"}, {2500, nothing, "wait"}}},
      {"gone for good",
       firmware,
       {{10, nothing, "wait"}, {6999, nothing, "wait"}, {7000, nothing, "timed out"}}},
      {"only one port back by the limit",
       firmware,
       {{10, nothing, "wait"}, {7000, can_only, "timed out"}}},
      {"back exactly at the limit", firmware, {{10, nothing, "wait"}, {7000, renumbered, on_new}}},
      {"a port that stayed is still the firmware's",
       firmware,
       {{10, terminal_only, "wait"}, {300, firmware, "wait"}, {7000, firmware, "timed out"}}},
      {"numbers unknown: a node that left and came back is new",
       unnumbered,
       {{0, unnumbered, "wait"}, {50, nothing, "wait"}, {200, unnumbered, on_new}}},
      {"the firmware's numbers are never the bootloader's, even after its nodes left",
       firmware,
       {{10, nothing, "wait"}, {20, firmware, "wait"}, {7000, firmware, "timed out"}}},
      {"a discovery that failed is no sign of a restart",
       firmware,
       {{10, std::nullopt, "wait"}, {2000, firmware, on_new}}},
      {"discoveries that keep failing end at the limit",
       firmware,
       {{10, nothing, "wait"}, {6999, std::nullopt, "wait"}, {7000, std::nullopt, "timed out"}}},
      {"a third port is not the bootloader",
       firmware,
       {{10, nothing, "wait"},
        {100, Listing{renumbered[0], renumbered[1], {"/dev/ttyACM2", "1", "6"}}, "wait"},
        {200, renumbered, on_new}}},
  };
  for (const auto& c : cases) {
    ResetWatch watch(c.before);
    for (const auto& step : c.steps) {
      EXPECT_EQ(describe(watch.observe(step.listing, std::chrono::milliseconds(step.elapsed_ms))),
                step.verdict)
          << c.name << ", at " << step.elapsed_ms << " ms";
    }
  }
}

} // namespace
