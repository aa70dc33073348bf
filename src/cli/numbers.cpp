#include "cli/numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

namespace zelkor::cli {

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// Digits, an optional point, more digits (at least one digit in all), then an optional
// exponent with its own optional sign and at least one digit.
bool is_decimal_literal(std::string_view text) {
  std::size_t i = 0;
  std::size_t digits = 0;
  while (i < text.size() && is_digit(text[i])) {
    ++i, ++digits;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && is_digit(text[i])) {
      ++i, ++digits;
    }
  }
  if (digits == 0) {
    return false;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      ++i;
    }
    std::size_t exponent_digits = 0;
    while (i < text.size() && is_digit(text[i])) {
      ++i, ++exponent_digits;
    }
    if (exponent_digits == 0) {
      return false;
    }
  }
  return i == text.size();
}

CLI::Option*
rewritten(CLI::Option* option, std::string type,
          std::function<std::expected<std::string, std::string>(const std::string&)> parse) {
  return option->transform(CLI::Validator(
      [parse = std::move(parse)](std::string& value) -> std::string {
        auto plain = parse(value);
        if (!plain) {
          return plain.error();
        }
        value = *plain;
        return {};
      },
      "", std::move(type)));
}

CLI::Option* unsigned_number(CLI::Option* option, std::uint64_t max, std::string type) {
  return rewritten(option, std::move(type),
                   [max](const std::string& text) -> std::expected<std::string, std::string> {
                     auto number = parse_unsigned(text, max);
                     if (!number) {
                       return std::unexpected(number.error());
                     }
                     return std::to_string(*number);
                   });
}

} // namespace

std::expected<std::uint64_t, std::string> parse_unsigned(std::string_view text, std::uint64_t max) {
  if (text.empty()) {
    return std::unexpected("cannot parse integer from empty string");
  }
  // A lone "+" is a sign without digits, not an empty string.
  if (text.starts_with('+') && text.size() > 1) {
    text.remove_prefix(1);
  }
  if (!std::ranges::all_of(text, is_digit)) {
    return std::unexpected("invalid digit found in string");
  }
  std::uint64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range || value > max) {
    return std::unexpected("number too large to fit in target type");
  }
  return value;
}

std::expected<float, std::string> parse_f32(std::string_view text) {
  if (text.empty()) {
    return std::unexpected("cannot parse float from empty string");
  }
  const bool negative = text.front() == '-';
  std::string_view body = text;
  if (text.front() == '+' || text.front() == '-') {
    body.remove_prefix(1);
  }
  float magnitude = 0;
  if (equals_ignoring_case(body, "inf") || equals_ignoring_case(body, "infinity")) {
    magnitude = std::numeric_limits<float>::infinity();
  } else if (equals_ignoring_case(body, "nan")) {
    magnitude = std::numeric_limits<float>::quiet_NaN();
  } else if (!is_decimal_literal(body)) {
    return std::unexpected("invalid float literal");
  } else {
    auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), magnitude);
    if (ec == std::errc::result_out_of_range) {
      // Too large becomes infinite and too small zero, as the nearest float says.
      magnitude = static_cast<float>(std::strtod(std::string(body).c_str(), nullptr));
    }
  }
  return negative ? -magnitude : magnitude;
}

CLI::Option* u64(CLI::Option* option) {
  return unsigned_number(option, std::numeric_limits<std::uint64_t>::max(), "u64");
}

CLI::Option* u8(CLI::Option* option) {
  return unsigned_number(option, std::numeric_limits<std::uint8_t>::max(), "u8");
}

} // namespace zelkor::cli
