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
  EXPECT_EQ(s.values, (std::array<std::string, 16>{"J50", "39", "116", "500", "IAG75", "2", "t", "0", "1", "national", "",
                                                   "", "", "1000", "", ""}));
  const SheetFields back = fieldsOf(s);
  EXPECT_EQ(settingsOf(back).values, s.values);
  settings::SheetSettings odd = s;
  odd.values[settings::kSheetScale] = "20000";
  odd.values[settings::kSheetSystem] = "WGS84";
  odd.values[settings::kSheetFinished] = "yes";
  odd.values[settings::kSheetZonePrefix] = "2";
  EXPECT_EQ(settingsOf(fieldsOf(odd)).values,
            (std::array<std::string, 16>{"J50", "39", "116", "10000", "CGCS2000", "2", "t", "1", "0", "national", "", "",
                                         "", "1000", "", ""}));
}

SheetFields square(const char* number, int scale = 1000, std::optional<geodesy::SquareSize> size = {}) {
  SheetFields f;
  f.division = Division::Square;
  f.squareNumber = number, f.squareScale = scale, f.sheetSize = size;
  return f;
}

TEST(SheetForm, TheLineUnderASquareNumber) {
  const std::pair<SheetFields, NumberNote> cases[] = {
      {square(" 3810.50-525.5 "), {false, "3810.5-525.5  1:1,000  50x50 cm  实地 500 × 500 m\n"
                                          "西南角 x 3810500  y 525500    东北角 x 3811000  y 526000"}},
      {square("10.2-27.75", 500, geodesy::SquareSize{50, 40}),
       {false, "10.20-27.75  1:500  50x40 cm  实地 250 × 200 m\n西南角 x 10200  y 27750    东北角 x 10400  y 28000"}},
      {square("4000-500", 5000), {false, "4000-500  1:5,000  40x40 cm  实地 2000 × 2000 m\n"
                                          "西南角 x 4000000  y 500000    东北角 x 4002000  y 502000"}},
      {square("3810.3-525.5"), {true, "square sheet \"3810.3-525.5\": x 3810.3 km is not on a 500 m boundary at 1:1,000 "
                                      "with 50x50 cm sheets"}},
      {square("", 5000, geodesy::SquareSize{50, 50}),
       {true, "sheet size 50x50 at 1:5,000: 50 cm is 2500 m, which a number with 0 decimals of km cannot hold"}},
      {square(""), {false, kSquareNumberExample}},
      {fields("J50G097001"), {true, numberNote("J50G097001").text}},  // national: the number's line
  };
  for (const auto& [f, note] : cases) {
    EXPECT_EQ(numberNote(f).fault, note.fault) << f.squareNumber;
    EXPECT_EQ(numberNote(f).text, note.text) << f.squareNumber;
  }
}

TEST(SheetForm, FindAndRefusalsOnSquareSheets) {
  struct Case {
    const char *x, *y;
    SheetFields f;
    std::string number, refusal;
  };
  const Case cases[] = {
      {"3810600.2", " 525999.99", square(""), "3810.5-525.5", ""},
      {"10250", "27750", square("", 500, geodesy::SquareSize{40, 40}), "10.20-27.60", ""},
      {"3810600", "5e5x", square(""), "", "y（东）：“5e5x”不是数（m）"},
      {"-1", "525000", square(""), "", "x（北）：square sheets start at x 0 and y 0: the point lies south or west of them"},
      {"3810600", "-0.5", square(""), "", "y（东）：square sheets start at x 0 and y 0: the point lies south or west of them"},
      {"0", "0", square("", 5000, geodesy::SquareSize{50, 40}), "",
       "图幅尺寸：sheet size 50x40 at 1:5,000: 50 cm is 2500 m, which a number with 0 decimals of km cannot hold"},
      {"0", "0", square("", 10000), "", "比例尺：no square sheets at 1:10,000; the scales are 1:5,000, 1:2,000, 1:1,000 and 1:500"},
  };
  for (Case c : cases) {
    c.f.northing = c.x, c.f.easting = c.y;
    const Found found = findSheet(c.f);
    EXPECT_EQ(found.number, c.number) << c.x << " " << c.y;
    EXPECT_EQ(found.refusal, c.refusal.empty() ? "" : c.refusal + kNotDrawn) << c.x << " " << c.y;
    // 绘图 refuses the same size and scale, and a number the line shows in red, naming the field.
    if (c.refusal.starts_with("图幅尺寸") || c.refusal.starts_with("比例尺")) {
      EXPECT_EQ(requestOf(c.f).refusal, c.refusal + kNotDrawn);
    }
  }
  EXPECT_EQ(requestOf(square("3810.3-525.5")).refusal, refusalText("图号", numberNote(square("3810.3-525.5")).text));
  EXPECT_FALSE(requestOf(square("3810.5-525.5")).request);
}

