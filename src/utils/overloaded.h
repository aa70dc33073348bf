#pragma once

namespace zelkor::utils {

// Builds one visitor out of several lambdas, for std::visit.
template <class... F> struct Overloaded : F... { using F::operator()...; };

} // namespace zelkor::utils
