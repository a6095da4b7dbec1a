// The test CAD server, driven from a minimal late-bound client with the variant types Veskar
// uses, and read back through its recording. Needs veskar_testcad.exe in this program's folder
// and a Wine prefix (or Windows) where windows can be created.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "latebound.h"
#include "recording.h"

namespace {

using namespace veskar::testcad;
using client::Outcome;

constexpr wchar_t kProgId[] = L"Veskar.TestCad.Application";

std::wstring Folder() {
  wchar_t path[MAX_PATH];
  DWORD size = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, size);
  return text.substr(0, text.find_last_of(L"\\/") + 1);
}

std::string Narrow(const std::wstring& text, UINT codePage = CP_ACP) {
  int size = WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

// Starts `arguments` of the server; the process handle, or nullptr.
HANDLE StartServer(const std::wstring& arguments) {
  std::wstring command = L"\"" + Folder() + L"veskar_testcad.exe\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

// The exit code of a process that ends within `ms`, or -1.
long Ended(HANDLE process, DWORD ms) {
  DWORD code = 0;
  bool ended = process && WaitForSingleObject(process, ms) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(process, &code);
  if (process) CloseHandle(process);
  return ended ? static_cast<long>(code) : -1;
}

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    work_ = std::wstring(temp) + L"veskar-testcad-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(work_.c_str(), nullptr);
    record_ = work_ + L"\\record.txt";
    config_ = work_ + L"\\server.cfg";
    DeleteFileW(record_.c_str());
  }
  void TearDown() override {
    Ended(StartServer(std::wstring(L"/unregister ") + kProgId), 10000);
    CoUninitialize();
    DeleteFileW(record_.c_str());
    DeleteFileW(config_.c_str());
    RemoveDirectoryW(work_.c_str());
  }
  // Writes the config (the recording file and `keys`) and registers the ProgID with it.
  void Configure(const std::string& keys = {}) {
    std::ofstream(config_.c_str()) << "record=" << Narrow(record_, CP_UTF8) << "\n" << keys;
    ASSERT_EQ(Ended(StartServer(std::wstring(L"/register ") + kProgId + L" /config \"" + config_ +
                                L"\""),
                    10000),
              0);
  }
  IDispatch* Create() {
    CLSID clsid{};
    IDispatch* app = nullptr;
    EXPECT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&app)),
              S_OK);
    return app;
  }
  std::vector<recording::Line> Record() const { return recording::ReadFile(Narrow(record_)); }
  // The exit code of the server of the recording's first line, once it has ended.
  long ServerEnds(DWORD ms) const {
    std::vector<recording::Line> lines = Record();
    if (lines.empty()) return -1;
    return Ended(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                             lines.front().pid),
                 ms);
  }

  std::wstring work_, record_, config_;
};

// One expected Invoke: it follows a GetIDsOfNames on the same object asking `asked`.
struct Expected {
  std::string object, asked, member, flags, outcome;
  std::vector<std::string> args;
};

