#include "cmds/config_json.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <set>

#include <fmt/format.h>

#include "cmds/config_text.h"
#include "utils/command_word.h"
#include "utils/json.h"

namespace zelkor::cmds::config {
namespace {

using utils::json::Value;

constexpr int document_format = 1;

std::optional<std::int64_t> whole(std::string_view text) {
  std::int64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return number;
}

std::optional<double> decimal(std::string_view text) {
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
      !std::isfinite(number)) {
    return std::nullopt;
  }
  return number;
}

// The listing's text as a value of `type`; text that does not fit stays text, so nothing the
// board said is lost.
Value typed(Type type, std::string_view text) {
  if (type == Type::flag && (text == switch_word(true) || text == switch_word(false))) {
    return text == switch_word(true);
  }
  if (type == Type::whole || type == Type::number) {
    if (auto number = whole(text)) {
      return *number;
    }
  }
  if (type == Type::number) {
    if (auto number = decimal(text)) {
      return *number;
    }
  }
  return std::string(text);
}

Value typed_or_null(Type type, const std::optional<std::string>& text) {
  return text ? typed(type, *text) : Value(nullptr);
}

// The shortest decimal text that reads back as `number`, never in exponent form.
std::string shortest(double number) {
  std::array<char, 512> buffer{}; // the longest fixed form of a double is about 330 characters
  const auto [end, error] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), number, std::chars_format::fixed);
  return error == std::errc{} ? std::string(buffer.data(), end) : fmt::format("{}", number);
}

// A typed value as a set command writes it.
std::string wire_text(const Value& value) {
  if (value.is_boolean()) {
    return std::string(switch_word(value.get<bool>()));
  }
  if (value.is_number_unsigned()) {
    return fmt::format("{}", value.get<std::uint64_t>());
  }
  if (value.is_number_integer()) {
    return fmt::format("{}", value.get<std::int64_t>());
  }
  if (value.is_number_float()) {
    return shortest(value.get<double>());
  }
  return value.is_string() ? value.get<std::string>() : utils::json::dumped(value);
}

std::string refused(std::string_view why) {
  return fmt::format("Refused the document: {}.", why);
}

bool fits(Type type, const Value& value) {
  switch (type) {
  case Type::flag:
    return value.is_boolean();
  case Type::whole:
    return value.is_number_integer();
  case Type::number:
    return value.is_number();
  case Type::word:
    return value.is_string() && !value.get_ref<const std::string&>().empty();
  case Type::none:
    break;
  }
  return false;
}

// Why `value` cannot be written as a parameter of `type`, or nothing when it can.
std::optional<std::string> misfit(Type type, const Value& value) {
  if (!fits(type, value)) {
    return fmt::format("not {}", describe(type));
  }
  if (type == Type::word) {
    if (auto word = utils::command_word::check(value.get_ref<const std::string&>()); !word) {
      return "which " + word.error();
    }
  }
  return std::nullopt;
}

const ParameterInfo* parameter_named(std::string_view name) {
  for (const ParameterInfo& info : parameters) {
    if (info.type != Type::none && info.name == name) {
      return &info;
    }
  }
  return nullptr;
}

// The document as an object, or why it is none. A key given twice would leave it to chance
// which value counts.
std::expected<Value, std::string> object_of(std::string_view document) {
  if (document.size() > max_document_bytes) {
    return std::unexpected(refused("it is larger than 64 KiB"));
  }
  std::set<std::string> keys;
  std::optional<std::string> repeated;
  const Value::parser_callback_t note_keys = [&](int depth, Value::parse_event_t event,
                                                 Value& parsed) {
    if (depth == 1 && event == Value::parse_event_t::key && !repeated &&
        !keys.insert(parsed.get<std::string>()).second) {
      repeated = utils::json::dumped(parsed);
    }
    return true;
  };
  Value object = Value::parse(document, note_keys, false);
  if (object.is_discarded()) {
    return std::unexpected(refused("it is not valid JSON"));
  }
  if (!object.is_object()) {
    return std::unexpected(refused("it is not a JSON object"));
  }
  if (repeated) {
    return std::unexpected(refused(fmt::format("{} is given twice", *repeated)));
  }
  return object;
}

} // namespace

std::string field_object(const ParameterInfo& info, std::string_view value) {
  Value object;
  object[std::string(info.name)] = typed(info.type, value);
  return utils::json::line(object);
}

std::string listing_object(std::string_view listing, bool exported) {
  Value object;
  if (exported) {
    object["format"] = document_format;
  }
  object[std::string(selection_key)] =
      typed_or_null(Type::whole, listed_value(listing, selection_field));
  for (const ParameterInfo& info : parameters) {
    if (info.type != Type::none) {
      object[std::string(info.name)] = typed_or_null(info.type, listed_value(listing, info.key));
    }
  }
  return utils::json::line(object);
}

std::optional<std::string> listed_text(const ParameterInfo& info, std::string_view listing) {
  auto value = listed_value(listing, info.key);
  if (!value) {
    return std::nullopt;
  }
  return wire_text(typed(info.type, *value));
}

std::expected<std::vector<Wanted>, std::string> parse_document(std::string_view document) {
  auto object = object_of(document);
  if (!object) {
    return std::unexpected(std::move(object.error()));
  }
  std::array<std::optional<std::string>, parameters.size()> texts;
  for (const auto& [key, value] : object->items()) {
    const auto shown =
        fmt::format("{} is {}", utils::json::dumped(Value(key)), utils::json::dumped(value));
    if (key == "format") {
      if (value != document_format) {
        return std::unexpected(refused(fmt::format("{}, not {}", shown, document_format)));
      }
      continue;
    }
    if (key == selection_key) {
      continue; // -n selects; a document moves between configurations unchanged
    }
    const ParameterInfo* info = parameter_named(key);
    if (info == nullptr) {
      return std::unexpected(
          refused(fmt::format("unknown key {}", utils::json::dumped(Value(key)))));
    }
    if (value.is_null()) {
      continue; // left as it is
    }
    if (auto why = misfit(info->type, value)) {
      return std::unexpected(refused(fmt::format("{}, {}", shown, *why)));
    }
    texts.at(static_cast<std::size_t>(info - parameters.data())) = wire_text(value);
  }
  std::vector<Wanted> wanted;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (texts.at(i)) {
      wanted.push_back({&parameters.at(i), std::move(*texts.at(i))});
    }
  }
  return wanted;
}

} // namespace zelkor::cmds::config
