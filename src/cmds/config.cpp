#include "cmds/config.h"

#include <type_traits>

#include "cmds/config_import.h"
#include "cmds/config_json.h"
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

// The listing as one JSON object: `show --json`, or the document `export` prints.
std::uint8_t show_json(bool exported, utils::output::Sink& out) {
  const auto listing =
      utils::zlkr::do_command(terminal, std::string(listing_command), listing_timeout_ms);
  if (!listing) {
    out.line(listing.error());
    return 1;
  }
  out.line(listing_object(*listing, exported));
  return 0;
}

std::uint8_t read_json(const ParameterInfo& info, utils::output::Sink& out) {
  const auto value = read(info.key);
  if (!value) {
    out.line(value.error());
    return 1;
  }
  out.line(field_object(info, *value));
  return 0;
}

// What scripts read stays JSON alone: the selection's answer is left out.
bool prints_json(const Parameter& parameter) {
  return parameter.json || std::holds_alternative<Export>(parameter.parameter);
}

template <typename T>
std::uint8_t run(const T& request, const Parameter& parameter, utils::output::Sink& out) {
  const ParameterInfo& info = info_of(parameter.parameter);
  if constexpr (requires { request.enable; }) {
    return parameter.json ? read_json(info, out)
                          : bool_param(info.key, request.enable, parameter.save, out);
  } else if constexpr (requires { request.value; }) {
    return parameter.json ? read_json(info, out)
                          : value_param(info.key, request.value, parameter.save, out);
  } else if constexpr (std::is_same_v<T, Show>) {
    return parameter.json ? show_json(false, out) : show(out);
  } else if constexpr (std::is_same_v<T, Export>) {
    return show_json(true, out);
  } else if constexpr (std::is_same_v<T, Import>) {
    return import_document(request.file, parameter.number, parameter.save, out);
  } else {
    return value_param(info.key, set_as_default_value, parameter.save, out);
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
  auto listing =
      utils::zlkr::do_command(terminal, std::string(listing_command), listing_timeout_ms);
  if (!listing) {
    return std::unexpected(std::move(listing.error()));
  }
  auto value = listed_value(*listing, key);
  if (!value) {
    return std::unexpected(std::string(not_found));
  }
  return std::move(*value);
}

std::expected<std::string, std::string> select(std::uint8_t number) {
  return utils::zlkr::do_command(terminal, select_command(number), select_timeout_ms);
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
  // An import checks its whole document before it selects anything.
  if (parameter.number && !std::holds_alternative<Import>(parameter.parameter)) {
    // Going on after a failed selection would change whichever configuration is current.
    const auto selected = select(*parameter.number);
    if (!selected) {
      out.line(selected.error());
      return 1;
    }
    if (!prints_json(parameter)) {
      out.line(*selected);
    }
  }
  return std::visit([&](const auto& request) { return run(request, parameter, out); },
                    parameter.parameter);
}

} // namespace zelkor::cmds::config
