// veskar-cli sheets and draw --index as a user runs them: the sheets of survey areas listed, as
// JSON and as GeoJSON read back by GDAL's ogrinfo, their index map read back by ezdxf, and the
// refusals, each leaving no file.
#include <gtest/gtest.h>

#include <set>

#include "cad/tests/readback.h"
#include "platform/testing/testing.h"

namespace {

using Args = std::vector<std::string>;
using veskar::testing::ProcessResult;

ProcessResult cli(const Args& args) {
  return veskar::testing::run(VESKAR_CLI, args, {}, {{"LC_ALL", "C.UTF-8"}, {"QT_QPA_PLATFORM", "offscreen"}});
}

// The first field of every line.
std::vector<std::string> numbers(const std::string& listing) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at < listing.size(); at = listing.find('\n', at) + 1)
    out.push_back(listing.substr(at, listing.find(' ', at) - at));
  return out;
}

// An L-shaped area of 3 x 3 sheets of 1:10,000 without its north-eastern 2 x 2 sheets, as lines
// "B L"; a triangle across 40° N (J/K), 114° E (49/50, the 6° zones) and 115°30′ E (3° zones).
const char* const kLShape = "# L\n39.20 116\n39.20 116.1115\n39.2230 116.1115\n39.2230 116.0345\n39.2730 116.0345\n39.2730 116\n";
const char* const kTriangle = R"({"type":"Feature","geometry":{"type":"Polygon","coordinates":)"
                              R"([[[113.8333333333,39.8333333333],[115.6666666667,39.8333333333],[114,40.1666666667]]]}})";

