#pragma once
// The user configuration as JSON: what `show --json`, a read with `--json` and `export` print,
// and the check of a document before `import` sends anything. Values are typed by the
// parameter table; a value the listing gives that does not fit its type is kept as its text.

#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cmds/config.h"

namespace zelkor::cmds::config {

// A document larger than this is refused unread: no configuration comes near it.
inline constexpr std::size_t max_document_bytes = 64 * 1024;

// The key that names the selected user configuration; `import` ignores it.
inline constexpr std::string_view selection_key = "user-configuration";

// {"startup-timer": 10}: the parameter's value as the listing gave it, typed.
std::string field_object(const ParameterInfo& info, std::string_view value);

// The selected configuration and every parameter of `listing` on one line, typed, null where
// the listing lacks the field; with "format": 1 first when it is an exported document.
std::string listing_object(std::string_view listing, bool exported);

// The value of `info`'s field in `listing` written as a set command writes it (booleans as "on"
// or "off", numbers in their shortest decimal text), or nothing when the listing lacks it. Two
// values are the same exactly when these texts are.
std::optional<std::string> listed_text(const ParameterInfo& info, std::string_view listing);

// A parameter a document sets, with its value as "set {key} {text}" writes it.
struct Wanted {
  const ParameterInfo* info;
  std::string text;
};

// The parameters `document` sets, in the table's order (null values left out), or the one line
// that says why it is refused, naming the key and the value.
std::expected<std::vector<Wanted>, std::string> parse_document(std::string_view document);

} // namespace zelkor::cmds::config
