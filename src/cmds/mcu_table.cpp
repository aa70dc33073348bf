#include "cmds/mcu.h"

#include <utility>

namespace zelkor::cmds::mcu {

namespace {

constexpr std::array<Operation, std::variant_size_v<Commands>> table = {{
    {"kind", "kind", 25, 2, "Report the baseboard name",
     "Report the baseboard name.\n\nExample: `zelkor op kind`"},
    {"version", "version", 25, 2, "Report the firmware version and build date",
     "Report the firmware version and build date\n\nExample: `zelkor op version`"},
    {"can-autobaud", "can-autobaud", 250, 2, "Attempt to auto-detect the baudrate of the can bus",
     "Attempt to auto-detect the baudrate of the can bus.\n\nThis operation will attempt to send "
     "0x7FF on the bus until the message is acknowledged.\n\nExample: `zelkor op can-autobaud`"},
    {"can-message", "can-message", 25, 2,
     "Format id and data into a can message and transmit it on the bus",
     "Format id and data into a can message and transmit it on the bus.\n\nThis operation only "
     "supports standard can frames. Pyzelkor or the `can` subcommand may be used for more "
     "complete CAN functionality.\n\nExample: `zelkor op can-message -i 123 -d 11223344`"},
    {"dio-state", "dio-state", 25, 2,
     "Report the current logical states of the digital inputs/outputs",
     "Report the current logical states of the digital inputs/outputs.\n\nThis is represented by "
     "eight characters, each a '1' or a '0'. The bit order is: I0 - I1 - I2 - I3 - O0 - O1 - O2 "
     "- O3, where 'I' is input and 'O' is output.\n\nExample: `zelkor op dio-state`"},
    {"get-di", "dio-state", 25, std::nullopt, "Report the current state of a given digital input",
     "Report the current state of a given digital input\n\nWhen a digital input is "
     "disconnected, it will read as '1'.\n\nExample: `zelkor op get-di 0`"},
    {"set-do", "set-do", 25, 2, "Set the state of a digital output as on or off",
     "Set the state of a digital output as on or off\n\nExample: `zelkor op set-do 0 1`"},
    {"set-led", "set-led", 25, 2, "Set the state of an LED as on or off",
     "Set the state of an LED as on or off\n\nExample: `zelkor op set-led 1 1`"},
    {"status", "status", 500, 1, "Report system status information",
     "Report system status information\n\nExample: `zelkor op status`"},
    {"user-config", "user-config", 25, 2, "Set the current user configuration",
     "Set the current user configuration\n\nExample: `zelkor op user-config 2`"},
    {"get-voltage", "get-voltage", 25, 2, "Report the current system input voltage",
     "Report the current system input voltage\n\nExample: `zelkor op get-voltage`"},
    {"cal-voltage", "vcal", 350, 2, "Calibrate the input voltage readout based on measured voltage",
     "Calibrate the input voltage readout based on measured voltage.\n\nBefore running this "
     "function, measure the the input voltage at the terminal: Applying the measured value will "
     "adjust the input voltage calculation to account for hardware tolerance. Voltage calibration "
     "is limited to +- 5%.\n\nExample: `zelkor op cal-voltage -r 19.95`"},
}};

// A row out of place would send another operation's word with its time-out.
template <std::size_t... Row> consteval bool rows_follow_commands(std::index_sequence<Row...>) {
  return ((table.at(Row).name == std::variant_alternative_t<Row, Commands>::name) && ...);
}
static_assert(rows_follow_commands(std::make_index_sequence<table.size()>()),
              "each row of the operations table must name the Commands alternative at its index");

} // namespace

const std::array<Operation, std::variant_size_v<Commands>> operations = table;

const Operation& operation_of(const Commands& command) {
  return operations.at(command.index());
}

} // namespace zelkor::cmds::mcu
