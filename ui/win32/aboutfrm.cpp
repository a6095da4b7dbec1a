#include "ui/win32/aboutfrm.h"

#include <commctrl.h>

#include <array>
#include <vector>

#include "ui/layout/forms.h"
#include "ui/win32/shell.h"
#include "ui/win32/win32.h"

namespace veskar::ui::win32 {
namespace {

using Element = layout::AboutElement;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

class AboutForm {
 public:
  explicit AboutForm(HWND owner);
  ~AboutForm();
  AboutForm(const AboutForm&) = delete;
  AboutForm& operator=(const AboutForm&) = delete;
  void run();

 private:
  template <typename W>
  friend LRESULT CALLBACK win32::windowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void build();
  void applyDpi(UINT dpi);
  void paint();
  void click(layout::AboutClick what);
  int indexOf(HWND control) const;
  RECT rectOf(const Element& e) const;

  HWND owner_;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;
  std::array<HWND, layout::kAbout.size()> controls_{};  // null for what is painted
  std::vector<HGDIOBJ> dpiObjects_;                     // fonts and the icon at the DPI
  HBRUSH white_ = CreateSolidBrush(layout::kWhite);
  bool closed_ = false;
};

AboutForm::AboutForm(HWND owner) : owner_(owner) {
  registerWindowClass(kAboutClass, windowProc<AboutForm>, IDC_ARROW);
  window_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kAboutClass, wide(layout::aboutTitle()).c_str(),
                            kStyle, 0, 0, 0, 0, owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) return;
  build();
  applyDpi(windowDpi(window_));
  centerOnScreen(window_);  // CenterForm, on every showing
}

AboutForm::~AboutForm() {
  if (window_) DestroyWindow(window_);
  for (HGDIOBJ o : dpiObjects_) DeleteObject(o);
  DeleteObject(white_);
}

void AboutForm::build() {
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, window_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  for (std::size_t i = 0; i < layout::kAbout.size(); ++i) {
    const Element& e = layout::kAbout[i];
    if (e.kind == Element::Kind::Band || e.kind == Element::Kind::Line) continue;
    const bool button = e.kind == Element::Kind::Button;
    const DWORD style =
        button ? WS_TABSTOP | BS_DEFPUSHBUTTON
               : SS_NOTIFY | (e.kind == Element::Kind::Icon ? SS_ICON | SS_REALSIZECONTROL
                                                            : SS_LEFTNOWORDWRAP | SS_NOPREFIX);
    controls_[i] = CreateWindowExW(
        0, button ? WC_BUTTONW : WC_STATICW, wide(layout::aboutText(e)).c_str(),
        WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAboutControlId + static_cast<int>(i))),
        GetModuleHandleW(nullptr), nullptr);
    if (const std::string tip = layout::aboutTip(e); !tip.empty()) {
      const std::wstring text = wide(tip);  // the tooltip keeps a copy
      TTTOOLINFOW info{};
      info.cbSize = TTTOOLINFOW_V2_SIZE;
      info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      info.hwnd = window_;
      info.uId = reinterpret_cast<UINT_PTR>(controls_[i]);
      info.lpszText = const_cast<wchar_t*>(text.c_str());
      SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
  }
}

RECT AboutForm::rectOf(const Element& e) const {
  const UINT dpi = windowDpi(window_);
  const layout::Place& p = e.place;
  return {pixels(p.left, dpi), pixels(p.top, dpi), pixels(p.left + p.width, dpi),
          pixels(p.top + p.height, dpi)};
}

