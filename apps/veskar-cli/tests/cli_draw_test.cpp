// veskar-cli draw as a user runs it: a process, its files, its output and exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "cad/tests/readback.h"
#include "geodesy/geodesy.h"
#include "geodesy/sheets.h"
#include "platform/testing/testing.h"

namespace {

using Args = std::vector<std::string>;

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun cli(const Args& args, const std::string& workDir = {}) {
  Args all{"draw"};
  all.insert(all.end(), args.begin(), args.end());
  const auto r = veskar::testing::run(VESKAR_CLI, all, {}, {{"LC_ALL", "C.UTF-8"}, {"QT_QPA_PLATFORM", "offscreen"}},
                                      workDir);
  return {r.status, r.out, r.err};
}

// The entity kinds of a DXF file in order, as ezdxf reads them ("TEXT <text>", "LWPOLYLINE 5"
// with its vertex count); a failed reading or a faulty audit fails the test.
std::vector<std::string> entityKinds(const std::string& path) {
  const veskar::testing::DxfReadback r = veskar::testing::readDxf(path);
  veskar::testing::expectCleanAudit(r);
  return veskar::testing::entityKinds(r);
}

std::vector<std::string> slice(const std::vector<std::string>& v, std::size_t from, std::size_t n) {
  return {v.begin() + static_cast<long>(from), v.begin() + static_cast<long>(std::min(v.size(), from + n))};
}

std::string joined(const Args& a) {
  std::string s;
  for (const auto& x : a) s += (s.empty() ? "" : " ") + x;
  return s;
}

TEST(CliDraw, TheWindowsFirstStartValuesByDefault) {
  veskar::testing::TempDir dir;
  const std::string path = dir.file("default.dxf");
  const CliRun r = cli({"-o", path});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // 114°00′, 3 meridians 15′ apart; 29°00′, 5 parallels 10′ apart; about 115°15′.
  EXPECT_EQ(r.out, "drew 5 parallels, 3 meridians and 30 labels (Beijing 1954) into " + path +
                       "; intersections from E 378194.158 N 3209558.289 to E 427392.387 N "
                       "3283875.322 m\n");
  const std::vector<std::string> kinds = entityKinds(path);
  ASSERT_EQ(kinds.size(), 30u + 8u);
  EXPECT_EQ(slice(kinds, 0, 7), (std::vector<std::string>{"TEXT 114°00′", "TEXT 29°00′", "TEXT 114°15′", "TEXT 29°00′",
                                                          "TEXT 114°30′", "TEXT 29°00′", "LWPOLYLINE 3"}));
  EXPECT_EQ(kinds.back(), "LWPOLYLINE 5");
  // vesk.ini is neither read nor written: not beside the program, not in the working directory.
  EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{"default.dxf"});
}

