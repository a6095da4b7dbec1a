// The Draw command against a recording CAD surface: reading the fields, refusals, skipped
// lines, and the ends of a press that fails.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geodesy/geodesy.h"
#include "graticule/draw_command.h"
#include "recording_cad.h"

namespace {

using veskar::graticule::CadLink;
using veskar::graticule::DrawInputs;
using veskar::graticule::DrawOutcome;
using veskar::graticule::leadingNumber;
using veskar::graticule::RunDrawCommand;
using veskar::settings::SaveResult;
using veskar::settings::SettingsRecord;
using veskar::testing::Op;
using veskar::testing::Recorder;
using Status = DrawOutcome::Status;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(LeadingNumber, Table) {
  const struct {
    const char* text;
    double value;
  } cases[] = {{"5a", 5},         {"abc", 0},      {"", 0},          {"  29.2", 29.2},
               {"115.15", 115.15}, {"-0.15", -0.15}, {"1e3", 1000},    {"1e999", kInf},
               {".5", 0.5},       {"0,5", 0},      {"+3 lines", 3},  {"5.9", 5.9},
               {"1 000.5", 1000.5}, {"- 5", -5},   {"\t29 .2\n", 29.2}, {"1e 3", 1000}};
  for (const auto& c : cases) EXPECT_EQ(leadingNumber(c.text), c.value) << c.text;
}

// One press against the recording surface.
struct Press {
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
  std::vector<SettingsRecord> saved;
  int connects = 0;
  bool connectFails = false;
  bool noDocument = false;
  std::optional<veskar::cad::CadError> documentError;  // what ConnectCad learnt then
  SaveResult saveResult;

