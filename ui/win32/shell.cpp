#include "ui/win32/shell.h"

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

}  // namespace

void openAddress(HWND owner, const std::string& address) {
  ShellExecuteW(owner, L"open", wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void showHelp(HWND owner, const std::string& helpFile) {
  if (const HtmlHelpFn fn = htmlHelp(true)) fn(owner, wide(helpFile).c_str(), HH_DISPLAY_TOPIC, 0);
}

bool helpMessage(MSG& msg) {
  const HtmlHelpFn fn = htmlHelp(false);
  return fn && fn(nullptr, nullptr, HH_PRETRANSLATEMESSAGE, reinterpret_cast<DWORD_PTR>(&msg));
}

}  // namespace veskar::ui::win32
