// The test CAD server, driven from a minimal late-bound client with the variant types Veskar
// uses, and read back through its recording. Needs veskar_testcad.exe in this program's folder
// and a Wine prefix (or Windows) where windows can be created.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <list>
#include <string>
#include <vector>

#include "harness.h"
#include "latebound.h"
#include "recording.h"

namespace {

using namespace veskar::testcad;
using client::Outcome;
using harness::Ended;
using harness::Narrow;
using harness::StartServer;

constexpr wchar_t kProgId[] = L"Veskar.TestCad.Application";

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
    harness::Unregister(kProgId);
    CoUninitialize();
    DeleteFileW(record_.c_str());
    DeleteFileW(config_.c_str());
    RemoveDirectoryW(work_.c_str());
  }
  // Writes the config (the recording file and `keys`) and registers the ProgID with it.
  void Configure(const std::string& keys = {}) {
    std::ofstream(config_.c_str()) << "record=" << Narrow(record_, CP_UTF8) << "\n" << keys;
    ASSERT_TRUE(harness::Register(kProgId, config_));
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
    return Ended(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, lines.front().pid), ms);
  }

  std::wstring work_, record_, config_;
};

// Calls made and kept until the end of a test, every one expected to succeed.
class Calls {
 public:
  IDispatch* operator()(IDispatch* object, const wchar_t* name, WORD flags,
                        std::vector<VARIANT> args = {}) {
    Outcome& out = outcomes_.emplace_back();
    if (object) client::Call(object, name, flags, std::move(args), out);
    EXPECT_EQ(out.hr, S_OK) << harness::Narrow(name);
    return out.Object();
  }

 private:
  std::list<Outcome> outcomes_;
};

// A line's vertices, two of them needing all 17 digits to come back exactly.
const std::vector<double> kVertices = {38500123.456789012, 0.1, -3.25, 4e6};

// What Veskar does for one label and one line, with the variant types it uses.
void DrawLikeTheProgram(IDispatch* app) {
  constexpr WORD get = DISPATCH_PROPERTYGET, put = DISPATCH_PROPERTYPUT, call = DISPATCH_METHOD;
  Calls calls;
  BSTR ksev = SysAllocString(L"ksev"), fsdbE = SysAllocString(L"fsdb_e.shx");
  BSTR fsdb = SysAllocString(L"fsdb.shx"), label = SysAllocString(L"114°00′");
  client::Doubles point({500000.25, 3250000.125, 0}), vertices(kVertices);
  calls(app, L"Visible", put, {client::Bool(true)});
  IDispatch* doc = calls(app, L"ActiveDocument", get);
  IDispatch* style = calls(calls(doc, L"TextStyles", get), L"Add", call, {client::Text(ksev)});
  calls(style, L"fontFile", put, {client::Text(fsdbE)});
  calls(style, L"BigFontFile", put, {client::Text(fsdb)});
  IDispatch* space = calls(calls(app, L"ActiveDocument", get), L"ModelSpace", get);
  IDispatch* text = calls(space, L"AddText", call,
                          {client::Ref(VT_BSTR, &label),
                           client::Ref(VT_ARRAY | VT_R8, &point.array), client::Short(1000)});
  calls(text, L"Color", put, {client::Short(1)});
  calls(text, L"ScaleFactor", put, {client::Double(0.7)});
  calls(text, L"StyleName", put, {client::Text(ksev)});
  calls(text, L"Rotation", put, {client::Double(3.14159265358979 / 2)});
  calls(text, L"VerticalAlignment", put, {client::Short(1)});
  calls(text, L"HorizontalAlignment", put, {client::Short(0)});
  calls(text, L"TextAlignmentPoint", put, {client::Array(point.array)});
  space = calls(calls(app, L"ActiveDocument", get), L"ModelSpace", get);
  IDispatch* line = calls(space, L"AddLightWeightPolyline", call,
                          {client::Ref(VT_ARRAY | VT_R8, &vertices.array)});
  calls(line, L"Color", put, {client::Short(6)});
  calls(text, L"InsertionPoint", get);
  for (BSTR s : {ksev, fsdbE, fsdb, label}) SysFreeString(s);
}

