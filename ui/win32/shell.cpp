#include "ui/win32/shell.h"

#include <commdlg.h>
#include <htmlhelp.h>
#include <shellapi.h>

#include "ui/win32/win32.h"

namespace veskar::ui::win32 {
namespace {

using HtmlHelpFn = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);

// HtmlHelpW: hhctrl.ocx is loaded at the first call (the program imports no help library).
HtmlHelpFn htmlHelp(bool load) {
  static HtmlHelpFn fn = nullptr;
  static bool tried = false;
  if (!fn && load && !tried) {
    tried = true;
    if (const HMODULE hhctrl = LoadLibraryW(L"hhctrl.ocx"))
      fn = reinterpret_cast<HtmlHelpFn>(
          reinterpret_cast<void*>(GetProcAddress(hhctrl, "HtmlHelpW")));
  }
  return fn;
}

// The system's words for a Win32 error, without the line end; its number where it has none.
std::string systemText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring w = n && text ? std::wstring(text, n) : std::wstring();
  if (text) LocalFree(text);
  while (!w.empty() && (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' ')) w.pop_back();
  return w.empty() ? "Error " + std::to_string(error) : narrow(w);
}

}  // namespace

void openAddress(HWND owner, const std::string& address) {
  ShellExecuteW(owner, L"open", wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void showHelp(HWND owner, const std::string& helpFile, const std::string& topic) {
  const std::string where = topic.empty() ? helpFile : helpFile + "::/" + topic;
  if (const HtmlHelpFn fn = htmlHelp(true)) fn(owner, wide(where).c_str(), HH_DISPLAY_TOPIC, 0);
}

bool startProgram(const std::string& path, std::string& error) {
  std::wstring commandLine = L"\"" + wide(path) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(wide(path).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    error = systemText(GetLastError());
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

std::optional<std::string> chooseSaveFile(HWND owner, const std::string& title, const std::string& suggestedName,
                                          const std::string& type, const std::string& pattern) {
  std::wstring file = wide(suggestedName);
  file.resize(32768, L'\0');
  // The filter: pairs of description and pattern, each ended by a NUL, the list by another.
  const std::wstring filter = wide(type + " (" + pattern + ")") + L'\0' + wide(pattern) + L'\0';
  const std::wstring caption = wide(title);
  const std::wstring extension = wide(pattern.substr(pattern.find('.') + 1));
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = caption.c_str();
  ofn.lpstrDefExt = extension.c_str();
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (!GetSaveFileNameW(&ofn)) return std::nullopt;
  file.resize(file.find(L'\0'));
  return narrow(file);
}

bool helpMessage(MSG& msg) {
  const HtmlHelpFn fn = htmlHelp(false);
  return fn && fn(nullptr, nullptr, HH_PRETRANSLATEMESSAGE, reinterpret_cast<DWORD_PTR>(&msg));
}

}  // namespace veskar::ui::win32
