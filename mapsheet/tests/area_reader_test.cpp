// Reading areas from lines "B L" and from GeoJSON: what is read, and every fault named by its file
// and place.
#include <gtest/gtest.h>

#include "mapsheet/area_reader.h"

namespace veskar::mapsheet {
namespace {

constexpr ArcUnits kDeg = geodesy::kArcUnitsPerDegree, kMin = geodesy::kArcUnitsPerMinute;

// The rings' vertex counts per polygon, "3" or "4+3,5".
std::string shape(const Area& a) {
  std::string s;
  for (const AreaPolygon& p : a.polygons) {
    s += s.empty() ? "" : ",";
    for (std::size_t r = 0; r < p.rings.size(); ++r) s += (r ? "+" : "") + std::to_string(p.rings[r].vertices.size());
  }
  return s;
}

const char* const kSquare = "[[116,39],[116.25,39],[116.25,39.25],[116,39.25],[116,39]]";

TEST(AreaReader, ReadsBothForms) {
  const struct {
    std::string text;
    const char* shape;
  } cases[] = {
      {"39.2 116\n39.3 116\n39.3 116.1\n", "3"},
      {"\xEF\xBB\xBF# survey area\r\n\r\n39.2, 116\r\n 39.3\t116 \r\n39.3 116.1\r\n39.3 116.1\r\n39.2 116\r\n", "3"},
      {R"({"type":"Polygon","coordinates":[[[116,39],[116.25,39],[116.25,39.25,50]]]})", "3"},
      {(std::string(R"({"type":"Feature","properties":null,"geometry":{"type":"MultiPolygon","coordinates":[[)") + kSquare +
        R"(,[[116.1,39.1],[116.2,39.1],[116.2,39.2]]],[[[117,39],[117.1,39],[117,39.1]]]]}})"),
       "4+3,3"},
      {(std::string(R"({"type":"FeatureCollection","crs":{"type":"name","properties":{"name":"urn:ogc:def:crs:EPSG::4490"}},)"
                    R"("features":[{"type":"Feature","geometry":{"type":"Polygon","coordinates":[)") +
        kSquare + "]}}]}"),
       "4"},
  };
  for (const auto& c : cases) EXPECT_EQ(shape(ReadArea(c.text, "area")), c.shape) << c.text;
  // Packed DMS exactly as PackedToArcUnits reads it; degrees to the nearest 1/10000″.
  const Area lines = ReadArea("39.2230 114.3345\n39.25 114.3345\n39.25 114.37\n", "area");
  EXPECT_EQ(lines.polygons[0].rings[0].vertices[0], (AreaPoint{114 * kDeg + 33 * kMin + 450000, 39 * kDeg + 22 * kMin + 300000}));
  const Area json = ReadArea(R"({"type":"Polygon","coordinates":[[[116.25,39.833333333333336],[116.5,40],[116.5,39.9]]]})", "a");
  EXPECT_EQ(json.polygons[0].rings[0].vertices[0], (AreaPoint{116 * kDeg + 15 * kMin, 39 * kDeg + 50 * kMin}));
}

TEST(AreaReader, FaultsNameTheFileAndThePlace) {
  const std::string poly = R"({"type":"Polygon","coordinates":[)";
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"39.2 116\n39.6x 116\n", "f: line 2: \"39.6x\" is not a number"},
      {"39.2 116 5\n", "f: line 1: expected two numbers, B and L (latitude and longitude in packed DMS); found 3 fields"},
      {"\n39.7 116\n", "f: line 2: packed DMS 39.7: the minutes must be below 60"},
      {"# nothing\n\n", "f: no vertices: give lines \"B L\" (packed DMS) or a GeoJSON polygon"},
      {"39.2 116\n\n39.3 116\n39.2 116\n", "f: lines 1-4: a ring needs at least three distinct vertices; this one has 2"},
      {"39.2 116\n39.2 116.1\n39.3 116\n39.3 116.1\n",
       "f: line 2: the polygon's boundary meets itself: the edge from here to line 3 meets the edge from line 4 to line 1"},
      {"88.1 116\n39.3 116\n39.3 116.1\n", "f: line 1: 88°10′00″ N, 116°00′00″ E is north of 88° N, where the sheets end"},
      {"{\"type\":\n  \"Polygon\",,", "f: line 2, column 13: not valid JSON: syntax error while parsing object key - unexpected ','; expected string literal"},
      {"[1]", "f: $: a GeoJSON object expected"},
      {R"({"coordinates":[]})", "f: $: \"type\" missing"},
      {R"({"type":"FeatureCollection","features":[]})", "f: no polygon in the file"},
      {R"({"type":"FeatureCollection","features":[{"type":"Feature","geometry":{"type":"LineString","coordinates":[]}}]})",
       "f: $.features[0].geometry.type: a LineString is no area; give a Polygon or MultiPolygon"},
      {R"({"type":"Feature","geometry":null})", "f: $.geometry: a feature without a geometry holds no area"},
      {R"({"type":"Polygon","crs":{"type":"name","properties":{"name":"EPSG:4547"}},"coordinates":[]})",
       "f: $.crs: the coordinates must be longitude and latitude in degrees (EPSG 4326, 4490, 4214, 4610 or CRS84)"},
      {poly + "]}", "f: $.coordinates: a polygon's rings expected (at least the outer ring)"},
      {poly + R"([[116,39],[116.1,"39"]]]})", "f: $.coordinates[0][1][1]: a number expected"},
      {poly + R"([[116,39],[400,39]]]})", "f: $.coordinates[0][1][0]: an angle in degrees expected, not 400.0"},
      {poly + R"([[116,39],[116.1,39],[116,39.1],[116.1,39.1]]]})",
       "f: $.coordinates[0][1]: the polygon's boundary meets itself: the edge from here to $.coordinates[0][2] meets the "
       "edge from $.coordinates[0][3] to $.coordinates[0][0]"},
      {poly + R"([[116,39],[117,39],[116,40]],[[116.1,39.1],[116.2,39.1],[116.1,39.2]],[[116.12,39.12],[116.15,39.12],[116.12,39.15]]]})",
       "f: $.coordinates[2]: a hole lies inside another hole ($.coordinates[1])"},
      {poly + R"([[-1,39],[117,39],[116,40]]]})",
       "f: $.coordinates[0][0]: 39°00′00″ N, -1°00′00″ E is west of 0°: the western hemisphere is not supported"},
  };
  for (const auto& c : cases) {
    try {
      ReadArea(c.text, "f");
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const AreaError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(AreaReader, PlaneLinesInExactMillimetres) {
  const struct {
    const char* text;
    std::optional<std::int64_t> mm;
  } numbers[] = {{"3810500.25", 3810500250}, {"+.5", 500}, {"-12", -12000}, {"7.0004999", 7000}, {"7.0005", 7001},
                 {"999999999999.999", 999999999999999}, {"1e3", std::nullopt}, {"1000000000000", std::nullopt},
                 {".", std::nullopt}, {"", std::nullopt}, {"5,5", std::nullopt}};
  for (const auto& n : numbers) EXPECT_EQ(MetresToMillimetres(n.text), n.mm) << n.text;
  // x then y; blanks or a comma between; comments; y with the zone number of zone 39.
  const Area a = ReadPlaneArea("# site\r\n10000 39027500\n\n10000,39028250.0004\r\n 10250.5\t39028250\n", "f", 39);
  EXPECT_EQ(a.polygons[0].rings[0].vertices,
            (std::vector<AreaPoint>{{27500000, 10000000}, {28250000, 10000000}, {28250000, 10250500}}));
  EXPECT_EQ(a.polygons[0].rings[0].source, (std::vector<std::size_t>{2, 4, 5}));

  const struct {
    const char* text;
    int zone;
    const char* message;
  } faults[] = {
      {"10000 27500\n10000 2.8e4\n", 0, "f: line 2: \"2.8e4\" is not a number of metres"},
      {"10000 27500 5\n", 0, "f: line 1: expected two numbers, x and y (northing and easting in metres); found 3 fields"},
      {"10000 27500\n", 39, "f: line 1: y 27500 carries no zone number, not 39"},
      {"10000 38027500\n", 39, "f: line 1: y 38027500 carries zone 38, not 39"},
      {"10000 27500\n-1 28000\n10250 28000\n", 0, "f: line 2: x -1, y 28000 lies south of x 0, where the square sheets start"},
      {"0 0\n0 100\n100 0\n100 100\n", 0,
       "f: line 2: the polygon's boundary meets itself: the edge from here to line 3 meets the edge from line 4 to line 1"},
      {"# nothing\n", 0, "f: no vertices: give lines \"x y\" (metres)"},
      {R"({"type":"Polygon","coordinates":[]})", 0,
       "f: GeoJSON holds longitude and latitude; square sheets take lines \"x y\" (plane coordinates in metres)"},
  };
  for (const auto& c : faults) {
    try {
      ReadPlaneArea(c.text, "f", c.zone);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const AreaError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

}  // namespace
}  // namespace veskar::mapsheet
