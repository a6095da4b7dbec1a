// The Windows side of the window tests: reads what the running program shows, from another
// process, as JSON on standard output (UTF-8). The Linux side (wine_window.py) drives the
// program with X input and compares.
//
//   veskar_win32_probe layout              the windows' tables: controls, ids, places, texts
//   veskar_win32_probe dump TITLE [CLASS]  the visible top-level window of that title: place,
//                                          style, DPI, focus, children, tab order, close box;
//                                          exit status 1 when there is none
//   veskar_win32_probe state TITLE [CLASS] whether it is enabled, and its owned windows
//   veskar_win32_probe close TITLE         WM_CLOSE to that window
//   veskar_win32_probe close-all CLASS     WM_CLOSE to every window of the class until none is
//                                          left (10 s at most; exit status 1 then)
//   veskar_win32_probe connect-error       ConnectCad's failure text when no CAD program is
//                                          registered
//   veskar_win32_probe active PROGID       exit status 0 when a program runs under PROGID
//   veskar_win32_probe resources EXE       the program's icon and manifest
//   veskar_win32_probe sheet-texts NUMBER [KEY=VALUE...]
//                                          what the sheet window says for 图号 NUMBER (the other
//                                          fields as the settings file's lines give them): the
//                                          line under it (and whether in red), and its refusal
//   veskar_win32_probe syscommand TITLE ID WM_SYSCOMMAND ID to that window
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cad/com/com_cad.h"
#include "graticule/draw_messages.h"
#include "mapsheet/sheet_form.h"
#include "mapsheet/sheet_messages.h"
#include "platform/files.h"
#include "settings/fields.h"
#include "settings/sheet_settings.h"
#include "ui/win32/aboutfrm.h"
#include "ui/win32/form1.h"
#include "ui/win32/progress.h"
#include "ui/win32/resources.h"
#include "ui/win32/sheetwindow.h"
#include "ui/win32/win32.h"

