// The portable half of platform/text.h: UTF-8 and UTF-16, case folding, the check on what the
// system's converter makes of code page 936.
#include "platform/text.h"

#include <algorithm>
#include <cstdint>

#include "platform/codepage_native.h"

namespace veskar::platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes the character at `s[i]`, advancing `i`; U+FFFD and one byte for anything that is
// not well-formed UTF-8 (the ranges of the Unicode standard's table of well-formed sequences).
char32_t next(std::string_view s, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  char32_t cp = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, cp = b0 & 0x0F;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED) high = 0x9F;  // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, cp = b0 & 0x07;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + length > s.size()) {
    ++i;
    return kReplacement;
  }
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char b = byte(i + k);
    const unsigned char lo = k == 1 ? low : 0x80, hi = k == 1 ? high : 0xBF;
    if (b < lo || b > hi) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  i += length;
  return cp;
}

void append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char32_t lower(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;                   // Latin-1
  if (c >= 0x100 && c <= 0x137 && c != 0x130) return c | 1;                     // Latin Extended-A
  if (c >= 0x139 && c <= 0x148) return (c & 1) ? c + 1 : c;
  if (c >= 0x14A && c <= 0x177) return c | 1;
  if (c == 0x178) return 0xFF;
  if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c + 1 : c;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;                 // Greek
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;                               // Cyrillic
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;                             // full-width
  return c;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t cp = next(utf8, i);
    if (cp < 0x10000) {
      out += static_cast<char16_t>(cp);
    } else {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    append(out, cp);
  }
  return out;
}

std::size_t utf16Length(std::string_view utf8) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < utf8.size();) n += next(utf8, i) < 0x10000 ? 1 : 2;
  return n;
}

std::string validUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) append(out, next(utf8, i));
  return out;
}

std::string foldCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) append(out, lower(next(utf8, i)));
  return out;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  // Names are mostly ASCII: compare those byte by byte.
  if (a.size() != b.size()) {
    if (std::all_of(a.begin(), a.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }) &&
        std::all_of(b.begin(), b.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
      return false;
  } else {
    std::size_t k = 0;
    for (; k < a.size(); ++k) {
      const auto x = static_cast<unsigned char>(a[k]), y = static_cast<unsigned char>(b[k]);
      if (x >= 0x80 || y >= 0x80) break;
      if (lower(x) != lower(y)) return false;
    }
    if (k == a.size()) return true;
  }
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (lower(next(a, i)) != lower(next(b, j))) return false;
  }
  return i == a.size() && j == b.size();
}

namespace {

// Whether the bytes are ASCII and whole two-byte characters only (lead byte 0x81-0xFE).
bool twoByteForm(const std::string& b) {
  for (std::size_t i = 0; i < b.size();) {
    const auto c = static_cast<unsigned char>(b[i]);
    if (c < 0x80) {
      ++i;
    } else if (c == 0x80 || c == 0xFF || i + 1 >= b.size()) {
      return false;
    } else {
      i += 2;
    }
  }
  return true;
}

}  // namespace

std::optional<std::string> toCodePage936(std::string_view utf8) {
  std::optional<std::string> out = convertToCodePage936(utf8);
  if (!out || !twoByteForm(*out)) return std::nullopt;
  return out;
}

}  // namespace veskar::platform