TEST_F(ServerTest, DrawsATextAndAPolylineWithTheProgramsTypes) {
  Configure();
  IDispatch* app = Create();
  ASSERT_NE(app, nullptr);
  Outcome visible, doc, styles, style, font, bigFont, doc2, space, text;
  client::Put(app, L"Visible", client::Bool(true), visible);
  client::Get(app, L"ActiveDocument", doc);
  ASSERT_NE(doc.Object(), nullptr);
  client::Get(doc.Object(), L"TextStyles", styles);
  BSTR ksev = SysAllocString(L"ksev"), fsdbE = SysAllocString(L"fsdb_e.shx");
  BSTR fsdb = SysAllocString(L"fsdb.shx"), label = SysAllocString(L"114°00′");
  client::Call(styles.Object(), L"Add", DISPATCH_METHOD, {client::Text(ksev)}, style);
  ASSERT_NE(style.Object(), nullptr);
  client::Put(style.Object(), L"fontFile", client::Text(fsdbE), font);
  client::Put(style.Object(), L"BigFontFile", client::Text(fsdb), bigFont);
  client::Get(app, L"ActiveDocument", doc2);
  client::Get(doc2.Object(), L"ModelSpace", space);
  ASSERT_NE(space.Object(), nullptr);
  client::Doubles point({500000.25, 3250000.125, 0});
  client::Call(space.Object(), L"AddText", DISPATCH_METHOD,
               {client::Ref(VT_BSTR, &label), client::Ref(VT_ARRAY | VT_R8, &point.array),
                client::Short(1000)},
               text);
  ASSERT_NE(text.Object(), nullptr);
  std::vector<std::pair<const wchar_t*, VARIANT>> settings = {
      {L"Color", client::Short(1)},
      {L"ScaleFactor", client::Double(0.7)},
      {L"StyleName", client::Text(ksev)},
      {L"Rotation", client::Double(3.14159265358979 / 2)},
      {L"VerticalAlignment", client::Short(1)},
      {L"HorizontalAlignment", client::Short(0)},
      {L"TextAlignmentPoint", client::Array(point.array)},
  };
  for (auto& [name, value] : settings) {
    Outcome put;
    EXPECT_EQ(client::Put(text.Object(), name, value, put), S_OK) << name;
  }
  Outcome doc3, space2, line, color, insertion;
  client::Get(app, L"ActiveDocument", doc3);
  client::Get(doc3.Object(), L"ModelSpace", space2);
  client::Doubles vertices({1.5, 2.5, -3.25, 4e6});
  client::Call(space2.Object(), L"AddLightWeightPolyline", DISPATCH_METHOD,
               {client::Ref(VT_ARRAY | VT_R8, &vertices.array)}, line);
  ASSERT_NE(line.Object(), nullptr);
  client::Put(line.Object(), L"Color", client::Short(6), color);
  client::Get(text.Object(), L"InsertionPoint", insertion);
  for (BSTR s : {ksev, fsdbE, fsdb, label}) SysFreeString(s);
  app->Release();
  for (Outcome* o : {&visible, &doc, &styles, &style, &font, &bigFont, &doc2, &space, &text,
                     &doc3, &space2, &line, &color, &insertion}) {
    EXPECT_EQ(o->hr, S_OK);
    VariantClear(&o->result.v);
  }
  ASSERT_EQ(ServerEnds(10000), 0);

  const std::string point3 = "[0..2] {500000.25,3250000.125,0}";
  const std::vector<Expected> expected = {
      {"Application#1", "Visible", "Visible", "put", "S_OK", {"VT_BOOL -1"}},
      {"Application#1", "ActiveDocument", "ActiveDocument", "get", "S_OK VT_DISPATCH Document#1", {}},
      {"Document#1", "TextStyles", "TextStyles", "get", "S_OK VT_DISPATCH TextStyles#1", {}},
      {"TextStyles#1", "Add", "Add", "method", "S_OK VT_DISPATCH TextStyle#2", {"VT_BSTR \"ksev\""}},
      {"TextStyle#2", "fontFile", "FontFile", "put", "S_OK", {"VT_BSTR \"fsdb_e.shx\""}},
      {"TextStyle#2", "BigFontFile", "BigFontFile", "put", "S_OK", {"VT_BSTR \"fsdb.shx\""}},
      {"Application#1", "ActiveDocument", "ActiveDocument", "get", "S_OK VT_DISPATCH Document#1", {}},
      {"Document#1", "ModelSpace", "ModelSpace", "get", "S_OK VT_DISPATCH ModelSpace#1", {}},
      {"ModelSpace#1", "AddText", "AddText", "method", "S_OK VT_DISPATCH Text#1",
       {"VT_BYREF|VT_BSTR \"114°00′\"", "VT_BYREF|VT_ARRAY|VT_R8 " + point3, "VT_I2 1000"}},
      {"Text#1", "Color", "Color", "put", "S_OK", {"VT_I2 1"}},
      {"Text#1", "ScaleFactor", "ScaleFactor", "put", "S_OK", {"VT_R8 0.69999999999999996"}},
      {"Text#1", "StyleName", "StyleName", "put", "S_OK", {"VT_BSTR \"ksev\""}},
      {"Text#1", "Rotation", "Rotation", "put", "S_OK", {"VT_R8 1.570796326794895"}},
      {"Text#1", "VerticalAlignment", "VerticalAlignment", "put", "S_OK", {"VT_I2 1"}},
      {"Text#1", "HorizontalAlignment", "HorizontalAlignment", "put", "S_OK", {"VT_I2 0"}},
      {"Text#1", "TextAlignmentPoint", "TextAlignmentPoint", "put", "S_OK", {"VT_ARRAY|VT_R8 " + point3}},
      {"Application#1", "ActiveDocument", "ActiveDocument", "get", "S_OK VT_DISPATCH Document#1", {}},
      {"Document#1", "ModelSpace", "ModelSpace", "get", "S_OK VT_DISPATCH ModelSpace#1", {}},
      {"ModelSpace#1", "AddLightWeightPolyline", "AddLightWeightPolyline", "method",
       "S_OK VT_DISPATCH LightWeightPolyline#1",
       {"VT_BYREF|VT_ARRAY|VT_R8 [0..3] {1.5,2.5,-3.25,4000000}"}},
      {"LightWeightPolyline#1", "Color", "Color", "put", "S_OK", {"VT_I2 6"}},
      {"Text#1", "InsertionPoint", "InsertionPoint", "get", "S_OK VT_ARRAY|VT_R8 " + point3, {}},
  };
  std::vector<recording::Line> lines = Record();
  ASSERT_EQ(lines.size(), 2 * expected.size() + 2);
  const recording::Line& start = lines.front();
  CLSID clsid{};
  CLSIDFromProgID(kProgId, &clsid);
  wchar_t clsidText[40];
  StringFromGUID2(clsid, clsidText, 40);
  EXPECT_EQ(start.kind, "start");
  EXPECT_EQ(start.fields, (std::vector<std::string>{Narrow(kProgId), "com", Narrow(clsidText),
                                                    Narrow(config_, CP_UTF8)}));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Expected& want = expected[i];
    const recording::Line& names = lines[1 + 2 * i];
    const recording::Line& invoke = lines[2 + 2 * i];
    SCOPED_TRACE(want.member);
    EXPECT_EQ(names.kind, "names");
    EXPECT_EQ(names.number, 2 * i + 1);
    EXPECT_EQ(names.fields, (std::vector<std::string>{want.object, "S_OK", want.asked}));
    EXPECT_EQ(invoke.kind, "invoke");
    EXPECT_EQ(invoke.number, 2 * i + 2);
    std::vector<std::string> fields = {want.object, want.member, want.flags, want.outcome};
    fields.insert(fields.end(), want.args.begin(), want.args.end());
    EXPECT_EQ(invoke.fields, fields);
    EXPECT_EQ(invoke.pid, start.pid);
  }
  EXPECT_EQ(lines.back().kind, "end");
  EXPECT_EQ(lines.back().fields, std::vector<std::string>{"last-client"});
}

}  // namespace
