#include "completions/quoting.h"

namespace zelkor::completions {

std::string escaped(std::string_view text, std::string_view special) {
  std::string out;
  for (const char c : text) {
    if (c == '\\' || special.find(c) != std::string_view::npos) {
      out += '\\';
    }
    out += c;
  }
  return out;
}

std::string single_quoted(std::string_view text, std::string_view escaped_quote) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\'') {
      out += escaped_quote;
    } else {
      out += c;
    }
  }
  return out + "'";
}

std::vector<std::string> single_quoted_each(const std::vector<std::string>& words,
                                            std::string_view escaped_quote) {
  std::vector<std::string> quoted;
  quoted.reserve(words.size());
  for (const auto& word : words) {
    quoted.push_back(single_quoted(word, escaped_quote));
  }
  return quoted;
}

} // namespace zelkor::completions
