// The Draw command into a CAD program through COM, against the test CAD server standing in for
// AutoCAD (veskar_testcad.exe, registered in the Wine prefix, recording every call).
//
// Wine 8 does not pass a busy server's rejection through the message filters (the server's
// SERVERCALL_RETRYLATER lets the call run, the client's RetryRejectedCall is never called):
// the busy server here returns RPC_E_SERVERCALL_RETRYLATER from the call itself, the path some
// servers take instead of the filter, which the client retries as well.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>

#include "cad/com/com_cad.h"
#include "cad/com/dispatch.h"
#include "cad/tests/layered_drawing.h"
#include "graticule/tests/recording_cad.h"
#include "mapsheet/sheet_draw.h"
#include "platform/files.h"
#include "platform/testing/testing.h"
#include "platform/text.h"
#include "server/recording.h"

namespace veskar::cad::com {
namespace {

namespace rec = testcad::recording;
using graticule::DrawOutcome;
using Status = DrawOutcome::Status;

const std::array<std::string, 7> kWorkedExample = {"114", "5", "29.2", "10", "0.15", "0.1", "115.15"};
const std::vector<std::string> kAllProgIds = {"AutoCAD.Application", "ZWCAD.Application", "GCAD.Application",
                                              "BricscadApp.AcadApplication", "Veskar.TestCad.Application"};

std::string server() { return platform::applicationDirectory() + "\\veskar_testcad.exe"; }

// One call as the server records it: the object's kind, the member, how it was invoked and
// every argument's type and value.
struct Call {
  std::string object, member, flags;
  std::vector<std::string> args;
  bool operator==(const Call& o) const {
    return object == o.object && platform::equalIgnoringCase(member, o.member) && flags == o.flags && args == o.args;
  }
};
std::ostream& operator<<(std::ostream& os, const Call& c) {
  os << c.object << '.' << c.member << ' ' << c.flags;
  for (const std::string& a : c.args) os << " | " << a;
  return os;
}

std::string argument(const Variant& v, bool byReference) {
  std::string type, value;
  if (const auto* n = std::get_if<std::int16_t>(&v)) type = "VT_I2", value = std::to_string(*n);
  if (const auto* n = std::get_if<std::int32_t>(&v)) type = "VT_I4", value = std::to_string(*n);
  if (const auto* d = std::get_if<double>(&v)) type = "VT_R8", value = rec::Number(*d);
  if (const auto* b = std::get_if<bool>(&v)) type = "VT_BOOL", value = *b ? "-1" : "0";
  if (const auto* s = std::get_if<std::string>(&v)) type = "VT_BSTR", value = rec::Quote(platform::utf8ToUtf16(*s));
  if (const auto* a = std::get_if<std::vector<double>>(&v)) {
    type = "VT_ARRAY|VT_R8";
    value = "[0.." + std::to_string(static_cast<long>(a->size()) - 1) + "] {";
    for (std::size_t i = 0; i < a->size(); ++i) value += (i ? "," : "") + rec::Number((*a)[i]);
    value += "}";
  }
  return (byReference ? "VT_BYREF|" : "") + type + " " + value;
}

// What the COM client must send for each operation on the automation surface.
std::vector<Call> expectedCalls(const std::vector<testing::Op>& ops) {
  static const std::map<std::string, std::string> kinds = {
      {"Application", "Application"}, {"Document", "Document"}, {"TextStyles", "TextStyles"},
      {"Style", "TextStyle"}, {"ModelSpace", "ModelSpace"}, {"Text", "Text"}, {"Polyline", "LightWeightPolyline"},
      {"Layers", "Layers"}, {"Layer", "Layer"}, {"Line", "Line"}};
  std::vector<Call> out;
  for (const testing::Op& op : ops) {
    const std::string kind = kinds.at(op.object);
    if (op.member == "Flush") continue;
    if (op.member == "Activate") {
      out.push_back({kind, "Caption", "method|get", {}});  // the window of that title to the front
    } else if (op.member == "Put") {
      out.push_back({kind, std::get<std::string>(op.args[0]), "put", {argument(op.args[1], false)}});
    } else if (op.member == "AddText") {
      out.push_back({kind, "AddText", "method",
                     {argument(op.args[0], true), argument(op.args[1], true), argument(op.args[2], false)}});
    } else if (op.member == "AddLine") {
      out.push_back({kind, "AddLine", "method", {argument(op.args[0], true), argument(op.args[1], true)}});
    } else if (op.member == "AddLightWeightPolyline") {
      out.push_back({kind, "AddLightWeightPolyline", "method", {argument(op.args[0], true)}});
    } else if (op.member == "Add") {
      out.push_back({kind, "Add", "method", {argument(op.args[0], false)}});
    } else {
      out.push_back({kind, op.member, "method|get", {}});  // ActiveDocument, TextStyles, ModelSpace, Layers
    }
  }
  return out;
}

// ConnectCad's calls: the program made visible, its drawing taken, its window to the front.
const std::vector<Call> kConnectCalls = {{"Application", "Visible", "put", {"VT_BOOL -1"}},
                                         {"Application", "ActiveDocument", "method|get", {}},
                                         {"Application", "Caption", "method|get", {}}};

// The worked example's calls: ConnectCad's, then the Draw command's as the surface saw them.
std::vector<Call> workedExampleCalls() {
  auto recorder = std::make_shared<testing::Recorder>();
  graticule::DrawInputs in;
  in.texts = kWorkedExample;
  graticule::RunDrawCommand(in, {}, [&](graticule::CadLink& link, std::string&) {
    link.CadApp = std::make_shared<testing::RecordingApplication>(recorder);
    link.CadDoc = std::make_shared<testing::RecordingDocument>(recorder);
    return true;
  });
  std::vector<Call> calls = kConnectCalls;
  for (Call& c : expectedCalls(recorder->ops)) calls.push_back(std::move(c));
  return calls;
}

std::string kindOf(const std::string& object) { return object.substr(0, object.find('#')); }

// The calls the server carried out (invoke lines that succeeded), in order.
std::vector<Call> carriedOut(const std::vector<rec::Line>& lines) {
  std::vector<Call> out;
  for (const rec::Line& l : lines) {
    if (l.kind != "invoke" || l.outcome().rfind("S_OK", 0) != 0) continue;
    out.push_back({kindOf(l.object()), l.member(), l.flags(), l.args()});
  }
  return out;
}

class ComTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& p : registered_) unregister(p);
  }
  // The server under `progIds`, recording into this test's file, with `keys` for its config.
  void registerServer(const std::vector<std::string>& progIds, const std::string& keys = {}) {
    std::ofstream(config_) << "record=" << record_ << "\nidle_seconds=30\n" << keys;
    std::vector<std::string> args{"/register"};
    args.insert(args.end(), progIds.begin(), progIds.end());
    args.insert(args.end(), {"/config", config_});
    ASSERT_EQ(veskar::testing::run(server(), args).status, 0);
    registered_.insert(progIds.begin(), progIds.end());
  }
  void unregister(const std::string& progId) { veskar::testing::run(server(), {"/unregister", progId}); }
  std::vector<rec::Line> lines() const { return rec::ReadFile(record_); }
  std::vector<rec::Line> kind(const char* k) const {
    std::vector<rec::Line> out;
    for (rec::Line& l : lines()) {
      if (l.kind == k) out.push_back(l);
    }
    return out;
  }
  DrawOutcome draw(const graticule::ConnectCadFn& connect) {
    graticule::DrawInputs in;
    in.texts = kWorkedExample;
    return graticule::RunDrawCommand(in, {}, connect);
  }

  veskar::testing::TempDir dir_;
  std::string record_ = dir_.file("record.txt"), config_ = dir_.file("server.cfg");
  std::set<std::string> registered_;
};

