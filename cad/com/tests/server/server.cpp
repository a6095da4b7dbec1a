// A test automation server that stands in for AutoCAD ("AutoCAD.Application") and programs
// that copy its automation (ZWCAD, GstarCAD, BricsCAD), for Veskar's Windows COM tests under
// Wine. Never installed: tests register it, start it, drive it and read what it recorded.
//
// It is an out-of-process COM server (LocalServer32) whose objects are reached by late-bound
// IDispatch only (GetIDsOfNames case-insensitive, Invoke; GetTypeInfoCount 0); the object model
// is described in objects.cpp.
//
// Command line:
//   veskar_testcad /register PROGID [PROGID…] [/config PATH]   write the classes (registry.cpp)
//   veskar_testcad /unregister PROGID [PROGID…]
//   veskar_testcad /progid PROGID [/config PATH] [-Embedding]  run
// COM starts it with the registered command line and -Embedding; a test may start it directly
// without. Its own ProgID is Veskar.TestCad.Application; tests also register it as
// AutoCAD.Application, ZWCAD.Application, GCAD.Application or BricscadApp.AcadApplication.
//
// Running, it creates a top-level window whose title is the Application's Caption
// ("Veskar TestCad PID - [Drawing1.dwg]"; hidden until Visible is set when started by COM,
// shown when started directly), puts its Application object into the running-object table
// under the class id of its ProgID (RegisterActiveObject, weak, so that the table does not
// keep it alive) and, started by COM, registers its class object REGCLS_SINGLEUSE: every
// CoCreateInstance starts a new process, as CreateObject("AutoCAD.Application") starts a new
// AutoCAD, while GetActiveObject attaches to a running one. A test can tell a wrong start
// from an attach by the start lines in the recording. A directly started server registers no
// class object (it stands for a CAD program the user started).
//
// The window needs a window system: under Wine an X display (Xvfb will do) or the null graphics
// driver (HKEY_CURRENT_USER\Software\Wine\Drivers, Graphics = "null"); without either the
// server records "end PID 0 no-window" and exits with 1. FindWindowW, SetForegroundWindow,
// ShowWindow and IsWindowVisible work on it with both.
//
// It ends: started by COM, when the last strong external connection to any of its objects has
// gone (IExternalConnection); in any case after idle_seconds without calls (default 60), or when
// its window gets WM_CLOSE (how a test tells a directly started server to end), or abruptly at
// exit_at. The config file's keys are listed in config.cpp.
//
// Recording (recording.h has the full format and a reader): UTF-8, one tab-separated line per
// event, each written with one write before the call returns:
//   start  PID 0 PROGID HOW CLSID CONFIG
//   names  PID N OBJECT OUTCOME NAME...
//   invoke PID N OBJECT MEMBER FLAGS OUTCOME ARG...     ARG: "TYPE VALUE", caller's order
//   filter PID N IID METHOD OUTCOME
//   end    PID N REASON
#include <cstdio>

#include "testcad.h"

