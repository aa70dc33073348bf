#pragma once
// Text wrapped to a width at spaces, for help pages.

#include <cstddef>
#include <string>
#include <string_view>

namespace zelkor::cli {

// `text` broken at spaces so that no line, once indented by `indent` columns, reaches past
// `width` (a longer word keeps a line of its own). Every line but the first starts with
// `indent` spaces; the text's own line breaks stay.
std::string wrapped(std::string_view text, std::size_t indent, std::size_t width);

} // namespace zelkor::cli
