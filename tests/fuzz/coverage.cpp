// Edge coverage for libFuzzer from GCC's basic-block hook. GCC instruments with
// -fsanitize-coverage=trace-pc, which current libFuzzer refuses; this file (built without that
// flag) turns each hooked address into an 8-bit counter and hands the counters to libFuzzer as
// the inline counters it expects. The integer comparison hooks (trace-cmp) go to libFuzzer.

#include <cstddef>
#include <cstdint>

extern "C" void __sanitizer_cov_8bit_counters_init(std::uint8_t* begin, std::uint8_t* end);
extern "C" void __sanitizer_cov_pcs_init(const std::uintptr_t* begin, const std::uintptr_t* end);

namespace {

// Far more slots than the fuzzed code has basic blocks, so few of them share a counter.
constexpr std::size_t slots = std::size_t{1} << 18;
std::uint8_t counters[slots];
// libFuzzer wants one (address, flags) pair per counter; the slot number stands for the address.
std::uintptr_t addresses[2 * slots];

[[gnu::constructor]] void register_counters() {
  for (std::size_t i = 0; i < slots; ++i) {
    addresses[2 * i] = i + 1;
  }
  __sanitizer_cov_8bit_counters_init(counters, counters + slots);
  __sanitizer_cov_pcs_init(addresses, addresses + 2 * slots);
}

} // namespace

extern "C" [[gnu::no_sanitize_address, gnu::no_sanitize_undefined]] void
__sanitizer_cov_trace_pc() {
  const auto pc = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
  ++counters[(pc ^ (pc >> 18)) & (slots - 1)];
}

// GCC also hooks floating-point comparisons, which libFuzzer has no use for.
extern "C" void __sanitizer_cov_trace_cmpf(float, float) {}
extern "C" void __sanitizer_cov_trace_cmpd(double, double) {}
