// Text as the core holds it: UTF-8 in std::string everywhere. This header converts between
// UTF-8 and UTF-16 (the form Windows paths and automation strings take), compares names
// without regard to case, and converts to and from the two code pages Veskar's files use:
//   - the system code page, in which vesk.ini is written: the encoding of the user's locale on
//     Linux, the ANSI code page on Windows (936 on a Chinese system);
//   - code page 936 (GBK), in which DXF files hold their text on every system.
// The same characters give the same bytes on Linux (iconv) and on Windows
// (WideCharToMultiByte with WC_NO_BEST_FIT_CHARS).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace veskar::platform {

// UTF-8 to UTF-16. A byte that does not begin or continue a valid UTF-8 sequence (including
// encoded surrogates and overlong forms) becomes U+FFFD, one per byte.
std::u16string utf8ToUtf16(std::string_view utf8);
// UTF-16 to UTF-8. A lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);
// The number of UTF-16 code units `utf8` takes (a character beyond U+FFFF takes two).
std::size_t utf16Length(std::string_view utf8);
// `utf8` with every invalid byte replaced by U+FFFD, as utf8ToUtf16 reads it.
std::string validUtf8(std::string_view utf8);

// Lower case for comparing names: ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and the
// full-width Latin letters; every other character stands for itself.
std::string foldCase(std::string_view utf8);
bool equalIgnoringCase(std::string_view a, std::string_view b);

// The system code page. Characters it cannot hold are written as "?"; bytes it cannot read
// become U+FFFD.
std::string toSystemCodePage(std::string_view utf8);
std::string fromSystemCodePage(std::string_view bytes);
// Its name, for messages: "UTF-8", "GBK", "CP1252", ...
std::string systemCodePageName();

// Code page 936 proper: ASCII bytes and two-byte characters. Nothing when a character has no
// such form (also the one-byte euro sign 0x80 that some tables give).
std::optional<std::string> toCodePage936(std::string_view utf8);
// Back to UTF-8; bytes that are no character of code page 936 become U+FFFD.
std::string fromCodePage936(std::string_view bytes);

}  // namespace veskar::platform
