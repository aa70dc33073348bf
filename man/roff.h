#pragma once
// Help texts set as roff, so the manual page shows them exactly as the help does.

#include <string>
#include <string_view>

namespace zelkor::man {

// `text` shown literally: backslashes, minus signs, control characters at the start of a line
// and non-ASCII characters are escaped.
std::string escape(std::string_view text);

// A help text as roff paragraphs: a blank line starts a new paragraph, any other line break is
// kept, and `code` between backticks is set in bold.
std::string paragraphs(std::string_view text);

} // namespace zelkor::man
