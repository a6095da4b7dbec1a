// Out-of-process automation through the test CAD server, as Veskar's COM client will pay for it:
// one property put (Invoke with a known DISPID), a put resolved by name each time
// (GetIDsOfNames + Invoke), and the start of a server by CoCreateInstance. The server records
// every call, as in the tests. Run under Wine (after `wineserver -p 30; wine cmd /c exit`):
//
//   wine veskar_testcad_bench.exe
#include <benchmark/benchmark.h>

#include <fstream>

#include "harness.h"
#include "latebound.h"

namespace {

using namespace veskar::testcad;

constexpr wchar_t kProgId[] = L"Veskar.TestCad.Bench";

// A registered server configuration, recording into the temporary folder or not at all.
class Setup {
 public:
  explicit Setup(bool record = true) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    config_ = std::wstring(temp) + L"veskar-testcad-bench.cfg";
    record_ = std::wstring(temp) + L"veskar-testcad-bench.txt";
    DeleteFileW(record_.c_str());
    std::ofstream config(config_.c_str());
    if (record) config << "record=" << harness::Narrow(record_, CP_UTF8) << "\n";
    config.close();
    harness::Register(kProgId, config_);
    CLSIDFromProgID(kProgId, &clsid_);
  }
  ~Setup() {
    harness::Unregister(kProgId);
    DeleteFileW(config_.c_str());
    DeleteFileW(record_.c_str());
  }
  const CLSID& clsid() const { return clsid_; }

 private:
  std::wstring config_, record_;
  CLSID clsid_{};
};

IDispatch* Start(const CLSID& clsid) {
  IDispatch* app = nullptr;
  CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                   reinterpret_cast<void**>(&app));
  return app;
}

// A text in the server's model space.
struct Drawn {
  client::Outcome doc, space, text;
  explicit Drawn(IDispatch* app) {
    client::Get(app, L"ActiveDocument", doc);
    client::Get(doc.Object(), L"ModelSpace", space);
    client::Doubles point({500000.25, 3250000.125, 0});
    BSTR label = SysAllocString(L"114°00′");
    client::Call(space.Object(), L"AddText", DISPATCH_METHOD,
                 {client::Text(label), client::Array(point.array), client::Short(1000)}, text);
    SysFreeString(label);
  }
};

// state.range(0): 1 with the recording, 0 without.
void PutColor(benchmark::State& state, bool byName) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    Setup setup(state.range(0) != 0);
    IDispatch* app = Start(setup.clsid());
    Drawn drawn(app);
    IDispatch* text = drawn.text.Object();
    if (!text) state.SkipWithError("no text");
    DISPID color = DISPID_UNKNOWN, put = DISPID_PROPERTYPUT;
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Color")};
    if (text) text->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &color);
    VARIANT value = client::Short(1);
    DISPPARAMS params{&value, &put, 1, 1};
    for (auto _ : state) {
      if (byName) text->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &color);
      HRESULT hr = text->Invoke(color, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                                nullptr, nullptr, nullptr);
      if (hr != S_OK) state.SkipWithError("put failed");
    }
    state.SetItemsProcessed(state.iterations() * (byName ? 2 : 1));  // calls into the server
    app->Release();
  }
  CoUninitialize();
}

void BM_PutColor(benchmark::State& state) { PutColor(state, false); }
void BM_PutColorByName(benchmark::State& state) { PutColor(state, true); }
BENCHMARK(BM_PutColor)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_PutColorByName)->Arg(1)->Unit(benchmark::kMicrosecond)->MinTime(2)->UseRealTime();

// CoCreateInstance until it returns the Application; the server's end is not timed.
void BM_StartByCoCreateInstance(benchmark::State& state) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    Setup setup;
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    for (auto _ : state) {
      QueryPerformanceCounter(&before);
      IDispatch* app = Start(setup.clsid());
      QueryPerformanceCounter(&after);
      state.SetIterationTime(static_cast<double>(after.QuadPart - before.QuadPart) /
                             static_cast<double>(frequency.QuadPart));
      if (!app) {
        state.SkipWithError("CoCreateInstance failed");
        break;
      }
      app->Release();
      Sleep(300);  // the server ends with its last client
    }
  }
  CoUninitialize();
}
BENCHMARK(BM_StartByCoCreateInstance)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(8);

}  // namespace

BENCHMARK_MAIN();
