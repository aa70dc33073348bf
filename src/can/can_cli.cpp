#include "can/can_cli.h"

#include <algorithm>

#include "can/log_text.h"
#include "cli/fields.h"
#include "cli/numbers.h"

namespace zelkor::can {
namespace {

// The interface a log line names: what a network interface may be called.
CLI::Option* interface_name(CLI::Option* option) {
  return cli::checked(
      option,
      [](const std::string& value) -> std::expected<void, std::string> {
        if (!log::is_interface_name(value)) {
          return std::unexpected(
              "must be 1 to 15 characters, none of them a space, '/' or a control character");
        }
        return {};
      },
      "NAME");
}

// A count or a time that ends the dump: 0 would end it before it began.
CLI::Option* at_least_one(CLI::Option* option) {
  return cli::checked(
      cli::u64(option),
      [](const std::string& value) -> std::expected<void, std::string> {
        if (value == "0") {
          return std::unexpected("must be at least 1");
        }
        return {};
      },
      "u64");
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
      can_->add_flag("-n,--nocheck", nocheck_, "Skip checking the mode of the CAN device")
          ->multi_option_policy(CLI::MultiOptionPolicy::Throw),
      "Skip checking the mode of the CAN device.\n\nEnabling this can prevent collisions when the "
      "terminal may be in use by another application. It's also a little faster.\n\nTo manually "
      "report the CAN mode, run `zelkor config can-mode`. For these functions to work, it should "
      "return `std`. The CAN mode may be set to standard with the command `zelkor config "
      "can-mode std`.");
  add_send(tree);
  add_dump(tree);
  add_replay(tree);
}

void Cli::add_send(cli::Tree& tree) {
  send_ = &tree.add_command(*can_, "send", "Send a message on the CAN Bus",
                            "Send a message on the CAN Bus\n\nExample: `zelkor can send 123 "
                            "11223344`");
  // Identifiers, data and filters are checked by the action itself, with its own messages; the
  // parser only insists on text.
  cli::text(send_->add_option("identifier", identifier_,
                              "Message identifier, formatted as a hex string (e.g. 7FF)"))
      ->required();
  data_option_ = cli::text(send_->add_option(
      "data", data_,
      "Up to 8 bytes of message data, formatted as a hex string. (e.g. 11223344AABBCCDD)"));
  length_option_ = tree.long_help(
      cli::u8(send_->add_option("-l,--length", length_, "Length of the data to be transmitted")),
      "Length of the data to be transmitted.\n\nIf not specified, data length will be detected "
      "based on passed data.");
  tree.long_help(
      send_->add_flag("-e,--extended", extended_, "Message should be sent in extended frame format")
          ->multi_option_policy(CLI::MultiOptionPolicy::Throw),
      "Message should be sent in extended frame format\n\nThis only affects the "
      "'identifier' portion of the CAN message.");
  send_->add_flag("-r,--remote", remote_, "Send a remote request frame instead of a data frame")
      ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
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
      cli::text(
          dump_->add_option("-f,--filter", "Accept messages with matching IDs. Discard all others")
              ->expected(0, CLI::detail::expected_max_vector_size)
              ->allow_extra_args()),
      "Accept messages with matching IDs. Discard all others.\n\nMultiple id filters may be "
      "applied by passing them as a list. Example: `zelkor can dump -f 7FF 123 00000555`");
  tree.long_help(dump_->add_flag("-d,--delta", delta_, "Log the time delta between frames")
                     ->multi_option_policy(CLI::MultiOptionPolicy::Throw),
                 "Log the time delta between frames\n\nTimes will be reported as floating point "
                 "seconds; 1.001 is 1001 milliseconds. Delta is calculated, so should not be "
                 "considered completely representative of message time.");
  output_option_ =
      tree.paths(dump_->add_option("output", output_, "Output file, stdout if not present"));
  auto* csv = tree.long_help(dump_->add_flag("-c,--csv", csv_, "Format the output like a csv")
                                 ->multi_option_policy(CLI::MultiOptionPolicy::Throw),
                             "Format the output like a csv.\n\nHeader will be included as "
                             "id,len,data or id,len,data,delta.");
  auto* log = tree.long_help(
      dump_->add_flag("-L,--log", log_, "Write the frames in the CAN log format")
          ->multi_option_policy(CLI::MultiOptionPolicy::Throw),
      "Write the frames in the CAN log format\n\nOne line per frame, no header: `(SECONDS.MICROS) "
      "can0 123#11223344`, the time being the wall clock when the frame was read. CAN tools read "
      "these logs (candump's log format), and `zelkor can replay` plays them back. Frames the "
      "format cannot carry are left out and counted on standard error at the end.");
  log->excludes(csv)->excludes(dump_->get_option("--delta"));
  dump_interface_option_ =
      interface_name(dump_->add_option("--interface", dump_interface_,
                                       "Interface name written in the log [default: can0]"))
          ->needs(log);
  add_dump_endings(tree);
}

void Cli::add_dump_endings(cli::Tree& tree) {
  count_option_ = tree.long_help(
      at_least_one(dump_->add_option("--count", count_, "Stop after this many written frames")),
      "Stop after this many written frames\n\nThe dump ends as on Ctrl-C, with status 0, once "
      "this many frames passed the filter and were written.");
  idle_option_ = tree.long_help(
      at_least_one(dump_->add_option("--idle", idle_ms_,
                                     "Stop when no frame has come for this many milliseconds")),
      "Stop when no frame has come for this many milliseconds\n\nThe dump ends as on Ctrl-C, "
      "with status 0. Every frame received counts, whether the filter keeps it or not.");
}

void Cli::add_replay(cli::Tree& tree) {
  replay_ = &tree.add_command(
      *can_, "replay", "Send the frames of a CAN log onto the CAN Bus",
      "Send the frames of a CAN log onto the CAN Bus\n\nReads a log in the CAN log format "
      "(`(1765000000.123456) can0 123#11223344` lines, as `zelkor can dump -L` and candump write "
      "them) and sends its frames in order, keeping the gaps between them. The whole log is "
      "checked before anything is sent.\n\nExample: `zelkor can replay drive.log`");
  tree.long_help(
      replay_
          ->add_flag("-t,--ignore-timestamps", ignore_timestamps_, "Send the frames back to back")
          ->multi_option_policy(CLI::MultiOptionPolicy::Throw),
      "Send the frames back to back\n\nWithout it, each frame goes out at its time in "
      "the log, counted from the first frame.");
  replay_interface_option_ = interface_name(replay_->add_option(
      "--interface", replay_interface_, "Replay only the frames of this interface"));
  tree.paths(replay_->add_option("file", replay_file_, "Log file, - for standard input"))
      ->required();
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
  } else if (replay_->parsed()) {
    action.action = replay_values();
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
      .log = log_,
      .interface =
          dump_interface_option_->count() > 0 ? std::optional(dump_interface_) : std::nullopt,
      .count = count_option_->count() > 0 ? std::optional(count_) : std::nullopt,
      .idle_ms = idle_option_->count() > 0 ? std::optional(idle_ms_) : std::nullopt,
  };
}

Replay Cli::replay_values() const {
  return {
      .file = replay_file_,
      .interface =
          replay_interface_option_->count() > 0 ? std::optional(replay_interface_) : std::nullopt,
      .ignore_timestamps = ignore_timestamps_,
  };
}

} // namespace zelkor::can
