#include "firmware.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fmt/format.h>
#include <memory>
#include <mutex>
#include <string_view>
#include <utility>

namespace zelkor::sim {
namespace {

// Whole answers to whole commands.
constexpr std::array<std::pair<std::string_view, std::string_view>, 6> terminal_answers{{
    {"kind", "ZLK-Baseboard-B2\r\n"},
    {"version", "Firmware 2.4.1 (built Mar 14 2025 10:21:07)\r\n"},
    {"status", "Ignition: on\r\nInput Voltage: 24.12\r\nPower State: running\r\n"
               "Uptime: 5321 s\r\n"},
    {"dio-state", "10110000\r\n"},
    {"get-voltage", "24.12\r\n"},
    {"can-autobaud", "Detected baudrate: 500\r\n"},
}};

// The four stored user configurations, each listed by "config" while it is selected and
// changed by "set KEY VALUE"; "user-config N" selects one. The default configuration ("Boot
// Config") is one for the board, not one per configuration.
class Configuration {
public:
  std::string listing() const {
    std::lock_guard lock(mutex_);
    std::string text = "User Config: " + std::to_string(selected_ + 1) + "\r\n";
    for (const auto& [label, value] : stored_.at(selected_)) {
      text += label + ": " + value + "\r\n";
    }
    return text + "Boot Config: " + boot_ + "\r\n";
  }

  // Numbers outside 1 to 4 change nothing.
  void select(std::string_view number) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < stored_.size(); ++i) {
      if (number == std::to_string(i + 1)) {
        selected_ = i;
      }
    }
  }

  // A key names the field whose label, lower-cased with spaces as hyphens, it equals or ends
  // in ("dio-power-switch" is "Power Switch").
  void set(std::string_view key, std::string_view value) {
    std::lock_guard lock(mutex_);
    if (key == "boot-config") {
      boot_ = value;
      return;
    }
    for (auto& [label, current] : stored_.at(selected_)) {
      std::string name;
      for (char c : label) {
        name += c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
      if (key == name || key.ends_with("-" + name)) {
        current = value;
        return;
      }
    }
  }

private:
  using Fields = std::vector<std::pair<std::string, std::string>>;
  static Fields factory() {
    return {
        {"Ignition Sense", "on"}, {"Startup Timer", "10"},      {"Shutdown Timer", "20"},
        {"Hard Off Timer", "60"}, {"Shutdown Voltage", "11.5"}, {"Hotplug", "on"},
        {"CAN Baudrate", "500"},  {"CAN Mode", "std"},          {"Power Switch", "off"},
        {"ERP Mode", "off"},      {"HDMI CEC", "on"},
    };
  }

  mutable std::mutex mutex_;
  std::array<Fields, 4> stored_{factory(), factory(), factory(), factory()};
  std::size_t selected_ = 0;
  std::string boot_ = "1";
};

// Commands taking arguments, acknowledged whatever the arguments.
constexpr std::array<std::string_view, 7> acknowledged_prefixes{
    "set-do ", "set-led ", "user-config ", "vcal ", "set ", "can-message ", "boot-config"};

std::optional<std::string> terminal_answer(Configuration& config, std::string_view command) {
  if (command == "config") {
    return config.listing();
  }
  if (command.starts_with("user-config ")) {
    config.select(command.substr(12));
  }
  if (command.starts_with("set ")) {
    auto rest = command.substr(4);
    auto space = rest.find(' ');
    if (space != std::string_view::npos) {
      config.set(rest.substr(0, space), rest.substr(space + 1));
    }
  }
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
  if (is_frame_command(command)) {
    return "OK\r\n";
  }
  return std::nullopt;
}

} // namespace

bool is_frame_command(std::string_view bytes) {
  return (bytes.starts_with("std ") || bytes.starts_with("ext ")) &&
         (bytes.ends_with(" data") || bytes.ends_with(" remote"));
}

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
  auto config = std::make_shared<Configuration>();
  return [port, style, config](std::string_view command) -> std::optional<Reply> {
    auto text = port == PortId::terminal ? terminal_answer(*config, command) : can_answer(command);
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

std::string numbered_frame(std::size_t index) {
  return fmt::format("{:X} {:016X}\r\n", index % 0x800, index);
}

} // namespace zelkor::sim