namespace veskar::testcad {

std::vector<std::string> Server::Line(const char* kind, unsigned long number) const {
  return {kind, pid, Decimal(number)};
}

void Server::Connect(bool strong, bool add) {
  if (!strong) return;
  connections += add ? 1 : -1;
  lastActivity = GetTickCount64();
  if (connections == 0 && byCom) PostMessageW(window, kLastClientMessage, 0, 0);
}

Server& TheServer() {
  static Server server;
  return server;
}

namespace {

const char* endReason = "closed";

void End(const char* reason) {
  endReason = reason;
  PostQuitMessage(0);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Server& server = TheServer();
  switch (message) {
    case WM_CLOSE:
      End("closed");
      return 0;
    case WM_TIMER:
      if (GetTickCount64() - server.lastActivity >= server.config.idleSeconds * 1000ULL) {
        End("idle");
      }
      return 0;
    case kLastClientMessage:
      if (server.connections == 0) End("last-client");
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

HWND CreateMainWindow(const std::wstring& title) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"VeskarTestCadWindow";
  RegisterClassW(&windowClass);
  const RECT& place = TheServer().config.window;
  return CreateWindowExW(0, windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW,
                         place.left, place.top, place.right, place.bottom, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

// The class object: every instance asked for is the process's one Application.
class ClassFactory : public IClassFactory {
 public:
  explicit ClassFactory(IDispatch* application) : application_(application) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown && iid != IID_IClassFactory) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the process
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return application_->QueryInterface(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    TheServer().Connect(true, lock != FALSE);
    return S_OK;
  }

 private:
  IDispatch* application_;
};

// reject_mode=filter / filter_rejected: turns the first reject_first incoming IDispatch calls
// away (calls of COM's own interfaces, such as IRemUnknown's, pass).
class MessageFilter : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown && iid != IID_IMessageFilter) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO info) override {
    Server& server = TheServer();
    if (server.filtered >= server.config.rejectFirst || !info || info->iid != IID_IDispatch) {
      return SERVERCALL_ISHANDLED;
    }
    ++server.filtered;
    server.lastActivity = GetTickCount64();
    bool later = server.config.rejectMode == RejectMode::Filter;
    std::vector<std::string> line = server.Line("filter", ++server.calls);
    line.push_back(Utf8(GuidText(info->iid)));
    line.push_back(Decimal(info->wMethod));
    line.push_back(later ? "SERVERCALL_RETRYLATER" : "SERVERCALL_REJECTED");
    server.Record(line);
    return later ? SERVERCALL_RETRYLATER : SERVERCALL_REJECTED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return ~0u; }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }
};

}  // namespace
}  // namespace veskar::testcad

namespace veskar::testcad {
namespace {

struct Command {
  enum Kind { Usage, Run, Register, Unregister } kind = Usage;
  std::vector<std::wstring> progIds;
  std::wstring config;
  bool byCom = false;
};

// "/name" or "-name", any case.
bool IsSwitch(const wchar_t* arg, const wchar_t* name) {
  return (arg[0] == L'/' || arg[0] == L'-') &&
         CompareStringOrdinal(arg + 1, -1, name, -1, TRUE) == CSTR_EQUAL;
}

Command Parse(int argc, wchar_t** argv) {
  Command command;
  for (int i = 1; i < argc; ++i) {
    const wchar_t* arg = argv[i];
    bool listing = command.kind == Command::Register || command.kind == Command::Unregister;
    if (IsSwitch(arg, L"register"))
      command.kind = Command::Register;
    else if (IsSwitch(arg, L"unregister"))
      command.kind = Command::Unregister;
    else if (IsSwitch(arg, L"embedding"))
      command.byCom = true;
    else if (IsSwitch(arg, L"config") && i + 1 < argc)
      command.config = argv[++i];
    else if (IsSwitch(arg, L"progid") && i + 1 < argc && !listing) {
      command.progIds.push_back(argv[++i]);
      command.kind = Command::Run;
    } else if (listing && arg[0] != L'/' && arg[0] != L'-')
      command.progIds.push_back(arg);
    else
      return {};
  }
  bool valid =
      command.kind == Command::Run ? command.progIds.size() == 1 : !command.progIds.empty();
  return valid ? command : Command{};
}

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2];
  DWORD size = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
  return size > 0 && size < MAX_PATH * 2 ? std::wstring(full, size) : path;
}

int Registration(const Command& command) {
  wchar_t exe[MAX_PATH * 2];
  GetModuleFileNameW(nullptr, exe, MAX_PATH * 2);
  std::wstring config = command.config.empty() ? std::wstring() : FullPath(command.config);
  for (const std::wstring& progId : command.progIds) {
    HRESULT hr = command.kind == Command::Register ? RegisterProgId(progId, exe, config)
                                                   : UnregisterProgId(progId);
    if (FAILED(hr)) {
      std::fwprintf(stderr, L"veskar_testcad: %ls: error 0x%08lX\n", progId.c_str(),
                    static_cast<unsigned long>(hr));
      return 1;
    }
  }
  return 0;
}