namespace {

using namespace veskar;
using namespace veskar::ui::win32;

// ---- JSON -------------------------------------------------------------------------------------

std::string quote(const std::string& s) {
  std::string out = "\"";
  for (const char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
      out += buffer;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

struct Object {
  std::string text = "{";
  Object& add(const char* key, const std::string& json) {
    text += (text.size() > 1 ? "," : "") + quote(key) + ":" + json;
    return *this;
  }
  Object& str(const char* key, const std::string& value) { return add(key, quote(value)); }
  Object& num(const char* key, long long value) { return add(key, std::to_string(value)); }
  std::string done() const { return text + "}"; }
};

template <typename T, typename F>
std::string list(const T& items, F each) {
  std::string out = "[";
  for (const auto& item : items) out += (out.size() > 1 ? "," : "") + each(item);
  return out + "]";
}

std::string numbers(std::initializer_list<long long> values) {
  return list(values, [](long long v) { return std::to_string(v); });
}

std::string place(const ui::layout::Place& p) {
  return numbers({p.left, p.top, p.width, p.height});
}

// ---- layout -----------------------------------------------------------------------------------

const char* const kKinds[] = {"field", "label", "checkbox", "button", "choice", "note", "textchoice"};
const char* const kShown[] = {"always", "national", "square"};

std::string form1Layout() {
  std::vector<std::size_t> indices;
  for (std::size_t i = 0; i < ui::layout::kForm1.size(); ++i) indices.push_back(i);
  const auto& kinds = kKinds;
  return Object()
      .str("title", ui::layout::kForm1Title)
      .str("class", narrow(kForm1Class))
      .num("width", ui::layout::kForm1Width)
      .num("height", ui::layout::kForm1Height)
      .num("focusBackground", ui::layout::kFocusBackground)
      .num("captionColour", ui::layout::kBlue)
      .str("helpFile", ui::layout::kHelpFile)
      .str("angleTip", settings::kAngleTip)
      .add("controls", list(indices,
                            [](std::size_t i) {
                              const ui::layout::Control& c = ui::layout::kForm1[i];
                              const bool tip =
                                  c.kind == ui::layout::Kind::Field &&
                                  settings::kFields[static_cast<std::size_t>(c.field)].tooltip;
                              return Object()
                                  .str("name", c.name)
                                  .str("kind", kinds[static_cast<int>(c.kind)])
                                  .str("caption", c.caption)
                                  .add("place", place(c.place))
                                  .num("field", c.field)
                                  .num("id", form1ControlId(i))
                                  .add("tooltip", tip ? "true" : "false")
                                  .done();
                            }))
      .done();
}

std::string sheetLayout() {
  std::vector<std::size_t> indices;
  for (std::size_t i = 0; i < ui::layout::kSheet.size(); ++i) indices.push_back(i);
  return Object()
      .str("title", ui::layout::kSheetTitle)
      .str("class", narrow(kSheetClass))
      .num("width", ui::layout::kSheetWidth)
      .num("height", ui::layout::kSheetHeight)
      .str("program", std::string(ui::layout::kSheetProgram) + ".exe")
      .str("settingsFile", settings::kSheetSettingsFile)
      .str("menuItem", ui::layout::kSheetMenuItem)
      .num("menuCommand", kSheetCommand)
      .str("progressTitle", mapsheet::kSheetProgressTitle)
      .str("saveTitle", mapsheet::kSaveDxfTitle)
      .add("controls", list(indices,
                            [](std::size_t i) {
                              const ui::layout::Control& c = ui::layout::kSheet[i];
                              return Object()
                                  .str("name", c.name)
                                  .str("kind", kKinds[static_cast<int>(c.kind)])
                                  .str("caption", c.caption)
                                  .add("place", place(c.place))
                                  .num("field", c.field)
                                  .num("id", sheetControlId(i))
                                  .str("shown", kShown[static_cast<int>(c.shown)])
                                  .done();
                            }))
      .done();
}

std::string aboutLayout() {
  std::vector<std::size_t> indices;
  for (std::size_t i = 0; i < ui::layout::kAbout.size(); ++i) indices.push_back(i);
  static const char* kinds[] = {"band", "icon", "label", "line", "button"};
  static const char* clicks[] = {"none", "maker", "mail", "close"};
  return Object()
      .str("title", ui::layout::aboutTitle())
      .str("class", narrow(kAboutClass))
      .num("width", ui::layout::kAboutWidth)
      .num("height", ui::layout::kAboutHeight)
      .str("makerPage", ui::layout::makerPage())
      .str("mailTo", ui::layout::mailTo())
      .add("elements", list(indices,
                            [](std::size_t i) {
                              const ui::layout::AboutElement& e = ui::layout::kAbout[i];
                              return Object()
                                  .str("name", e.name)
                                  .str("kind", kinds[static_cast<int>(e.kind)])
                                  .str("text", ui::layout::aboutText(e))
                                  .add("place", place(e.place))
                                  .num("colour", e.colour)
                                  .num("id", kAboutControlId + static_cast<int>(i))
                                  .str("click", clicks[static_cast<int>(e.click)])
                                  .str("tip", ui::layout::aboutTip(e))
                                  .add("hand", e.handPointer ? "true" : "false")
                                  .done();
                            }))
      .done();
}

int layout() {
  std::vector<std::string> defaults[2];
  for (const settings::Field& f : settings::kFields) {
    defaults[0].push_back(f.missingFileDefault);
    defaults[1].push_back(f.readFailureDefault);
  }
  std::vector<std::string> options;
  for (const settings::Field& f : settings::kFields) options.push_back(f.option);
  const auto texts = [](const std::vector<std::string>& v) { return list(v, quote); };
  std::printf("%s\n", Object()
                          .str("programName", ui::layout::kProgramName)
                          .add("form1", form1Layout())
                          .add("about", aboutLayout())
                          .add("sheet", sheetLayout())
                          .add("progress", Object()
                                               .str("title", graticule::kProgressTitle)
                                               .str("class", narrow(kProgressClass))
                                               .num("textId", kProgressTextId)
                                               .num("afterMs", graticule::kProgressAfterMs)
                                               .str("sample", graticule::progressText(12345, 67890))
                                               .done())
                          .add("missingFileDefaults", texts(defaults[0]))
                          .add("readFailureDefaults", texts(defaults[1]))
                          .add("cliOptions", texts(options))
                          .done()
                          .c_str());
  return 0;
}

}  // namespace

namespace {

// ---- windows of the running program ------------------------------------------------------------

std::string className(HWND w) {
  wchar_t name[256] = {};
  GetClassNameW(w, name, 256);
  return narrow(name);
}

// A control's text through WM_GETTEXT, which the system carries across processes.
std::string controlText(HWND w) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  text.resize(copied);
  return narrow(text);
}

LRESULT ask(HWND w, UINT message) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(w, message, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
  return static_cast<LRESULT>(result);
}

HWND findWindow(const std::string& title, const std::string& cls) {
  struct Query {
    std::string title, cls;
    HWND found = nullptr;
  } query{title, cls};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto& q = *reinterpret_cast<Query*>(p);
        if (IsWindowVisible(w) && windowText(w) == q.title &&
            (q.cls.empty() || className(w) == q.cls)) {
          q.found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&query));
  return query.found;
}

std::string childJson(HWND parent, HWND c) {
  RECT r{};
  GetWindowRect(c, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  const std::string cls = className(c);
  Object o;
  o.num("id", GetDlgCtrlID(c)).str("class", cls).str("text", controlText(c));
  o.add("rect", numbers({r.left, r.top, r.right - r.left, r.bottom - r.top}));
  o.num("style", GetWindowLongW(c, GWL_STYLE)).num("exStyle", GetWindowLongW(c, GWL_EXSTYLE));
  o.add("visible", IsWindowVisible(c) ? "true" : "false")
      .add("enabled", IsWindowEnabled(c) ? "true" : "false");
  if (lstrcmpiA(cls.c_str(), "Button") == 0) o.num("check", ask(c, BM_GETCHECK));
  if (lstrcmpiA(cls.c_str(), "Edit") == 0) {
    const auto sel = static_cast<DWORD>(ask(c, EM_GETSEL));
    o.add("selection", numbers({LOWORD(sel), HIWORD(sel)}));
  }
  return o.done();
}

// The controls that Tab visits, from the first, until the order comes round again.
std::vector<HWND> tabOrder(HWND w) {
  std::vector<HWND> order;
  HWND first = nullptr;
  for (HWND c = GetWindow(w, GW_CHILD); c && !first; c = GetWindow(c, GW_HWNDNEXT))
    if ((GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(c) && IsWindowVisible(c))
      first = c;
  for (HWND c = first; c && order.size() < 64; c = GetNextDlgTabItem(w, c, FALSE)) {
    if (!order.empty() && c == first) break;
    order.push_back(c);
  }
  return order;
}

std::vector<HWND> ownedWindows(HWND owner) {
  std::pair<HWND, std::vector<HWND>> q{owner, {}};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto& q = *reinterpret_cast<std::pair<HWND, std::vector<HWND>>*>(p);
        if (GetWindow(w, GW_OWNER) == q.first && IsWindowVisible(w)) q.second.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&q));
  return q.second;
}

std::string windowJson(HWND w) {
  RECT r{}, client{};
  GetWindowRect(w, &r);
  GetClientRect(w, &client);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &thread);
  TITLEBARINFO bar{};
  bar.cbSize = sizeof bar;
  GetTitleBarInfo(w, &bar);
  const RECT& t = bar.rcTitleBar;
  const int button = GetSystemMetrics(SM_CXSIZE);
  std::vector<HWND> children;
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
  const auto id = [](HWND c) { return std::to_string(GetDlgCtrlID(c)); };
  return Object()
      .str("class", className(w))
      .str("title", windowText(w))
      .add("enabled", IsWindowEnabled(w) ? "true" : "false")
      .add("rect", numbers({r.left, r.top, r.right, r.bottom}))
      .add("client", numbers({origin.x, origin.y, client.right, client.bottom}))
      .num("style", GetWindowLongW(w, GWL_STYLE))
      .num("exStyle", GetWindowLongW(w, GWL_EXSTYLE))
      .num("dpi", windowDpi(w))
      .add("screen", numbers({GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}))
      .num("focus", IsChild(w, thread.hwndFocus) ? GetDlgCtrlID(thread.hwndFocus) : 0)
      .add("active", thread.hwndActive == w ? "true" : "false")
      .add("closeBox", numbers({t.right - button / 2 - 1, (t.top + t.bottom) / 2}))
      .add("children", list(children, [w](HWND c) { return childJson(w, c); }))
      .add("tab", list(tabOrder(w), id))
      .add("owned", list(ownedWindows(w),
                         [](HWND o) {
                           return Object()
                               .str("class", className(o))
                               .str("title", windowText(o))
                               .str("text", controlText(o))
                               .done();
                         }))
      .done();
}

