#include "settings/decimal_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace veskar::settings {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

DecimalScan scanDecimal(std::string_view text) {
  DecimalScan r;
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n && isBlank(text[i])) ++i;
  r.end = i;

  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // The number is rebuilt in plain ASCII ("123.45e-6") for std::from_chars, which reads the
  // same in every locale.
  std::string digits;
  std::size_t intDigits = 0, fracDigits = 0;
  // Decimal position of the first significant digit: > 0 when the value is at least 1.
  long long magnitude = 0;
  bool seenNonZero = false;
  for (; i < n && isDigit(text[i]); ++i, ++intDigits) {
    const char c = text[i];
    if (c != '0') seenNonZero = true;
    if (seenNonZero) ++magnitude;
    digits += c;
  }
  if (i < n && text[i] == '.') {
    std::size_t j = i + 1;
    std::string frac;
    for (; j < n && isDigit(text[j]); ++j, ++fracDigits) {
      const char c = text[j];
      if (!seenNonZero) {
        if (c != '0') seenNonZero = true; else --magnitude;
      }
      frac += c;
    }
    if (intDigits + fracDigits > 0) {
      if (fracDigits > 0) {
        digits += '.';
        digits += frac;
      }
      i = j;
    }
  }
  if (intDigits + fracDigits == 0) return r;  // no digit: not a number

  long long exponent = 0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    bool expNegative = false;
    if (j < n && (text[j] == '+' || text[j] == '-')) {
      expNegative = text[j] == '-';
      ++j;
    }
    if (j < n && isDigit(text[j])) {
      for (; j < n && isDigit(text[j]); ++j) {
        // Saturate far beyond the double range; the value is then ±inf or ±0 anyway.
        if (exponent < 100000000) exponent = exponent * 10 + (text[j] - '0');
      }
      if (expNegative) exponent = -exponent;
      digits += 'e';
      digits += std::to_string(exponent);
      i = j;
    }
  }

  r.found = true;
  r.end = i;
  if (digits.front() == '.') digits.insert(digits.begin(), '0');
  double v = 0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v,
                                         std::chars_format::general);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: the first significant digit says which.
    v = (seenNonZero && magnitude + exponent > 0) ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (ec != std::errc()) {
    v = 0;  // cannot happen: `digits` is well formed
  }
  r.value = negative ? -v : v;
  return r;
}

}  // namespace veskar::settings
