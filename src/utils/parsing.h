#pragma once
// Field search in the microcontroller's configuration listing.

#include <optional>
#include <string>
#include <string_view>

namespace zelkor::utils::parsing {

// The value of the first line whose lower-cased, hyphenated form contains `key`: the text after
// the line's last colon with its spaces removed. Nothing when no line matches.
std::optional<std::string> iterfind(std::string_view text, std::string_view key);

} // namespace zelkor::utils::parsing
