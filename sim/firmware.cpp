#include "firmware.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace zelkor::sim {
namespace {

// Whole answers to whole commands.
constexpr std::array<std::pair<std::string_view, std::string_view>, 7> terminal_answers{{
    {"kind", "ZLK-Baseboard-B2\r\n"},
    {"version", "Firmware 2.4.1 (built Mar 14 2025 10:21:07)\r\n"},
    {"config", "User Config: 1\r\n"
               "Ignition Sense: on\r\n"
               "Startup Timer: 10\r\n"
               "Shutdown Timer: 20\r\n"
               "Hard Off Timer: 60\r\n"
               "Shutdown Voltage: 11.5\r\n"
               "Hotplug: on\r\n"
               "CAN Baudrate: 500\r\n"
               "CAN Mode: std\r\n"
               "Power Switch: off\r\n"
               "ERP Mode: off\r\n"
               "HDMI CEC: on\r\n"
               "Boot Config: 1\r\n"},
    {"status", "Ignition: on\r\nInput Voltage: 24.12\r\nPower State: running\r\n"
               "Uptime: 5321 s\r\n"},
    {"dio-state", "10110000\r\n"},
    {"get-voltage", "24.12\r\n"},
    {"can-autobaud", "Detected baudrate: 500\r\n"},
}};

// Commands taking arguments, acknowledged whatever the arguments.
constexpr std::array<std::string_view, 7> acknowledged_prefixes{
    "set-do ", "set-led ", "user-config ", "vcal ", "set ", "can-message ", "boot-config"};

std::optional<std::string> terminal_answer(std::string_view command) {
  for (const auto& [word, text] : terminal_answers) {
    if (command == word) {
      return std::string(text);
    }
  }
  if (command == "save-config") {
    return "Config saved\r\n";
  }
  for (auto prefix : acknowledged_prefixes) {
    if (command.starts_with(prefix)) {
      return "OK\r\n";
    }
  }
  return std::nullopt;
}

std::optional<std::string> can_answer(std::string_view command) {
  if (command.starts_with("std ") || command.starts_with("ext ")) {
    return "OK\r\n";
  }
  return std::nullopt;
}

} // namespace

std::vector<std::string> split(const std::string& text, int pieces) {
  auto count = static_cast<std::size_t>(std::max(pieces, 1));
  auto size = std::max<std::size_t>(1, (text.size() + count - 1) / count);
  std::vector<std::string> chunks;
  for (std::size_t at = 0; at < text.size(); at += size) {
    chunks.push_back(text.substr(at, size));
  }
  return chunks;
}

Fallback default_firmware(PortId port, FirmwareStyle style) {
  return [port, style](std::string_view command) -> std::optional<Reply> {
    auto text = port == PortId::terminal ? terminal_answer(command) : can_answer(command);
    if (!text) {
      return std::nullopt;
    }
    // The listing comes in pieces even unshaped: a real controller sends it line by line.
    int pieces = style.chunks > 1 ? style.chunks : (command == "config" ? 4 : 1);
    return Reply{split(*text, pieces), style.pause};
  };
}

std::vector<std::string> default_can_frames() {
  return {"123 11223344\r\n", "7FF 0102030405060708\r\n", "1A 00\r\n"};
}

} // namespace zelkor::sim
