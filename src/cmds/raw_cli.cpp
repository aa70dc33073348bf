#include "cmds/raw_cli.h"

#include <array>
#include <string_view>

#include "cli/numbers.h"

namespace zelkor::cmds::raw {

namespace {

// The port kinds; any other value is taken as a device path.
constexpr std::array<std::string_view, 2> port_words = {"can", "terminal"};

} // namespace

Cli::Cli(cli::Tree& tree) {
  raw_ = &tree.add_command(
      tree.root(), std::string(command),
      "Run string commands directly against or listen to a specified serial interface",
      "Run string commands directly against or listen to a specified serial interface.\n\n"
      "This is primarily made available for debug functionality.");
  tree.require_subcommand(*raw_);
  cli::u64(raw_->add_option("-t,--timeout", values_.timeout,
                            "The timeout, in ms, when reading values from the serial device"))
      ->capture_default_str();
  cli::u64(raw_->add_option("-c,--truncate", values_.truncate,
                            "Truncate n trailing whitespace characters. Set to 0 to disable"))
      ->capture_default_str();

  write_ =
      &tree.add_command(*raw_, "write", "Write a string to a serial device and read the response",
                        "Write a string to a serial device and read the response.\n\n"
                        "Example: `zelkor raw write -p terminal -c \"version\"`");
  tree.serial_port(
      write_
          ->add_option("-p,--port", write_values_.port,
                       "Serial port to attach [can, terminal, /dev/ttyACM0, COM1, ...]")
          ->required(),
      port_words);
  write_->add_option("-c,--command", write_values_.command, "String to send to the device")
      ->required();

  listen_ = &tree.add_command(*raw_, "listen", "Dump all traffic from a serial device",
                              "Dump all traffic from a serial device\n\n"
                              "Example: `zelkor raw listen /dev/ttyACM0`");
  tree.serial_port(listen_
                       ->add_option("-p,--port", listen_values_.port,
                                    "Serial port to read [can, terminal, /dev/ttyACM0, COM1, ...]")
                       ->required(),
                   port_words);

  CLI::App& devices = tree.add_command(
      *raw_, "devices", "Find and report the microcontroller owned virtual serial devices");
  devices.add_flag("--json", devices_values_.json, "Print the two devices as a JSON object")
      ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

std::optional<Raw> Cli::options() const {
  if (!raw_->parsed()) {
    return std::nullopt;
  }
  Raw raw = values_;
  if (write_->parsed()) {
    raw.action = write_values_;
  } else if (listen_->parsed()) {
    raw.action = listen_values_;
  } else {
    raw.action = devices_values_;
  }
  return raw;
}

} // namespace zelkor::cmds::raw
