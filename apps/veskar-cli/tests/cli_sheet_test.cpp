// veskar-cli sheet as a user runs it: sheets by number and by a point, their JSON, and errors.
#include <gtest/gtest.h>

#include "geodesy/geodesy.h"
#include "geodesy/sheets.h"
#include "platform/testing/testing.h"

namespace {

veskar::testing::ProcessResult sheet(std::vector<std::string> args) {
  args.insert(args.begin(), "sheet");
  return veskar::testing::run(VESKAR_CLI, args, {}, {{"LC_ALL", "C.UTF-8"}});
}

// Published examples: the sheet's edges and projection zone.
TEST(CliSheet, JsonOfPublishedSheets) {
  const struct {
    const char* number;
    const char* bounds;  // "west","south","east","north" as the JSON has them
    const char* zone;
  } cases[] = {
      {"J50E001010", "\"west\":116.25,\"south\":39.833333333333336,\"east\":116.5,\"north\":40",
       "\"zone_width\":6,\"zone\":20,\"central_meridian\":117"},
      {"J49B001002", "\"west\":111,\"south\":38,\"east\":114,\"north\":40", "\"zone_width\":6,\"zone\":19,\"central_meridian\":111"},
      {"J50D003004", "\"west\":115.5,\"south\":39,\"east\":116,\"north\":39.333333333333336",
       "\"zone_width\":6,\"zone\":20,\"central_meridian\":117"},
      {"J50H005080", "\"west\":116.46875,\"south\":39.895833333333336,\"east\":116.5,\"north\":39.916666666666664",
       "\"zone_width\":3,\"zone\":39,\"central_meridian\":117"},
  };
  for (const auto& c : cases) {
    const auto r = sheet({c.number, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind(std::string("{\"number\":\"") + c.number + "\"", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(c.bounds), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(c.zone), std::string::npos) << r.out;
  }
}

// The corners' plane coordinates are the projection's, to the last digit, in the system named.
TEST(CliSheet, CornersAreTheProjectionsOfTheExactCorners) {
  using namespace veskar::geodesy;
  const auto r = sheet({"J50E001010", "--json", "--iag75"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto p = LoadProjectionParameters(CoordinateSystem::IAG75);
  const PlanePoint ne = XY(40, 116.3, 117, p), sw = XY(39.5, 116.15, 117, p);
  char expected[200];
  std::snprintf(expected, sizeof expected, "\"ne\":[%.17g,%.17g]", ne.x, ne.y);
  const std::string cornerNe = expected;
  std::snprintf(expected, sizeof expected, "\"sw\":[%.17g,%.17g]", sw.x, sw.y);
  const auto parse = [](std::string s) {  // the JSON's shortest numbers against %.17g's
    std::vector<double> v;
    for (std::size_t i = s.find('['); i != std::string::npos && i < s.size(); i = s.find(',', i + 1)) {
      v.push_back(std::stod(s.substr(i + 1)));
      if (v.size() == 2) break;
    }
    return v;
  };
  const std::size_t at = r.out.find("\"ne\":[");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(parse(r.out.substr(at)), parse(cornerNe));
  EXPECT_NE(r.out.find("\"coordinate_system\":\"IAG 1975\""), std::string::npos) << r.out;
}

// The point 116°28′25″ E, 39°54′30″ N in the sheet of every scale; edges belong to the sheet
// north and east of them.
TEST(CliSheet, TheSheetHoldingAPoint) {
  const struct {
    const char* B;
    const char* L;
    const char* scale;
    const char* number;
  } cases[] = {
      {"39.543", "116.2825", "1000000", "J50"},        {"39.543", "116.2825", "500000", "J50B001001"},
      {"39.543", "116.2825", "250000", "J50C001002"},  {"39.543", "116.2825", "100000", "J50D001005"},
      {"39.543", "116.2825", "50000", "J50E001010"},   {"39.543", "116.2825", "25000", "J50F002020"},
      {"39.543", "116.2825", "10000", "J50G003040"},   {"39.543", "116.2825", "5000", "J50H005080"},
      {"39.2230", "114.3345", "10000", "J50G015010"},  // its south-west corner
      {"39.543", "116.2825", "2000", "J50I014238"},    {"39.543", "116.2825", "1000", "J50J00270475"},
      {"39.543", "116.2825", "500", "J50K00530950"},   {"40", "120", "500", "K51K23040001"},
  };
  for (const auto& c : cases) {
    const auto r = sheet({"--at", c.B, c.L, "--scale", c.scale});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, std::string(c.number) + "\n") << c.scale;
  }
}

TEST(CliSheet, ErrorsSayWhatIsWrong) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* errHas;
  } cases[] = {
      {{"J50E0010"}, 1, "veskar-cli sheet: "},
      {{"J50E001999"}, 1, "veskar-cli sheet: "},
      {{}, 2, "give a sheet number, or --at B L --scale DENOMINATOR"},
      {{"J50", "--at", "39", "116", "--scale", "5000"}, 2, "give a sheet number"},
      {{"--at", "39", "116", "--scale", "3000"}, 1, "veskar-cli sheet: "},
      {{"--at", "39"}, 2, "--at needs values"},
      {{"--at", "39", "116", "--scale", "1e300"}, 2, "--scale a whole denominator"},
      {{"J-50-145"}, 1, "sheet number \"J-50-145\": after J-50: 145 is outside 1 to 144 (1:100,000)"},
      {{"J-50-5-(65)"}, 1, "after J-50-5: (65) is outside (1) to (64) (1:10,000)"},
      {{"J50G097001", "--json"}, 1, "sheet number \"J50G097001\": row 097 is outside 001-096 at 1:10,000"},
      {{"J-50-[3]"}, 1, "the former 1:200,000 sheets ([1] to [36]) have no counterpart in the present scheme"},
  };
  for (const auto& c : cases) {
    const auto r = sheet(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

// The text of a sheet: the corners as before, then its former number and its neighbours, north
// up; the same whichever form of the number is given.
TEST(CliSheet, TextWithFormerNumberAndNeighbours) {
  const std::string want =
      "J50E001010  1:50,000\n"
      "  south-west  39°50′00″ N  116°15′00″ E  x 4411292.6925  y 435798.8376\n"
      "  south-east  39°50′00″ N  116°30′00″ E  x 4411143.1525  y 457199.3485\n"
      "  north-east  40°00′00″ N  116°30′00″ E  x 4429648.7838  y 457302.9762\n"
      "  north-west  40°00′00″ N  116°15′00″ E  x 4429798.4812  y 435954.2855\n"
      "  6° zone 20, central meridian 117° E; x northing, y easting with 500000 m, CGCS2000\n"
      "  former number  J-50-5-B\n"
      "  neighbours     K50E024009  K50E024010  K50E024011\n"
      "                 J50E001009  J50E001010  J50E001011\n"
      "                 J50E002009  J50E002010  J50E002011\n";
  for (const char* number : {"J50E001010", "J-50-5-B"}) {
    const auto r = sheet({number});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, want) << number;
  }
  const auto corner = sheet({"A31K23040001"});
  EXPECT_NE(corner.out.find("  former number  none at 1:500\n"
                            "  neighbours     -             A31K23030001  A31K23030002\n"
                            "                 -             A31K23040001  A31K23040002\n"
                            "                 -             -             -\n"),
            std::string::npos)
      << corner.out;
}

// The JSON as before, then old_number, neighbours and corners_prefixed.
TEST(CliSheet, JsonKeepsItsKeysAndAddsTheNewOnes) {
  const auto r = sheet({"J-50-5-B", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"number\":\"J50E001010\",\"scale\":50000,\"west\":116.25,\"south\":39.833333333333336,"
            "\"east\":116.5,\"north\":40,\"zone_width\":6,\"zone\":20,\"central_meridian\":117,"
            "\"coordinate_system\":\"CGCS2000\",\"corners\":{\"sw\":[4411292.692475331,435798.8376409297],"
            "\"se\":[4411143.152544571,457199.34846908244],\"ne\":[4429648.783838643,457302.97616336413],"
            "\"nw\":[4429798.481249293,435954.2854724433]},\"old_number\":\"J-50-5-B\",\"neighbours\":{"
            "\"n\":\"K50E024010\",\"ne\":\"K50E024011\",\"e\":\"J50E001011\",\"se\":\"J50E002011\","
            "\"s\":\"J50E002010\",\"sw\":\"J50E002009\",\"w\":\"J50E001009\",\"nw\":\"K50E024009\"},"
            "\"corners_prefixed\":{\"sw\":[4411292.692475331,20435798.83764093],"
            "\"se\":[4411143.152544571,20457199.348469082],\"ne\":[4429648.783838643,20457302.976163365],"
            "\"nw\":[4429798.481249293,20435954.285472445]}}\n");
  const auto none = sheet({"A31K23040001", "--json"});
  EXPECT_NE(none.out.find(",\"old_number\":null,\"neighbours\":{\"n\":\"A31K23030001\",\"ne\":\"A31K23030002\","
                          "\"e\":\"A31K23040002\",\"se\":null,\"s\":null,\"sw\":null,\"w\":null,\"nw\":null},"
                          "\"corners_prefixed\":{\"sw\":[0,120500000],"),
            std::string::npos)
      << none.out;
}

}  // namespace

namespace {

veskar::testing::ProcessResult square(std::vector<std::string> args) {
  args.insert(args.begin(), "square");
  return veskar::testing::run(VESKAR_CLI, args, {}, {{"LC_ALL", "C.UTF-8"}});
}

TEST(CliSquare, NumbersCornersAndNeighbours) {
  auto r = square({"--scale", "500", "--at", "10260.3", "27790.1", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"number\":\"10.25-27.75\",\"scale\":500,\"south\":10250,\"west\":27750,\"north\":10500,\"east\":28000,"
            "\"neighbours\":{\"n\":\"10.50-27.75\",\"ne\":\"10.50-28.00\",\"e\":\"10.25-28.00\",\"se\":\"10.00-28.00\","
            "\"s\":\"10.00-27.75\",\"sw\":\"10.00-27.50\",\"w\":\"10.25-27.50\",\"nw\":\"10.50-27.50\"}}\n");
  r = square({"--scale", "1000", "3810.5-525.5"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "3810.5-525.5  1:1,000, 50x50 cm, 500 x 500 m\n"
            "  south-west  x 3810500  y 525500\n"
            "  north-east  x 3811000  y 526000\n"
            "  neighbours  3811.0-525.0  3811.0-525.5  3811.0-526.0\n"
            "              3810.5-525.0  3810.5-525.5  3810.5-526.0\n"
            "              3810.0-525.0  3810.0-525.5  3810.0-526.0\n");
  r = square({"--scale", "1000", "--zone", "39", "--zone-width", "3", "--zone-prefix", "--at", "3810600", "39525600"});
  EXPECT_TRUE(r.out.starts_with("3810.5-39525.5  1:1,000")) << r.out;
}

TEST(CliSquare, Refusals) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* err;
  } cases[] = {
      {{"--scale", "1000", "3810.3-525.5"}, 1, "veskar-cli square: square sheet \"3810.3-525.5\": x 3810.3 km is not on a 500 m boundary"},
      {{"--scale", "5000", "--sheet-size", "50x50", "--at", "1", "1"}, 1, "veskar-cli square: sheet size 50x50 at 1:5,000: 50 cm is 2500 m"},
      {{"--scale", "10000", "--at", "1", "1"}, 1, "veskar-cli square: no square sheets at 1:10,000"},
      {{"--scale", "500"}, 2, "veskar-cli square: give a sheet number, or --at X Y"},
      {{"--at", "1", "1"}, 2, "veskar-cli square: --scale takes the scale's denominator"},
  };
  for (const auto& c : cases) {
    const auto r = square(c.args);
    EXPECT_EQ(r.status, c.status) << c.err;
    EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
