// The index map: frames, numbers and boundary where the projection puts them, on their layers,
// within 0.05 mm on paper of the true lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "cad/inprocess.h"
#include "mapsheet/index_map.h"

namespace veskar::mapsheet {
namespace {

constexpr ArcUnits kDeg = geodesy::kArcUnitsPerDegree, kMin = geodesy::kArcUnitsPerMinute;

Area area(std::vector<AreaPoint> v) {
  AreaRing ring{v, {}};
  ring.source.resize(v.size());
  Area a{{AreaPolygon{{ring}}}};
  NormaliseArea(a, [](std::size_t, std::size_t, std::optional<std::size_t>) { return std::string("v"); });
  return a;
}

graticule::PlaneVertex project(double latitude, double longitude, double centralMeridian) {
  const geodesy::PlanePoint p = geodesy::XY(geodesy::Degdms(latitude), geodesy::Degdms(longitude), centralMeridian,
                                            geodesy::LoadProjectionParameters(geodesy::CoordinateSystem::CGCS2000));
  return {p.y, p.x};
}

// 2 x 2 sheets of 1:10,000 at 116° E, 39° N: drawn in 3° zone 39 on the index map's layers.
TEST(IndexMap, FramesNumbersAndBoundaryOnTheirLayers) {
  const Area a = RectangleArea(39 * kDeg, 116 * kDeg, 39 * kDeg + 5 * kMin, 116 * kDeg + 7 * kMin + 30 * 10000);
  const IndexMap map = BuildIndexMap(a, CoverArea(a, 10000), geodesy::CoordinateSystem::CGCS2000);
  EXPECT_EQ(map.zone.number, 39);
  EXPECT_EQ(map.textHeight, 300.0);  // 3 mm at 1:100,000
  ASSERT_EQ(map.frames.size(), 4u);
  const graticule::PlaneVertex sw = project(39 + 2.5 / 60, 116, 117), centre = project(39.0625, 116.03125, 117);
  EXPECT_NEAR(map.frames[0].outline[0], sw.easting, 1e-6);  // the north-western sheet's south-west corner
  EXPECT_NEAR(map.frames[0].outline[1], sw.northing, 1e-6);
  EXPECT_NEAR(map.frames[0].centre.easting, centre.easting, 1e-6);
  EXPECT_NEAR(map.frames[0].centre.northing, centre.northing, 1e-6);

  const auto doc = cad::makeInProcessDocument("index.dxf");
  doc->TextStyles()->Add("ksev");
  emitSketch(*doc, IndexMapSketch(map));
  const cad::DrawingData& d = *cad::drawingOf(*doc);
  std::vector<std::string> layers;
  for (const auto& l : d.layers) layers.push_back(l.name);
  EXPECT_EQ(layers, (std::vector<std::string>{"0", "图廓", "注记", "测区范围"}));
  ASSERT_EQ(d.entities.size(), 9u);
  const auto& frame = std::get<cad::PolylineData>(d.entities[0]);
  EXPECT_TRUE(frame.closed);
  EXPECT_EQ(frame.layer, "图廓");
  const auto& number = std::get<cad::TextData>(d.entities[1]);
  EXPECT_EQ(number.string, "J50G023033");
  EXPECT_EQ(number.layer, "注记");
  EXPECT_EQ(number.horizontalAlignment, 1);
  EXPECT_EQ(number.verticalAlignment, 2);
  EXPECT_EQ(number.alignmentPoint[0], map.frames[0].centre.easting);
  const auto& boundary = std::get<cad::PolylineData>(d.entities[8]);
  EXPECT_EQ(boundary.layer, "测区范围");
  EXPECT_EQ(boundary.constantWidth, 50.0);  // 0.5 mm at 1:100,000
  EXPECT_EQ(boundary.color, 1);
}

// Square sheets of 1:500 in zone 39: frames and boundary in the plane as they are, eastings and
// numbers with the zone number, numbers 3 mm high at 1:5,000.
TEST(IndexMap, SquareSheetsInThePlane) {
  Area a = RectangleArea(10000 * 1000, 27600 * 1000, 10300 * 1000, 27750 * 1000 + 1);
  NormalisePlaneArea(a, [](std::size_t, std::size_t, std::optional<std::size_t>) { return std::string("v"); });
  const IndexMap map = BuildSquareIndexMap(a, CoverSquares(a, 500, {50, 50}), {50, 50}, 39);
  EXPECT_EQ(map.textHeight, 15.0);
  EXPECT_EQ(map.boundaryWidth, 2.5);
  std::vector<std::string> numbers;
  for (const IndexMapFrame& f : map.frames) numbers.push_back(f.number);
  EXPECT_EQ(numbers, (std::vector<std::string>{"10.25-39027.50", "10.25-39027.75", "10.00-39027.50", "10.00-39027.75"}));
  EXPECT_EQ(map.frames[1].outline, (std::vector<double>{39027750, 10250, 39028000, 10250, 39028000, 10500, 39027750, 10500}));
  EXPECT_EQ(map.frames[1].centre.easting, 39027875);
  EXPECT_EQ(map.frames[1].centre.northing, 10375);
  EXPECT_EQ(map.boundary, (std::vector<std::vector<double>>{{39027600, 10000, 39027750.001, 10000, 39027750.001, 10300, 39027600, 10300}}));
  EXPECT_EQ(IndexMapSketch(map).shapes.size(), 9u);
}

double offPolyline(const std::vector<double>& v, const graticule::PlaneVertex& p) {
  double best = 1e300;
  for (std::size_t k = 0; k + 2 < v.size() + 2; k += 2) {
    const double ax = v[k], ay = v[k + 1], bx = v[(k + 2) % v.size()], by = v[(k + 3) % v.size()];
    const double dx = bx - ax, dy = by - ay;
    const double t = std::clamp(((p.easting - ax) * dx + (p.northing - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    best = std::min(best, std::hypot(p.easting - ax - t * dx, p.northing - ay - t * dy));
  }
  return best;
}

// A boundary edge of a degree, diagonal in longitude and latitude, at 1:5,000 (an index map of
// 1:50,000: 2.5 m on the ground), and the frames' edges.
TEST(IndexMap, EdgesStayWithinTheChordTolerance) {
  const Area a = area({{115 * kDeg + 45 * kMin, 39 * kDeg}, {116 * kDeg + 45 * kMin, 40 * kDeg}, {115 * kDeg + 45 * kMin, 40 * kDeg}});
  const IndexMap map = BuildIndexMap(a, CoverArea(a, 5000), geodesy::CoordinateSystem::CGCS2000);
  const std::vector<double>& ring = map.boundary[0];
  EXPECT_GT(ring.size(), 2u * 8);
  double worst = 0;
  for (int k = 0; k <= 400; ++k) worst = std::max(worst, offPolyline(ring, project(39 + k / 400.0, 115.75 + k / 400.0, 117)));
  EXPECT_LE(worst, 2.5);
  EXPECT_GT(worst, 0.1);  // the line is truly curved on the plane: the test could fail
  const geodesy::SheetBounds b = geodesy::BoundsOf(ListSheets(CoverArea(a, 5000)).front());
  const double south = geodesy::ArcUnitsToDegrees(b.south), west = geodesy::ArcUnitsToDegrees(b.west);
  const double width = geodesy::ArcUnitsToDegrees(b.east - b.west);
  worst = 0;
  for (int k = 0; k <= 100; ++k) worst = std::max(worst, offPolyline(map.frames[0].outline, project(south, west + width * k / 100, 117)));
  EXPECT_LE(worst, 2.5);
}

}  // namespace
}  // namespace veskar::mapsheet