TEST(SheetForm, WhichFieldsCountInEachDivision) {
  using namespace settings;
  const SheetFieldIndex checked[] = {kSheetSize, kSheetGrid, kSheetTitle, kSheetFinished, kSheetZonePrefix, kSheetNumber};
  const struct {
    Division division;
    bool finished;
    std::array<bool, 6> counted;
    SheetFieldIndex number;
  } cases[] = {
      {Division::National, true, {false, true, true, true, true, true}, kSheetNumber},
      {Division::National, false, {false, false, false, true, true, true}, kSheetNumber},
      {Division::Square, false, {true, false, true, false, false, true}, kSheetSquareNumber},
  };
  for (const auto& c : cases) {
    SheetFields f;
    f.division = c.division, f.finished = c.finished;
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(counts(f, checked[i]), c.counted[i]) << kSheetFields[checked[i]].key;
    EXPECT_EQ(numberField(f), c.number);
    f.number = "J50G015010";
    EXPECT_EQ(gridHint(f), c.division == Division::Square ? "" : "1（默认）");
  }
}

TEST(SheetForm, SquareFieldsAreRememberedAndListed) {
  const auto squareValues = [](const settings::SheetSettings& s) {
    return std::vector<std::string>(s.values.begin() + settings::kSheetDivision, s.values.end());
  };
  SheetFields f = square("10.25-27.75", 500, geodesy::SquareSize{50, 40});
  f.northing = "10260", f.easting = "27790.1", f.squareSystem = "城建坐标系";
  settings::SheetSettings s = settingsOf(f);
  EXPECT_EQ(squareValues(s), (std::vector<std::string>{"square", "10.25-27.75", "10260", "27790.1", "500", "50x40", "城建坐标系"}));
  EXPECT_EQ(settingsOf(fieldsOf(s)).values, s.values);
  s.values[settings::kSheetDivision] = "Square";
  s.values[settings::kSheetSquareScale] = "10000";
  s.values[settings::kSheetSize] = "50x50 cm";
  EXPECT_EQ(squareValues(settingsOf(fieldsOf(s))),
            (std::vector<std::string>{"national", "10.25-27.75", "10260", "27790.1", "1000", "", "城建坐标系"}));
  const auto listed = [](settings::SheetFieldIndex field) {
    std::string out;
    for (const ChoiceItem& i : choiceItems(field)) out += i.title + "=" + i.value + ";";
    return out;
  };
  EXPECT_EQ(listed(settings::kSheetDivision), "经纬度分幅=national;正方形分幅=square;");
  EXPECT_EQ(listed(settings::kSheetSquareScale), "1:5,000=5000;1:2,000=2000;1:1,000=1000;1:500=500;");
  EXPECT_EQ(listed(settings::kSheetSize), "按比例尺=;50x50 cm=50x50;50x40 cm=50x40;40x40 cm=40x40;");
  EXPECT_EQ(listed(settings::kSheetSquareSystem),
            "2000国家大地坐标系=2000国家大地坐标系;1954年北京坐标系=1954年北京坐标系;1980西安坐标系=1980西安坐标系;");
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
  answer = dir.file("c.dxf");
  EXPECT_EQ(saveSheetDxf(square("10.25-27.75", 500), {}, choose).outcome.number, "10.25-27.75");
  EXPECT_EQ(suggested, (std::vector<std::string>{"J50G003040.dxf", "J50G003040.dxf", "J50G003040.dxf", "10.25-27.75.dxf"}));
  EXPECT_EQ(testing::entries(dir.path()), (std::vector<std::string>{"a.dxf", "c.dxf"}));
}

}  // namespace
}  // namespace veskar::mapsheet
