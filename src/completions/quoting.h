#pragma once
// The quoting every shell's script needs, with the shell's own way of writing a quote.

#include <string>
#include <string_view>
#include <vector>

namespace zelkor::completions {

// `text` with a backslash before each backslash and each character of `special`.
std::string escaped(std::string_view text, std::string_view special);

// `text` in single quotes, each quote inside written as `escaped_quote`: "'\\''" where a quote
// cannot appear inside single quotes at all, "''" where two stand for one.
std::string single_quoted(std::string_view text, std::string_view escaped_quote);

// Each of `words` single-quoted.
std::vector<std::string> single_quoted_each(const std::vector<std::string>& words,
                                            std::string_view escaped_quote);

} // namespace zelkor::completions