void expectCalls(const std::vector<Call>& expected, const std::vector<Call>& got) {
  for (std::size_t k = 0; k < std::min(expected.size(), got.size()); ++k) ASSERT_EQ(got[k], expected[k]) << "call " << k;
  ASSERT_EQ(got.size(), expected.size());
}

TEST_F(ComTest, TheWorkedExampleSendsWhatTheSurfaceWasAskedTypeForType) {
  for (const std::string& p : kAllProgIds) unregister(p);
  registerServer({"AutoCAD.Application"});
  const DrawOutcome out = draw(connectCadFn());
  ASSERT_EQ(out.status, Status::Drawn) << out.message;
  EXPECT_EQ(out.entitiesAdded, 115u);
  expectCalls(workedExampleCalls(), carriedOut(lines()));
  ASSERT_EQ(kind("start").size(), 1u);
  EXPECT_EQ(kind("start")[0].at(0), "AutoCAD.Application");
  // The program's window, found by its caption, is in front.
  wchar_t title[256] = {};
  GetWindowTextW(GetForegroundWindow(), title, 256);
  std::string caption;
  for (const rec::Line& l : kind("invoke")) {
    if (l.member() == "Caption") caption = l.outcome();
  }
  EXPECT_EQ("S_OK VT_BSTR " + rec::Quote(reinterpret_cast<const char16_t*>(title)), caption);
}

