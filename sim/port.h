#pragma once
// The firmware's end of one serial port: reads the pty master, cuts the bytes into commands by
// silence, answers them and sends unsolicited traffic, all on one thread of its own.

#include "reply.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <termios.h>
#include <thread>
#include <vector>

namespace zelkor::sim {

class Port {
public:
  // `master` stays owned by the caller and must outlive the port's thread (see stop()).
  Port(int master, std::string slave, Fallback fallback, CommandEnd command_end = {});
  ~Port();
  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;

  void answer(std::string command, Reply reply);
  void set_silent(bool silent);
  void flood(bool on);
  void stop_reading(bool stopped);
  void refuse_input_after(std::string command);
  void stream(std::vector<std::string> frames, std::chrono::milliseconds interval);
  void push(std::string bytes);
  void pour(std::size_t count);

  [[nodiscard]] std::string received() const;
  bool wait_received(std::string_view expected, std::chrono::milliseconds max) const;
  [[nodiscard]] termios line_settings() const;

  // Ends the thread; the port answers nothing afterwards.
  void stop();

private:
  using Clock = std::chrono::steady_clock;
  struct Output {
    Clock::time_point due;
    std::string bytes;
  };

  void run(std::stop_token stop);
  void wake() const;
  void take_input();
  void end_burst();
  void send_due(Clock::time_point now);
  void send_stream(Clock::time_point now);
  void send_flood();
  void send_pour();
  [[nodiscard]] bool pouring() const { return pour_left_ > 0 || !pour_text_.empty(); }
  [[nodiscard]] Clock::time_point next_deadline(Clock::time_point now) const;
  void wait(Clock::time_point deadline);
  void schedule(const Reply& reply);

  int master_;
  std::string slave_;
  Fallback fallback_;
  CommandEnd command_end_;
  int wake_fd_ = -1;   // eventfd: a setter changed something
  int notify_fd_ = -1; // inotify: someone opened the far end

  mutable std::mutex mutex_;
  mutable std::condition_variable received_changed_;
  std::string received_;
  std::map<std::string, Reply, std::less<>> answers_;
  bool silent_ = false;
  bool flooding_ = false;
  bool reading_ = true;
  std::string refused_after_; // the command after which the program's output is stopped
  int hold_fd_ = -1;          // the far end, held open to stop its output
  std::vector<std::string> frames_;
  std::chrono::milliseconds interval_{0};
  std::size_t next_frame_ = 0;
  Clock::time_point frame_due_;
  std::deque<Output> outgoing_;
  std::size_t pour_left_ = 0;
  std::size_t pour_next_ = 0;
  std::string pour_text_; // made but not yet handed to the pty

  // Owned by the port's thread.
  std::string burst_;
  Clock::time_point burst_end_;
  bool hung_up_ = false;

  std::jthread thread_;
};

} // namespace zelkor::sim
