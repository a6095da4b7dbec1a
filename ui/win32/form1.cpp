#include "ui/win32/form1.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <array>

#include "cad/com/com_cad.h"
#include "graticule/draw_messages.h"
#include "mapsheet/sheet_messages.h"
#include "settings/fields.h"
#include "settings/settings.h"
#include "ui/win32/aboutfrm.h"
#include "ui/win32/progress.h"
#include "ui/win32/resources.h"
#include "ui/win32/shell.h"
#include "ui/win32/win32.h"

namespace veskar::ui::win32 {
namespace {

// Fixed single border: no resizing, no maximising; minimise, system menu and close box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// F1, as an accelerator of the window.
constexpr WORD kHelpKey = 999;

class Form1 {
 public:
  explicit Form1(Form1Options options);
  ~Form1();
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  bool create(HINSTANCE instance);
  int run(int show);

 private:
  template <typename W>
  friend LRESULT CALLBACK win32::windowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void buildControls();
  void addTooltip(HWND field);
  void applyDpi(UINT dpi);
  void loadSequence();
  void command(int id, int code);
  LRESULT fieldColours(HDC dc, HWND field);
  int checkValue() const;
  void clickCheck1();
  void draw();
  graticule::DrawOutcome runDrawCommand(const graticule::DrawInputs& in);
  void moreSoftware();
  void help(const std::string& helpFile);
  void addSheetMenu();
  void contextMenu(LPARAM at);
  void openSheetWindow();

  Form1Options options_;
  std::string appDir_;
  std::string helpFile_;  // registered by the load sequence, for F1
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;
  std::array<HWND, layout::kForm1.size()> controls_{};
  std::array<HWND, settings::kFields.size()> fields_{};
  HWND check1_ = nullptr;
  HFONT windowFont_ = nullptr;
  HFONT buttonFont_ = nullptr;
  HBRUSH focusBrush_ = CreateSolidBrush(layout::kFocusBackground);
  HWND highlighted_ = nullptr;  // the field that has the focus
  HWND lastFocus_ = nullptr;    // the control to give the focus back to on activation
  HACCEL accelerators_ = nullptr;
  bool busy_ = false;  // the Draw command runs
};

Form1::Form1(Form1Options options)
    : options_(std::move(options)),
      appDir_(options_.appDir.empty() ? settings::applicationDirectory() : options_.appDir) {}

Form1::~Form1() {
  if (window_) DestroyWindow(window_);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(windowFont_), static_cast<HGDIOBJ>(buttonFont_),
                    static_cast<HGDIOBJ>(focusBrush_)})
    if (o) DeleteObject(o);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

bool Form1::create(HINSTANCE instance) {
  registerWindowClass(kForm1Class, windowProc<Form1>, IDC_ARROW, true);
  window_ = CreateWindowExW(0, kForm1Class, wide(layout::kForm1Title).c_str(), kStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this);
  if (!window_) return false;
  buildControls();
  applyDpi(windowDpi(window_));
  ACCEL f1{FVIRTKEY, VK_F1, kHelpKey};
  accelerators_ = CreateAcceleratorTableW(&f1, 1);
  addSheetMenu();
  loadSequence();
  return true;
}

// 图幅整饰… at the end of the system menu, after a separator.
void Form1::addSheetMenu() {
  const HMENU system = GetSystemMenu(window_, FALSE);
  AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(system, MF_STRING, kSheetCommand, wide(layout::kSheetMenuItem).c_str());
}

// The context menu of the background, the labels and the buttons (the fields have their own):
// 图幅整饰…, at the mouse, or at the client area's corner from the keyboard.
void Form1::contextMenu(LPARAM at) {
  POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  if (at == -1) {
    p = {0, 0};
    ClientToScreen(window_, &p);
  }
  const HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kSheetCommand, wide(layout::kSheetMenuItem).c_str());
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, p.x, p.y, 0, window_, nullptr));
  DestroyMenu(menu);
  if (chosen == kSheetCommand) openSheetWindow();
}

// veskar-sheet.exe from the application directory; a program that does not start is told.
void Form1::openSheetWindow() {
  const std::string program = settings::AppFilePath(appDir_, std::string(layout::kSheetProgram) + ".exe");
  std::string error;
  if (!startProgram(program, error))
    MessageBoxW(window_, wide(mapsheet::startFailedText(program, error)).c_str(), wide(layout::kProgramName).c_str(),
                MB_OK);
}

