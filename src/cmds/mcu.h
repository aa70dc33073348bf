#pragma once
// `op`: one microcontroller operation per run.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "utils/output.h"

namespace zelkor::cmds::mcu {

// One alternative per operation, in the order they are offered on the command line.
struct Kind {};
struct Version {};
struct CanAutobaud {};
struct CanMessage {
  std::string id;
  std::string data;
};
struct DioState {};
struct GetDi {
  std::uint8_t input = 0;
};
struct SetDo {
  std::uint8_t output = 0;
  char state = '0';
};
struct SetLed {
  std::uint8_t number = 1;
  char state = '0';
};
struct Status {};
struct UserConfig {
  std::string number;
  bool set_default = false;
};
struct GetVoltage {};
struct CalVoltage {
  float reference = 0;
};

using Commands = std::variant<Kind, Version, CanAutobaud, CanMessage, DioState, GetDi, SetDo,
                              SetLed, Status, UserConfig, GetVoltage, CalVoltage>;

// What each operation sends and how its answer is taken, with its help. Indexed like Commands.
struct Operation {
  std::string_view name;
  std::string_view word;    // the firmware command
  std::uint64_t timeout_ms; // silence that ends the answer
  std::uint64_t truncate;   // bytes dropped from the answer's end
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
