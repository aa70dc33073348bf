#pragma once
// What zelkor relies on at the microcontroller's end of the wire. Nothing else about the
// firmware is assumed anywhere in the program; change it here or not at all.
//
// - Presence: one USB device 1fc9:00a3 with two tty ports, enumerated CAN interface first and
//   terminal interface second. Nothing else tells the two apart.
// - Any terminal command is written bare (no terminator) in one write. The answer is UTF-8
//   text without zero bytes, begun within the caller's read time-out and sent without a pause
//   as long as that time-out. An empty answer is allowed.
// - "config" answers with lines of label, colon, value. A key's line is the first one that,
//   lower-cased with spaces turned into hyphens, contains the key.
// - "user-config {}", "set {} {}", "save-config" apply the change; the answer is only printed.
// - The "can-mode" field reads "std" exactly when the CAN controller is in standard mode.
// - Operations: answers are only printed, except "dio-state", which begins with eight
//   characters '0' or '1': I0 I1 I2 I3 O0 O1 O2 O3.
// - A frame command on the CAN interface transmits the frame; the answer is only printed.
// - Received CAN frames come on the CAN interface as lines: identifier, space, data as hex
//   digits, optional space-separated fields, a line end (CR LF; a lone LF or CR is taken too).
//   How the bytes are cut into reads is not relied on: a busy bus packs several frames into one
//   read and a frame can straddle two, so frames are cut at line ends.
// - "launch-bootloader" restarts into the bootloader: within about 2 s the ports leave the
//   listing or come back as a new USB device (new bus and device numbers, often the same node
//   names). The bootloader has two ports within about 7 s, takes "start", "erase", "flash" and
//   then the raw image on its first port, and acknowledges nothing. A bootloader that is
//   running already ignores "launch-bootloader".

#include <cstddef>
#include <cstdint>

namespace zelkor::utils::firmware {

inline constexpr std::uint16_t vendor_id = 0x1fc9;
inline constexpr std::uint16_t product_id = 0x00a3;

inline constexpr std::size_t can_port = 0;        // position in the port list
inline constexpr std::size_t terminal_port = 1;   // position in the port list
inline constexpr std::size_t bootloader_port = 0; // position in the bootloader's port list

} // namespace zelkor::utils::firmware