TEST(CliDraw, WorkedExampleWithIag75) {
  veskar::testing::TempDir dir;
  const std::string path = dir.file("worked.dxf");
  const CliRun r = cli({"--start-longitude", "114", "--meridians=5", "--start-latitude", "29.2",
                        "--parallels", "10", "--longitude-spacing", "0.15", "--latitude-spacing",
                        "0.1", "--central-meridian", "115.15", "--iag75", "-o", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.starts_with("drew 10 parallels, 5 meridians and 100 labels (IAG 1975) into "));
  const std::vector<std::string> kinds = entityKinds(path);
  ASSERT_EQ(kinds.size(), 100u + 15u);
  EXPECT_EQ(kinds[1], "TEXT 29°20′");
  // The last text, before the last parallel and the five meridians.
  EXPECT_EQ(kinds[kinds.size() - 7], "TEXT 30°50′");
}

// Refused input: the Draw command's message with the option named, exit status 1, no file.
TEST(CliDraw, RefusedInputWritesNoFile) {
  const struct {
    Args args;
    std::string errHas;
  } cases[] = {
      {{"--meridians", "1e999"}, "经线根数：“1e999”读出的数值不是有限数。 (--meridians)"},
      // "nan" is not a number: reads 0, which puts the meridians 114° from it.
      {{"--central-meridian", "nan"}, "meridians 114.500° from the central meridian: farther than 20°"},
      {{"--meridians", "501", "--parallels", "500"},
       "经线根数 × 纬线根数：501 × 500 = 250500 个交点，超出了上限 250000（500 × 500）。 (--meridians, --parallels)"},
      {{"--start-latitude", "40000"}, "起始纬度：40000 度超出了角度换算的 16 位度数范围（最多 32767 度）。 (--start-latitude)"},
      {{"--longitude-spacing", "1e300"}, "(--longitude-spacing)"},
  };
  for (const auto& c : cases) {
    veskar::testing::TempDir dir;
    const std::string path = dir.file("refused.dxf");
    Args args = c.args;
    args.insert(args.end(), {"-o", path});
    const CliRun r = cli(args);
    if (c.errHas.empty()) {
      EXPECT_EQ(r.status, 0) << joined(c.args) << r.err;
      continue;
    }
    EXPECT_EQ(r.status, 1) << joined(c.args);
    EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
    EXPECT_TRUE(r.err.ends_with("veskar-cli draw: nothing drawn, no file written\n")) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{});
  }
}

// The fields' central meridian from a zone's number, and eastings with that number in front.
TEST(CliDraw, ZoneByNumberAndEastingsWithIt) {
  veskar::testing::TempDir dir;
  const Args fields = {"--start-longitude", "116", "--start-latitude", "39.5", "--meridians", "2", "--parallels", "2"};
  Args plainArgs = fields, zonedArgs = fields;
  plainArgs.insert(plainArgs.end(), {"--central-meridian", "117", "-o", dir.file("plain.dxf")});
  zonedArgs.insert(zonedArgs.end(), {"--zone", "20", "--zone-width", "6", "--zone-prefix", "-o", dir.file("zoned.dxf")});
  const CliRun plain = cli(plainArgs), zoned = cli(zonedArgs);
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_EQ(zoned.status, 0) << zoned.err;
  const auto a = veskar::testing::readDxf(dir.file("plain.dxf")), b = veskar::testing::readDxf(dir.file("zoned.dxf"));
  ASSERT_EQ(a.entities.size(), b.entities.size());
  for (std::size_t k = 0; k < a.entities.size(); ++k) {
    if (a.entities[k].type != "LWPOLYLINE") continue;
    EXPECT_EQ(b.entities[k].points[0][0], a.entities[k].points[0][0] + 20e6);
    EXPECT_EQ(b.entities[k].points[0][1], a.entities[k].points[0][1]);
  }
}

TEST(CliDraw, SkippedLinesAreSaid) {
  veskar::testing::TempDir dir;
  const std::string path = dir.file("one.dxf");
  CliRun r = cli({"--meridians", "1", "--parallels", "4", "-o", path});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "veskar-cli draw: 只有一根经线：纬线只有一个顶点，不绘制纬线。\n");
  EXPECT_TRUE(r.out.starts_with("drew 0 parallels, 1 meridian and 8 labels (Beijing 1954)")) << r.out;
  EXPECT_EQ(entityKinds(path).back(), "LWPOLYLINE 4");

  r = cli({"--parallels", "abc", "-o", path});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "veskar-cli draw: 纬线根数小于 1：没有纬线，不绘制任何线和注记。\n");
  EXPECT_EQ(r.out, "drew 0 parallels, 0 meridians and 0 labels (Beijing 1954) into " + path + "\n");
  EXPECT_EQ(entityKinds(path), std::vector<std::string>{});
}

