#include "ui/win32/progress.h"

#include "graticule/draw_messages.h"
#include "ui/win32/win32.h"

namespace veskar::ui::win32 {
namespace {

// The window's client area, in twips: one line of text.
constexpr int kWidth = 4200, kHeight = 600;

LRESULT CALLBACK progressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:  // the command cannot be stopped
      return 0;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      return TRUE;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}


}  // namespace

DrawProgress::DrawProgress(HWND owner, const char* title)
    : owner_(owner), title_(title), start_(GetTickCount64()), lastPump_(start_) {}

DrawProgress::~DrawProgress() {
  if (window_) DestroyWindow(window_);
  if (font_) DeleteObject(font_);
}

void DrawProgress::operator()(std::size_t done, std::size_t total) {
  const ULONGLONG now = GetTickCount64();
  if (now - lastPump_ < kProgressEveryMs) return;
  lastPump_ = now;
  if (now - start_ > static_cast<ULONGLONG>(graticule::kProgressAfterMs)) {
    if (!window_) show();
    if (text_) {
      SetWindowTextW(text_, wide(graticule::progressText(done, total)).c_str());
      UpdateWindow(window_);
    }
  }
  pumpMessages();
}

// Over its owner by the windows' placement rule: centred across it, a third of the free height
// from its top, so that its buttons stay in sight. Topmost: the CAD program's window, brought
// to the front by the command, does not hide it.
void DrawProgress::show() {
  registerWindowClass(kProgressClass, progressProc, IDC_WAIT);
  window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, kProgressClass,
                            wide(title_).c_str(), WS_POPUP | WS_CAPTION, 0, 0, 0,
                            0, owner_, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window_) return;
  const UINT dpi = windowDpi(window_);
  setClientSize(window_, kWidth, kHeight);
  RECT form{}, mine{};
  GetWindowRect(owner_, &form);
  GetWindowRect(window_, &mine);
  const layout::Position p = layout::centeredPosition(
      static_cast<float>(form.right - form.left), static_cast<float>(form.bottom - form.top),
      static_cast<float>(mine.right - mine.left), static_cast<float>(mine.bottom - mine.top));
  SetWindowPos(window_, nullptr, form.left + static_cast<int>(p.left),
               form.top + static_cast<int>(p.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  text_ = CreateWindowExW(0, L"STATIC", L"",
                          WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0, 0,
                          pixels(kWidth, dpi), pixels(kHeight, dpi), window_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kProgressTextId)),
                          GetModuleHandleW(nullptr), nullptr);
  font_ = createMessageFont(dpi);
  SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  ShowWindow(window_, SW_SHOWNOACTIVATE);
}

}  // namespace veskar::ui::win32
