#pragma once
// `raw`: direct access to the microcontroller's serial ports, for debugging.

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <variant>

#include <CLI/CLI.hpp>

#include "cli/tree.h"
#include "utils/output.h"
#include "utils/serial.h"

namespace zelkor::cmds::raw {

struct Write {
  std::string port;
  std::string command;
};

struct Listen {
  std::string port;
};

struct Devices {};

using RawAction = std::variant<Write, Listen, Devices>;

struct Raw {
  std::uint64_t timeout = 50;
  std::uint64_t truncate = 2;
  RawAction action;
};

// The `raw` grammar. Adds `raw` to the tree and binds its values to members, so it must not
// move after construction.
class Cli {
public:
  explicit Cli(cli::Tree& tree);
  Cli(const Cli&) = delete;
  Cli& operator=(const Cli&) = delete;

  // Set when `raw` was chosen on the command line.
  [[nodiscard]] std::optional<Raw> options() const;

private:
  CLI::App* raw_;
  CLI::App* write_;
  CLI::App* listen_;
  Raw values_;
  Write write_values_;
  Listen listen_values_;
};

// Claims the port named by `port`: "can" or "terminal", or else a device path.
std::expected<utils::serial::Port, std::string> get_device(const std::string& port,
                                                           std::uint64_t timeout);

std::uint8_t handler(Raw raw, utils::output::Sink& out);

} // namespace zelkor::cmds::raw
