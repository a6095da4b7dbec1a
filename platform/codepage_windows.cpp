// Code pages on Windows: the ANSI code page for the system code page, 936 for DXF text.
#include <windows.h>

#include "platform/codepage_native.h"
#include "platform/text.h"

namespace veskar::platform {
namespace {

std::wstring wide(std::string_view utf8) {
  const std::u16string s = utf8ToUtf16(utf8);
  return std::wstring(s.begin(), s.end());
}

std::string narrow(const std::wstring& s) {
  return utf16ToUtf8(std::u16string(s.begin(), s.end()));
}

// UTF-16 to `codePage`. With `strict`, nothing when a character has no form there (no best
// fit, no default character); otherwise such characters become "?".
std::optional<std::string> encode(UINT codePage, const std::wstring& w, bool strict) {
  if (w.empty()) return std::string();
  const DWORD flags = WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
  const int n = WideCharToMultiByte(codePage, flags, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, used);
  if (n <= 0) return std::nullopt;
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, used);
  if (strict && usedDefault) return std::nullopt;
  return out;
}

// `bytes` in `codePage` to UTF-8; a byte that begins no character of it becomes U+FFFD.
std::string decode(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const auto convert = [codePage](std::string_view part, std::wstring& out) {
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, part.data(), static_cast<int>(part.size()),
                                      nullptr, 0);
    if (n <= 0) return false;
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, part.data(), static_cast<int>(part.size()), w.data(), n);
    out += w;
    return true;
  };
  std::wstring w;
  if (convert(bytes, w)) return narrow(w);
  // Character by character (one byte, else a lead byte and its trail byte), to find the bad ones.
  w.clear();
  for (std::size_t i = 0; i < bytes.size();) {
    if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[i])) && i + 1 < bytes.size() &&
        convert(bytes.substr(i, 2), w)) {
      i += 2;
    } else if (!IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[i])) && convert(bytes.substr(i, 1), w)) {
      i += 1;
    } else {
      w += L'\xFFFD';
      i += 1;
    }
  }
  return narrow(w);
}

}  // namespace

std::string systemCodePageName() {
  const UINT acp = GetACP();
  if (acp == CP_UTF8) return "UTF-8";
  if (acp == 936) return "GBK";
  return "CP" + std::to_string(acp);
}

std::string toSystemCodePage(std::string_view utf8) {
  return encode(CP_ACP, wide(utf8), false).value_or(std::string());
}

std::string fromSystemCodePage(std::string_view bytes) { return decode(CP_ACP, bytes); }

std::optional<std::string> convertToCodePage936(std::string_view utf8) {
  return encode(936, wide(utf8), true);
}

std::string fromCodePage936(std::string_view bytes) { return decode(936, bytes); }

}  // namespace veskar::platform
