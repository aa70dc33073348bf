#pragma once
// The `can` grammar.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "can/can.h"
#include "cli/tree.h"

namespace zelkor::can {

// Adds `can`, `send`, `dump` and `replay` to the tree and binds their values to members, so it must
// not move after construction.
class Cli {
public:
  // The word that chooses the subcommand.
  static constexpr std::string_view command = "can";

  explicit Cli(cli::Tree& tree);
  Cli(const Cli&) = delete;
  Cli& operator=(const Cli&) = delete;

  // Set when `can` was chosen on the command line.
  [[nodiscard]] std::optional<Action> options() const;

private:
  void add_send(cli::Tree& tree);
  void add_dump(cli::Tree& tree);
  void add_dump_endings(cli::Tree& tree);
  void add_replay(cli::Tree& tree);
  [[nodiscard]] Send send_values() const;
  [[nodiscard]] Dump dump_values() const;
  [[nodiscard]] Replay replay_values() const;

  CLI::App* can_;
  CLI::App* send_ = nullptr;
  CLI::App* dump_ = nullptr;
  CLI::App* replay_ = nullptr;
  CLI::Option* baudrate_option_;
  std::string baudrate_;
  bool nocheck_ = false;

  std::string identifier_;
  CLI::Option* data_option_ = nullptr;
  std::string data_;
  CLI::Option* length_option_ = nullptr;
  std::uint64_t length_ = 0;
  bool extended_ = false;
  bool remote_ = false;

  CLI::Option* filter_option_ = nullptr;
  bool delta_ = false;
  CLI::Option* output_option_ = nullptr;
  std::string output_;
  bool csv_ = false;
  bool log_ = false;
  CLI::Option* dump_interface_option_ = nullptr;
  std::string dump_interface_;
  CLI::Option* count_option_ = nullptr;
  std::uint64_t count_ = 0;
  CLI::Option* idle_option_ = nullptr;
  std::uint64_t idle_ms_ = 0;

  std::string replay_file_;
  CLI::Option* replay_interface_option_ = nullptr;
  std::string replay_interface_;
  bool ignore_timestamps_ = false;
};

} // namespace zelkor::can
