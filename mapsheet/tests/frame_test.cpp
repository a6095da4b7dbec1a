// The finished frame as built, before anything is drawn: the kilometre grid at exactly the
// expected values and inside the frame, the numbers, ticks, outer frame, notes and neighbours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "cad/inprocess.h"
#include "mapsheet/frame.h"
#include "mapsheet/frame_style.h"
#include "mapsheet/square_frame.h"

namespace veskar::mapsheet {
namespace {

FrameRequest request(const char* number, std::optional<double> gridKm = {}) {
  FrameRequest r;
  r.sheet = geodesy::ParseSheetNumber(number);
  r.gridKm = gridKm;
  return r;
}

double offSegment(PlaneVertex a, PlaneVertex b, PlaneVertex p) {
  const double dx = b.easting - a.easting, dy = b.northing - a.northing;
  const double t = std::clamp(((p.easting - a.easting) * dx + (p.northing - a.northing) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(p.easting - a.easting - t * dx, p.northing - a.northing - t * dy);
}

double offRing(const std::vector<PlaneVertex>& ring, PlaneVertex p) {
  double best = 1e300;
  for (std::size_t k = 0; k < ring.size(); ++k) best = std::min(best, offSegment(ring[k], ring[(k + 1) % ring.size()], p));
  return best;
}

bool inside(const std::vector<PlaneVertex>& ring, PlaneVertex p) {
  bool in = false;
  for (std::size_t k = 0, j = ring.size() - 1; k < ring.size(); j = k++) {
    const PlaneVertex a = ring[k], b = ring[j];
    if ((a.northing > p.northing) != (b.northing > p.northing) &&
        p.easting < (b.easting - a.easting) * (p.northing - a.northing) / (b.northing - a.northing) + a.easting)
      in = !in;
  }
  return in;
}

std::vector<std::string> texts(const Sketch& s, SheetLayer layer) {
  std::vector<std::string> out;
  for (const SketchShape& shape : s.shapes) {
    if (const auto* t = std::get_if<SketchText>(&shape); t && t->layer == layer) out.push_back(t->text);
  }
  return out;
}

// Every multiple of the interval between the frame's extreme eastings (northings) is a grid
// line, no other; each ends on the inner frame within 0.01 mm on paper and runs inside it.
TEST(FinishedFrame, GridLinesAtEveryMultipleOfTheIntervalAndOnlyInside) {
  const struct {
    const char* number;
    std::optional<double> km;
    double interval;
    std::size_t eastings, northings;
  } cases[] = {
      {"J50G015010", {}, 1000, 5, 4}, {"J50E001010", {}, 1000, 22, 18}, {"J50D001001", {}, 2000, 22, 19},
      {"J50G015010", 0.5, 500, 11, 9}, {"J50H192192", 0.25, 250, 11, 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    const FinishedFrame f = buildFinishedFrame(request(c.number, c.km));
    EXPECT_EQ(f.gridInterval, c.interval);
    double minE = 1e300, maxE = -1e300, minN = 1e300, maxN = -1e300;
    for (const PlaneVertex& v : f.inner.ring) {
      minE = std::min(minE, v.easting), maxE = std::max(maxE, v.easting);
      minN = std::min(minN, v.northing), maxN = std::max(maxN, v.northing);
    }
    std::vector<double> eastings, northings;
    for (const GridLine& l : f.grid) {
      (l.easting ? eastings : northings).push_back(l.value);
      EXPECT_EQ(std::fmod(l.value, c.interval), 0.0) << l.value;
      EXPECT_EQ(l.easting ? l.start.easting : l.start.northing, l.value);
      EXPECT_EQ(l.easting ? l.end.easting : l.end.northing, l.value);
      EXPECT_LE(offRing(f.inner.ring, l.start), 0.01 * f.metresPerMm);
      EXPECT_LE(offRing(f.inner.ring, l.end), 0.01 * f.metresPerMm);
      EXPECT_TRUE(inside(f.inner.ring, {(l.start.easting + l.end.easting) / 2, (l.start.northing + l.end.northing) / 2}));
    }
    ASSERT_EQ(eastings.size(), c.eastings);
    ASSERT_EQ(northings.size(), c.northings);
    // Strictly between the extremes: a line along an edge is the frame itself (J50H192192's
    // east edge is its zone's central meridian, easting 500000).
    EXPECT_EQ(eastings.front(), (std::floor(minE / c.interval) + 1) * c.interval);
    EXPECT_EQ(eastings.back(), (std::ceil(maxE / c.interval) - 1) * c.interval);
    EXPECT_EQ(northings.front(), (std::floor(minN / c.interval) + 1) * c.interval);
    EXPECT_EQ(northings.back(), (std::ceil(maxN / c.interval) - 1) * c.interval);
    for (std::size_t k = 1; k < eastings.size(); ++k) EXPECT_EQ(eastings[k] - eastings[k - 1], c.interval);
    for (std::size_t k = 1; k < northings.size(); ++k) EXPECT_EQ(northings[k] - northings[k - 1], c.interval);
  }
}

TEST(FinishedFrame, GridNumbersFullAtTheOutermostLinesElseTwoDigits) {
  const struct {
    const char* number;
    std::optional<double> km;
    std::vector<std::string> eastings, northings;
  } cases[] = {
      {"J50E001010", {}, {"20436", "37", "38"}, {"4412", "13", "14"}},
      {"J50G015010", 0.5, {"38548.5", "49.0", "49.5"}, {"4360.5", "61.0", "61.5"}},
      {"J50H192192", 0.25, {"40497.25", "97.50", "97.75"}, {"3985.75", "86.00", "86.25"}},
  };
  for (const auto& c : cases) {
    const FinishedFrame f = buildFinishedFrame(request(c.number, c.km));
    std::vector<std::string> e, n;
    for (const GridLine& l : f.grid) (l.easting ? e : n).push_back(l.label);
    EXPECT_EQ(std::vector<std::string>(e.begin(), e.begin() + 3), c.eastings) << c.number;
    EXPECT_EQ(std::vector<std::string>(n.begin(), n.begin() + 3), c.northings) << c.number;
  }
  const FinishedFrame f = buildFinishedFrame(request("J50E001010"));
  std::vector<std::string> last;
  for (const GridLine& l : f.grid) last.push_back(l.label);
  EXPECT_EQ(last[21], "20457");  // the eastmost easting line
  EXPECT_EQ(last.back(), "4429");
  // Each number twice, at both ends, beside its line.
  const std::vector<std::string> grid = texts(f.sketch, SheetLayer::Grid);
  EXPECT_EQ(std::count(grid.begin(), grid.end(), "20436"), 2);
  EXPECT_EQ(grid.size(), 2 * f.grid.size());
}

// Ticks at every whole minute inside each edge (five minutes at 1:100,000, ten at 1:1,000,000),
// 1 mm long on paper, 2 mm at every fifth.
TEST(FinishedFrame, MinuteTicks) {
  const struct {
    const char* number;
    std::size_t ticks, longTicks;
  } cases[] = {
      {"J50E001010", 2 * 14 + 2 * 9, 2 * 2 + 2 * 1},  // 116°15′-30′, 39°50′-40°00′
      {"J50D001001", 2 * 5 + 2 * 3, 2 * 1 + 0},       // 5′ steps; 25′ long
      {"J50", 2 * 35 + 2 * 23, 2 * 7 + 2 * 4},        // 10′ steps; 50′ long
      {"J50G015010", 2 * 4 + 2 * 2, 2 * 1 + 0},       // 114°33′45″-37′30″, 39°22′30″-25′
  };
  for (const auto& c : cases) {
    const FinishedFrame f = buildFinishedFrame(request(c.number, 0.0));
    std::size_t ticks = 0, longTicks = 0;
    for (const SketchShape& s : f.sketch.shapes) {
      const auto* l = std::get_if<SketchLine>(&s);
      if (!l || l->layer != SheetLayer::Frame) continue;
      const double mm = std::hypot(l->end.easting - l->start.easting, l->end.northing - l->start.northing) / f.metresPerMm;
      ++ticks;
      longTicks += std::abs(mm - 2) < 1e-9;
      EXPECT_TRUE(std::abs(mm - 1) < 1e-9 || std::abs(mm - 2) < 1e-9) << mm;
      EXPECT_FALSE(inside(f.inner.ring, l->end)) << c.number;
    }
    EXPECT_EQ(ticks, c.ticks) << c.number;
    EXPECT_EQ(longTicks, c.longTicks) << c.number;
  }
}

// The outer frame's edges are parallel to the inner frame's corner chords, 12 mm outside them,
// 1 mm wide.
TEST(FinishedFrame, OuterFrameTwelveMillimetresOutsideTheCornerChords) {
  for (const char* number : {"J50G015010", "J50", "J50D001001"}) {
    const FinishedFrame f = buildFinishedFrame(request(number));
    const SketchPolyline* outer = nullptr;
    for (const SketchShape& s : f.sketch.shapes) {
      if (const auto* p = std::get_if<SketchPolyline>(&s); p && p->width > 0) outer = p;
    }
    ASSERT_NE(outer, nullptr);
    EXPECT_TRUE(outer->closed);
    EXPECT_EQ(outer->width, 1.0 * f.metresPerMm);
    const PlaneVertex inner[] = {f.inner.sw, f.inner.se, f.inner.ne, f.inner.nw};
    for (std::size_t k = 0; k < 4; ++k) {
      const PlaneVertex a = inner[k], b = inner[(k + 1) % 4];
      const double length = std::hypot(b.easting - a.easting, b.northing - a.northing);
      for (const PlaneVertex& o : {outer->vertices[k], outer->vertices[(k + 1) % 4]}) {
        // Signed distance to the right of the chord (outside for an anticlockwise walk).
        const double d = ((b.easting - a.easting) * (a.northing - o.northing) -
                          (b.northing - a.northing) * (a.easting - o.easting)) / length;
        EXPECT_NEAR(d / f.metresPerMm, 12.0, 1e-9) << number << " edge " << k;
      }
    }
  }
}

TEST(FinishedFrame, NotesNeighboursAndCornerCoordinates) {
  FrameRequest r = request("J50E001010");
  r.title = "北京";
  r.system = geodesy::CoordinateSystem::Beijing54;
  const FinishedFrame f = buildFinishedFrame(r);
  EXPECT_EQ(texts(f.sketch, SheetLayer::Notes),
            (std::vector<std::string>{"J50E001010", "北京", "1∶50 000", "1954年北京坐标系", "高斯-克吕格投影 6°分带 第20带"}));
  EXPECT_EQ(texts(f.sketch, SheetLayer::Adjoining),
            (std::vector<std::string>{"K50E024009", "K50E024010", "K50E024011", "J50E001009", "J50E001011",
                                      "J50E002009", "J50E002010", "J50E002011"}));
  EXPECT_EQ(texts(f.sketch, SheetLayer::Frame),
            (std::vector<std::string>{"40°00′", "116°15′", "40°00′", "116°30′", "39°50′", "116°15′", "39°50′", "116°30′"}));
  const std::vector<std::string> seconds = texts(buildFinishedFrame(request("J50H005080")).sketch, SheetLayer::Frame);
  EXPECT_EQ(seconds[1], "116°28′07.5″");
  // At 88° N and at 180° E there are no neighbours: their cells stay empty.
  EXPECT_EQ(texts(buildFinishedFrame(request("V60")).sketch, SheetLayer::Adjoining),
            (std::vector<std::string>{"V59", "U59", "U60"}));
}

TEST(FinishedFrame, ZoneNumberInFrontMovesEveryEastingByItsMillions) {
  FrameRequest r = request("J50E001010");
  const FinishedFrame plain = buildFinishedFrame(r);
  r.zonePrefix = true;
  const FinishedFrame prefixed = buildFinishedFrame(r);
  ASSERT_EQ(plain.sketch.shapes.size(), prefixed.sketch.shapes.size());
  EXPECT_EQ(prefixed.eastingOffset, 20e6);
  const auto first = [](const SketchShape& s) {
    if (const auto* l = std::get_if<SketchLine>(&s)) return l->start;
    if (const auto* p = std::get_if<SketchPolyline>(&s)) return p->vertices.front();
    return std::get<SketchText>(s).at;
  };
  for (std::size_t k = 0; k < plain.sketch.shapes.size(); ++k) {
    EXPECT_EQ(first(prefixed.sketch.shapes[k]).easting, first(plain.sketch.shapes[k]).easting + 20e6);
    EXPECT_EQ(first(prefixed.sketch.shapes[k]).northing, first(plain.sketch.shapes[k]).northing);
  }
  EXPECT_EQ(texts(prefixed.sketch, SheetLayer::Grid), texts(plain.sketch, SheetLayer::Grid));
}

TEST(FinishedFrame, UnusableGridIntervalsAreRefused) {
  const struct {
    double km;
    const char* message;
  } cases[] = {
      {0.004, "grid interval 0.004 km: 2519 grid lines, more than 1000"},
      {-1, "grid interval -1 km: give a positive number of km, or 0 for no grid"},
      {0.0005, "grid interval 0.0005 km: give a whole number of metres"},
      {std::nan(""), "grid interval nan km: give a positive number of km, or 0 for no grid"},
  };
  for (const auto& c : cases) {
    try {
      buildFinishedFrame(request("J50G015010", c.km));
      ADD_FAILURE() << c.km;
    } catch (const FrameError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  EXPECT_TRUE(buildFinishedFrame(request("J50G015010", 0.0)).grid.empty());
  EXPECT_TRUE(buildFinishedFrame(request("J50C001001")).grid.empty());  // none by default at 1:250,000
}

// Drawn into the in-process drawing: the layers first, every entity on its layer.
TEST(FinishedFrame, EmittedOntoItsLayers) {
  const FinishedFrame f = buildFinishedFrame(request("J50G015010"));
  auto doc = cad::makeInProcessDocument("d.dxf");
  doc->TextStyles()->Add("ksev");
  std::size_t reported = 0;
  emitSketch(*doc, f.sketch, [&](const graticule::EmissionProgress& p) { reported = p.done; });
  const cad::DrawingData& d = *cad::drawingOf(*doc);
  ASSERT_EQ(d.entities.size(), f.sketch.shapes.size());
  EXPECT_EQ(reported, d.entities.size());
  std::vector<std::string> layers;
  for (const cad::LayerData& l : d.layers) layers.push_back(l.name);
  EXPECT_EQ(layers, (std::vector<std::string>{"0", "图廓", "方里网", "注记", "接图表"}));
  std::set<std::string> used;
  for (const cad::EntityData& e : d.entities) used.insert(std::visit([](const auto& x) { return x.layer; }, e));
  EXPECT_EQ(used, (std::set<std::string>{"图廓", "方里网", "注记", "接图表"}));
  EXPECT_TRUE(std::get<cad::PolylineData>(d.entities[0]).closed);  // the inner frame, first of all
}

}  // namespace
}  // namespace veskar::mapsheet

namespace veskar::mapsheet {
namespace {

// A 1:500 square sheet on paper: 500 mm between the inner frame's edges, crosses 100 mm apart
// with 1 cm strokes, a 5 mm tick where each grid line meets the frame, the corners in km.
TEST(SquareFrame, SizesOnPaperAndTexts) {
  SquareFrameRequest r;
  r.sheet = geodesy::ParseSquareNumber("10.25-27.75", 500, {50, 50});
  r.system = "2000国家大地坐标系";
  const SquareFrame f = buildSquareFrame(r);
  EXPECT_EQ((f.se.easting - f.sw.easting) / f.metresPerMm, 500.0);
  EXPECT_EQ((f.nw.northing - f.sw.northing) / f.metresPerMm, 500.0);
  ASSERT_EQ(f.crosses.size(), 16u);
  EXPECT_EQ((f.crosses[1].easting - f.crosses[0].easting) / f.metresPerMm, 100.0);
  EXPECT_EQ((f.crosses[0].easting - f.sw.easting) / f.metresPerMm, 100.0);
  std::size_t strokes = 0, ticks = 0;
  for (const SketchShape& s : f.sketch.shapes) {
    const auto* l = std::get_if<SketchLine>(&s);
    if (!l || l->layer != SheetLayer::Grid) continue;
    const double mm = std::hypot(l->end.easting - l->start.easting, l->end.northing - l->start.northing) / f.metresPerMm;
    strokes += mm == 10.0;
    ticks += mm == 5.0;
  }
  EXPECT_EQ(strokes, 32u);
  EXPECT_EQ(ticks, 4u * 4u);
  EXPECT_EQ(texts(f.sketch, SheetLayer::Frame),
            (std::vector<std::string>{"10.25", "10.25", "27.75", "28.00", "10.50", "10.50", "27.75", "28.00"}));
  EXPECT_EQ(texts(f.sketch, SheetLayer::Notes), (std::vector<std::string>{"10.25-27.75", "1∶500", "2000国家大地坐标系"}));
  EXPECT_EQ(texts(f.sketch, SheetLayer::Adjoining)[0], "10.50-27.50");
  r.zone = 39;
  const SquareFrame zoned = buildSquareFrame(r);
  EXPECT_EQ(zoned.sw.easting, 39027750.0);
  EXPECT_EQ(texts(zoned.sketch, SheetLayer::Notes)[0], "10.25-39027.75");
}

}  // namespace
}  // namespace veskar::mapsheet
