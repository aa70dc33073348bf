#pragma once
// Ctrl-C while an update runs. Once the firmware was asked to restart into its bootloader,
// stopping before the image is written leaves the microcontroller without firmware, so one
// Ctrl-C must not be enough.

#include <signal.h>

#include <array>
#include <string_view>

namespace zelkor::update {

// Printed on standard error at the first Ctrl-C.
inline constexpr std::string_view interrupt_warning =
    "zelkor: the update goes on: stopping it now leaves the microcontroller without firmware. "
    "Press Ctrl-C again to stop anyway.\n";

// For its lifetime the first Ctrl-C prints the warning and changes nothing else; the second
// one asks the update to stop: stop_requested() turns true and wake_fd() readable, so a wait
// on the port that polls it ends at once. At most one may exist at a time.
class TwoStageCtrlC {
public:
  TwoStageCtrlC();
  TwoStageCtrlC(const TwoStageCtrlC&) = delete;
  TwoStageCtrlC& operator=(const TwoStageCtrlC&) = delete;
  ~TwoStageCtrlC();

  [[nodiscard]] bool stop_requested() const;
  // Readable once a stop was asked for; never read it, only poll it.
  [[nodiscard]] int wake_fd() const { return wake_[0]; }

private:
  std::array<int, 2> wake_ = {-1, -1};
  struct sigaction previous_ {};
};

} // namespace zelkor::update