// Layers, texts on them, a line and a closed wide polyline, as the surface was asked for them.
TEST_F(ComTest, ALayeredDrawingSendsWhatTheSurfaceWasAskedTypeForType) {
  registerServer({"AutoCAD.Application"});
  auto recorder = std::make_shared<testing::Recorder>();
  testing::RecordingApplication asked(recorder);
  testing::drawOnLayers(asked);
  ComCadbas cadbas;
  std::string error;
  ASSERT_TRUE(cadbas.ConnectCad(error)) << error;
  testing::drawOnLayers(*cadbas.CadApp);
  EXPECT_EQ(cadbas.CadApp->EntitiesAdded(), 4u);
  std::vector<Call> expected = kConnectCalls;
  for (Call& c : expectedCalls(recorder->ops)) expected.push_back(std::move(c));
  expectCalls(expected, carriedOut(lines()));
}

// An entity of each kind put on a layer the drawing lacks: the program's refusal, in its words.
TEST_F(ComTest, AnEntityOnAMissingLayerFailsInTheProgramsWords) {
  registerServer({"AutoCAD.Application"});
  ComCadbas cadbas;
  std::string error;
  ASSERT_TRUE(cadbas.ConnectCad(error)) << error;
  const std::string description = "Key not found: layer \"nosuch\"";
  for (const int entity : {0, 1, 2}) {
    auto ms = cadbas.CadApp->ActiveDocument()->ModelSpace();
    auto e = entity == 0   ? ms->AddText("x", {0, 0, 0}, 1.0)
             : entity == 1 ? ms->AddLine({0, 0, 0}, {1, 1, 0})
                           : ms->AddLightWeightPolyline({0, 0, 1, 1});
    try {
      e->Put("Layer", std::string("nosuch"));
      ADD_FAILURE() << "no error, entity " << entity;
    } catch (const CadError& failure) {
      EXPECT_EQ(failure.number(), static_cast<std::int32_t>(0x80210030)) << entity;
      EXPECT_EQ(failure.description(), description) << entity;
    }
  }
  std::vector<std::string> refused;
  for (const rec::Line& l : kind("invoke")) {
    if (l.member() == "Layer") refused.push_back(l.outcome());
  }
  EXPECT_EQ(refused, std::vector<std::string>(3, "0x80020009 0x80210030 " +
                                                     rec::Quote(platform::utf8ToUtf16(description))));
}

