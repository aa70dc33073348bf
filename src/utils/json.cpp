#include "utils/json.h"

namespace zelkor::utils::json {

std::string dumped(const Value& value) {
  return value.dump(-1, ' ', false, Value::error_handler_t::replace);
}

std::string line(const Value& object) {
  std::string text = "{";
  for (const auto& [key, value] : object.items()) {
    if (text.size() > 1) {
      text += ", ";
    }
    text += dumped(Value(key)) + ": " + dumped(value);
  }
  return text + "}";
}

} // namespace zelkor::utils::json
