// Text conversions that must give the same result on Linux and Windows: UTF-8 and UTF-16,
// names compared without case, and code page 936 both ways.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/text.h"

namespace veskar::platform {
namespace {

std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TEST(Utf, RoundTripsAndReplacesWhatIsNoUtf8) {
  const std::string texts[] = {"", "29°20′", "起始经度", "x𠀀y", "a\tb"};
  for (const std::string& t : texts) {
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(t)), t) << t;
    EXPECT_EQ(validUtf8(t), t) << t;
  }
  EXPECT_EQ(utf8ToUtf16("x𠀀"), (std::u16string{u'x', 0xD840, 0xDC00}));
  EXPECT_EQ(utf16Length("29°20′ 𠀀"), 9u);
  // Stray, overlong, surrogate and cut-off sequences: one U+FFFD per byte.
  const struct {
    const char* bytes;
    const char* valid;
  } bad[] = {
      {"a\x80z", "a\uFFFDz"},
      {"\xC0\xAF", "\uFFFD\uFFFD"},
      {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},
      {"\xE4\xB8", "\uFFFD\uFFFD"},
      {"\xF5\x80\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const auto& b : bad) EXPECT_EQ(validUtf8(b.bytes), b.valid) << hex(b.bytes);
  EXPECT_EQ(utf16ToUtf8(std::u16string{u'a', 0xDC00, u'b'}), "a\uFFFDb");
}

TEST(Names, CompareWithoutCase) {
  EXPECT_TRUE(equalIgnoringCase("KSEV", "ksev"));
  EXPECT_TRUE(equalIgnoringCase("Standard", "STANDARD"));
  EXPECT_TRUE(equalIgnoringCase("ÄÖÜ Ωσ Дж", "äöü ωσ дж"));
  EXPECT_TRUE(equalIgnoringCase("北京", "北京"));
  EXPECT_FALSE(equalIgnoringCase("ksev", "ksev "));
  EXPECT_FALSE(equalIgnoringCase("北京", "南京"));
  EXPECT_EQ(foldCase("Standard ÄŁ"), "standard äł");
}

// Code page 936 on both systems: the same characters give the same bytes.
TEST(CodePage936, SameBytesForTheSameCharacters) {
  const struct {
    const char* text;
    const char* bytes;  // hexadecimal; nullptr: no form in code page 936
  } rows[] = {
      {"abc 0.5", "61626320302E35"},
      {"起始经度", "C6F0CABCBEADB6C8"},
      {"29°20′", "3239A1E33230A1E4"},
      {"北京54坐标系", "B1B1BEA93534D7F8B1EACFB5"},
      {"—～‖·", "A1AAA1ABA1ACA1A4"},
      {"€", nullptr},   // one byte 0x80 in some tables: not two-byte code page 936
      {"ő", nullptr},
      {"¯", nullptr},   // no best fit
      {"𠀀", nullptr},
      {"中ő", nullptr},
  };
  for (const auto& r : rows) {
    const std::optional<std::string> got = toCodePage936(r.text);
    if (!r.bytes) {
      EXPECT_FALSE(got) << r.text << ": " << hex(got.value_or(""));
      continue;
    }
    ASSERT_TRUE(got) << r.text;
    EXPECT_EQ(hex(*got), r.bytes) << r.text;
    EXPECT_EQ(fromCodePage936(*got), r.text);
  }
  // A lead byte without its trail byte.
  EXPECT_EQ(fromCodePage936("\xB1\xB1\xB1"), "北\uFFFD");
}

}  // namespace
}  // namespace veskar::platform
