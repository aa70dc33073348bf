#include "cmds/config.h"

#include <type_traits>

#include "cmds/config_text.h"
#include "utils/command_word.h"
#include "utils/parsing.h"
#include "utils/zlkr.h"

namespace zelkor::cmds::config {
namespace {

constexpr std::string_view terminal = "terminal";
constexpr std::uint64_t select_timeout_ms = 25;
constexpr std::uint64_t set_timeout_ms = 25;
constexpr std::uint64_t show_timeout_ms = 25;
constexpr std::uint64_t read_timeout_ms = 100; // the listing is long and comes line by line
constexpr std::uint64_t set_truncate = 2;      // the answer's "\r\n"

std::uint8_t print_outcome(const std::expected<std::string, std::string>& outcome,
                           utils::output::Sink& out) {
  out.line(outcome ? *outcome : outcome.error());
  return outcome ? 0 : 1;
}

// The parser already refuses values that are not one word, but `set` is called by other modules
// too.
std::expected<void, std::string> check_fields(std::string_view key, std::string_view value) {
  for (const auto field : {key, value}) {
    if (auto checked = utils::command_word::check(field); !checked) {
      return std::unexpected("Refused to send the setting: a key or value " + checked.error() +
                             ".");
    }
  }
  return {};
}

std::uint8_t show(utils::output::Sink& out) {
  return print_outcome(
      utils::zlkr::do_command(terminal, std::string(listing_command), show_timeout_ms), out);
}

template <typename T>
std::uint8_t run(const T& request, std::string_view key, bool save, utils::output::Sink& out) {
  if constexpr (requires { request.enable; }) {
    return bool_param(key, request.enable, save, out);
  } else if constexpr (requires { request.value; }) {
    return value_param(key, request.value, save, out);
  } else if constexpr (std::is_same_v<T, Show>) {
    return show(out);
  } else {
    return value_param(key, set_as_default_value, save, out);
  }
}

} // namespace

std::expected<std::string, std::string> set(std::string_view key, std::string_view value,
                                            bool save) {
  if (auto checked = check_fields(key, value); !checked) {
    return std::unexpected(checked.error());
  }
  auto port = utils::zlkr::claim_kind(terminal, set_timeout_ms);
  if (!port) {
    return std::unexpected(utils::zlkr::message(port.error()));
  }
  auto answer = utils::zlkr::talk(*port, set_command(key, value), set_truncate);
  if (!answer) {
    return std::unexpected(utils::zlkr::message(answer.error()));
  }
  // Stores the configuration just changed; its answer is of no use to anyone.
  if (save && !port->write(save_command)) {
    return std::unexpected(std::string(utils::zlkr::write_failed));
  }
  return std::move(*answer);
}

std::expected<std::string, std::string> read(std::string_view key) {
  auto listing = utils::zlkr::do_command(terminal, std::string(listing_command), read_timeout_ms);
  if (!listing) {
    return std::unexpected(std::move(listing.error()));
  }
  auto value = utils::parsing::iterfind(*listing, listing_field(key));
  if (!value) {
    return std::unexpected(std::string(not_found));
  }
  return std::move(*value);
}

std::uint8_t bool_param(std::string_view key, std::optional<bool> enable, bool save,
                        utils::output::Sink& out) {
  if (!enable) {
    return print_outcome(read(key), out);
  }
  return print_outcome(set(key, switch_word(*enable), save), out);
}

std::uint8_t value_param(std::string_view key, std::optional<std::string_view> value, bool save,
                         utils::output::Sink& out) {
  if (!value) {
    return print_outcome(read(key), out);
  }
  return print_outcome(set(key, *value, save), out);
}

std::uint8_t handler(Parameter parameter, utils::output::Sink& out) {
  if (parameter.number) {
    // Going on after a failed selection would change whichever configuration is current.
    auto selected =
        utils::zlkr::do_command(terminal, select_command(*parameter.number), select_timeout_ms);
    if (print_outcome(selected, out) != 0) {
      return 1;
    }
  }
  const std::string_view key = info_of(parameter.parameter).key;
  return std::visit([&](const auto& request) { return run(request, key, parameter.save, out); },
                    parameter.parameter);
}

} // namespace zelkor::cmds::config