TEST_F(ComTest, TheCommandLineSendsTheSameThroughItsProgId) {
  registerServer({"Veskar.TestCad.Application"});
  const auto r = veskar::testing::run(VESKAR_CLI_EXE, {"draw", "--start-longitude", "114", "--meridians", "5",
                                                      "--start-latitude", "29.2", "--parallels", "10",
                                                      "--latitude-spacing", "0.1", "--cad", "--progid",
                                                      "Veskar.TestCad.Application"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("drew 10 parallels, 5 meridians and 100 labels (Beijing 1954)", 0), 0u) << r.out;
  expectCalls(workedExampleCalls(), carriedOut(lines()));
}

// A finished national sheet and a square sheet from the command line: what the surface was asked
// for the same sheet, type for type; the four layers made before anything is put on them.
TEST_F(ComTest, FinishedSheetsFromTheCommandLineSendWhatTheSurfaceWasAsked) {
  registerServer({"Veskar.TestCad.Application"});
  const auto drawnInto = [](const std::shared_ptr<testing::Recorder>& recorder) {
    return [recorder](graticule::CadLink& link, std::string&) {
      link.CadApp = std::make_shared<testing::RecordingApplication>(recorder);
      link.CadDoc = std::make_shared<testing::RecordingDocument>(recorder);
      return true;
    };
  };
  mapsheet::SheetDrawRequest national;
  national.frame.sheet = geodesy::ParseSheetNumber("J50G015010");
  mapsheet::SquareFrameRequest square;
  square.sheet = geodesy::ParseSquareNumber("10.25-27.75", 500, {50, 50});
  const struct {
    std::vector<std::string> args;
    std::function<void(const std::shared_ptr<testing::Recorder>&)> asked;
  } cases[] = {
      {{"draw", "--sheet", "J50G015010"}, [&](const auto& r) { mapsheet::DrawSheet(national, drawnInto(r)); }},
      {{"draw", "--square", "10.25-27.75", "--scale", "500"},
       [&](const auto& r) { mapsheet::DrawSquareSheet(square, drawnInto(r)); }},
  };
  for (const auto& c : cases) {
    const std::size_t before = carriedOut(lines()).size();  // the server goes on recording into one file
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--cad", "--progid", "Veskar.TestCad.Application"});
    const auto r = veskar::testing::run(VESKAR_CLI_EXE, args);
    ASSERT_EQ(r.status, 0) << r.err;
    auto recorder = std::make_shared<testing::Recorder>();
    c.asked(recorder);
    std::vector<Call> expected = kConnectCalls;
    for (Call& call : expectedCalls(recorder->ops)) expected.push_back(std::move(call));
    const std::vector<Call> all = carriedOut(lines());
    const std::vector<Call> got(all.begin() + static_cast<long>(before), all.end());
    expectCalls(expected, got);
    std::vector<std::string> layers;
    for (const Call& call : got) {
      if (call.object == "Layers" && call.member == "Add") layers.push_back(call.args[0]);
    }
    EXPECT_EQ(layers, (std::vector<std::string>{"VT_BSTR \"图廓\"", "VT_BSTR \"方里网\"", "VT_BSTR \"注记\"",
                                                "VT_BSTR \"接图表\""}));
  }
}

// A second press attaches to the program the first started, also while that program is not
// yet in the running-object table (it enters it only 60 s after start here).
TEST_F(ComTest, ASecondPressAttachesToTheProgramTheFirstStarted) {
  registerServer({"AutoCAD.Application"}, "rot_delay_ms=60000\n");
  const graticule::ConnectCadFn connect = connectCadFn();
  ASSERT_EQ(draw(connect).status, Status::Drawn);
  ASSERT_EQ(draw(connect).status, Status::Drawn);
  const std::vector<rec::Line> starts = kind("start");
  ASSERT_EQ(starts.size(), 1u) << "a second program was started";
  std::set<unsigned long> pids;
  for (const rec::Line& l : kind("invoke")) pids.insert(l.pid);
  EXPECT_EQ(pids, std::set<unsigned long>{starts[0].pid});
  const std::vector<Call> once = workedExampleCalls();
  std::vector<Call> twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  expectCalls(twice, carriedOut(lines()));
}

// A busy program turns its first calls away; each is tried again until it runs, once.
TEST_F(ComTest, ABusyProgramGetsEveryCallOnceInTheEnd) {
  registerServer({"AutoCAD.Application"}, "reject_first=12\n");
  const DrawOutcome out = draw(connectCadFn());
  ASSERT_EQ(out.status, Status::Drawn) << out.message;
  EXPECT_EQ(out.entitiesAdded, 115u);
  std::size_t rejected = 0;
  for (const rec::Line& l : lines()) rejected += (l.kind == "invoke" || l.kind == "names") && l.outcome() == "0x8001010A";
  EXPECT_EQ(rejected, 12u);
  expectCalls(workedExampleCalls(), carriedOut(lines()));
}

TEST_F(ComTest, NoOpenDrawingEndsAtTheStyleInTheProgramsWords) {
  registerServer({"AutoCAD.Application"}, "no_document=1\n");
  const DrawOutcome out = draw(connectCadFn());
  EXPECT_EQ(out.status, Status::FailedAfterAttach);
  EXPECT_EQ(out.failedStep, "创建文字样式 ksev");
  std::string description;
  for (const rec::Line& l : kind("invoke")) {
    if (l.member() == "ActiveDocument") description = l.outcome();
  }
  ASSERT_NE(description.find("0x8021003C"), std::string::npos) << description;
  EXPECT_NE(description.find("\"" + out.message + "\""), std::string::npos) << out.message << " / " << description;
  EXPECT_EQ(out.entitiesAdded, 0u);
}

// The program ends in the middle of the drawing: the platform's words and the count so far.
TEST_F(ComTest, AProgramThatDiesMidDrawLeavesTheCountOfWhatItAdded) {
  registerServer({"AutoCAD.Application"}, "exit_at=60\n");
  const DrawOutcome out = draw(connectCadFn());
  EXPECT_EQ(out.status, Status::FailedAfterAttach);
  EXPECT_EQ(out.failedStep, "绘制经纬网");
  EXPECT_EQ(out.message, describe(static_cast<HRESULT>(0x800706BE)));
  std::size_t added = 0;
  for (const Call& c : carriedOut(lines())) added += c.member == "AddText" || c.member == "AddLightWeightPolyline";
  EXPECT_GT(added, 0u);
  EXPECT_EQ(out.entitiesAdded, added);
}

TEST_F(ComTest, NoProgramRegisteredGivesThePlatformsTextAndDrawsNothing) {
  for (const std::string& p : kAllProgIds) unregister(p);
  CLSID clsid{};
  const HRESULT hr = CLSIDFromProgID(L"AutoCAD.Application", &clsid);
  ASSERT_TRUE(FAILED(hr));
  const DrawOutcome out = draw(connectCadFn());
  EXPECT_EQ(out.status, Status::ConnectFailed);
  EXPECT_EQ(out.message, describe(hr));
  EXPECT_EQ(platform::fileExists(record_), false);
}

// Without AutoCAD, the compatible programs in their order.
TEST_F(ComTest, CompatibleProgramsAreTriedInOrderWhenAutoCadIsNotRegistered) {
  const struct {
    std::vector<std::string> registered;
    const char* chosen;
  } cases[] = {
      {{"GCAD.Application", "BricscadApp.AcadApplication"}, "GCAD.Application"},
      {{"BricscadApp.AcadApplication", "ZWCAD.Application", "GCAD.Application"}, "ZWCAD.Application"},
      {{"BricscadApp.AcadApplication"}, "BricscadApp.AcadApplication"},
      {{"ZWCAD.Application", "AutoCAD.Application"}, "AutoCAD.Application"},
  };
  for (const auto& c : cases) {
    for (const std::string& p : kAllProgIds) unregister(p);
    registerServer(c.registered);
    ComCadbas cadbas;
    std::string error;
    ASSERT_TRUE(cadbas.ConnectCad(error)) << error;
    EXPECT_EQ(cadbas.progId, c.chosen);
    EXPECT_EQ(kind("start").back().at(0), c.chosen);
  }
}

}  // namespace
}  // namespace veskar::cad::com
