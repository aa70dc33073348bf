#include "can/can_cli.h"

#include <algorithm>

#include "cli/fields.h"
#include "cli/numbers.h"
#include "utils/chunk.h"

namespace zelkor::can {
namespace {

// Identifiers, data and filters are checked by the action itself, with its own messages; the
// parser only insists on text.
CLI::Option* text(CLI::Option* option) {
  return option->check(CLI::Validator(
      [](const std::string& value) {
        return utils::chunk::is_utf8(value) ? std::string{} : "must be valid UTF-8 text";
      },
      "TEXT"));
}

} // namespace

Cli::Cli(cli::Tree& tree) {
  can_ = &tree.add_command(tree.root(), std::string(command),
                           "Interface with and control the on-board can device",
                           "Interface with and control the on-board can device\n\nSend and "
                           "receive can messages, set baudrate, etc. All operations require the "
                           "device to be in standard can mode.");
  tree.require_subcommand(*can_);
  baudrate_option_ = tree.long_help(
      cli::command_field(
          can_->add_option("-b,--baudrate", baudrate_, "Set the device baudrate [100-1000]")),
      "Set the device baudrate [100-1000]\n\nPossible values are 100K-1000K (e.g. `zelkor can -b "
      "500 send 123 11223344`)\n\nIf not passed, the message will be sent or recieved at the "
      "current bus baudrate. Current bus baudrate may be reported with `zelkor config "
      "can-baudrate`. Baudrates passed here will NOT override the baudrate loaded on system reset "
      "(cold boot). To set that default baudrate, run `zelkor config can-baudrate [BAUD]`");
  tree.long_help(
      can_->add_flag("-n,--nocheck", nocheck_, "Skip checking the mode of the CAN device"),
      "Skip checking the mode of the CAN device.\n\nEnabling this can prevent collisions when the "
      "terminal may be in use by another application. It's also a little faster.\n\nTo manually "
      "report the CAN mode, run `zelkor config can-mode`. For these functions to work, it should "
      "return `std`. The CAN mode may be set to standard with the command `zelkor config "
      "can-mode std`.");
  add_send(tree);
  add_dump(tree);
}

void Cli::add_send(cli::Tree& tree) {
  send_ = &tree.add_command(*can_, "send", "Send a message on the CAN Bus",
                            "Send a message on the CAN Bus\n\nExample: `zelkor can send 123 "
                            "11223344`");
  text(send_->add_option("identifier", identifier_,
                         "Message identifier, formatted as a hex string (e.g. 7FF)"))
      ->required();
  data_option_ = text(send_->add_option(
      "data", data_,
      "Up to 8 bytes of message data, formatted as a hex string. (e.g. 11223344AABBCCDD)"));
  length_option_ = tree.long_help(
      cli::u8(send_->add_option("-l,--length", length_, "Length of the data to be transmitted")),
      "Length of the data to be transmitted.\n\nIf not specified, data length will be detected "
      "based on passed data.");
  tree.long_help(send_->add_flag("-e,--extended", extended_,
                                 "Message should be sent in extended frame format"),
                 "Message should be sent in extended frame format\n\nThis only affects the "
                 "'identifier' portion of the CAN message.");
  send_->add_flag("-r,--remote", remote_, "Send a remote request frame instead of a data frame");
}

void Cli::add_dump(cli::Tree& tree) {
  dump_ = &tree.add_command(
      *can_, "dump", "Listen to messages on the CAN Bus",
      "Listen to messages on the CAN Bus\n\nDump output from all received can messages. Supports "
      "some additional features like logging the time between frames, or filtering for certain "
      "message IDs.\n\nExamples:\n\n`zelkor can dump -d`  # Print all can messages to the "
      "terminal along with time delta\n\n`zelkor can dump -d -c -f 123 7FF -- messages.csv`  # "
      "Log messages with matching ids to messages.csv");
  // Any number of values, up to the next option or "--", which CLI11 takes as the list's end.
  filter_option_ = tree.long_help(
      text(dump_->add_option("-f,--filter", "Accept messages with matching IDs. Discard all others")
               ->expected(0, CLI::detail::expected_max_vector_size)
               ->allow_extra_args()),
      "Accept messages with matching IDs. Discard all others.\n\nMultiple id filters may be "
      "applied by passing them as a list. Example: `zelkor can dump -f 7FF 123 00000555`");
  tree.long_help(dump_->add_flag("-d,--delta", delta_, "Log the time delta between frames"),
                 "Log the time delta between frames\n\nTimes will be reported as floating point "
                 "seconds; 1.001 is 1001 milliseconds. Delta is calculated, so should not be "
                 "considered completely representative of message time.");
  output_option_ =
      tree.paths(dump_->add_option("output", output_, "Output file, stdout if not present"));
  tree.long_help(dump_->add_flag("-c,--csv", csv_, "Format the output like a csv"),
                 "Format the output like a csv.\n\nHeader will be included as id,len,data or "
                 "id,len,data,delta.");
}

std::optional<Action> Cli::options() const {
  if (!can_->parsed()) {
    return std::nullopt;
  }
  Action action{
      .baudrate = baudrate_option_->count() > 0 ? std::optional(baudrate_) : std::nullopt,
      .nocheck = nocheck_,
      .action = {},
  };
  if (send_->parsed()) {
    action.action = send_values();
  } else {
    action.action = dump_values();
  }
  return action;
}

Send Cli::send_values() const {
  return {
      .identifier = identifier_,
      .data = data_option_->count() > 0 ? std::optional(data_) : std::nullopt,
      .length = length_option_->count() > 0 ? std::optional(static_cast<std::uint8_t>(length_))
                                            : std::nullopt,
      .extended = extended_,
      .remote = remote_,
  };
}

Dump Cli::dump_values() const {
  std::optional<std::vector<std::string>> filter;
  if (filter_option_->count() > 0) {
    // A bare -f reaches us as one empty value; it keeps every frame, as no -f does.
    filter.emplace();
    std::ranges::copy_if(filter_option_->results(), std::back_inserter(*filter),
                         [](const std::string& id) { return !id.empty(); });
  }
  return {
      .filter = std::move(filter),
      .delta = delta_,
      .output = output_option_->count() > 0 ? std::optional<std::filesystem::path>(output_)
                                            : std::nullopt,
      .csv = csv_,
  };
}

} // namespace zelkor::can
