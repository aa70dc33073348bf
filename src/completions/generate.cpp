#include "completions/generate.h"

namespace zelkor::completions {

void generate(std::string_view, const cli::Tree&, std::ostream&) {}

} // namespace zelkor::completions
