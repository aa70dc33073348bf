#pragma once
// The shells a completion script can be generated for.

#include <array>
#include <string_view>

namespace zelkor::completions {

inline constexpr std::array<std::string_view, 5> shells{"bash", "fish", "zsh", "powershell",
                                                        "elvish"};

} // namespace zelkor::completions