// One expected Invoke: it follows a GetIDsOfNames on the same object asking `asked`.
struct Expected {
  std::string object, asked, member, flags, outcome;
  std::vector<std::string> args;
};

std::vector<Expected> DrawnByTheProgram() {
  const std::string app = "Application#1", doc = "Document#1", space = "ModelSpace#1";
  const std::string point = "[0..2] {500000.25,3250000.125,0}";
  const std::string gotDoc = "S_OK VT_DISPATCH Document#1";
  const std::string gotSpace = "S_OK VT_DISPATCH ModelSpace#1";
  return {
      {app, "Visible", "Visible", "put", "S_OK", {"VT_BOOL -1"}},
      {app, "ActiveDocument", "ActiveDocument", "get", gotDoc, {}},
      {doc, "TextStyles", "TextStyles", "get", "S_OK VT_DISPATCH TextStyles#1", {}},
      {"TextStyles#1",
       "Add",
       "Add",
       "method",
       "S_OK VT_DISPATCH TextStyle#2",
       {"VT_BSTR \"ksev\""}},
      {"TextStyle#2", "fontFile", "FontFile", "put", "S_OK", {"VT_BSTR \"fsdb_e.shx\""}},
      {"TextStyle#2", "BigFontFile", "BigFontFile", "put", "S_OK", {"VT_BSTR \"fsdb.shx\""}},
      {app, "ActiveDocument", "ActiveDocument", "get", gotDoc, {}},
      {doc, "ModelSpace", "ModelSpace", "get", gotSpace, {}},
      {space,
       "AddText",
       "AddText",
       "method",
       "S_OK VT_DISPATCH Text#1",
       {"VT_BYREF|VT_BSTR \"114°00′\"", "VT_BYREF|VT_ARRAY|VT_R8 " + point, "VT_I2 1000"}},
      {"Text#1", "Color", "Color", "put", "S_OK", {"VT_I2 1"}},
      {"Text#1", "ScaleFactor", "ScaleFactor", "put", "S_OK", {"VT_R8 0.69999999999999996"}},
      {"Text#1", "StyleName", "StyleName", "put", "S_OK", {"VT_BSTR \"ksev\""}},
      {"Text#1", "Rotation", "Rotation", "put", "S_OK", {"VT_R8 1.570796326794895"}},
      {"Text#1", "VerticalAlignment", "VerticalAlignment", "put", "S_OK", {"VT_I2 1"}},
      {"Text#1", "HorizontalAlignment", "HorizontalAlignment", "put", "S_OK", {"VT_I2 0"}},
      {"Text#1",
       "TextAlignmentPoint",
       "TextAlignmentPoint",
       "put",
       "S_OK",
       {"VT_ARRAY|VT_R8 " + point}},
      {app, "ActiveDocument", "ActiveDocument", "get", gotDoc, {}},
      {doc, "ModelSpace", "ModelSpace", "get", gotSpace, {}},
      {space,
       "AddLightWeightPolyline",
       "AddLightWeightPolyline",
       "method",
       "S_OK VT_DISPATCH LightWeightPolyline#1",
       {"VT_BYREF|VT_ARRAY|VT_R8 [0..3] {38500123.456789009,0.10000000000000001,-3.25,4000000}"}},
      {"LightWeightPolyline#1", "Color", "Color", "put", "S_OK", {"VT_I2 6"}},
      {"Text#1", "InsertionPoint", "InsertionPoint", "get", "S_OK VT_ARRAY|VT_R8 " + point, {}},
  };
}

TEST_F(ServerTest, DrawsATextAndAPolylineWithTheProgramsTypes) {
  Configure();
  IDispatch* app = Create();
  ASSERT_NE(app, nullptr);
  DrawLikeTheProgram(app);
  app->Release();
  ASSERT_EQ(ServerEnds(10000), 0);

  const std::vector<Expected> expected = DrawnByTheProgram();
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
  // The recorded vertices read back to the very doubles sent.
  auto added = std::find_if(lines.begin(), lines.end(), [](const recording::Line& line) {
    return line.member() == "AddLightWeightPolyline";
  });
  ASSERT_NE(added, lines.end());
  auto [type, value] = recording::SplitValue(added->args().at(0));
  long lower = -1, upper = -1;
  std::vector<double> read;
  EXPECT_EQ(type, "VT_BYREF|VT_ARRAY|VT_R8");
  ASSERT_TRUE(recording::ParseDoubles(value, lower, upper, read));
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 3);
  EXPECT_EQ(read, kVertices);
}

