// Reading a decimal number at the start of a text, the same way whatever the user's locale:
// "." is always the decimal point and no thousands separators are known.
#pragma once

#include <QStringView>

namespace veskar::settings {

struct DecimalScan {
  bool found = false;  // a number was there (at least one digit)
  double value = 0;    // its value; ±inf beyond the double range, ±0 below it
  qsizetype end = 0;   // index just after the number (or after the leading blanks if !found)
};

// From the start of `text`: blanks (spaces, tabs), an optional sign, digits with an optional
// "." and fraction (".5" and "5." count), and an optional exponent "e"/"E" with an optional
// sign, taken only when at least one digit follows it ("5e" reads 5).
DecimalScan scanDecimal(QStringView text);

// Whether `c` is a blank that number reading skips.
inline bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

}  // namespace veskar::settings
