#include "settings/decimal_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace veskar::settings {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The number read so far, rebuilt in plain ASCII ("123.45e-6") for std::from_chars, which
// reads the same in every locale.
struct Number {
  std::string digits;
  std::size_t digitCount = 0;  // digits before and after the "."
  // Decimal position of the first significant digit: > 0 when the value is at least 1.
  long long magnitude = 0;
  bool seenNonZero = false;
  long long exponent = 0;
};

// The digits before the ".", from text[i]; `i` moves past them.
void readIntegerPart(std::string_view text, std::size_t& i, Number& n) {
  for (; i < text.size() && isDigit(text[i]); ++i, ++n.digitCount) {
    const char c = text[i];
    if (c != '0') n.seenNonZero = true;
    if (n.seenNonZero) ++n.magnitude;
    n.digits += c;
  }
}

// A "." and the fraction's digits, from text[i]; taken only when a digit stands before or
// after the ".".
void readFraction(std::string_view text, std::size_t& i, Number& n) {
  if (i >= text.size() || text[i] != '.') return;
  std::size_t j = i + 1;
  std::string frac;
  std::size_t fracDigits = 0;
  for (; j < text.size() && isDigit(text[j]); ++j, ++fracDigits) {
    const char c = text[j];
    if (!n.seenNonZero) {
      if (c != '0') n.seenNonZero = true; else --n.magnitude;
    }
    frac += c;
  }
  if (n.digitCount + fracDigits > 0) {
    if (fracDigits > 0) {
      n.digits += '.';
      n.digits += frac;
    }
    i = j;
  }
  n.digitCount += fracDigits;
}

// An exponent "e"/"E" with an optional sign, from text[i]; taken only when a digit follows.
void readExponent(std::string_view text, std::size_t& i, Number& n) {
  if (i >= text.size() || (text[i] != 'e' && text[i] != 'E')) return;
  std::size_t j = i + 1;
  bool expNegative = false;
  if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
    expNegative = text[j] == '-';
    ++j;
  }
  if (j >= text.size() || !isDigit(text[j])) return;
  for (; j < text.size() && isDigit(text[j]); ++j) {
    // Saturate far beyond the double range; the value is then ±inf or ±0 anyway.
    if (n.exponent < 100000000) n.exponent = n.exponent * 10 + (text[j] - '0');
  }
  if (expNegative) n.exponent = -n.exponent;
  n.digits += 'e';
  n.digits += std::to_string(n.exponent);
  i = j;
}

// The value of a number with at least one digit, without its sign.
double magnitudeOf(Number& n) {
  if (n.digits.front() == '.') n.digits.insert(n.digits.begin(), '0');
  double v = 0;
  const auto [ptr, ec] = std::from_chars(n.digits.data(), n.digits.data() + n.digits.size(), v,
                                         std::chars_format::general);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: the first significant digit says which.
    v = (n.seenNonZero && n.magnitude + n.exponent > 0) ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (ec != std::errc()) {
    v = 0;  // cannot happen: `digits` is well formed
  }
  return v;
}

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
  Number number;
  readIntegerPart(text, i, number);
  readFraction(text, i, number);
  if (number.digitCount == 0) return r;  // no digit: not a number
  readExponent(text, i, number);

  r.found = true;
  r.end = i;
  const double v = magnitudeOf(number);
  r.value = negative ? -v : v;
  return r;
}

}  // namespace veskar::settings