// The recorded Invoke lines with this outcome.
std::vector<recording::Line> WithOutcome(const std::vector<recording::Line>& lines,
                                         const std::string& outcome) {
  std::vector<recording::Line> found;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
               [&](const recording::Line& line) {
                 return line.kind == "invoke" && line.outcome() == outcome;
               });
  return found;
}

TEST_F(ServerTest, ChecksArgumentsAsAutoCadDoes) {
  Configure();
  IDispatch* app = Create();
  ASSERT_NE(app, nullptr);
  Outcome doc, space, text, flatPoint, wrongType, color;
  client::Get(app, L"ActiveDocument", doc);
  client::Get(doc.Object(), L"ModelSpace", space);
  ASSERT_NE(space.Object(), nullptr);
  BSTR label = SysAllocString(L"29°20′");
  client::Doubles point({1, 2, 0}), flat({1, 2});
  client::Call(space.Object(), L"AddText", DISPATCH_METHOD,
               {client::Ref(VT_BSTR, &label), client::Ref(VT_ARRAY | VT_R8, &flat.array),
                client::Short(1000)},
               flatPoint);
  client::Call(space.Object(), L"AddText", DISPATCH_METHOD,
               {client::Ref(VT_BSTR, &label), client::Text(label), client::Short(1000)}, wrongType);
  // Accepted: each argument inside a referenced variant (as VB passes Variant variables), or a
  // number by reference.
  VARIANT labelVariant = client::Text(label), pointVariant = client::Array(point.array);
  double height = 1000;
  client::Call(space.Object(), L"AddText", DISPATCH_METHOD,
               {client::Ref(VT_VARIANT, &labelVariant), client::Ref(VT_VARIANT, &pointVariant),
                client::Ref(VT_R8, &height)},
               text);
  ASSERT_NE(text.Object(), nullptr);
  client::Put(text.Object(), L"Color", client::Short(300), color);
  SysFreeString(label);
  const struct {
    Outcome& outcome;
    HRESULT scode;
    const wchar_t* description;
    const char* recorded;
  } refusals[] = {
      {flatPoint, static_cast<HRESULT>(0x80210010), L"Invalid number of elements in SafeArray",
       "0x80020009 0x80210010 \"Invalid number of elements in SafeArray\""},
      {color, static_cast<HRESULT>(0x80210020), L"Invalid input: Color must be 0 to 256",
       "0x80020009 0x80210020 \"Invalid input: Color must be 0 to 256\""},
  };
  std::vector<recording::Line> lines = Record();
  std::vector<recording::Line> added = WithOutcome(lines, "S_OK VT_DISPATCH Text#1");
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0].args(),
            (std::vector<std::string>{"VT_BYREF|VT_VARIANT VT_BSTR \"29°20′\"",
                                      "VT_BYREF|VT_VARIANT VT_ARRAY|VT_R8 [0..2] {1,2,0}",
                                      "VT_BYREF|VT_R8 1000"}));
  for (const auto& refusal : refusals) {
    SCOPED_TRACE(refusal.recorded);
    EXPECT_EQ(refusal.outcome.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refusal.outcome.scode, refusal.scode);
    EXPECT_EQ(refusal.outcome.description, refusal.description);
    EXPECT_EQ(refusal.outcome.source, kProgId);
    EXPECT_EQ(WithOutcome(lines, refusal.recorded).size(), 1u);
  }
  // A point that is not an array of doubles is a type mismatch of that argument (rgvarg 1).
  EXPECT_EQ(wrongType.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(wrongType.argErr, 1u);
  app->Release();
}

// The drawing's model space and layer collection.
struct Model {
  Outcome doc, space, layers;
  explicit Model(IDispatch* app) {
    client::Get(app, L"ActiveDocument", doc);
    client::Get(doc.Object(), L"ModelSpace", space);
    client::Get(doc.Object(), L"Layers", layers);
  }
};

