// What the programs' Win32 windows share: UTF-8 texts to and from the system's UTF-16, the
// window's DPI and twips at it, the controls and fonts of the layout tables, placement on the
// screen, the message pump that lets a window's dialog keys (Tab, Enter) work, and a window
// that takes no input while a command runs.
#pragma once

#include <windows.h>

#include <string>

#include "ui/layout/forms.h"

namespace veskar::ui::win32 {

std::wstring wide(const std::string& utf8);
std::string narrow(const std::wstring& utf16);
std::string windowText(HWND window);

// The DPI the window is shown at (the system's before Windows 10 1607, which has no
// per-window DPI); 96 when nothing can be asked.
UINT windowDpi(HWND window);

// Twips to pixels at `dpi`, rounded to the nearest.
inline int pixels(double twips, UINT dpi) { return layout::twipsToPixels(twips, dpi); }
inline double twips(int pixels, UINT dpi) { return pixels * 1440.0 / dpi; }

// Sizes a top-level window so that its client area is `width` x `height` twips at its DPI.
void setClientSize(HWND window, int width, int height);

// CenterOnScreen and CenterForm: the window, by its outer size, horizontally centred on the
// primary screen and a third of the free height from the top (layout::centeredPosition, in
// twips). False when the screen's size is unknown; the window is then left where it is.
bool centerOnScreen(HWND window);

// The window class and styles of a kind of control of the layout tables. Created in tab order,
// the controls that take the focus (WS_TABSTOP) are visited by Tab in the same order. A check
// box is ticked or not by the window (its clicks toggle it; greyed only from a settings file).
struct ControlClass {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};
ControlClass controlClass(layout::Kind kind);

// A named font of the layout tables at `dpi` (the points rounded to whole pixels), "宋体" in
// the GB2312 character set. The family must not be null (that means the window's own font).
// The windows' fonts are drawn without smoothing, as 宋体 9 pt is on Windows.
HFONT createFont(const layout::Font& font, UINT dpi);
// The system's message font at `dpi`: the windows' own font where a table names none.
HFONT createMessageFont(UINT dpi);

// The icon of the program's resources at `size` pixels (null when the module has none).
HICON programIcon(int size);

// Registers a window class of this program (button-face background) once; later calls for the
// same name do nothing. `icon`: the program's icon on the window.
void registerWindowClass(const wchar_t* name, WNDPROC proc, const wchar_t* cursor, bool icon = false);

// Dialog keys for `window` (Tab between controls, Enter, Escape): true when the message was one.
bool dialogMessage(HWND window, MSG& msg);

// The message loop of a program's main window until WM_QUIT, its exit code: the help viewer's
// messages, the window's accelerators (for it and its controls), its dialog keys, the rest
// dispatched.
int runMainLoop(HWND window, HACCEL accelerators);

// The window procedure of a class of windows `W`: the object given as CreateWindowExW's last
// argument learns its window (W::window_) on WM_NCCREATE, is kept in GWLP_USERDATA and handles
// every message after (W::handle). W names it a friend.
template <typename W>
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<W*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<W*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self ? self->handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

// Hands every waiting message on, input included: input for a disabled window is thrown away
// by the system; WM_QUIT is put back for the main loop.
void pumpMessages();

// For the time of a command on `window`: disabled (no clicks, keys or closing), the wait
// cursor, `busy` set. At the end the input that came meanwhile is handed on and dropped, the
// window enabled, and the focus given back to the control that had it (kept in `lastFocus`).
class InputBlock {
 public:
  InputBlock(HWND window, bool& busy, HWND& lastFocus);
  ~InputBlock();
  InputBlock(const InputBlock&) = delete;
  InputBlock& operator=(const InputBlock&) = delete;

 private:
  HWND window_;
  bool& busy_;
  HWND& lastFocus_;
  HWND focus_;
  HCURSOR cursor_;
};

}  // namespace veskar::ui::win32