  DrawOutcome run(std::array<std::string, 7> texts, int check = 1) {
    DrawInputs in;
    in.texts = texts;
    in.check = check;
    return RunDrawCommand(
        in,
        [this](const SettingsRecord& r) {
          saved.push_back(r);
          return saveResult;
        },
        [this](CadLink& link, std::string& error) {
          ++connects;
          if (connectFails) {
            error = "The drawing application could not be started.";
            return false;
          }
          link.CadApp = std::make_shared<veskar::testing::RecordingApplication>(recorder);
          if (!noDocument) link.CadDoc = std::make_shared<veskar::testing::RecordingDocument>(recorder);
          link.documentError = documentError;
          return true;
        });
  }
  std::size_t count(const char* member) const {
    std::size_t n = 0;
    for (const Op& op : recorder->ops) n += op.member == member;
    return n;
  }
  std::vector<std::vector<double>> polylines() const {
    std::vector<std::vector<double>> out;
    for (const Op& op : recorder->ops) {
      if (op.member == "AddLightWeightPolyline") out.push_back(std::get<std::vector<double>>(op.args[0]));
    }
    return out;
  }
};

std::array<std::string, 7> fields(const char* t1, const char* t2, const char* t3, const char* t4,
                                  const char* t5, const char* t6, const char* t7) {
  return {t1, t2, t3, t4, t5, t6, t7};
}

// Inputs refused before anything reaches the CAD side: which field is named, and the words.
TEST(DrawCommand, RefusalsNameTheFieldAndSendNothing) {
  const struct {
    std::array<std::string, 7> texts;
    int field, otherField;
    const char* words;
  } cases[] = {
      {fields("1e999", "5", "29.2", "10", "0.15", "0.1", "115.15"), 0, -1, "起始经度：“1e999”"},
      {fields("114", "-1e999", "29.2", "10", "0.15", "0.1", "115.15"), 1, -1, "经线根数：“-1e999”"},
      {fields("114", "5", "29.2", "10", "0.15", "1e400", "115.15"), 5, -1, "纬度间距：“1e400”"},
      {fields("114", "5", "29.2", "10", "0.15", "0.1", "1e999"), 6, -1, "中央子午线：“1e999”"},
      {fields("1e308", "5", "29.2", "10", "0.15", "0.1", "115.15"), 0, -1, "起始经度：“1e308”"},
      {fields("114", "501", "29.2", "500", "0.15", "0.1", "115.15"), 1, 3,
       "经线根数 × 纬线根数：501 × 500 = 250500 个交点"},
      {fields("114", "250001", "29.2", "0", "0.15", "0.1", "115.15"), 1, -1, "经线根数：250001 根太多"},
      {fields("114", "5", "29.2", "1e12", "0.15", "0.1", "115.15"), 3, -1, "纬线根数：1000000000000 根太多"},
      {fields("40000", "5", "29.2", "10", "0.15", "0.1", "115.15"), 0, -1, "起始经度：40000 度超出了"},
      {fields("-32768", "5", "29.2", "10", "0.15", "0.1", "115.15"), 0, -1, "起始经度：-32768 度超出了"},
      {fields("114", "5", "29.2", "10", "10000", "0.1", "115.15"), 4, -1, "经度间距：40114 度超出了"},
      {fields("114", "5", "29.2", "10", "0.15", "-5000", "115.15"), 5, -1, "纬度间距：-34970 度超出了"},
      {fields("114", "5", "29.2", "10", "0.15", "0.1", "33000"), 6, -1, "中央子午线：33000 度超出了"},
  };
  for (const auto& c : cases) {
    Press press;
    const DrawOutcome out = press.run(c.texts);
    const std::string name = c.texts[0] + "/" + c.texts[1] + "/" + c.texts[3] + "/" + c.texts[4] + "/" +
                             c.texts[5] + "/" + c.texts[6];
    EXPECT_EQ(out.status, Status::Refused) << name;
    EXPECT_EQ(out.field, c.field) << name;
    EXPECT_EQ(out.otherField, c.otherField) << name;
    EXPECT_TRUE(out.message.starts_with(c.words)) << name << ": " << out.message;
    EXPECT_EQ(press.connects, 0) << name;
    EXPECT_TRUE(press.recorder->ops.empty()) << name;
    // Step 1 came first: the texts are saved as they stand.
    ASSERT_EQ(press.saved.size(), 1u) << name;
    EXPECT_EQ(press.saved[0].texts, c.texts) << name;
  }
}

TEST(DrawCommand, FiveHundredByFiveHundredIsStillDrawn) {
  Press press;
  const DrawOutcome out = press.run(fields("114", "500", "29.2", "500", "0.001", "0.001", "115.15"));
  ASSERT_EQ(out.status, Status::Drawn) << out.message;
  EXPECT_EQ(out.labels, 500000u);
  EXPECT_EQ(press.count("AddText"), 500000u);
  EXPECT_EQ(press.count("AddLightWeightPolyline"), 1000u);
}

// Counts below 1 draw nothing in that direction; one line in a direction draws its labels but
// not the one-vertex lines across it.
TEST(DrawCommand, SmallCounts) {
  const struct {
    const char* meridians;
    const char* parallels;
    std::size_t texts;
    std::vector<std::size_t> vertexCounts;  // of the polylines, in drawing order
    const char* skipped;  // the start of the outcome's note ("" for none)
  } cases[] = {
      {"0", "10", 0, {}, "经线根数小于 1"},
      {"abc", "10", 0, {}, "经线根数小于 1"},
      {"0.59", "10", 0, {}, "经线根数小于 1"},  // 0°59′
      {"0.99", "10", 20, {10}, "只有一根经线"},  // 0°99′ = 1.65
      {"-3", "10", 0, {}, "经线根数小于 1"},
      {"5", "0", 0, {}, "纬线根数小于 1"},
      {"1", "3", 6, {3}, "只有一根经线"},
      {"3", "1", 6, {3}, "只有一根纬线"},
      {"1", "1", 2, {}, "只有一根经线"},
      {"5a", "2.9", 30, {5, 5, 5, 3, 3, 3, 3, 3}, ""},  // 2°90′ = 3.5
      {"2", "2", 8, {2, 2, 2, 2}, ""},
  };
  for (const auto& c : cases) {
    Press press;
    const DrawOutcome out = press.run(fields("114", c.meridians, "29.2", c.parallels, "0.15", "0.1", "115.15"));
    const std::string name = std::string(c.meridians) + " x " + c.parallels;
    ASSERT_EQ(out.status, Status::Drawn) << name;
    EXPECT_EQ(press.count("AddText"), c.texts) << name;
    EXPECT_EQ(out.labels, c.texts) << name;
    std::vector<std::size_t> vertexCounts;
    for (const auto& line : press.polylines()) vertexCounts.push_back(static_cast<std::size_t>(line.size() / 2));
    EXPECT_EQ(vertexCounts, c.vertexCounts) << name;
    EXPECT_EQ(out.polylines, c.vertexCounts.size()) << name;
    EXPECT_EQ(out.entitiesAdded, c.texts + c.vertexCounts.size()) << name;
    if (*c.skipped) {
      EXPECT_TRUE(out.skipped.starts_with(c.skipped)) << name << ": " << out.skipped;
    } else {
      EXPECT_TRUE(out.skipped.empty()) << name << ": " << out.skipped;
    }
    // The style is created on every press, also when nothing is drawn.
    EXPECT_EQ(press.count("Add"), 1u) << name;
  }
}

TEST(DrawCommand, OnlyATickedBoxChoosesBeijing1954) {
  for (int check : {0, 1, 2}) {
    Press press;
    const DrawOutcome out = press.run(fields("114", "2", "29.2", "1", "0.15", "0.1", "115.15"), check);
    ASSERT_EQ(out.status, Status::Drawn);
    EXPECT_EQ(out.beijing54, check == 1);
    const auto p = veskar::geodesy::LoadProjectionParameters(check == 1);
    // The first AddText's point: intersection (1, 1), 29°20′ by way of decimal degrees.
    const auto first = std::get<std::vector<double>>(press.recorder->ops[7].args[1]);
    const double B = veskar::geodesy::Degdms(veskar::geodesy::DmsDeg(29.2));
    EXPECT_EQ(first, (std::vector<double>{veskar::geodesy::Y(B, 114, 115.15, p), veskar::geodesy::X(B, 114, 115.15, p), 0.0}))
        << check;
    ASSERT_EQ(press.saved.size(), 1u);
    EXPECT_EQ(press.saved[0].boxState, check);
  }
}

TEST(DrawCommand, NegativeSpacingsRunTheLinesTheOtherWay) {
  Press press;
  ASSERT_EQ(press.run(fields("115", "3", "30", "2", "-0.15", "-0.1", "115.15")).status, Status::Drawn);
  const auto lines = press.polylines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_GT(lines[0][0], lines[0][2]);  // parallel: east to west
  EXPECT_GT(lines[2][1], lines[2][3]);  // meridian: north to south
}

TEST(DrawCommand, AFailedConnectDrawsNothingButTheSettingsAreSaved) {
  Press press;
  press.connectFails = true;
  const DrawOutcome out = press.run(fields("114", "5", "29.2", "10", "0.15", "0.1", "115.15"));
  EXPECT_EQ(out.status, Status::ConnectFailed);
  EXPECT_EQ(out.message, "The drawing application could not be started.");
  EXPECT_EQ(press.saved.size(), 1u);
  EXPECT_TRUE(press.recorder->ops.empty());
}

TEST(DrawCommand, NoOpenDrawingEndsThePressBeforeTheStyle) {
  Press press;
  press.noDocument = true;
  const DrawOutcome out = press.run(fields("114", "5", "29.2", "10", "0.15", "0.1", "115.15"));
  EXPECT_EQ(out.status, Status::FailedAfterAttach);
  EXPECT_EQ(out.failedStep, "创建文字样式 ksev");
  EXPECT_FALSE(out.message.empty());
  EXPECT_EQ(out.entitiesAdded, 0u);
  ASSERT_EQ(press.recorder->ops.size(), 1u);
  EXPECT_EQ(press.recorder->ops[0].member, "Activate");
  // In the CAD program's words, when it gave them.
  Press told;
  told.noDocument = true;
  told.documentError = veskar::cad::CadError(static_cast<std::int32_t>(0x8021003C), "Cannot get Document object.");
  const DrawOutcome second = told.run(fields("114", "5", "29.2", "10", "0.15", "0.1", "115.15"));
  EXPECT_EQ(second.failedStep, "创建文字样式 ksev");
  EXPECT_EQ(second.message, "Cannot get Document object.");
}

// A CAD operation that fails half way ends the press there: what was drawn stays, and the
// outcome tells the description and how many entities were added.
TEST(DrawCommand, AFailureAfterTheAttachEndsThePressAndCountsWhatWasDrawn) {
  const struct {
    std::size_t failAt;  // index of the failing operation
    std::size_t entities;
    const char* step;
  } cases[] = {
      {0, 0, "激活绘图程序窗口"},
      {2, 0, "创建文字样式 ksev"},
      {4, 0, "创建文字样式 ksev"},
      {5, 0, "绘制经纬网"},        // the first ActiveDocument of the emission
      {7, 0, "绘制经纬网"},        // the first AddText
      {8, 1, "绘制经纬网"},        // its Color
      // Five style operations, ten operations per label, four per polyline.
      {5 + 10 * 10 + 3, 11, "绘制经纬网"},  // the Color of the first parallel
      {5 + 10 * (10 * 10 + 4) + 5 * 4, 115, "完成绘制"},  // the final Flush
  };
  for (const auto& c : cases) {
    Press press;
    press.recorder->failAt = c.failAt;
    const DrawOutcome out = press.run(fields("114", "5", "29.2", "10", "0.15", "0.1", "115.15"));
    EXPECT_EQ(out.status, Status::FailedAfterAttach) << c.failAt;
    EXPECT_EQ(out.message, "The drawing application went away.") << c.failAt;
    EXPECT_EQ(out.failedStep, c.step) << c.failAt;
    EXPECT_EQ(out.entitiesAdded, c.entities) << c.failAt;
    EXPECT_EQ(press.recorder->ops.size(), c.failAt) << "nothing after the failure";
  }
}

TEST(DrawCommand, AFailedSaveIsReportedAndTheGraticuleStillDrawn) {
  Press press;
  press.saveResult = {false, "Permission denied"};
  const DrawOutcome out = press.run(fields("114", "5", "29.2", "10", "0.15", "0.1", "115.15"));
  EXPECT_EQ(out.status, Status::Drawn);
  EXPECT_FALSE(out.settingsSave.ok);
  EXPECT_EQ(out.settingsSave.error, "Permission denied");
  EXPECT_EQ(out.entitiesAdded, 115u);
}

TEST(DrawCommand, TheSavedRecordIsTheFieldsVerbatim) {
  Press press;
  const auto texts = fields(" 114.00 ", "5a", "29.2", "10", "0.15", "0.1", "115.15");
  press.run(texts, 2);
  ASSERT_EQ(press.saved.size(), 1u);
  EXPECT_EQ(press.saved[0].texts, texts);
  EXPECT_EQ(press.saved[0].boxState, 2);
}

TEST(DrawCommand, ExtentsSurroundTheIntersections) {
  Press press;
  const DrawOutcome out = press.run(fields("114", "5", "29.2", "10", "0.15", "0.1", "115.15"));
  const auto p = veskar::geodesy::LoadProjectionParameters(true);
  ASSERT_FALSE(out.extents.empty);
  // The whole graticule lies west of the central meridian 115°15′: the meridians lean toward
  // it going north and the parallels bend poleward away from it. So the west edge is at the
  // south-west corner, the east edge at the north-east corner, the south edge at the
  // south-east corner and the north edge at the north-west corner.
  EXPECT_NEAR(out.extents.minEasting, veskar::geodesy::Y(29.2, 114, 115.15, p), 1e-6);
  EXPECT_NEAR(out.extents.maxEasting, veskar::geodesy::Y(30.5, 115, 115.15, p), 1e-6);
  EXPECT_NEAR(out.extents.maxNorthing, veskar::geodesy::X(30.5, 114, 115.15, p), 1e-6);
  EXPECT_NEAR(out.extents.minNorthing, veskar::geodesy::X(29.2, 115, 115.15, p), 1e-6);
}

}  // namespace
