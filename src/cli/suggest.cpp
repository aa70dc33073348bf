#include "cli/suggest.h"

#include <algorithm>
#include <numeric>

namespace zelkor::cli {

namespace {

// Edits between `a` and `b`, an adjacent swap counting as one.
std::size_t distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) {
    d[i][0] = i;
  }
  std::iota(d[0].begin(), d[0].end(), 0);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

// Dashes are not letters the user could have slipped on.
std::string_view letters(std::string_view word) {
  return word.substr(std::min(word.find_first_not_of('-'), word.size()));
}

} // namespace

std::optional<std::string> closest(std::string_view typed, const std::vector<std::string>& known) {
  const std::string_view word = letters(typed);
  // A single letter is as near to every other letter: no guess is better than a wrong one.
  if (word.size() < 2) {
    return std::nullopt;
  }
  // One slip in a short word, about one in three letters in a longer one.
  const std::size_t allowed = std::max<std::size_t>(1, word.size() / 3);
  std::optional<std::string> best;
  std::size_t best_distance = allowed + 1;
  for (const auto& candidate : known) {
    const std::string_view name = letters(candidate);
    std::size_t d = distance(word, name);
    if (word.size() >= 3 && name.starts_with(word)) {
      d = std::min<std::size_t>(d, 1);
    }
    if (d < best_distance) {
      best = candidate;
      best_distance = d;
    }
  }
  return best;
}

} // namespace zelkor::cli
