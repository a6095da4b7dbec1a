// Automation-style coercion of variant values.
//
// The rules follow what late-bound automation does when a property is set or an argument
// passed: any number converts to any other number type (a 16-bit 1000, a 32-bit 1000 and a
// double 1000.0 are the same height), a boolean counts as -1 (true) or 0 (false), numeric text
// converts to a number, and a number converts to text. Conversion to a 16-bit integer rounds
// halves to the even neighbour and refuses values out of range. Anything else - an empty
// variant, an array where a number is wanted, text that is no number - is a type mismatch.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "cad/automation.h"

namespace veskar::cad {
namespace {

std::string name(const char* what) { return what ? what : "the value"; }

[[noreturn]] void mismatch(const char* what, const char* expected) {
  throw CadError(errc::TypeMismatch, "The value given for " + name(what) + " is not " + expected + ".");
}

[[noreturn]] void overflow(const char* what, const char* range) {
  throw CadError(errc::Overflow,
                 "The value given for " + name(what) + " is out of range (" + range + ").");
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Numeric text as automation reads it: surrounding blanks allowed, a sign, digits with a
// decimal point, an exponent. Infinity and NaN are not numbers here.
std::optional<double> parseNumber(std::string_view t) {
  while (!t.empty() && isSpace(t.front())) t.remove_prefix(1);
  while (!t.empty() && isSpace(t.back())) t.remove_suffix(1);
  if (t.empty()) return std::nullopt;
  for (char c : t) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
      return std::nullopt;
  }
  bool negative = false;
  if (t.front() == '+' || t.front() == '-') {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (t.empty() || t.front() == '+' || t.front() == '-') return std::nullopt;
  double d = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), d, std::chars_format::general);
  if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(d)) return std::nullopt;
  return negative ? -d : d;
}

// The number a scalar variant holds, or nothing when it holds no number (text included only
// when `acceptText`).
std::optional<double> numberOf(const Variant& v, bool acceptText) {
  if (const auto* b = std::get_if<bool>(&v)) return *b ? -1.0 : 0.0;
  if (const auto* n = std::get_if<std::int16_t>(&v)) return *n;
  if (const auto* n = std::get_if<std::int32_t>(&v)) return *n;
  if (const auto* d = std::get_if<double>(&v)) return *d;
  if (const auto* s = std::get_if<std::string>(&v); s && acceptText) return parseNumber(*s);
  return std::nullopt;
}

// A double written the way automation writes a number as text: up to 15 significant digits,
// no trailing zeros, an exponent as E+nn.
std::string numberText(double d) {
  if (d == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", d);
  std::string s = buf;
  for (char& c : s) {
    if (c == 'e') c = 'E';
  }
  return s;
}

}  // namespace

const char* typeName(const Variant& v) {
  static const char* const names[] = {"VT_EMPTY", "VT_BOOL", "VT_I2",         "VT_I4",
                                      "VT_R8",    "VT_BSTR", "VT_ARRAY|VT_R8"};
  return names[v.index()];
}

double toDouble(const Variant& v, const char* what) {
  if (const auto d = numberOf(v, true)) return *d;
  mismatch(what, "a number");
}

std::int16_t toInt16(const Variant& v, const char* what) {
  const char* range = "-32768 to 32767";
  if (const auto* n = std::get_if<std::int16_t>(&v)) return *n;
  if (const auto* n = std::get_if<std::int32_t>(&v)) {
    if (*n < std::numeric_limits<std::int16_t>::min() || *n > std::numeric_limits<std::int16_t>::max())
      overflow(what, range);
    return static_cast<std::int16_t>(*n);
  }
  const auto d = numberOf(v, true);
  if (!d) mismatch(what, "a whole number");
  if (!std::isfinite(*d)) overflow(what, range);
  // Halves go to the even neighbour (the default rounding mode), as automation's VT_I2 does.
  const double r = std::nearbyint(*d);
  if (r < -32768.0 || r > 32767.0) overflow(what, range);
  return static_cast<std::int16_t>(r);
}

bool toBool(const Variant& v, const char* what) {
  if (const auto* s = std::get_if<std::string>(&v)) {
    std::string_view t = *s;
    while (!t.empty() && isSpace(t.front())) t.remove_prefix(1);
    while (!t.empty() && isSpace(t.back())) t.remove_suffix(1);
    const auto is = [&](std::string_view word) {
      if (t.size() != word.size()) return false;
      for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = (t[i] >= 'A' && t[i] <= 'Z') ? static_cast<char>(t[i] + 32) : t[i];
        if (c != word[i]) return false;
      }
      return true;
    };
    if (is("true")) return true;
    if (is("false")) return false;
  }
  const auto d = numberOf(v, true);
  if (!d || std::isnan(*d)) mismatch(what, "true or false");
  return *d != 0;
}

std::string toText(const Variant& v, const char* what) {
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  if (const auto* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
  if (const auto* n = std::get_if<std::int16_t>(&v)) return std::to_string(*n);
  if (const auto* n = std::get_if<std::int32_t>(&v)) return std::to_string(*n);
  if (const auto* d = std::get_if<double>(&v)) return numberText(*d);
  mismatch(what, "text");
}

std::vector<double> toDoubleArray(const Variant& v, const char* what) {
  if (const auto* a = std::get_if<std::vector<double>>(&v)) return *a;
  mismatch(what, "a list of numbers");
}

}  // namespace veskar::cad