TEST(CliSheets, ListsTheSheetsAnAreaTouches) {
  veskar::testing::TempDir dir;
  veskar::testing::writeBytes(dir.file("l.txt"), kLShape);
  veskar::testing::writeBytes(dir.file("t.geojson"), kTriangle);
  // A rectangle on sheet edges: its four sheets and no neighbour.
  ProcessResult r = cli({"sheets", "--scale", "10000", "--within", "39.2", "116", "39.25", "116.073"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "J50G015033  J-50-17-(49)   39°22′30″–39°25′00″ N  116°00′00″–116°03′45″ E\n"
            "J50G015034  J-50-17-(50)   39°22′30″–39°25′00″ N  116°03′45″–116°07′30″ E\n"
            "J50G016033  J-50-17-(57)   39°20′00″–39°22′30″ N  116°00′00″–116°03′45″ E\n"
            "J50G016034  J-50-17-(58)   39°20′00″–39°22′30″ N  116°03′45″–116°07′30″ E\n");
  r = cli({"sheets", "--scale", "10000", "--area", dir.file("l.txt")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(numbers(r.out), (std::vector<std::string>{"J50G014033", "J50G015033", "J50G016033", "J50G016034", "J50G016035"}));
  r = cli({"sheets", "--scale", "50000", "--area", dir.file("t.geojson")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> listed = numbers(r.out);
  EXPECT_EQ(listed.size(), 13u);
  std::set<std::string> millions;
  for (const std::string& n : listed) millions.insert(n.substr(0, 3));
  EXPECT_EQ(millions, (std::set<std::string>{"J49", "J50", "K49", "K50"}));
  EXPECT_EQ(listed.front(), "K49E024024");  // the north-west: 113°45′-114°00′ E, 40°00′-40°10′ N
}

// 1:500 square sheets (250 m) from x 10 km, y 27.5 km: an L of three sheets up and three east,
// without its north-eastern 2 x 2 sheets, as lines "x y".
const char* const kSquareL = "# site\n10000 27500\n10000, 28250\n10250 28250\n10250 27750\n10750 27750\n10750 27500\n";

TEST(CliSheets, SquareSheetsOfAPlaneArea) {
  veskar::testing::TempDir dir;
  veskar::testing::writeBytes(dir.file("l.txt"), kSquareL);
  // A rectangle on sheet edges: its four sheets and no neighbour.
  ProcessResult r = cli({"sheets", "--square", "--scale", "500", "--within", "10000", "27500", "10500", "28000"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "10.25-27.50  x 10250–10500  y 27500–27750\n"
            "10.25-27.75  x 10250–10500  y 27750–28000\n"
            "10.00-27.50  x 10000–10250  y 27500–27750\n"
            "10.00-27.75  x 10000–10250  y 27750–28000\n");
  r = cli({"sheets", "--square", "--scale", "500", "--area", dir.file("l.txt")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(numbers(r.out), (std::vector<std::string>{"10.50-27.50", "10.25-27.50", "10.00-27.50", "10.00-27.75", "10.00-28.00"}));
  // --json: the objects of square --json, y with the zone number; 50x40 cm sheets 250 x 200 m.
  const Args zone{"--scale", "500", "--sheet-size", "50x40", "--zone", "39", "--zone-width", "3", "--zone-prefix", "--json"};
  Args args{"sheets", "--square", "--within", "10000", "39027500", "10200.001", "39027750"};
  args.insert(args.end(), zone.begin(), zone.end());
  r = cli(args);
  ASSERT_EQ(r.status, 0) << r.err;
  std::string expected = "[";
  for (const char* n : {"10.20-39027.50", "10.00-39027.50"}) {
    Args one{"square", n};
    one.insert(one.end(), zone.begin(), zone.end());
    const ProcessResult object = cli(one);
    expected += (expected.size() > 1 ? ",\n" : "\n") + object.out.substr(0, object.out.size() - 1);
  }
  EXPECT_EQ(r.out, expected + "\n]\n");
}

TEST(CliSheets, JsonHoldsTheObjectsOfSheetJson) {
  const ProcessResult r = cli({"sheets", "--scale", "10000", "--within", "39.2", "116", "39.25", "116.073", "--json", "--iag75"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string expected = "[";
  for (const char* n : {"J50G015033", "J50G015034", "J50G016033", "J50G016034"}) {
    const ProcessResult one = cli({"sheet", n, "--json", "--iag75"});
    expected += (expected.size() > 1 ? ",\n" : "\n") + one.out.substr(0, one.out.size() - 1);
  }
  EXPECT_EQ(r.out, expected + "\n]\n");
}

TEST(CliSheets, GeoJsonOpensInGdal) {
  veskar::testing::TempDir dir;
  const std::string path = dir.file("sheets.geojson");
  ProcessResult r = cli({"sheets", "--scale", "10000", "--within", "39.2", "116", "39.25", "116.073", "--geojson", "-o", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  r = veskar::testing::run("/usr/bin/ogrinfo", {"-ro", "-al", "-so", path});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* has : {"Geometry: Polygon\n", "Feature Count: 4\n", "GEOGCRS[\"China Geodetic Coordinate System 2000\"",
                          "number: String", "old_number: String", "scale: Integer"})
    EXPECT_NE(r.out.find(has), std::string::npos) << has << "\n" << r.out;
  r = veskar::testing::run("/usr/bin/ogrinfo", {"-ro", "-al", "-q", path});
  EXPECT_NE(r.out.find("OGRFeature(sheets):3\n  number (String) = J50G016034\n  old_number (String) = J-50-17-(58)\n"
                       "  scale (Integer) = 10000\n  POLYGON ((116.0625 39.3333333333333,116.078125 39.3333333333333,"),
            std::string::npos)
      << r.out;
}

// Every refusal names what is wrong and leaves no file, from sheets and from draw --index alike.
TEST(CliSheets, RefusalsWriteNothing) {
  veskar::testing::TempDir dir;
  const struct {
    const char* name;
    std::string content;
  } files[] = {
      {"bad.txt", "39.2 116\n39.2x 116.1\n"},
      {"bad.geojson", R"({"type":"Polygon","coordinates":[[[116,39],[116.1,39],[116.1]]]})"},
      {"two.txt", "39.2 116\n39.3 116\n39.2 116\n"},
      {"bowtie.txt", "39.2 116\n39.2 116.1\n39.3 116\n39.3 116.1\n"},
      {"north.txt", "87 116\n88.01 116\n87 117\n"},
      {"xy.txt", "10000 27500\n10000 2.8e4\n"},
  };
  for (const auto& f : files) veskar::testing::writeBytes(dir.file(f.name), f.content);
  const struct {
    Args area;
    std::string errHas;
  } cases[] = {
      {{"--scale", "10000", "--area", dir.file("bad.txt")}, dir.file("bad.txt") + ": line 2: \"39.2x\" is not a number\n"},
      {{"--scale", "10000", "--area", dir.file("bad.geojson")},
       dir.file("bad.geojson") + ": $.coordinates[0][2]: a position [longitude, latitude] expected\n"},
      {{"--scale", "10000", "--area", dir.file("two.txt")}, ": lines 1-3: a ring needs at least three distinct vertices; this one has 2\n"},
      {{"--scale", "10000", "--area", dir.file("bowtie.txt")}, ": line 2: the polygon's boundary meets itself: the edge from here to line 3"},
      {{"--scale", "10000", "--area", dir.file("north.txt")}, ": line 2: 88°01′00″ N, 116°00′00″ E is north of 88° N, where the sheets end\n"},
      {{"--scale", "5000", "--within", "30", "100", "40", "110"}, ": the area touches 153,600 sheets of 1:5,000; at most 100,000 are listed or drawn\n"},
      {{"--scale", "3000", "--within", "30", "100", "40", "110"}, ": no map sheets at 1:3000"},
      {{"--scale", "10000", "--within", "39.3", "116", "39.2", "116.1"}, ": --within: the south edge 39°30′00″ is not south of the north edge 39°20′00″\n"},
      {{"--scale", "10000", "--area", dir.file("none.txt")}, dir.file("none.txt") + ": "},
      {{"--square", "--scale", "500", "--within", "0", "0", "1000000", "1000000"},
       ": the area touches 16,000,000 square sheets of 1:500 (50x50 cm); at most 100,000 are listed or drawn\n"},
      {{"--square", "--scale", "10000", "--within", "0", "0", "1000", "1000"}, ": no square sheets at 1:10,000; the scales are"},
      {{"--square", "--scale", "5000", "--sheet-size", "50x50", "--within", "0", "0", "1000", "1000"},
       ": sheet size 50x50 at 1:5,000: 50 cm is 2500 m"},
      {{"--square", "--scale", "500", "--area", dir.file("xy.txt")}, dir.file("xy.txt") + ": line 2: \"2.8e4\" is not a number of metres\n"},
      {{"--square", "--scale", "500", "--area", dir.file("bad.txt")}, ": line 2: \"39.2x\" is not a number of metres\n"},
      {{"--square", "--scale", "500", "--within", "-1", "0", "1000", "1000"}, ": --within: x -1, y 0 lies south of x 0, where the square sheets start\n"},
      {{"--square", "--scale", "500", "--zone", "39", "--zone-width", "3", "--zone-prefix", "--within", "0", "38000000", "1", "38000001"},
       ": --within: y 38000000 carries zone 38, not 39\n"},
  };
  for (const auto& c : cases) {
    for (const char* command : {"sheets", "draw"}) {
      const std::string out = dir.file("out");
      Args args{command};
      if (std::string(command) == "draw") args.push_back("--index");
      args.insert(args.end(), c.area.begin(), c.area.end());
      args.insert(args.end(), {"-o", out});
      const ProcessResult r = cli(args);
      EXPECT_EQ(r.status, 1) << command << " " << c.errHas;
      EXPECT_NE(r.err.find(std::string("veskar-cli ") + command + ": "), std::string::npos) << r.err;
      EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(veskar::testing::readBytes(out), "<unreadable>") << command << " wrote " << out;
    }
  }
  // Usage errors, with square sheets: plane coordinates have no GeoJSON and no geodetic system.
  const std::pair<Args, std::string> usage[] = {
      {{"sheets", "--square", "--geojson"}, "veskar-cli sheets: --geojson writes longitude and latitude; square sheets are in plane coordinates"},
      {{"sheets", "--square", "--cgcs2000"}, "veskar-cli sheets: square sheets are in plane coordinates, which no geodetic system"},
      {{"draw", "--index", "--square", "--beijing54"}, "veskar-cli draw: square sheets are in plane coordinates, which no geodetic system"},
      {{"sheets", "--zone-prefix"}, "veskar-cli sheets: --zone-prefix goes with --square\n"},
      {{"draw", "--index", "--square", "0.00-0.00"}, "veskar-cli draw: --index --square draws the square sheets of an area; leave out the number 0.00-0.00\n"},
  };
  for (const auto& [args, errHas] : usage) {
    Args all = args;
    all.insert(all.end(), {"--scale", "500", "--within", "0", "0", "1000", "1000", "-o", dir.file("out")});
    const ProcessResult r = cli(all);
    EXPECT_EQ(r.status, 2) << errHas;
    EXPECT_TRUE(r.err.starts_with(errHas)) << r.err;
    EXPECT_EQ(veskar::testing::readBytes(dir.file("out")), "<unreadable>") << errHas;
  }
}

// The index map read back: frames on 图廓, numbers at the centres on 注记, the boundary on 测区范围.
TEST(CliSheets, IndexMapInDxf) {
  veskar::testing::TempDir dir;
  veskar::testing::writeBytes(dir.file("l.txt"), kLShape);
  const std::string path = dir.file("index.dxf");
  ProcessResult r = cli({"draw", "--index", "--scale", "10000", "--area", dir.file("l.txt"), "-o", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "drew 5 sheet frames of 1:10,000 with their numbers and the area's boundary (1 ring) in 3° zone 39, "
                   "central meridian 117° E (CGCS2000) into " + path + "\n");
  const veskar::testing::DxfReadback d = veskar::testing::readDxf(path);
  veskar::testing::expectCleanAudit(d);
  EXPECT_EQ(d.layers, (std::vector<std::string>{"0", "图廓", "注记", "测区范围", "Defpoints"}));  // the last one ezdxf's own
  ASSERT_EQ(d.entities.size(), 11u);
  EXPECT_EQ(d.entities[0].layer, "图廓");
  EXPECT_TRUE(d.entities[0].closed);
  EXPECT_EQ(d.entities[1].text, "J50G014033");
  EXPECT_EQ(d.entities[1].layer, "注记");
  EXPECT_EQ(d.entities[1].height, 300.0);
  EXPECT_EQ(d.entities[10].layer, "测区范围");
  EXPECT_EQ(d.entities[10].constantWidth, 50.0);
  EXPECT_EQ(d.entities[10].points.size(), 6u);

  // Far from the zone's meridian: warned about from 3°, refused beyond 20°.
  r = cli({"draw", "--index", "--scale", "1000000", "--within", "36", "108", "40", "126", "-o", path});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("veskar-cli draw: warning: points lie up to 9.000° from the central meridian"), std::string::npos) << r.err;
  r = cli({"draw", "--index", "--scale", "1000000", "--within", "20", "60", "24", "120", "-o", dir.file("far.dxf")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "veskar-cli draw: sheets 33.000° from the central meridian: farther than 20°, where the projection means nothing\n"
                   "veskar-cli draw: nothing drawn, no file written\n");
  EXPECT_EQ(veskar::testing::readBytes(dir.file("far.dxf")), "<unreadable>");
}

// The square sheets' index map read back: in the plane as given, at 1:5,000 for 1:500 sheets.
TEST(CliSheets, SquareIndexMapInDxf) {
  veskar::testing::TempDir dir;
  veskar::testing::writeBytes(dir.file("l.txt"), kSquareL);
  const std::string path = dir.file("index.dxf");
  const ProcessResult r = cli({"draw", "--index", "--square", "--scale", "500", "--area", dir.file("l.txt"), "-o", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "drew 5 square sheet frames of 1:500 (50x50 cm) with their numbers and the area's boundary (1 ring) into " +
                       path + "\n");
  const veskar::testing::DxfReadback d = veskar::testing::readDxf(path);
  veskar::testing::expectCleanAudit(d);
  EXPECT_EQ(d.layers, (std::vector<std::string>{"0", "图廓", "注记", "测区范围", "Defpoints"}));
  ASSERT_EQ(d.entities.size(), 11u);
  EXPECT_EQ(d.entities[0].layer, "图廓");
  EXPECT_TRUE(d.entities[0].closed);
  EXPECT_EQ(d.entities[0].points, (std::vector<std::array<double, 2>>{{27500, 10500}, {27750, 10500}, {27750, 10750}, {27500, 10750}}));
  EXPECT_EQ(d.entities[1].text, "10.50-27.50");
  EXPECT_EQ(d.entities[1].layer, "注记");
  EXPECT_EQ(d.entities[1].height, 15.0);
  EXPECT_EQ(d.entities[1].alignPoint, (std::array<double, 3>{27625, 10625, 0}));
  EXPECT_EQ(d.entities[10].layer, "测区范围");
  EXPECT_EQ(d.entities[10].color, 1);
  EXPECT_EQ(d.entities[10].constantWidth, 2.5);
  EXPECT_EQ(d.entities[10].points, (std::vector<std::array<double, 2>>{
                                       {27500, 10000}, {28250, 10000}, {28250, 10250}, {27750, 10250}, {27750, 10750}, {27500, 10750}}));
}

}  // namespace
