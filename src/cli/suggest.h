#pragma once
// The nearest known word to a mistyped one, for "did you mean" hints.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelkor::cli {

// The candidate closest to `typed` when one is near enough to be a slip of the keyboard (a few
// letters added, dropped, swapped or changed, or the start of the word), the first one on a tie.
std::optional<std::string> closest(std::string_view typed, const std::vector<std::string>& known);

} // namespace zelkor::cli
