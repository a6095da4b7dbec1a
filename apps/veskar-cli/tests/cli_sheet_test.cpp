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
  };
  for (const auto& c : cases) {
    const auto r = sheet(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