// Without asking the window's thread anything: it may be busy.
std::string stateJson(HWND w) {
  return Object()
      .add("enabled", IsWindowEnabled(w) ? "true" : "false")
      .add("owned",
           list(ownedWindows(w),
                [](HWND o) {
                  return Object().str("class", className(o)).str("title", windowText(o)).done();
                }))
      .done();
}

int dump(const std::string& title, const std::string& cls, bool state) {
  const HWND w = findWindow(title, cls);
  if (!w) return 1;
  std::printf("%s\n", (state ? stateJson(w) : windowJson(w)).c_str());
  return 0;
}

int close(const std::string& title) {
  const HWND w = findWindow(title, {});
  return w && PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : 1;
}

// WM_CLOSE to every top-level window of `cls`, shown or not; true when all are gone in time.
int closeAll(const std::string& cls) {
  for (int tries = 0; tries < 200; ++tries) {
    std::pair<std::wstring, int> q{wide(cls), 0};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          auto& q = *reinterpret_cast<std::pair<std::wstring, int>*>(p);
          wchar_t name[256] = {};
          GetClassNameW(w, name, 256);
          if (q.first == name) {
            PostMessageW(w, WM_CLOSE, 0, 0);
            ++q.second;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&q));
    if (q.second == 0) return 0;
    Sleep(50);
  }
  return 1;
}

