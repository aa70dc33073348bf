#pragma once
// Finding, claiming and reading the microcontroller's serial ports.

#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "utils/output.h"

namespace zelkor::utils::serial {

// Device-node paths of the matching ports, in udev enumeration order.
using PortList = std::vector<std::string>;

// Finds exactly two tty devices with the given USB identity, or one of three fixed texts.
std::expected<PortList, std::string> get_ports(std::uint16_t vendor_id, std::uint16_t product_id);

// A matching port and the USB device it belongs to. The device's bus and device numbers change
// when it enumerates again (a restart), even when its ports come back under the same names.
struct PortIdentity {
  std::string node;
  std::string busnum; // as sysfs gives them; empty when it does not
  std::string devnum;
  bool operator==(const PortIdentity&) const = default;
};

// Every tty device with the given USB identity, in enumeration order, however many there are
// (none when udev cannot be asked).
std::vector<PortIdentity> find_ports(std::uint16_t vendor_id, std::uint16_t product_id);

// A serial device held for exclusive use. Every read and write is bounded by the time-out;
// destroying the port gives up the exclusive use and closes it.
class Port {
public:
  Port(Port&& other) noexcept;
  Port& operator=(Port&& other) noexcept;
  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;
  ~Port();

  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] std::uint64_t timeout_ms() const { return timeout_ms_; }
  [[nodiscard]] int fd() const { return fd_; }

  // Writes every byte or fails: std::errc::timed_out when the device does not take them all
  // within the time-out (pending output is then discarded), another error for I/O failures.
  std::expected<void, std::error_code> write(std::string_view bytes);

  // Waits until the device has sent everything written to it: std::errc::timed_out when that
  // takes longer than the time-out, another error when the device fails or goes away.
  std::expected<void, std::error_code> drain();

  // One read of at most buffer.size() bytes, waiting up to `wait_ms` for data (or for
  // `wake_fd`, when given, to become readable: std::errc::interrupted, as is a signal; or for
  // `hangup_fd`, when given, to report a hang-up or error, as a pipe whose reader went away
  // does: std::errc::broken_pipe). std::errc::timed_out when nothing arrived; a hang-up or end
  // of file on the port is std::errc::io_error.
  std::expected<std::size_t, std::error_code>
  read_some(std::span<char> buffer, std::uint64_t wait_ms, int wake_fd = -1, int hangup_fd = -1);

private:
  friend std::expected<Port, std::error_code> claim(std::string_view path,
                                                    std::uint64_t timeout_ms);
  Port(int fd, std::string path, std::uint64_t timeout_ms, bool exclusive);
  void release() noexcept;

  int fd_ = -1;
  std::string path_;
  std::uint64_t timeout_ms_ = 0;
  bool exclusive_ = false; // TIOCEXCL set by this claim, and so ours to clear
};

// Opens `path` for exclusive use at 9600 8N1 raw. A claim refused because another process
// holds the device leaves that holder untouched.
std::expected<Port, std::error_code> claim(std::string_view path, std::uint64_t timeout_ms);

// The errors of reading an answer.
enum class ReadError {
  io,       // the device failed or went away
  too_long, // the answer passed the size limit
  not_utf8, // the collected bytes are not UTF-8 text
};

// Collects an answer until the port is silent for its whole time-out (or the overall limit
// passes), then drops `truncate` bytes from its end.
std::expected<std::string, ReadError> read(Port& port, std::uint64_t truncate);

} // namespace zelkor::utils::serial
