// Files on Windows: the wide (UTF-16) file API, so that paths with Chinese characters work
// whatever the ANSI code page.
#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <random>

#include "platform/files.h"
#include "platform/text.h"

namespace veskar::platform {
namespace {

std::wstring wide(std::string_view utf8) {
  const std::u16string s = utf8ToUtf16(utf8);
  return std::wstring(s.begin(), s.end());
}

std::string narrow(std::wstring_view w) { return utf16ToUtf8(std::u16string(w.begin(), w.end())); }

// The system's words for a Win32 error, in the user's language, without the line end.
std::string describe(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring w = n && text ? std::wstring(text, n) : std::wstring();
  if (text) LocalFree(text);
  while (!w.empty() && (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' ')) w.pop_back();
  if (w.empty()) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Error %lu", static_cast<unsigned long>(error));
    return buf;
  }
  return narrow(w);
}

HANDLE createTemporary(const std::wstring& path, std::wstring& name) {
  static std::minstd_rand random(GetCurrentProcessId() ^ std::random_device{}());
  static const wchar_t digits[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring suffix;
    for (int k = 0; k < 6; ++k) suffix += digits[random() % 36];
    name = path + L"." + suffix + L".tmp";
    const HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
  }
  return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(h, bytes.data(), chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool isPathSeparator(char c) { return c == '\\' || c == '/'; }

std::string applicationDirectory() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return ".";
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  std::size_t cut = buf.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return ".";
  if (cut == 2 && buf[1] == L':') ++cut;  // the drive's root keeps its separator: C:\ .
  return narrow(std::wstring_view(buf).substr(0, cut));
}

std::string fileName(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

bool fileExists(const std::string& path) {
  if (path.empty()) return false;
  if (GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  return GetLastError() != ERROR_FILE_NOT_FOUND;
}

std::optional<std::string> readFile(const std::string& path, std::string& error) {
  const HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = describe(GetLastError());
    return std::nullopt;
  }
  std::string out;
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
      error = describe(GetLastError());
      CloseHandle(h);
      return std::nullopt;
    }
    if (n == 0) break;
    out.append(buf, n);
  }
  CloseHandle(h);
  return out;
}

std::optional<std::string> replaceFile(const std::string& path, std::string_view bytes) {
  const std::wstring target = wide(path);
  std::wstring temporary;
  const HANDLE h = createTemporary(target, temporary);
  if (h == INVALID_HANDLE_VALUE) return describe(GetLastError());
  bool ok = writeAll(h, bytes) && FlushFileBuffers(h);
  DWORD error = ok ? 0 : GetLastError();
  if (!CloseHandle(h) && ok) ok = false, error = GetLastError();
  if (ok && !MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false, error = GetLastError();
  }
  if (!ok) {
    DeleteFileW(temporary.c_str());
    return describe(error);
  }
  return std::nullopt;
}

std::vector<std::string> arguments(int argc, char** argv) {
  int n = 0;
  wchar_t** w = CommandLineToArgvW(GetCommandLineW(), &n);
  if (!w) return {argv, argv + argc};
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) out.push_back(narrow(w[i]));
  LocalFree(w);
  return out;
}

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void prepareConsole() {
  if (GetConsoleWindow() != nullptr) SetConsoleOutputCP(CP_UTF8);
}

}  // namespace veskar::platform
