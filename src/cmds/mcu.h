#pragma once
// `op`: one microcontroller operation per run.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "utils/output.h"

namespace zelkor::cmds::mcu {

// One alternative per operation, in the order they are offered on the command line. Each
// names its row of `operations`, which the table checks at compile time.
struct Kind {
  static constexpr std::string_view name = "kind";
};
struct Version {
  static constexpr std::string_view name = "version";
};
struct CanAutobaud {
  static constexpr std::string_view name = "can-autobaud";
};
struct CanMessage {
  static constexpr std::string_view name = "can-message";
  std::string id;
  std::string data;
};
struct DioState {
  static constexpr std::string_view name = "dio-state";
};
struct GetDi {
  static constexpr std::string_view name = "get-di";
  std::uint8_t input = 0;
};
struct SetDo {
  static constexpr std::string_view name = "set-do";
  std::uint8_t output = 0;
  char state = '0';
};
struct SetLed {
  static constexpr std::string_view name = "set-led";
  std::uint8_t number = 1;
  char state = '0';
};
struct Status {
  static constexpr std::string_view name = "status";
};
struct UserConfig {
  static constexpr std::string_view name = "user-config";
  std::string number;
  bool set_default = false;
};
struct GetVoltage {
  static constexpr std::string_view name = "get-voltage";
};
struct CalVoltage {
  static constexpr std::string_view name = "cal-voltage";
  float reference = 0;
};

using Commands = std::variant<Kind, Version, CanAutobaud, CanMessage, DioState, GetDi, SetDo,
                              SetLed, Status, UserConfig, GetVoltage, CalVoltage>;

// What each operation sends and how its answer is taken, with its help. Indexed like Commands;
// each row's name is its alternative's, or the table does not compile.
struct Operation {
  std::string_view name;
  std::string_view word;    // the firmware command
  std::uint64_t timeout_ms; // silence that ends the answer
  // Bytes dropped from the answer's end; none where the exchange fixes its own (get-di).
  std::optional<std::uint64_t> truncate;
  std::string_view about;
  std::string_view long_about;
};

extern const std::array<Operation, std::variant_size_v<Commands>> operations;

const Operation& operation_of(const Commands& command);

// Claims the terminal port, writes `command`, prints the answer or the failure. True when it
// failed.
bool do_op(std::string_view command, std::uint64_t timeout_ms, std::uint64_t truncate,
           utils::output::Sink& out);

std::uint8_t handler(Commands command, utils::output::Sink& out);

} // namespace zelkor::cmds::mcu
