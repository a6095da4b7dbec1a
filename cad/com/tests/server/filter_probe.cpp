// What the platform's COM does with a busy server: starts the test CAD server in each
// reject_mode with reject_first=2, makes calls from a client that has registered its own
// IMessageFilter, and prints what the client saw (HRESULTs, RetryRejectedCall and
// MessagePending calls) and what the server recorded. Run by hand:
//
//   wine veskar_testcad_filter_probe.exe
//
// It registers the ProgID Veskar.TestCad.Probe (next to this program's veskar_testcad.exe)
// and unregisters it at the end.
#include <cstdio>
#include <fstream>
#include <string>

#include "harness.h"
#include "latebound.h"
#include "recording.h"

namespace {

using namespace veskar::testcad;

constexpr wchar_t kProgId[] = L"Veskar.TestCad.Probe";

// A client's message filter that retries a rejected call after 100 ms, at most five times.
class ClientFilter : public IMessageFilter {
 public:
  int retries = 0, pending = 0;
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
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD type) override {
    std::printf("  client RetryRejectedCall(type %s)\n",
                type == SERVERCALL_RETRYLATER ? "SERVERCALL_RETRYLATER" : "SERVERCALL_REJECTED");
    return ++retries <= 5 ? 100 : ~0u;
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    ++pending;
    return PENDINGMSG_WAITDEFPROCESS;
  }
};

void Probe(const char* mode, const std::wstring& work) {
  std::wstring config = work + L"probe.cfg", record = work + L"probe-record.txt";
  DeleteFileW(record.c_str());
  std::ofstream(config.c_str()) << "record=" << harness::Narrow(record)
                                << "\nreject_first=2\nreject_mode=" << mode
                                << "\nidle_seconds=10\n";
  harness::Register(kProgId, config);
  std::printf("reject_mode=%s\n", mode);
  ClientFilter filter;
  CoRegisterMessageFilter(&filter, nullptr);
  CLSID clsid;
  CLSIDFromProgID(kProgId, &clsid);
  IDispatch* app = nullptr;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&app));
  std::printf("  client CoCreateInstance: 0x%08lX\n", static_cast<unsigned long>(hr));
  for (int i = 0; app && i < 3; ++i) {
    client::Outcome caption;
    client::Get(app, L"Caption", caption);
    std::printf("  client Caption #%d: 0x%08lX\n", i + 1, static_cast<unsigned long>(caption.hr));
  }
  if (app) app->Release();
  CoRegisterMessageFilter(nullptr, nullptr);
  std::printf("  client filter: %d RetryRejectedCall, %d MessagePending\n", filter.retries,
              filter.pending);
  Sleep(500);
  for (const auto& line : recording::ReadFile(harness::Narrow(record))) {
    std::string text = "  server " + line.kind + " " + std::to_string(line.number);
    for (const auto& field : line.fields) text += " " + field;
    std::printf("%s\n", text.c_str());
  }
  harness::Unregister(kProgId);
}

}  // namespace

int wmain() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  for (const char* mode : {"filter", "filter_rejected", "invoke"}) Probe(mode, temp);
  CoUninitialize();
  return 0;
}