TEST(CliDraw, UsageErrorsAndUnwritableFiles) {
  const struct {
    Args args;
    int status;
    std::string errStart;
  } cases[] = {
      {{}, 2, "veskar-cli draw: say where to draw: -o FILE.dxf"},
      {{"--bogus", "-o", "x.dxf"}, 2, "veskar-cli draw: unknown option --bogus\n"},
      {{"-o"}, 2, "veskar-cli draw: -o needs a value\n"},
      {{"--iag75=1", "-o", "x.dxf"}, 2, "veskar-cli draw: unknown option --iag75=1\n"},
      {{"-o", "/nonexistent-dir/x.dxf"}, 1, "veskar-cli draw: "},
      {{"--zone", "20", "--zone-width", "6", "--central-meridian", "117", "-o", "x.dxf"}, 2,
       "veskar-cli draw: --zone and --central-meridian exclude each other"},
      {{"--zone-prefix", "-o", "x.dxf"}, 2, "veskar-cli draw: --zone-prefix needs --zone\n"},
      {{"--zone", "61", "--zone-width", "6", "-o", "x.dxf"}, 2, "veskar-cli draw: "},
  };
  veskar::testing::TempDir dir;
  for (const auto& c : cases) {
    const CliRun r = cli(c.args, dir.path());
    EXPECT_EQ(r.status, c.status) << joined(c.args);
    EXPECT_TRUE(r.err.starts_with(c.errStart)) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{});
  const CliRun help = cli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("usage: veskar-cli draw"));
}

}  // namespace

