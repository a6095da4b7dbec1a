// The leading-number reader on arbitrary text: it must never read past the text, must say
// where the number ends, and must give exactly the value the C library's correctly rounded
// conversion gives for the same characters, whatever the bytes around them.
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

#include "settings/decimal_text.h"

namespace {

locale_t cLocale() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
  return c;
}

[[noreturn]] void fail(const char* what, const std::string& text) {
  std::fprintf(stderr, "leading number: %s for \"%s\"\n", what, text.c_str());
  std::abort();
}

void check(std::string_view text) {
  const veskar::settings::DecimalScan s = veskar::settings::scanDecimal(text);
  const std::string shown(text);
  if (s.end > text.size()) fail("end outside the text", shown);
  if (!s.found) {
    if (s.value != 0) fail("a value without a number", shown);
    for (std::size_t i = 0; i < s.end; ++i) {
      if (!veskar::settings::isBlank(text[i])) fail("skipped more than blanks", shown);
    }
    return;
  }
  // The consumed characters are plain ASCII: blanks, sign, digits, ".", "e", sign, digits.
  std::string ascii;
  for (std::size_t i = 0; i < s.end; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c > 0x7f) fail("consumed a non-ASCII character", shown);
    ascii += static_cast<char>(c);
  }
  const std::size_t firstNonBlank = ascii.find_first_not_of(" \t");
  const std::string number = ascii.substr(firstNonBlank);
  if (number.find_first_not_of("0123456789+-.eE") != std::string::npos) fail("consumed a stray character", shown);
  // Exponents of more than a few thousand digits would only slow strtod down; the reader
  // saturates them anyway.
  char* end = nullptr;
  const double expected = strtod_l(number.c_str(), &end, cLocale());
  if (static_cast<std::size_t>(end - number.c_str()) != number.size()) fail("ends elsewhere than strtod", shown);
  if (!(expected == s.value || (std::isnan(expected) && std::isnan(s.value))) ||
      std::signbit(expected) != std::signbit(s.value)) {
    std::fprintf(stderr, "expected %.17g, got %.17g\n", expected, s.value);
    fail("a different value than strtod", shown);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  // The bytes as a field's text holds them (UTF-8, valid or not).
  const std::string copy(reinterpret_cast<const char*>(data), size);
  check(copy);
  return 0;
}