// The message loop, between registering the Application and revoking it.
HRESULT Serve(Server& server, DispObject* application) {
  IDispatch* dispatch = application;
  DWORD active = 0, registration = 0;
  ClassFactory factory(dispatch);
  // Late into the running-object table (rot_delay_ms), through a timer of this thread.
  const bool late = server.byCom && server.config.rotDelayMs > 0;
  HRESULT hr =
      late ? S_OK : RegisterActiveObject(dispatch, server.clsid, ACTIVEOBJECT_WEAK, &active);
  if (SUCCEEDED(hr) && server.byCom) {
    hr = CoRegisterClassObject(server.clsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE,
                               &registration);
  }
  UINT_PTR rotTimer = late ? SetTimer(nullptr, 0, server.config.rotDelayMs, nullptr) : 0;
  if (SUCCEEDED(hr)) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (rotTimer && message.message == WM_TIMER && message.hwnd == nullptr &&
          message.wParam == rotTimer) {
        KillTimer(nullptr, rotTimer);
        rotTimer = 0;
        RegisterActiveObject(dispatch, server.clsid, ACTIVEOBJECT_WEAK, &active);
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  } else {
    endReason = "failed";
  }
  if (registration) CoRevokeClassObject(registration);
  if (active) RevokeActiveObject(active, nullptr);
  return hr;
}

int RunServer(Server& server) {
  MessageFilter filter;
  if (server.config.rejectMode != RejectMode::Invoke) CoRegisterMessageFilter(&filter, nullptr);
  std::wstring title = L"Veskar TestCad " + std::to_wstring(GetCurrentProcessId());
  if (!server.config.noDocument) title += std::wstring(L" - [") + kDrawingName + L"]";
  server.window = CreateMainWindow(title);
  if (!server.window) {
    // Under Wine: no X display, and the prefix does not name the null graphics driver.
    std::fwprintf(stderr, L"veskar_testcad: no window (error %lu)\n", GetLastError());
    std::vector<std::string> end = server.Line("end", 0);
    end.push_back("no-window");
    server.Record(end);
    return 1;
  }
  if (!server.byCom) ShowWindow(server.window, SW_SHOW);
  SetTimer(server.window, 1, 1000, nullptr);
  DispObject* application = NewApplication();
  HRESULT hr = Serve(server, application);
  application->Release();
  std::vector<std::string> end = server.Line("end", server.calls);
  end.push_back(endReason);
  server.Record(end);
  DestroyWindow(server.window);
  CoRegisterMessageFilter(nullptr, nullptr);
  return SUCCEEDED(hr) ? 0 : 1;
}

int Run(const Command& command) {
  Server& server = TheServer();
  server.progId = command.progIds[0];
  server.byCom = command.byCom;
  server.clsid = ClassIdOf(server.progId);
  server.configPath = command.config;
  server.pid = Decimal(GetCurrentProcessId());
  std::wstring error;
  if (!command.config.empty() && !LoadConfig(command.config, server.config, error)) {
    std::fwprintf(stderr, L"veskar_testcad: %ls\n", error.c_str());
    return 2;
  }
  if (!server.config.record.empty() && !server.recorder.Open(server.config.record)) {
    std::fwprintf(stderr, L"veskar_testcad: cannot write %ls\n", server.config.record.c_str());
    return 2;
  }
  std::vector<std::string> start = server.Line("start", 0);
  start.insert(start.end(), {Utf8(server.progId), server.byCom ? "com" : "direct",
                             Utf8(GuidText(server.clsid)), Utf8(server.configPath)});
  server.Record(start);
  server.lastActivity = GetTickCount64();
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int code = RunServer(server);
  CoUninitialize();
  return code;
}

}  // namespace
}  // namespace veskar::testcad

int wmain(int argc, wchar_t** argv) {
  using namespace veskar::testcad;
  Command command = Parse(argc, argv);
  switch (command.kind) {
    case Command::Run:
      return Run(command);
    case Command::Register:
    case Command::Unregister:
      return Registration(command);
    default:
      std::fwprintf(stderr,
                    L"usage: veskar_testcad /register PROGID... [/config PATH]\n"
                    L"       veskar_testcad /unregister PROGID...\n"
                    L"       veskar_testcad /progid PROGID [/config PATH] [-Embedding]\n");
      return 2;
  }
}