void Form1::buildControls() {
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, window_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  for (std::size_t i = 0; i < layout::kForm1.size(); ++i) {
    const layout::Control& c = layout::kForm1[i];
    const ControlClass k = controlClass(c.kind);
    const HWND w = CreateWindowExW(k.exStyle, k.className, wide(c.caption).c_str(),
                                   WS_CHILD | WS_VISIBLE | k.style, 0, 0, 0, 0, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(form1ControlId(i))),
                                   GetModuleHandleW(nullptr), nullptr);
    controls_[i] = w;
    if (c.kind == layout::Kind::Field) {
      fields_[static_cast<std::size_t>(c.field)] = w;
      if (settings::kFields[static_cast<std::size_t>(c.field)].tooltip) addTooltip(w);
    } else if (c.kind == layout::Kind::CheckBox) {
      check1_ = w;
      // Drawn without the visual style, which would paint the caption in the theme's colour.
      SetWindowTheme(w, L"", L"");
      SendMessageW(w, BM_SETCHECK, BST_CHECKED, 0);  // starts ticked
    }
  }
}

void Form1::addTooltip(HWND field) {
  static const std::wstring tip = wide(settings::kAngleTip);
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = window_;
  info.uId = reinterpret_cast<UINT_PTR>(field);
  info.lpszText = const_cast<wchar_t*>(tip.c_str());
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

// Every place from twips at the window's DPI; the fonts at that DPI.
void Form1::applyDpi(UINT dpi) {
  for (HFONT f : {windowFont_, buttonFont_})
    if (f) DeleteObject(f);
  windowFont_ = createMessageFont(dpi);
  buttonFont_ = createFont(layout::kButtonFont, dpi);
  for (std::size_t i = 0; i < layout::kForm1.size(); ++i) {
    const layout::Place& p = layout::kForm1[i].place;
    SetWindowPos(controls_[i], nullptr, pixels(p.left, dpi), pixels(p.top, dpi),
                 pixels(p.width, dpi), pixels(p.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    const HFONT font = layout::kForm1[i].kind == layout::Kind::Button ? buttonFont_ : windowFont_;
    SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  setClientSize(window_, layout::kForm1Width, layout::kForm1Height);
}

// The help file (for F1), the place on the screen, the settings file; without a place the
// fields get the read-failure defaults. No message in any case.
void Form1::loadSequence() {
  helpFile_ = settings::AppFilePath(appDir_, layout::kHelpFile);
  const bool placed = !helpFile_.empty() && centerOnScreen(window_);
  const settings::SettingsRecord record =
      placed ? settings::LoadSettings(appDir_) : settings::readFailureDefaults();
  for (std::size_t i = 0; i < fields_.size(); ++i)
    SetWindowTextW(fields_[i], wide(record.texts[i]).c_str());
  if (record.boxState) {
    static constexpr WPARAM states[] = {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE};
    SendMessageW(check1_, BM_SETCHECK, states[*record.boxState], 0);
  }
}

int Form1::run(int show) {
  ShowWindow(window_, show);
  UpdateWindow(window_);
  lastFocus_ = fields_[0];
  SetFocus(fields_[0]);
  return runMainLoop(window_, accelerators_);
}

LRESULT Form1::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLOREDIT:
      return fieldColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CONTEXTMENU:
      if (!busy_) contextMenu(lParam);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != kSheetCommand) break;
      if (!busy_) openSheetWindow();
      return 0;
    case WM_CTLCOLORSTATIC:  // the labels' and the check box's captions
      SetTextColor(reinterpret_cast<HDC>(wParam), layout::kBlue);
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE && IsChild(window_, GetFocus())) lastFocus_ = GetFocus();
      break;
    case WM_SETFOCUS:
      if (lastFocus_ && !busy_) SetFocus(lastFocus_);
      return 0;
    case WM_SETCURSOR:
      if (!busy_) break;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      return TRUE;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      applyDpi(HIWORD(wParam));
      return 0;
    }
    case WM_CLOSE:  // the close box and the system menu end the program, but not while Draw runs
      if (!busy_) DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      window_ = nullptr;
      return 0;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

// Light green while a field has the focus, the system's window colour otherwise; the text in
// the system's window-text colour (black), which the control does not set by itself here.
LRESULT Form1::fieldColours(HDC dc, HWND field) {
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  if (field == highlighted_) {
    SetBkColor(dc, layout::kFocusBackground);
    return reinterpret_cast<LRESULT>(focusBrush_);
  }
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

void Form1::command(int id, int code) {
  if (id == kHelpKey) return help(helpFile_);
  const int index = id - kForm1ControlId;
  if (index < 0 || index >= static_cast<int>(layout::kForm1.size())) return;  // IDOK, IDCANCEL
  const layout::Control& c = layout::kForm1[static_cast<std::size_t>(index)];
  const HWND control = controls_[static_cast<std::size_t>(index)];
  if (c.kind == layout::Kind::Field && (code == EN_SETFOCUS || code == EN_KILLFOCUS)) {
    // Gaining the focus selects the whole text; the colour follows the focus.
    if (code == EN_SETFOCUS) SendMessageW(control, EM_SETSEL, 0, -1);
    highlighted_ =
        code == EN_SETFOCUS ? control : (highlighted_ == control ? nullptr : highlighted_);
    InvalidateRect(control, nullptr, TRUE);
    return;
  }
  if (c.kind == layout::Kind::CheckBox && code == BN_CLICKED) return clickCheck1();
  if (c.kind != layout::Kind::Button || code != BN_CLICKED) return;
  switch (c.action) {
    case layout::Action::Draw:
      return draw();
    case layout::Action::MoreSoftware:
      return moreSoftware();
    case layout::Action::Help:
      return help(settings::AppFilePath(appDir_, layout::kHelpFile));
    case layout::Action::Exit:
      DestroyWindow(window_);
      return;  // nothing saved, the CAD program stays
    case layout::Action::None:
    case layout::Action::Find:  // not in Form1
    case layout::Action::SaveDxf:
      return;
  }
}

// Check1's value as the Draw command and the settings file count it: 0, 1, 2 (greyed).
int Form1::checkValue() const {
  switch (SendMessageW(check1_, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED:
      return 1;
    case BST_INDETERMINATE:
      return 2;
    default:
      return 0;
  }
}

// A click ticks a box that is not ticked (a greyed one too) and clears a ticked one.
void Form1::clickCheck1() {
  SendMessageW(check1_, BM_SETCHECK, checkValue() == 1 ? BST_UNCHECKED : BST_CHECKED, 0);
}

void Form1::draw() {
  if (busy_) return;
  graticule::DrawInputs in;
  for (std::size_t i = 0; i < fields_.size(); ++i) in.texts[i] = windowText(fields_[i]);
  in.check = checkValue();
  if (!options_.connectCad)
    options_.connectCad = cad::com::connectCadFn();  // kept from press to press
  const graticule::DrawOutcome outcome = runDrawCommand(in);
  for (const std::string& text : graticule::drawMessages(outcome))
    MessageBoxW(window_, wide(text).c_str(), wide(layout::kProgramName).c_str(), MB_OK);
}

// The command, with Form1 taking no input and showing the wait cursor while it runs.
graticule::DrawOutcome Form1::runDrawCommand(const graticule::DrawInputs& in) {
  const InputBlock busy(window_, busy_, lastFocus_);
  const std::string dir = appDir_;
  const graticule::SaveSettingsFn save = [dir](const settings::SettingsRecord& record) {
    return settings::SaveSettings(dir, record);
  };
  DrawProgress progress(window_);
  const graticule::ProgressFn report = [&progress](const graticule::EmissionProgress& p) {
    progress(p.done, p.total);
  };
  return graticule::RunDrawCommand(in, save, options_.connectCad, report);
}

void Form1::moreSoftware() {
  openAddress(window_, layout::makerPage());
  showAbout(window_);
}

void Form1::help(const std::string& helpFile) { showHelp(window_, helpFile); }

}  // namespace

int runForm1(HINSTANCE instance, int show, Form1Options options) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  Form1 form(std::move(options));
  if (!form.create(instance)) return 1;
  return form.run(show);
}

}  // namespace veskar::ui::win32
