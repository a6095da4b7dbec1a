// Reading a decimal number at the start of a text, the same way whatever the user's locale:
// "." is always the decimal point and no thousands separators are known.
#pragma once

#include <cstddef>
#include <string_view>

namespace veskar::settings {

struct DecimalScan {
  bool found = false;  // a number was there (at least one digit)
  double value = 0;    // its value; ±inf beyond the double range, ±0 below it
  std::size_t end = 0; // byte index just after the number (or after the leading blanks if !found)
};

// From the start of `text`: blanks (spaces, tabs), an optional sign, digits with an optional
// "." and fraction (".5" and "5." count), and an optional exponent "e"/"E" with an optional
// sign, taken only when at least one digit follows it ("5e" reads 5).
DecimalScan scanDecimal(std::string_view text);

// Whether `c` is a blank that number reading skips.
inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace veskar::settings
