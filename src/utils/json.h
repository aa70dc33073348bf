#pragma once
// JSON answers for scripts, all laid out alike: one flat object on one line,
// {"key": value, "key": value}. Only the units that print or read JSON include this.

#include <string>

#include <nlohmann/json.hpp>

namespace zelkor::utils::json {

// Keeps its keys in the order they were added: scripts and people read them in a fixed order.
using Value = nlohmann::ordered_json;

// `value` as compact JSON text; text that is not UTF-8 is replaced, never thrown on.
std::string dumped(const Value& value);

// The members of `object` on one line, each key and value as `dumped` gives them.
std::string line(const Value& object);

} // namespace zelkor::utils::json
