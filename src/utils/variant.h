#pragma once
// Turning a choice made at run time (the subcommand the parser matched) into a variant.

#include <array>
#include <cstddef>
#include <utility>
#include <variant>

namespace zelkor::utils {

// The alternative of `V` at `index`, value-initialised. `index` is below the variant's size.
template <typename V> V alternative_at(std::size_t index) {
  return [index]<std::size_t... I>(std::index_sequence<I...> /*all*/) {
    static constexpr std::array<V (*)(), sizeof...(I)> make = {
        +[] { return V(std::in_place_index<I>); }...};
    return make.at(index)();
  }
  (std::make_index_sequence<std::variant_size_v<V>>{});
}

} // namespace zelkor::utils