// Layers, a line on one, a polyline's width and closure, with the types AutoCAD documents.
TEST_F(ServerTest, KeepsLayersLinesAndWidePolylines) {
  Configure();
  IDispatch* app = Create();
  ASSERT_NE(app, nullptr);
  Model model(app);
  ASSERT_TRUE(model.space.Object() && model.layers.Object());
  Outcome added, again, count, name, line, putLayer, lineLayer, polyline, width, shut, wide, closed;
  BSTR frame = SysAllocString(L"Frame"), upper = SysAllocString(L"FRAME");
  client::Call(model.layers.Object(), L"Add", DISPATCH_METHOD, {client::Text(frame)}, added);
  client::Call(model.layers.Object(), L"Add", DISPATCH_METHOD, {client::Text(upper)}, again);
  client::Get(model.layers.Object(), L"Count", count);
  ASSERT_NE(added.Object(), nullptr);
  client::Get(added.Object(), L"Name", name);
  client::Doubles start({1, 2, 0}), end({3, 4, 0}), vertices({0, 0, 1, 0, 1, 1});
  client::Call(model.space.Object(), L"AddLine", DISPATCH_METHOD,
               {client::Ref(VT_ARRAY | VT_R8, &start.array), client::Array(end.array)}, line);
  ASSERT_NE(line.Object(), nullptr);
  client::Put(line.Object(), L"Layer", client::Text(upper), putLayer);
  client::Get(line.Object(), L"Layer", lineLayer);
  client::Call(model.space.Object(), L"AddLightWeightPolyline", DISPATCH_METHOD,
               {client::Ref(VT_ARRAY | VT_R8, &vertices.array)}, polyline);
  ASSERT_NE(polyline.Object(), nullptr);
  client::Put(polyline.Object(), L"ConstantWidth", client::Double(2.5), width);
  client::Put(polyline.Object(), L"Closed", client::Bool(true), shut);
  client::Get(polyline.Object(), L"ConstantWidth", wide);
  client::Get(polyline.Object(), L"Closed", closed);
  SysFreeString(frame);
  SysFreeString(upper);
  EXPECT_EQ(again.Object(), added.Object());  // the same layer, whatever the letters
  EXPECT_EQ(count.result.v.lVal, 2);          // "0" and Frame
  EXPECT_EQ(std::wstring(name.result.v.bstrVal), L"Frame");
  EXPECT_EQ(std::vector<HRESULT>({putLayer.hr, width.hr, shut.hr}), std::vector<HRESULT>(3, S_OK));
  EXPECT_EQ(std::wstring(lineLayer.result.v.bstrVal), L"Frame");
  EXPECT_EQ(wide.result.v.vt, VT_R8);
  EXPECT_EQ(wide.result.v.dblVal, 2.5);
  EXPECT_EQ(closed.result.v.vt, VT_BOOL);
  EXPECT_EQ(closed.result.v.boolVal, VARIANT_TRUE);
  const std::vector<recording::Line> lines = Record();
  const std::vector<recording::Line> made = WithOutcome(lines, "S_OK VT_DISPATCH Line#1");
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(made[0].args(), (std::vector<std::string>{"VT_BYREF|VT_ARRAY|VT_R8 [0..2] {1,2,0}",
                                                      "VT_ARRAY|VT_R8 [0..2] {3,4,0}"}));
  EXPECT_EQ(WithOutcome(lines, "S_OK VT_DISPATCH Layer#2").size(), 2u);  // "0" is Layer#1
  app->Release();
}