namespace {

// Distance from `p` to the polyline's nearest segment.
double offPolyline(const veskar::testing::DxfEntity& line, double x, double y) {
  double best = 1e300;
  for (std::size_t k = 0; k + 1 < line.points.size(); ++k) {
    const auto& a = line.points[k];
    const auto& b = line.points[k + 1];
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    const double t = std::clamp(((x - a[0]) * dx + (y - a[1]) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    best = std::min(best, std::hypot(x - a[0] - t * dx, y - a[1] - t * dy));
  }
  return best;
}

// A sheet's bare frame read back: corners where the projection puts them, labels in D°M′S″ where a
// corner is off a whole minute, 3 mm high on paper, the number above it, and every edge within
// 0.05 mm on paper of the true parallel or meridian.
TEST(CliDraw, MapSheetFramesAtSeveralScales) {
  using namespace veskar::geodesy;
  const struct {
    const char* number;
    std::vector<std::string> labels;  // SW longitude, SW latitude, SE longitude, NE latitude
  } cases[] = {
      {"J50H005080", {"116°28′07.5″", "39°53′45″", "116°30′", "39°55′"}},
      {"J50G015010", {"114°33′45″", "39°22′30″", "114°37′30″", "39°25′"}},
      {"J50E001010", {"116°15′", "39°50′", "116°30′", "40°00′"}},
      {"J50C001002", {"115°30′", "39°00′", "117°00′", "40°00′"}},
      {"J50", {"114°00′", "36°00′", "120°00′", "40°00′"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    veskar::testing::TempDir dir;
    const std::string path = dir.file("sheet.dxf");
    const CliRun r = cli({"--sheet", c.number, "--frame-only", "-o", path});
    ASSERT_EQ(r.status, 0) << r.err;
    const MapSheet s = ParseSheetNumber(c.number);
    const SheetBounds b = BoundsOf(s);
    const auto p = LoadProjectionParameters(CoordinateSystem::CGCS2000);
    const double cm = ZoneOf(s).centralMeridian, paper = s.scaleDenominator / 1000.0;
    const auto plane = [&](double B, double L) { return XY(Degdms(B), Degdms(L), cm, p); };

    const veskar::testing::DxfReadback d = veskar::testing::readDxf(path);
    veskar::testing::expectCleanAudit(d);
    ASSERT_EQ(d.entities.size(), 8u + 4u + 1u);
    const std::size_t texts[] = {0, 1, 2, 6};  // SW lon, SW lat, SE lon, NE lat
    for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(d.entities[texts[k]].text, c.labels[k]);
    EXPECT_DOUBLE_EQ(d.entities[0].height, 3 * paper);
    EXPECT_EQ(d.entities.back().text, c.number);
    // The corners, and the edges: south, north, west, east.
    const double W = ArcUnitsToDegrees(b.west), E = ArcUnitsToDegrees(b.east);
    const double S = ArcUnitsToDegrees(b.south), N = ArcUnitsToDegrees(b.north);
    const PlanePoint sw = XY(ArcUnitsToPacked(b.south), ArcUnitsToPacked(b.west), cm, p);
    EXPECT_NEAR(d.entities[4].points.front()[0], sw.y, 1e-6);
    EXPECT_NEAR(d.entities[4].points.front()[1], sw.x, 1e-6);
    const PlanePoint ne = XY(ArcUnitsToPacked(b.north), ArcUnitsToPacked(b.east), cm, p);
    EXPECT_NEAR(d.entities[9].points.back()[0], ne.y, 1e-6);
    EXPECT_NEAR(d.entities[9].points.back()[1], ne.x, 1e-6);
    const struct { std::size_t entity; double b0, l0, b1, l1; } edges[] = {
        {4, S, W, S, E}, {9, N, W, N, E}, {10, S, W, N, W}, {11, S, E, N, E}};
    for (const auto& e : edges) {
      double worst = 0;
      for (int k = 0; k <= 400; ++k) {
        const PlanePoint t = plane(e.b0 + (e.b1 - e.b0) * k / 400, e.l0 + (e.l1 - e.l0) * k / 400);
        worst = std::max(worst, offPolyline(d.entities[e.entity], t.y, t.x));
      }
      EXPECT_LE(worst, 0.05 * paper) << "edge " << e.entity;
    }
  }
}

}  // namespace

namespace {

// The bare frame is the frame drawn before the finished one existed, to the byte.
TEST(CliDraw, FrameOnlyIsTheBareFrameToTheByte) {
  veskar::testing::TempDir dir;
  const std::string path = dir.file("bare.dxf");
  const CliRun r = cli({"--sheet", "J50G015010", "--frame-only", "-o", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "drew 2 parallels, 2 meridians, 8 labels and the sheet number J50G015010 (CGCS2000) into " + path +
                       "; intersections from E 548440.426 N 4360287.072 to E 553854.763 N 4364948.493 m\n");
  EXPECT_EQ(veskar::testing::readBytes(path), veskar::testing::readBytes(VESKAR_CLI_TEST_DATA "/J50G015010-frame-only.dxf"));
}

// The finished sheet read back by ezdxf: every element on its layer, the outer frame 1 mm wide.
TEST(CliDraw, FinishedSheetOnItsLayers) {
  veskar::testing::TempDir dir;
  const std::string path = dir.file("finished.dxf");
  const CliRun r = cli({"--sheet", "J-50-5-(24)", "--title", "高碑店", "--zone-prefix", "-o", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.starts_with("drew the finished sheet J50G003040 (1:10,000, 3° zone 39, CGCS2000): ")) << r.out;
  const veskar::testing::DxfReadback d = veskar::testing::readDxf(path);
  veskar::testing::expectCleanAudit(d);
  std::map<std::string, std::map<std::string, int>> kinds;  // layer -> type -> count
  for (const auto& e : d.entities) ++kinds[e.layer][e.type];
  EXPECT_EQ(kinds["图廓"], (std::map<std::string, int>{{"LINE", 10}, {"LWPOLYLINE", 2}, {"TEXT", 8}}));
  EXPECT_EQ(kinds["方里网"]["LINE"] * 2, kinds["方里网"]["TEXT"]);
  EXPECT_EQ(kinds["注记"]["TEXT"], 5);
  EXPECT_EQ(kinds["接图表"], (std::map<std::string, int>{{"LINE", 6}, {"LWPOLYLINE", 1}, {"TEXT", 8}}));
  EXPECT_EQ(kinds.count("0"), 0u);
  ASSERT_GE(d.entities.size(), 20u);
  const auto& outer = d.entities[19];  // after the inner frame, 10 ticks and 8 corner labels
  EXPECT_TRUE(outer.closed);
  EXPECT_EQ(outer.constantWidth, 10.0);  // 1 mm at 1:10,000
  EXPECT_GT(outer.points[0][0], 39e6);   // eastings with the zone number
}

TEST(CliDraw, SheetRefusalsWriteNoFile) {
  const struct {
    Args args;
    int status;
    std::string err;
  } cases[] = {
      {{"--sheet", "J50G097001"}, 1, "veskar-cli draw: --sheet J50G097001: sheet number \"J50G097001\": row 097 is outside"},
      {{"--sheet", "J50G015010", "--grid", "0.004"}, 1, "veskar-cli draw: grid interval 0.004 km: 2519 grid lines, more than 1000\n"},
      {{"--sheet", "J50G015010", "--grid", "-2"}, 1, "veskar-cli draw: grid interval -2 km: give a positive number"},
      {{"--sheet", "J50G015010", "--grid", "abc"}, 2, "veskar-cli draw: --grid takes the interval in km"},
      {{"--sheet", "J50G015010", "--frame-only", "--title", "x"}, 2, "veskar-cli draw: --title belongs to the finished frame"},
      {{"--sheet", "J50G015010", "--label-height", "5"}, 2, "veskar-cli draw: --label-height sets the labels of --frame-only"},
      {{"--sheet", "J50G015010", "--meridians", "3"}, 2, "veskar-cli draw: --sheet gives the meridians and parallels itself"},
      {{"--grid", "1"}, 2, "veskar-cli draw: --grid goes with --sheet, --square or --index\n"},
      {{"--square", "--scale", "500"}, 2, "veskar-cli draw: --square needs the sheet's number (3810.5-525.5), or --index"},
  };
  for (const auto& c : cases) {
    veskar::testing::TempDir dir;
    Args args = c.args;
    args.insert(args.end(), {"-o", dir.file("refused.dxf")});
    const CliRun r = cli(args);
    EXPECT_EQ(r.status, c.status) << joined(c.args);
    EXPECT_TRUE(r.err.starts_with(c.err)) << r.err;
    EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{});
  }
}

}  // namespace

namespace {

// A finished 1:500 square sheet read back: crosses, ticks and corner coordinates on their layers.
TEST(CliDraw, SquareSheetOnItsLayers) {
  veskar::testing::TempDir dir;
  const std::string path = dir.file("square.dxf");
  const CliRun r = cli({"--square", "10.25-27.75", "--scale", "500", "--system", "独立坐标系", "-o", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.starts_with("drew the square sheet 10.25-27.75 (1:500, 50x50 cm): 76 entities, into ")) << r.out;
  const veskar::testing::DxfReadback d = veskar::testing::readDxf(path);
  veskar::testing::expectCleanAudit(d);
  std::map<std::string, std::map<std::string, int>> kinds;
  for (const auto& e : d.entities) ++kinds[e.layer][e.type];
  EXPECT_EQ(kinds["图廓"], (std::map<std::string, int>{{"LWPOLYLINE", 2}, {"TEXT", 8}}));
  EXPECT_EQ(kinds["方里网"], (std::map<std::string, int>{{"LINE", 32 + 16}}));
  EXPECT_EQ(kinds["注记"]["TEXT"], 3);
  EXPECT_EQ(d.entities[0].points, (std::vector<std::array<double, 2>>{{27750, 10250}, {28000, 10250}, {28000, 10500}, {27750, 10500}}));

  const CliRun refused = cli({"--square", "10.30-27.75", "--scale", "500", "-o", path + "2"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.err.starts_with("veskar-cli draw: --square 10.30-27.75: square sheet")) << refused.err;
  EXPECT_EQ(cli({"--square", "10.25-27.75", "-o", path + "2"}).status, 2);  // no scale
  EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{"square.dxf"});
}

}  // namespace
