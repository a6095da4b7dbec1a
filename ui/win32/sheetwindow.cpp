#include "ui/win32/sheetwindow.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "cad/com/com_cad.h"
#include "mapsheet/sheet_form.h"
#include "mapsheet/sheet_messages.h"
#include "settings/sheet_settings.h"
#include "ui/win32/progress.h"
#include "ui/win32/shell.h"
#include "ui/win32/win32.h"

namespace veskar::ui::win32 {
namespace {

using layout::Kind;
using settings::kSheetFields;

// Fixed single border: no resizing, no maximising; minimise, system menu and close box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr WORD kHelpKey = 999;  // F1
// A drop-down list's list below it, in twips.
constexpr int kListHeight = 3000;

std::size_t indexOf(layout::Action action) {
  for (std::size_t i = 0; i < layout::kSheet.size(); ++i)
    if (layout::kSheet[i].action == action) return i;
  return 0;
}

class SheetWindow {
 public:
  explicit SheetWindow(SheetWindowOptions options)
      : options_(std::move(options)), appDir_(options_.appDir.empty() ? settings::applicationDirectory() : options_.appDir) {}
  ~SheetWindow();
  SheetWindow(const SheetWindow&) = delete;
  SheetWindow& operator=(const SheetWindow&) = delete;

  bool create(HINSTANCE instance);
  int run(int show);

