#include "ui/win32/win32.h"

#include "ui/win32/shell.h"

#include <commctrl.h>

#include <cmath>
#include <cstring>

#include "platform/text.h"
#include "ui/win32/resources.h"

namespace veskar::ui::win32 {
namespace {

// Functions of user32 that Windows has only from 10 (1607) on: looked up at run time, so that
// the program still starts on older systems.
// The windows' text is drawn without smoothing, black (or blue) pixel for pixel, as Windows draws
// 宋体 at 9 pt from the face's own bitmaps. Smoothed, a substitute Song face (AR PL UMing under
// Wine, with thinner strokes than one pixel) comes out grey, like a disabled field's text.
constexpr BYTE kTextQuality = NONANTIALIASED_QUALITY;

template <typename Fn>
Fn user32Function(const char* name) {
  static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

}  // namespace

std::wstring wide(const std::string& utf8) {
  const std::u16string s = platform::utf8ToUtf16(utf8);
  return std::wstring(s.begin(), s.end());
}

std::string narrow(const std::wstring& utf16) {
  return platform::utf16ToUtf8(std::u16string(utf16.begin(), utf16.end()));
}

std::string windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return narrow(text);
}

UINT windowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return dpi;
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void setClientSize(HWND window, int width, int height) {
  using AdjustFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = user32Function<AdjustFn>("AdjustWindowRectExForDpi");
  const UINT dpi = windowDpi(window);
  RECT r{0, 0, pixels(width, dpi), pixels(height, dpi)};
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  if (adjustForDpi) {
    adjustForDpi(&r, style, FALSE, exStyle, dpi);
  } else {
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  }
  SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

ControlClass controlClass(layout::Kind kind) {
  switch (kind) {
    case layout::Kind::Field:
      return {WC_EDITW, WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case layout::Kind::Label:
      return {WC_STATICW, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};  // cut at its right edge
    case layout::Kind::Note:
      return {WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};  // word-wrapped
    case layout::Kind::CheckBox:
      return {WC_BUTTONW, WS_TABSTOP | BS_3STATE, 0};
    case layout::Kind::Choice:
      return {WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case layout::Kind::TextChoice:
      return {WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0};
    case layout::Kind::Button:
      break;
  }
  return {WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0};
}

bool centerOnScreen(HWND window) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN),
            screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT outer{};
  if (screenWidth <= 0 || screenHeight <= 0 || !GetWindowRect(window, &outer)) return false;
  const UINT dpi = windowDpi(window);
  const layout::Position p = layout::centeredPosition(
      static_cast<float>(twips(screenWidth, dpi)), static_cast<float>(twips(screenHeight, dpi)),
      static_cast<float>(twips(outer.right - outer.left, dpi)),
      static_cast<float>(twips(outer.bottom - outer.top, dpi)));
  SetWindowPos(window, nullptr, pixels(p.left, dpi), pixels(p.top, dpi), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

HFONT createFont(const layout::Font& font, UINT dpi) {
  const bool song = std::strcmp(font.family, layout::kSongFamily) == 0;
  const int height = -static_cast<int>(std::lround(font.points * dpi / 72.0));
  return CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, font.underline, FALSE,
                     song ? GB2312_CHARSET : DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, kTextQuality, DEFAULT_PITCH | FF_DONTCARE,
                     wide(font.family).c_str());
}

HFONT createMessageFont(UINT dpi) {
  using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
  static const auto forDpi = user32Function<ForDpiFn>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
    metrics.lfMessageFont.lfQuality = kTextQuality;
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  // The system's metrics are at the system's DPI.
  const HDC screen = GetDC(nullptr);
  const int systemDpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  metrics.lfMessageFont.lfHeight =
      MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), systemDpi);
  metrics.lfMessageFont.lfQuality = kTextQuality;
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

HICON programIcon(int size) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VESKAR_ICON),
                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

int runMainLoop(HWND window, HACCEL accelerators) {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (helpMessage(msg)) continue;
    const bool mine = msg.hwnd == window || IsChild(window, msg.hwnd);
    if (mine && TranslateAcceleratorW(window, accelerators, &msg)) continue;
    if (dialogMessage(window, msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

bool dialogMessage(HWND window, MSG& msg) {
  return window && (msg.hwnd == window || IsChild(window, msg.hwnd)) &&
         IsDialogMessageW(window, &msg);
}

void pumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

InputBlock::InputBlock(HWND window, bool& busy, HWND& lastFocus)
    : window_(window), busy_(busy), lastFocus_(lastFocus), focus_(GetFocus()),
      cursor_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {
  busy_ = true;
  EnableWindow(window_, FALSE);
}

InputBlock::~InputBlock() {
  // Clicks and keys that came meanwhile go to the disabled window now, and are dropped.
  pumpMessages();
  EnableWindow(window_, TRUE);
  busy_ = false;
  SetCursor(cursor_);
  if (IsChild(window_, focus_)) lastFocus_ = focus_;
  if (GetActiveWindow() == window_ && lastFocus_) SetFocus(lastFocus_);
}

void registerWindowClass(const wchar_t* name, WNDPROC proc, const wchar_t* cursor, bool icon) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  if (icon) {
    wc.hIcon = programIcon(GetSystemMetrics(SM_CXICON));
    wc.hIconSm = programIcon(GetSystemMetrics(SM_CXSMICON));
  }
  wc.hCursor = LoadCursorW(nullptr, cursor);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

}  // namespace veskar::ui::win32