// A flat point, a layer never added (AutoCAD's "Key not found"), a negative width, a nameless
// layer, and a closure that is no boolean.
TEST_F(ServerTest, RefusesLinesLayersAndWidthsAsAutoCadDoes) {
  Configure();
  IDispatch* app = Create();
  ASSERT_NE(app, nullptr);
  Model model(app);
  ASSERT_TRUE(model.space.Object() && model.layers.Object());
  Outcome polyline, flatLine, unknownLayer, negative, emptyName, notBool;
  BSTR none = SysAllocString(L"nosuch"), empty = SysAllocString(L""), yes = SysAllocString(L"yes");
  client::Doubles flat({1, 2}), end({3, 4, 0}), vertices({0, 0, 1, 0});
  client::Call(model.space.Object(), L"AddLightWeightPolyline", DISPATCH_METHOD,
               {client::Ref(VT_ARRAY | VT_R8, &vertices.array)}, polyline);
  ASSERT_NE(polyline.Object(), nullptr);
  client::Call(model.space.Object(), L"AddLine", DISPATCH_METHOD,
               {client::Array(flat.array), client::Array(end.array)}, flatLine);
  client::Put(polyline.Object(), L"Layer", client::Text(none), unknownLayer);
  client::Put(polyline.Object(), L"ConstantWidth", client::Double(-1), negative);
  client::Call(model.layers.Object(), L"Add", DISPATCH_METHOD, {client::Text(empty)}, emptyName);
  client::Put(polyline.Object(), L"Closed", client::Text(yes), notBool);
  for (BSTR b : {none, empty, yes}) SysFreeString(b);
  const struct {
    Outcome& outcome;
    HRESULT scode;
    const wchar_t* description;
  } refusals[] = {
      {flatLine, static_cast<HRESULT>(0x80210010), L"Invalid number of elements in SafeArray"},
      {unknownLayer, static_cast<HRESULT>(0x80210030), L"Key not found: layer \"nosuch\""},
      {negative, static_cast<HRESULT>(0x80210020),
       L"Invalid input: ConstantWidth must not be below 0"},
      {emptyName, static_cast<HRESULT>(0x80210020), L"Invalid input: a layer needs a name"},
  };
  for (const auto& refusal : refusals) {
    SCOPED_TRACE(Narrow(refusal.description, CP_UTF8));
    EXPECT_EQ(refusal.outcome.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refusal.outcome.scode, refusal.scode);
    EXPECT_EQ(refusal.outcome.description, refusal.description);
  }
  EXPECT_EQ(notBool.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(notBool.argErr, 0u);
  app->Release();
}

// What the config file makes of the calls: busy rejections, a forced failure, no drawing.
struct ControlCase {
  const char* name;
  const char* keys;
  const wchar_t* member;  // read once per expected result
  std::vector<HRESULT> results;
  HRESULT scode = S_OK;
  const wchar_t* description = L"";
};

void PrintTo(const ControlCase& c, std::ostream* out) { *out << c.name; }

class ControlTest : public ServerTest, public ::testing::WithParamInterface<ControlCase> {};

TEST_P(ControlTest, ShapesTheCalls) {
  const ControlCase& c = GetParam();
  Configure(c.keys);
  IDispatch* app = Create();
  ASSERT_NE(app, nullptr);
  for (HRESULT expected : c.results) {
    Outcome read;
    EXPECT_EQ(client::Get(app, c.member, read), expected);
    if (expected == DISP_E_EXCEPTION) {
      EXPECT_EQ(read.scode, c.scode);
      EXPECT_EQ(read.description, c.description);
    }
  }
  app->Release();
  EXPECT_EQ(ServerEnds(10000), 0);
}

const ControlCase kControlCases[] = {
    {"RejectFirst",
     "reject_first=2\n",
     L"Caption",
     {RPC_E_SERVERCALL_RETRYLATER, RPC_E_SERVERCALL_RETRYLATER, S_OK}},
    {"RejectCode",
     "reject_first=1\nreject_code=0x80010001\n",
     L"Caption",
     {RPC_E_CALL_REJECTED, S_OK}},
    {"FailAt",
     "fail_at=2\n",
     L"Caption",
     {DISP_E_EXCEPTION, S_OK},
     E_FAIL,
     L"Test server: call failed as configured: call 2 (fail_at)"},
    {"NoDocument",
     "no_document=1\n",
     L"ActiveDocument",
     {DISP_E_EXCEPTION},
     static_cast<HRESULT>(0x8021003C),
     L"Cannot get Document object: no drawing is open"},
};
INSTANTIATE_TEST_SUITE_P(Keys, ControlTest, ::testing::ValuesIn(kControlCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServerTest, ExitAtEndsTheProcessDuringTheCall) {
  Configure("exit_at=2\n");
  IDispatch* app = Create();
  ASSERT_NE(app, nullptr);
  Outcome caption;
  HRESULT hr = client::Get(app, L"Caption", caption);
  EXPECT_TRUE(FAILED(hr) && hr != DISP_E_EXCEPTION) << std::hex << hr;
  EXPECT_EQ(ServerEnds(10000), 3);
  app->Release();
  std::vector<recording::Line> lines = Record();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines.back().kind, "invoke");
  EXPECT_EQ(lines.back().number, 2u);
  EXPECT_EQ(lines.back().outcome(), "exit");
}

// Slow calls: every Invoke later by call_delay_ms, the one numbered pause_at by pause_ms more
// (calls 1 and 3 are the name lookups); the window where the config puts it.
TEST_F(ServerTest, CallsAnswerLateAndTheWindowStandsWhereTold) {
  Configure("call_delay_ms=150\npause_at=4\npause_ms=600\nwindow=10,20,300,200\n");
  IDispatch* app = Create();
  ASSERT_NE(app, nullptr);
  ULONGLONG took[2];
  for (ULONGLONG& t : took) {
    Outcome caption;
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(client::Get(app, L"Caption", caption), S_OK);
    t = GetTickCount64() - start;
  }
  EXPECT_GE(took[0], 150u);
  EXPECT_GE(took[1], 750u);
  const std::vector<recording::Line> lines = Record();
  ASSERT_FALSE(lines.empty());
  std::pair<DWORD, HWND> found{static_cast<DWORD>(lines.front().pid), nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto& f = *reinterpret_cast<std::pair<DWORD, HWND>*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        if (pid == f.first && lstrcmpW(name, L"VeskarTestCadWindow") == 0) f.second = w;
        return f.second == nullptr;
      },
      reinterpret_cast<LPARAM>(&found));
  RECT r{};
  ASSERT_TRUE(found.second && GetWindowRect(found.second, &r));
  EXPECT_EQ((std::array<LONG, 4>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
            (std::array<LONG, 4>{10, 20, 300, 200}));
  app->Release();
}

// REGCLS_SINGLEUSE: a second CoCreateInstance starts a second server, as CreateObject does
// with AutoCAD, and GetActiveObject attaches to a running one.
TEST_F(ServerTest, EveryCoCreateInstanceStartsItsOwnServer) {
  Configure();
  IDispatch* first = Create();
  IDispatch* second = Create();
  ASSERT_TRUE(first && second);
  first->Release();
  second->Release();
  std::vector<recording::Line> lines = Record();
  std::vector<unsigned long> started;
  for (const recording::Line& line : lines) {
    if (line.kind == "start") started.push_back(line.pid);
  }
  ASSERT_EQ(started.size(), 2u);
  EXPECT_NE(started[0], started[1]);
}

TEST_F(ServerTest, GetActiveObjectAttachesToADirectlyStartedServer) {
  Configure();
  HANDLE process =
      StartServer(std::wstring(L"/progid ") + kProgId + L" /config \"" + config_ + L"\"");
  ASSERT_NE(process, nullptr);
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
  IUnknown* running = nullptr;
  HRESULT hr = MK_E_UNAVAILABLE;
  for (int i = 0; i < 200 && hr == MK_E_UNAVAILABLE; ++i) {
    hr = GetActiveObject(clsid, nullptr, &running);
    if (hr == MK_E_UNAVAILABLE) Sleep(50);
  }
  ASSERT_EQ(hr, S_OK);
  IDispatch* app = nullptr;
  ASSERT_EQ(running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&app)), S_OK);
  running->Release();
  Outcome caption, visible;
  client::Get(app, L"Caption", caption);
  client::Get(app, L"Visible", visible);
  app->Release();
  ASSERT_EQ(caption.result.v.vt, VT_BSTR);
  EXPECT_EQ(std::wstring(caption.result.v.bstrVal),
            L"Veskar TestCad " + std::to_wstring(GetProcessId(process)) + L" - [Drawing1.dwg]");
  EXPECT_EQ(visible.result.v.boolVal, VARIANT_TRUE);
  // The client has let go; the server stays until it is told to end.
  HWND window = FindWindowW(nullptr, caption.result.v.bstrVal);
  ASSERT_NE(window, nullptr);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  EXPECT_EQ(owner, GetProcessId(process));
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(Ended(process, 10000), 0);
  std::vector<recording::Line> lines = Record();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines.front().fields.at(1), "direct");
  EXPECT_EQ(lines.back().kind, "end");
  EXPECT_EQ(lines.back().fields, std::vector<std::string>{"closed"});
}

}  // namespace