// The fields of the settings file's defaults with KEY=VALUE lines over them, then NUMBER in the
// division's 图号.
int sheetTexts(const std::string& number, const std::vector<std::string>& lines) {
  settings::SheetSettings s = settings::sheetDefaults();
  for (const std::string& line : lines) {
    for (std::size_t i = 0; i < settings::kSheetFields.size(); ++i)
      if (line.starts_with(std::string(settings::kSheetFields[i].key) + "=")) s.values[i] = line.substr(line.find('=') + 1);
  }
  mapsheet::SheetFields f = mapsheet::fieldsOf(s);
  (f.division == mapsheet::Division::Square ? f.squareNumber : f.number) = number;
  const mapsheet::NumberNote note = mapsheet::numberNote(f);
  std::printf("%s\n", Object()
                          .str("note", note.text)
                          .add("fault", note.fault ? "true" : "false")
                          .str("refusal", mapsheet::requestOf(f).refusal)
                          .done()
                          .c_str());
  return 0;
}

int sysCommand(const std::string& title, const std::string& id) {
  const HWND w = findWindow(title, {});
  return w && PostMessageW(w, WM_SYSCOMMAND, std::stoul(id, nullptr, 0), 0) ? 0 : 1;
}

int connectError() {
  cad::com::ComCadbas cadbas;
  std::string error;
  if (cadbas.ConnectCad(error)) return 1;
  std::printf("%s\n", Object().str("error", error).done().c_str());
  return 0;
}

// Whether a program is in the running-object table under `progId` (COM attaches to it).
int active(const std::string& progId) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  CLSID clsid{};
  IUnknown* running = nullptr;
  if (FAILED(CLSIDFromProgID(wide(progId).c_str(), &clsid)) ||
      FAILED(GetActiveObject(clsid, nullptr, &running)))
    return 1;
  running->Release();
  std::printf("{}\n");
  return 0;
}

// The icons of the group VESKAR_ICON and the manifest of `exe`.
int resources(const std::string& exe) {
  const HMODULE m = LoadLibraryExW(wide(exe).c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!m) return 1;
  const auto bytes = [m](const wchar_t* name, const wchar_t* type) {
    const HRSRC r = FindResourceW(m, name, type);
    const auto* data = r ? static_cast<const char*>(LockResource(LoadResource(m, r))) : nullptr;
    return data ? std::string(data, SizeofResource(m, r)) : std::string();
  };
  const std::string group =
      bytes(MAKEINTRESOURCEW(VESKAR_ICON), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  std::vector<std::string> icons;
  for (std::size_t at = 6; group.size() >= 6 && at + 14 <= group.size(); at += 14) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(group[at + i]); };
    icons.push_back(numbers(
        {byte(0) ? byte(0) : 256, byte(1) ? byte(1) : 256, byte(2), byte(6) | byte(7) << 8}));
  }
  std::printf("%s\n",
              Object()
                  .add("icons", list(icons, [](const std::string& s) { return s; }))
                  .str("manifest", bytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)))  // RT_MANIFEST
                  .done()
                  .c_str());
  return 0;
}

}  // namespace

int main() {
  const std::vector<std::string> args = veskar::platform::arguments(0, nullptr);
  const std::string command = args.size() > 1 ? args[1] : "";
  const auto arg = [&](std::size_t i) { return i < args.size() ? args[i] : std::string(); };
  if (command == "layout") return layout();
  if ((command == "dump" || command == "state") && args.size() >= 3)
    return dump(arg(2), arg(3), command == "state");
  if (command == "close" && args.size() == 3) return close(arg(2));
  if (command == "close-all" && args.size() == 3) return closeAll(arg(2));
  if (command == "connect-error") return connectError();
  if (command == "active" && args.size() == 3) return active(arg(2));
  if (command == "resources" && args.size() == 3) return resources(arg(2));
  if (command == "sheet-texts" && args.size() >= 3) return sheetTexts(arg(2), {args.begin() + 3, args.end()});
  if (command == "syscommand" && args.size() == 4) return sysCommand(arg(2), arg(3));
  std::fprintf(stderr,
               "usage: veskar_win32_probe layout | dump|state TITLE [CLASS] | close TITLE | "
               "close-all CLASS | "
               "connect-error | active PROGID | resources EXE | sheet-texts NUMBER [KEY=VALUE...] | "
               "syscommand TITLE ID\n");
  return 2;
}
