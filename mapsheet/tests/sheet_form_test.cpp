// The sheet window's logic without a window: the line under 图号, 查找 and the field a refusal
// names, the remembered fields, and the order of a press (fields saved, refused before anything
// is drawn or written, the save dialog only for a drawable sheet). What the fields draw is the
// windows' tests' (against veskar-cli).
#include <gtest/gtest.h>

#include "cad/inprocess.h"
#include "mapsheet/sheet_form.h"
#include "mapsheet/sheet_messages.h"
#include "platform/testing/testing.h"

namespace veskar::mapsheet {
namespace {

SheetFields fields(const char* number, const char* grid = "", bool finished = true) {
  SheetFields f;
  f.number = number;
  f.grid = grid;
  f.finished = finished;
  return f;
}

const std::string kNotDrawn = "\n未绘图，未写文件。";

TEST(SheetForm, TheLineUnderTheNumber) {
  struct Case {
    const char* typed;
    bool fault;
    std::string line;
  };
  const Case cases[] = {
      {"J50G015010", false, "J50G015010 = J-50-14-(50)  1:10,000  3°带 第38带\n经度 114°33′45″—114°37′30″  纬度 39°22′30″—39°25′00″"},
      {" J-50-5-(24) ", false, "J50G003040 = J-50-5-(24)  1:10,000  3°带 第39带\n经度 116°26′15″—116°30′00″  纬度 39°52′30″—39°55′00″"},
      {"J50K00530950", false, "J50K00530950  1:500  3°带 第39带\n经度 116°28′16.875″—116°28′26.25″  纬度 39°54′28.75″—39°54′35″"},
      {"J50G097001", true, "sheet number \"J50G097001\": row 097 is outside 001-096 at 1:10,000"},
      {"", false, kNumberExample},
  };
  for (const Case& c : cases) {
    const NumberNote n = numberNote(c.typed);
    EXPECT_EQ(n.fault, c.fault) << c.typed;
    EXPECT_EQ(n.text, c.line) << c.typed;
  }
}

TEST(SheetForm, GridHintIsTheScalesInterval) {
  EXPECT_EQ(gridHint("J50G015010"), "1（默认）");
  EXPECT_EQ(gridHint("J50D001005"), "2（默认）");
  EXPECT_EQ(gridHint("J50K00530950"), "0.05（默认）");
  EXPECT_EQ(gridHint("J50C001002"), "0（默认，无方里网）");
  EXPECT_EQ(gridHint("J50G"), kGridHintNoSheet);
}

TEST(SheetForm, FindGivesTheNumberOrNamesTheField) {
  struct Case {
    const char *latitude, *longitude;
    int scale;
    std::string number, refusal;
  };
  const Case cases[] = {
      {"39.543", "116.2825", 50000, "J50E001010", ""},
      {"39.223", "114.3345", 10000, "J50G015010", ""},  // the south-west corner belongs to the sheet
      {"abc", "116", 10000, "", "纬度：“abc”不是数（压缩度分秒，如 39.543 为 39°54′30″）"},
      {"39.6", "116", 10000, "", "纬度：packed DMS 39.6: the minutes must be below 60"},
      {"88", "116", 10000, "", "纬度：point 88°00′00″ N, 116°00′00″ E: no sheets from 88° N on (row V ends there)"},
      {"39", "180.3", 10000, "", "经度：point 39°00′00″ N, 180°30′00″ E: no sheets from 180° E on (column 60 ends there)"},
      {"-1", "116", 10000, "", "纬度：point -1°00′00″ N, 116°00′00″ E: the southern hemisphere is not supported"},
  };
  for (const Case& c : cases) {
    SheetFields f;
    f.latitude = c.latitude, f.longitude = c.longitude, f.scale = c.scale;
    const Found found = findSheet(f);
    EXPECT_EQ(found.number, c.number) << c.latitude << " " << c.longitude;
    EXPECT_EQ(found.refusal, c.refusal.empty() ? "" : c.refusal + kNotDrawn) << c.latitude << " " << c.longitude;
  }
}

TEST(SheetForm, RefusalsNameTheField) {
  const std::pair<SheetFields, std::string> cases[] = {
      {fields(""), "图号：sheet number \"\": 0 characters; a sheet number has 3 characters (J50, 1:1,000,000) or 10 "
                   "(J50E001010), 12 at 1:1,000 and 1:500 (J50K00010001)"},
      {fields("J50G015010", "-2"), "方里网间距：grid interval -2 km: give a positive number of km, or 0 for no grid"},
      {fields("J50G015010", "0.0005"), "方里网间距：grid interval 0.0005 km: give a whole number of metres"},
  };
  for (const auto& [f, refusal] : cases) EXPECT_EQ(requestOf(f).refusal, refusal + kNotDrawn) << f.number << " " << f.grid;
}

TEST(SheetForm, RememberedFieldsComeBackAndUnusableOnesAreDefaults) {
  SheetFields f = fields("J50", "2");
  f.latitude = "39", f.longitude = "116", f.scale = 500, f.title = "t";
  f.system = geodesy::CoordinateSystem::IAG75;
  f.finished = false, f.zonePrefix = true;
  const settings::SheetSettings s = settingsOf(f);
  EXPECT_EQ(s.values, (std::array<std::string, 9>{"J50", "39", "116", "500", "IAG75", "2", "t", "0", "1"}));
  const SheetFields back = fieldsOf(s);
  EXPECT_EQ(settingsOf(back).values, s.values);
  settings::SheetSettings odd = s;
  odd.values[settings::kSheetScale] = "20000";
  odd.values[settings::kSheetSystem] = "WGS84";
  odd.values[settings::kSheetFinished] = "yes";
  odd.values[settings::kSheetZonePrefix] = "2";
  EXPECT_EQ(settingsOf(fieldsOf(odd)).values,
            (std::array<std::string, 9>{"J50", "39", "116", "10000", "CGCS2000", "2", "t", "1", "0"}));
}

// A press saves the fields first; a refusal reaches neither the CAD program nor the save dialog.
TEST(SheetForm, PressSavesFirstAndRefusesBeforeConnectingOrAsking) {
  int saves = 0, connects = 0, asked = 0;
  const SaveSheetSettingsFn save = [&](const settings::SheetSettings&) {
    ++saves;
    return settings::SaveResult{false, "Permission denied"};
  };
  const graticule::ConnectCadFn connect = [&](graticule::CadLink&, std::string&) { return ++connects, false; };
  const ChooseFileFn choose = [&](const std::string&) { return ++asked, std::optional<std::string>(); };
  // More grid lines than a sheet may have: found while the frame is built, before connecting.
  const SheetPress drawn = drawSheet(fields("J50G015010", "0.004"), save, connect);
  EXPECT_EQ(sheetMessages(drawn),
            (std::vector<std::string>{"设置文件 veskar-sheet.ini 未能保存：Permission denied\n本次输入仍用于绘图。",
                                      "方里网间距：grid interval 0.004 km: 2519 grid lines, more than 1000" + kNotDrawn}));
  const SheetPress saved = saveSheetDxf(fields("J50G097001"), save, choose);
  EXPECT_EQ(saved.refusal, refusalText("图号", numberNote("J50G097001").text));
  EXPECT_EQ(std::tie(saves, connects, asked), std::make_tuple(2, 0, 0));
}

TEST(SheetForm, SaveDxfSuggestsTheNumberAndWritesOnlyWhenAsked) {
  testing::TempDir dir;
  std::vector<std::string> suggested;
  std::optional<std::string> answer;
  const ChooseFileFn choose = [&](const std::string& name) { return suggested.push_back(name), answer; };
  const SheetPress cancelled = saveSheetDxf(fields("J-50-5-(24)"), {}, choose);
  EXPECT_TRUE(cancelled.cancelled && sheetMessages(cancelled).empty());
  answer = dir.file("a.dxf");
  const SheetPress written = saveSheetDxf(fields("J-50-5-(24)"), {}, choose);
  EXPECT_TRUE(sheetMessages(written).empty());
  EXPECT_EQ(written.outcome.number, "J50G003040");
  answer = dir.file("no/such/b.dxf");
  const SheetPress failed = saveSheetDxf(fields("J-50-5-(24)"), {}, choose);
  ASSERT_EQ(sheetMessages(failed).size(), 1u);
  EXPECT_TRUE(sheetMessages(failed)[0].starts_with("DXF 文件 " + *answer + " 未能写入：")) << sheetMessages(failed)[0];
  EXPECT_EQ(suggested, std::vector<std::string>(3, "J50G003040.dxf"));
  EXPECT_EQ(testing::entries(dir.path()), std::vector<std::string>{"a.dxf"});
}

}  // namespace
}  // namespace veskar::mapsheet