// Places, fonts and the icon at the window's DPI; the window's own font is Tahoma 8.25 pt.
void AboutForm::applyDpi(UINT dpi) {
  for (HGDIOBJ o : dpiObjects_) DeleteObject(o);
  dpiObjects_.clear();
  const HFONT formFont = createFont(layout::kAboutFont, dpi);
  dpiObjects_.push_back(formFont);
  for (std::size_t i = 0; i < layout::kAbout.size(); ++i) {
    const Element& e = layout::kAbout[i];
    if (!controls_[i]) continue;
    const RECT r = rectOf(e);
    SetWindowPos(controls_[i], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    HFONT font = formFont;
    if (e.font.family) dpiObjects_.push_back(font = createFont(e.font, dpi));
    SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (e.kind == Element::Kind::Icon) {
      if (const HICON icon = programIcon(r.right - r.left)) {
        SendMessageW(controls_[i], STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        dpiObjects_.push_back(icon);
      }
    }
  }
  setClientSize(window_, layout::kAboutWidth, layout::kAboutHeight);
}

// The white band across the top and the grey line under it.
void AboutForm::paint() {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(window_, &ps);
  for (const Element& e : layout::kAbout) {
    const RECT r = rectOf(e);
    if (e.kind == Element::Kind::Band) FillRect(dc, &r, white_);
    if (e.kind == Element::Kind::Line) {
      const HPEN pen = CreatePen(PS_SOLID, 1, e.colour);
      const HGDIOBJ old = SelectObject(dc, pen);
      MoveToEx(dc, r.left, r.top, nullptr);
      LineTo(dc, r.right, r.top);
      DeleteObject(SelectObject(dc, old));
    }
  }
  EndPaint(window_, &ps);
}

int AboutForm::indexOf(HWND control) const {
  for (std::size_t i = 0; i < controls_.size(); ++i)
    if (control && controls_[i] == control) return static_cast<int>(i);
  return -1;
}

void AboutForm::click(layout::AboutClick what) {
  switch (what) {
    case layout::AboutClick::MakerPage:
      return openAddress(window_, layout::makerPage());
    case layout::AboutClick::Mail:
      return openAddress(window_, layout::mailTo());
    case layout::AboutClick::Close:
      closed_ = true;
      return;
    case layout::AboutClick::None:
      return;
  }
}

LRESULT AboutForm::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      paint();
      return 0;
    case WM_CTLCOLORSTATIC: {
      const int i = indexOf(reinterpret_cast<HWND>(lParam));
      if (i < 0) break;
      const Element& e = layout::kAbout[static_cast<std::size_t>(i)];
      SetTextColor(reinterpret_cast<HDC>(wParam), e.colour);
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(e.inBand ? white_ : GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR: {
      const int i = indexOf(reinterpret_cast<HWND>(wParam));
      if (i < 0 || !layout::kAbout[static_cast<std::size_t>(i)].handPointer) break;
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    }
    case WM_COMMAND: {
      const int i = LOWORD(wParam) - kAboutControlId;
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) closed_ = true;
      if (i >= 0 && i < static_cast<int>(layout::kAbout.size()) && HIWORD(wParam) == BN_CLICKED)
        click(layout::kAbout[static_cast<std::size_t>(i)].click);  // STN_CLICKED is BN_CLICKED (0)
      return 0;
    }
    case WM_LBUTTONUP: {  // the band itself
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      for (const Element& e : layout::kAbout) {
        const RECT r = rectOf(e);
        if (e.kind == Element::Kind::Band && PtInRect(&r, at)) click(e.click);
      }
      return 0;
    }
    case WM_DPICHANGED:
      applyDpi(HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      closed_ = true;
      return 0;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

// Modal: the owner is disabled until the window closes, then gets the input back.
void AboutForm::run() {
  if (!window_) return;
  EnableWindow(owner_, FALSE);
  ShowWindow(window_, SW_SHOW);
  for (std::size_t i = 0; i < layout::kAbout.size(); ++i)
    if (layout::kAbout[i].kind == Element::Kind::Button) SetFocus(controls_[i]);
  MSG msg{};
  bool quit = false;
  while (!closed_ && !quit) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      quit = true;
      break;
    }
    if (dialogMessage(window_, msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  EnableWindow(owner_, TRUE);  // before the window goes, so that the owner is activated
  DestroyWindow(window_);
  window_ = nullptr;
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
}

}  // namespace

void showAbout(HWND owner) {
  AboutForm about(owner);
  about.run();
}

}  // namespace veskar::ui::win32
