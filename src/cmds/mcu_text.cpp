#include "cmds/mcu_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <fmt/core.h>
#include <iterator>

#include "cli/numbers.h"
#include "utils/chunk.h"
#include "utils/overloaded.h"

namespace zelkor::cmds::mcu {
namespace {

template <class... F> struct Overloaded : F... { using F::operator()...; };

std::string with_argument(std::string_view word, std::string_view argument) {
  return fmt::format("{} {}", word, argument);
}

} // namespace

std::string output_mask(std::size_t position, char state) {
  std::string mask(4, '-');
  mask.at(position) = state;
  return mask;
}

std::string format_reference(float reference) {
  // The shortest round-trip digits come from scientific notation; fixed notation would print
  // the float's exact value (339999995214436424907732413799364296704 for 3.4e38).
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), reference,
                                    std::chars_format::scientific);
  std::string_view text(buffer.data(), result.ptr);
  std::string out;
  if (text.starts_with('-')) {
    out += '-';
    text.remove_prefix(1);
  }
  const auto e = text.find('e');
  std::string digits;
  std::ranges::copy_if(text.substr(0, e), std::back_inserter(digits),
                       [](char c) { return c != '.'; });
  std::string_view exponent = text.substr(e + 1);
  if (exponent.starts_with('+')) {
    exponent.remove_prefix(1);
  }
  int power = 0;
  std::from_chars(exponent.data(), exponent.data() + exponent.size(), power);
  // The decimal point goes after `point` digits.
  const auto point = static_cast<std::ptrdiff_t>(power) + 1;
  const auto count = static_cast<std::ptrdiff_t>(digits.size());
  if (point <= 0) {
    out += "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  } else if (point >= count) {
    out += digits + std::string(static_cast<std::size_t>(point - count), '0');
  } else {
    out += digits.substr(0, static_cast<std::size_t>(point)) + "." +
           digits.substr(static_cast<std::size_t>(point));
  }
  return out;
}

std::expected<float, std::string> parse_reference(std::string_view text) {
  auto value = cli::parse_f32(text);
  // A calibration to infinity or NaN would wreck the voltage readout.
  if (value && !std::isfinite(*value)) {
    return std::unexpected("reference voltage must be a finite number within the range of a "
                           "32-bit float");
  }
  return value;
}

std::expected<char, std::string> input_state(std::string_view answer, std::uint8_t input) {
  const auto state = utils::chunk::nth_char(answer, input);
  if (!state || (*state != "0" && *state != "1")) {
    return std::unexpected(fmt::format(
        "Unexpected answer from microcontroller: no state for digital input {}.", input));
  }
  return state->front();
}

std::string command_text(const Commands& command) {
  const std::string_view word = operation_of(command).word;
  return std::visit(
      utils::Overloaded{
          [&](const CanMessage& m) { return fmt::format("{} {} {}", word, m.id, m.data); },
          [&](const SetDo& s) { return with_argument(word, output_mask(s.output, s.state)); },
          [&](const SetLed& s) { return with_argument(word, output_mask(s.number - 1U, s.state)); },
          [&](const UserConfig& u) { return with_argument(word, u.number); },
          [&](const CalVoltage& c) { return with_argument(word, format_reference(c.reference)); },
          [&](const auto&) { return std::string(word); },
      },
      command);
}

} // namespace zelkor::cmds::mcu