 private:
  template <typename W>
  friend LRESULT CALLBACK win32::windowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void buildControls();
  void applyDpi(UINT dpi);
  void setFields(const mapsheet::SheetFields& f);
  mapsheet::SheetFields fields() const;
  HWND field(settings::SheetFieldIndex i) const { return byField_[i]; }
  bool ticked(settings::SheetFieldIndex i) const { return SendMessageW(field(i), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void command(int id, int code);
  void highlight(HWND field, bool focused);
  LRESULT staticColours(HDC dc, HWND control);
  // The division's controls shown, the fields that count enabled, the line under 图号 and
  // 方里网间距's hint: after every change of a field.
  void refresh();
  void find();
  void draw();
  void saveDxf();
  mapsheet::SaveSheetSettingsFn saver() const;
  void showMessages(const std::vector<std::string>& texts);

  SheetWindowOptions options_;
  std::string appDir_;
  HWND window_ = nullptr;
  std::array<HWND, layout::kSheet.size()> controls_{};
  std::array<HWND, kSheetFields.size()> byField_{};  // each field's control (not its label)
  HWND note_ = nullptr;
  bool noteFault_ = false;
  std::string noteText_;
  bool filling_ = false;  // setFields: one refresh at the end, not one per field
  HFONT windowFont_ = nullptr;
  HFONT buttonFont_ = nullptr;
  HBRUSH focusBrush_ = CreateSolidBrush(layout::kFocusBackground);
  HWND highlighted_ = nullptr;  // the field that has the focus
  HWND lastFocus_ = nullptr;    // the control to give the focus back to on activation
  HACCEL accelerators_ = nullptr;
  bool busy_ = false;  // a draw runs
};

SheetWindow::~SheetWindow() {
  if (window_) DestroyWindow(window_);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(windowFont_), static_cast<HGDIOBJ>(buttonFont_), static_cast<HGDIOBJ>(focusBrush_)})
    if (o) DeleteObject(o);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

bool SheetWindow::create(HINSTANCE instance) {
  registerWindowClass(kSheetClass, windowProc<SheetWindow>, IDC_ARROW, true);
  window_ = CreateWindowExW(0, kSheetClass, wide(layout::kSheetTitle).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0,
                            0, nullptr, nullptr, instance, this);
  if (!window_) return false;
  buildControls();
  applyDpi(windowDpi(window_));
  ACCEL f1{FVIRTKEY, VK_F1, kHelpKey};
  accelerators_ = CreateAcceleratorTableW(&f1, 1);
  // Placed, then filled from veskar-sheet.ini (the first start's fields without a screen).
  const bool placed = centerOnScreen(window_);
  setFields(mapsheet::fieldsOf(placed ? settings::LoadSheetSettings(appDir_) : settings::sheetDefaults()));
  return true;
}

void SheetWindow::buildControls() {
  for (std::size_t i = 0; i < layout::kSheet.size(); ++i) {
    const layout::Control& c = layout::kSheet[i];
    const ControlClass k = controlClass(c.kind);
    const DWORD style = c.action == layout::Action::Draw ? BS_DEFPUSHBUTTON | WS_TABSTOP : k.style;
    const HWND w = CreateWindowExW(k.exStyle, k.className, wide(c.caption).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0,
                                   0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(sheetControlId(i))),
                                   GetModuleHandleW(nullptr), nullptr);
    controls_[i] = w;
    if (c.kind == Kind::Note) note_ = w;
    if (c.kind == Kind::Field || c.kind == Kind::Choice || c.kind == Kind::TextChoice || c.kind == Kind::CheckBox)
      byField_[static_cast<std::size_t>(c.field)] = w;
    if (c.kind == Kind::CheckBox) SetWindowTheme(w, L"", L"");  // the caption in our colour
    if (c.kind == Kind::Choice || c.kind == Kind::TextChoice) {
      for (const mapsheet::ChoiceItem& item : mapsheet::choiceItems(static_cast<settings::SheetFieldIndex>(c.field)))
        SendMessageW(w, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(item.title).c_str()));
    }
  }
}

// Every place from twips at the window's DPI; the fonts at that DPI.
void SheetWindow::applyDpi(UINT dpi) {
  for (HFONT f : {windowFont_, buttonFont_})
    if (f) DeleteObject(f);
  windowFont_ = createMessageFont(dpi);
  buttonFont_ = createFont(layout::kButtonFont, dpi);
  for (std::size_t i = 0; i < layout::kSheet.size(); ++i) {
    const layout::Control& c = layout::kSheet[i];
    const HFONT font = c.kind == Kind::Button ? buttonFont_ : windowFont_;
    SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    // A drop-down list: its place with the list shut, the list below it.
    const int list = c.kind == Kind::Choice || c.kind == Kind::TextChoice ? pixels(kListHeight, dpi) : 0;
    SetWindowPos(controls_[i], nullptr, pixels(c.place.left, dpi), pixels(c.place.top, dpi), pixels(c.place.width, dpi),
                 pixels(c.place.height, dpi) + list, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  setClientSize(window_, layout::kSheetWidth, layout::kSheetHeight);
}

void SheetWindow::setFields(const mapsheet::SheetFields& f) {
  const settings::SheetSettings s = mapsheet::settingsOf(f);
  filling_ = true;
  for (const layout::Control& c : layout::kSheet) {
    if (c.field < 0 || c.kind == Kind::Label || c.kind == Kind::Note) continue;
    const auto i = static_cast<settings::SheetFieldIndex>(c.field);
    if (c.kind == Kind::CheckBox) {
      SendMessageW(field(i), BM_SETCHECK, s.values[i] == "1" ? BST_CHECKED : BST_UNCHECKED, 0);
    } else if (c.kind == Kind::Choice) {
      const std::vector<mapsheet::ChoiceItem> items = mapsheet::choiceItems(i);
      const auto item = std::find_if(items.begin(), items.end(), [&](const auto& it) { return it.value == s.values[i]; });
      SendMessageW(field(i), CB_SETCURSEL, item == items.end() ? WPARAM(-1) : WPARAM(item - items.begin()), 0);
    } else {
      SetWindowTextW(field(i), wide(s.values[i]).c_str());
    }
  }
  filling_ = false;
  refresh();
}

mapsheet::SheetFields SheetWindow::fields() const {
  settings::SheetSettings s;
  for (const layout::Control& c : layout::kSheet) {
    if (c.field < 0 || c.kind == Kind::Label || c.kind == Kind::Note) continue;
    const auto i = static_cast<settings::SheetFieldIndex>(c.field);
    if (c.kind == Kind::CheckBox) {
      s.values[i] = std::string(1, ticked(i) ? '1' : '0');
    } else if (c.kind == Kind::Choice) {
      const std::vector<mapsheet::ChoiceItem> items = mapsheet::choiceItems(i);
      const auto chosen = static_cast<std::size_t>(SendMessageW(field(i), CB_GETCURSEL, 0, 0));
      if (chosen < items.size()) s.values[i] = items[chosen].value;
    } else {
      s.values[i] = windowText(field(i));
    }
  }
  return mapsheet::fieldsOf(s);
}

int SheetWindow::run(int show) {
  ShowWindow(window_, show);
  UpdateWindow(window_);
  lastFocus_ = field(mapsheet::numberField(fields()));
  SetFocus(lastFocus_);
  return runMainLoop(window_, accelerators_);
}

LRESULT SheetWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case DM_GETDEFID:  // Enter, when no button has the focus: 绘  图
      return MAKELRESULT(sheetControlId(indexOf(layout::Action::Draw)), DC_HASDEFID);
    case WM_CTLCOLOREDIT: {
      const auto dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      const bool focused = reinterpret_cast<HWND>(lParam) == highlighted_;
      SetBkColor(dc, focused ? layout::kFocusBackground : GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<LRESULT>(focused ? focusBrush_ : GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_CTLCOLORSTATIC:
      return staticColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
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
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      applyDpi(HIWORD(wParam));
      return 0;
    }
    case WM_CLOSE:  // not while a draw runs
      if (!busy_) DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      window_ = nullptr;
      return 0;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

// Captions blue, the line under 图号 black or red; the rest (disabled fields) as the system
// draws them.
LRESULT SheetWindow::staticColours(HDC dc, HWND control) {
  const int index = GetDlgCtrlID(control) - kSheetControlId;
  if (index < 0 || index >= static_cast<int>(layout::kSheet.size()))
    return DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  const Kind kind = layout::kSheet[static_cast<std::size_t>(index)].kind;
  if (kind != Kind::Label && kind != Kind::CheckBox && kind != Kind::Note)
    return DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  SetTextColor(dc, kind != Kind::Note ? layout::kBlue : noteFault_ ? layout::kRed : layout::kBlack);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void SheetWindow::command(int id, int code) {
  if (id == kHelpKey) return showHelp(window_, settings::AppFilePath(appDir_, layout::kHelpFile), layout::kSheetHelpTopic);
  const int index = id - kSheetControlId;
  if (index < 0 || index >= static_cast<int>(layout::kSheet.size())) return;  // IDOK, IDCANCEL
  const layout::Control& c = layout::kSheet[static_cast<std::size_t>(index)];
  const HWND control = controls_[static_cast<std::size_t>(index)];
  if (c.kind == Kind::Field && (code == EN_SETFOCUS || code == EN_KILLFOCUS)) {
    if (code == EN_SETFOCUS) SendMessageW(control, EM_SETSEL, 0, -1);
    return highlight(control, code == EN_SETFOCUS);
  }
  if (c.kind == Kind::TextChoice && (code == CBN_SETFOCUS || code == CBN_KILLFOCUS))
    return highlight(GetWindow(control, GW_CHILD), code == CBN_SETFOCUS);  // its field
  if ((c.kind == Kind::Field && code == EN_CHANGE) || (c.kind == Kind::Choice && code == CBN_SELCHANGE)) return refresh();
  if (code != BN_CLICKED) return;
  if (c.kind == Kind::CheckBox) {
    SendMessageW(control, BM_SETCHECK, ticked(static_cast<settings::SheetFieldIndex>(c.field)) ? BST_UNCHECKED : BST_CHECKED, 0);
    return refresh();
  }
  switch (c.action) {
    case layout::Action::Find: return find();
    case layout::Action::Draw: return draw();
    case layout::Action::SaveDxf: return saveDxf();
    case layout::Action::Help: return command(kHelpKey, 0);
    case layout::Action::Exit: DestroyWindow(window_); return;
    case layout::Action::None:
    case layout::Action::MoreSoftware: return;
  }
}

// The field that has the focus light green.
void SheetWindow::highlight(HWND field, bool focused) {
  highlighted_ = focused ? field : (highlighted_ == field ? nullptr : highlighted_);
  InvalidateRect(field, nullptr, TRUE);
}

void SheetWindow::refresh() {
  if (filling_) return;
  const mapsheet::SheetFields f = fields();
  for (std::size_t i = 0; i < layout::kSheet.size(); ++i) {
    const bool shown = layout::shownIn(layout::kSheet[i].shown, f.division == mapsheet::Division::Square);
    const bool showing = (GetWindowLongW(controls_[i], GWL_STYLE) & WS_VISIBLE) != 0;  // before the window shows
    if (showing != shown) ShowWindow(controls_[i], shown ? SW_SHOWNA : SW_HIDE);
  }
  for (std::size_t i = 0; i < byField_.size(); ++i) {
    const bool counts = mapsheet::counts(f, static_cast<settings::SheetFieldIndex>(i));
    if (static_cast<bool>(IsWindowEnabled(byField_[i])) != counts) EnableWindow(byField_[i], counts);
  }
  // The line under 图号, black or red; 方里网间距's hint for the scale.
  const mapsheet::NumberNote n = mapsheet::numberNote(f);
  if (n.text != noteText_ || n.fault != noteFault_) {
    noteFault_ = n.fault;
    noteText_ = n.text;
    SetWindowTextW(note_, wide(n.text).c_str());
    InvalidateRect(note_, nullptr, TRUE);
  }
  SendMessageW(field(settings::kSheetGrid), EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(wide(mapsheet::gridHint(f)).c_str()));
  InvalidateRect(field(settings::kSheetGrid), nullptr, TRUE);
}

mapsheet::SaveSheetSettingsFn SheetWindow::saver() const {
  const std::string dir = appDir_;
  return [dir](const settings::SheetSettings& s) { return settings::SaveSheetSettings(dir, s); };
}

void SheetWindow::showMessages(const std::vector<std::string>& texts) {
  for (const std::string& text : texts)
    MessageBoxW(window_, wide(text).c_str(), wide(layout::kSheetProgram).c_str(), MB_OK);
}

void SheetWindow::find() {
  const mapsheet::SheetFields f = fields();
  const mapsheet::Found found = mapsheet::findSheet(f);
  if (!found.refusal.empty()) return showMessages({found.refusal});
  SetWindowTextW(field(mapsheet::numberField(f)), wide(found.number).c_str());
}

void SheetWindow::draw() {
  if (busy_) return;
  if (!options_.connectCad) options_.connectCad = cad::com::connectCadFn();  // kept from press to press
  mapsheet::SheetPress run;
  {
    const InputBlock busy(window_, busy_, lastFocus_);
    DrawProgress progress(window_, mapsheet::kSheetProgressTitle);
    run = mapsheet::drawSheet(fields(), saver(), options_.connectCad,
                              [&progress](const graticule::EmissionProgress& p) { progress(p.done, p.total); });
  }
  showMessages(mapsheet::sheetMessages(run));
}

// The window takes input while its save dialog is open, and none from the choice to the end.
void SheetWindow::saveDxf() {
  if (busy_) return;
  std::optional<InputBlock> busy;
  std::optional<DrawProgress> progress;
  const mapsheet::ChooseFileFn choose = [&](const std::string& name) {
    std::optional<std::string> path =
        chooseSaveFile(window_, mapsheet::kSaveDxfTitle, name, mapsheet::kDxfFileType, mapsheet::kDxfPattern);
    if (path) {
      busy.emplace(window_, busy_, lastFocus_);
      progress.emplace(window_, mapsheet::kSheetProgressTitle);
    }
    return path;
  };
  const mapsheet::SheetPress run = mapsheet::saveSheetDxf(fields(), saver(), choose, [&](const graticule::EmissionProgress& p) {
    if (progress) (*progress)(p.done, p.total);
  });
  progress.reset();
  busy.reset();
  showMessages(mapsheet::sheetMessages(run));
}

}  // namespace

int runSheetWindow(HINSTANCE instance, int show, SheetWindowOptions options) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  SheetWindow window(std::move(options));
  if (!window.create(instance)) return 1;
  return window.run(show);
}

}  // namespace veskar::ui::win32
