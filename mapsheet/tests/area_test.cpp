// The area's checks and the sheets it touches: exact cases on sheet edges and corners, and random
// polygons against a per-sheet decision made another way.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "mapsheet/area.h"
#include "mapsheet/exact.h"

namespace veskar::mapsheet {
namespace {

using geodesy::kArcUnitsPerMinute;
using geodesy::kArcUnitsPerSecond;

// 1:10,000 sheets: 3′45″ x 2′30″.
constexpr ArcUnits W = 225 * kArcUnitsPerSecond, H = 150 * kArcUnitsPerSecond;
constexpr ArcUnits kLon0 = 116 * geodesy::kArcUnitsPerDegree, kLat0 = 39 * geodesy::kArcUnitsPerDegree;

// A vertex in 1:10,000 sheet widths and heights from 116° E, 39° N.
AreaPoint at(double columns, double rows) {
  return {kLon0 + static_cast<ArcUnits>(columns * W), kLat0 + static_cast<ArcUnits>(rows * H)};
}

AreaRing ring(std::vector<AreaPoint> v) {
  AreaRing r{std::move(v), {}};
  for (std::size_t i = 0; i < r.vertices.size(); ++i) r.source.push_back(i);
  return r;
}

std::string name(std::size_t p, std::size_t r, std::optional<std::size_t> v) {
  return "p" + std::to_string(p) + "r" + std::to_string(r) + (v ? "v" + std::to_string(*v) : "");
}

// The sheets as "row,column" in 1:10,000 sheets from the origin, in the order listed.
std::vector<std::string> cells(const Area& a) {
  std::vector<std::string> out;
  for (const geodesy::MapSheet& s : ListSheets(CoverArea(a, 10000))) {
    const geodesy::SheetBounds b = geodesy::BoundsOf(s);
    out.push_back(std::to_string((b.south - kLat0) / H) + "," + std::to_string((b.west - kLon0) / W));
  }
  return out;
}

Area normalised(std::vector<std::vector<AreaPoint>> rings) {
  AreaPolygon p;
  for (auto& r : rings) p.rings.push_back(ring(std::move(r)));
  Area a{{p}};
  NormaliseArea(a, name);
  return a;
}

TEST(SheetCover, EdgesAndCornersAloneTouchNothing) {
  const struct {
    const char* what;
    std::vector<std::vector<AreaPoint>> rings;
    std::vector<std::string> cells;  // north-west first
  } cases[] = {
      {"rectangle on sheet edges", {{at(1, 1), at(3, 1), at(3, 3), at(1, 3)}}, {"2,1", "2,2", "1,1", "1,2"}},
      {"L-shape skips its notch",
       {{at(0, 0), at(3, 0), at(3, 1), at(1, 1), at(1, 3), at(0, 3)}},
       {"2,0", "1,0", "0,0", "0,1", "0,2"}},
      {"L-shape whose notch corner is inside a sheet",
       {{at(0, 0), at(3, 0), at(3, 1.5), at(1.5, 1.5), at(1.5, 3), at(0, 3)}},
       {"2,0", "2,1", "1,0", "1,1", "1,2", "0,0", "0,1", "0,2"}},
      {"diamond touching four sheets' corners", {{at(1, 0), at(2, 1), at(1, 2), at(0, 1)}}, {"1,0", "1,1", "0,0", "0,1"}},
      {"triangle along a diagonal of sheet corners", {{at(0, 0), at(2, 2), at(0, 2)}}, {"1,0", "1,1", "0,0"}},
      {"thin sliver inside one column", {{at(1.25, 0.5), at(1.75, 0.5), at(1.5, 3.5)}}, {"3,1", "2,1", "1,1", "0,1"}},
      {"hole of whole sheets",
       {{at(0, 0), at(3, 0), at(3, 3), at(0, 3)}, {at(1, 1), at(2, 1), at(2, 2), at(1, 2)}},
       {"2,0", "2,1", "2,2", "1,0", "1,2", "0,0", "0,1", "0,2"}},
      {"hole inside one sheet", {{at(0, 0), at(1, 0), at(1, 1), at(0, 1)}, {at(0.25, 0.25), at(0.75, 0.25), at(0.5, 0.75)}},
       {"0,0"}},
  };
  for (const auto& c : cases) EXPECT_EQ(cells(normalised(c.rings)), c.cells) << c.what;
}

// Across the 1:1,000,000 sheets J49, J50, K49, K50 (40° N, 114° E, the 6° zones' edge) and the
// 3° zones' edge at 115°30′ E: every 1:50,000 sheet the triangle's interior reaches.
TEST(SheetCover, AcrossMillionSheetsAndZones) {
  const ArcUnits deg = geodesy::kArcUnitsPerDegree, m = kArcUnitsPerMinute;
  AreaPolygon p{{ring({{113 * deg + 50 * m, 39 * deg + 50 * m}, {115 * deg + 40 * m, 39 * deg + 50 * m}, {114 * deg, 40 * deg + 10 * m}})}};
  Area a{{p}};
  NormaliseArea(a, name);
  const SheetCover cover = CoverArea(a, 50000);
  std::set<std::string> millions;
  for (const geodesy::MapSheet& s : ListSheets(cover)) millions.insert(geodesy::FormatSheetNumber(s).substr(0, 3));
  EXPECT_EQ(millions, (std::set<std::string>{"J49", "J50", "K49", "K50"}));
  // The north row from 113°55′ to 114°50′, the south row from 113°50′ to 115°40′.
  ASSERT_EQ(cover.runs.size(), 2u);
  EXPECT_EQ(cover.runs[0].row, (40 * deg) / (10 * m));
  EXPECT_EQ(cover.runs[0].firstColumn * cover.width, 113 * deg + 45 * m);
  EXPECT_EQ(cover.runs[0].lastColumn - cover.runs[0].firstColumn + 1, 5);
  EXPECT_EQ(cover.runs[1].firstColumn * cover.width, 113 * deg + 45 * m);
  EXPECT_EQ(cover.runs[1].lastColumn - cover.runs[1].firstColumn + 1, 8);
  EXPECT_EQ(cover.count, 13u);
  EXPECT_EQ(ListSheets(cover).back(), geodesy::SheetAt(39 * deg + 50 * m, 115 * deg + 30 * m, 50000));
}

// --- Square sheets ---------------------------------------------------------------------------

// A plane vertex in 1:500 square sheets (250 m) from x 10 km, y 27.5 km, in millimetres.
AreaPoint plane(double columns, double rows) {
  return {static_cast<ArcUnits>((27500 + columns * 250) * 1000), static_cast<ArcUnits>((10000 + rows * 250) * 1000)};
}

TEST(SquareCover, EdgesAndCornersAloneTouchNothing) {
  const struct {
    const char* what;
    std::vector<AreaPoint> ring;
    std::vector<std::string> numbers;  // north-west first
  } cases[] = {
      {"rectangle on sheet edges", {plane(1, 1), plane(3, 1), plane(3, 2), plane(1, 2)}, {"10.25-27.75", "10.25-28.00"}},
      {"L-shape skips its notch",
       {plane(0, 0), plane(2, 0), plane(2, 1), plane(1, 1), plane(1, 2), plane(0, 2)},
       {"10.25-27.50", "10.00-27.50", "10.00-27.75"}},
      {"triangle along a diagonal of sheet corners", {plane(0, 0), plane(2, 2), plane(0, 2)}, {"10.25-27.50", "10.25-27.75", "10.00-27.50"}},
      {"a millimetre into the next row", {plane(0, 0), plane(1, 0), {plane(1, 1).longitude, plane(1, 1).latitude + 1}},
       {"10.25-27.50", "10.00-27.50"}},
      {"the same on the row's edge", {plane(0, 0), plane(1, 0), plane(1, 1)}, {"10.00-27.50"}},
      {"sliver at the origin", {{0, 0}, {1, 0}, {0, 1}}, {"0.00-0.00"}},
  };
  for (const auto& c : cases) {
    Area a{{AreaPolygon{{ring(c.ring)}}}};
    NormalisePlaneArea(a, name);
    const SheetCover cover = CoverSquares(a, 500, {50, 50});
    std::vector<std::string> numbers;
    for (const geodesy::SquareSheet& s : ListSquareSheets(cover, {50, 50})) numbers.push_back(geodesy::FormatSquareNumber(s));
    EXPECT_EQ(numbers, c.numbers) << c.what;
    EXPECT_EQ(cover.count, c.numbers.size()) << c.what;
  }
  // 50 x 40 cm at 1:1,000: cells 500 m wide, 400 m high; an unnumberable size is refused.
  Area a{{AreaPolygon{{ring({{0, 0}, {1000 * 1000, 0}, {1000 * 1000, 1000 * 1000}})}}}};
  NormalisePlaneArea(a, name);
  const std::vector<geodesy::SquareSheet> sheets = ListSquareSheets(CoverSquares(a, 1000, {50, 40}), {50, 40});
  ASSERT_EQ(sheets.size(), 5u);  // rows 0.8-1.2, 0.4-0.8, 0-0.4 km; the north-west cell left of the diagonal
  EXPECT_EQ(sheets.front(), (geodesy::SquareSheet{1000, {50, 40}, 800, 500}));
  EXPECT_THROW(CoverSquares(a, 5000, {50, 50}), geodesy::GeodesyError);
  EXPECT_THROW(CoverSquares(a, 10000, {50, 50}), geodesy::GeodesyError);
}

// --- Random polygons against a per-sheet decision ---------------------------------------------

// Whether the segment a-b meets the open rectangle (Liang-Barsky with exact ratios).
bool meetsOpenBox(const AreaPoint& a, const AreaPoint& b, ArcUnits x0, ArcUnits y0, ArcUnits x1, ArcUnits y1) {
  exact::Ratio low{0, 1}, high{1, 1};
  const auto clip = [&](ArcUnits p, ArcUnits d, ArcUnits lo, ArcUnits hi) {
    if (d == 0) return lo < p && p < hi;
    const exact::Ratio s{lo - p, d}, t{hi - p, d};
    const exact::Ratio enter = d > 0 ? s : exact::Ratio{-t.num, -t.den};
    const exact::Ratio leave = d > 0 ? t : exact::Ratio{-s.num, -s.den};
    if (exact::less(low, enter)) low = enter;
    if (exact::less(leave, high)) high = leave;
    return true;
  };
  if (!clip(a.longitude, b.longitude - a.longitude, x0, x1)) return false;
  if (!clip(a.latitude, b.latitude - a.latitude, y0, y1)) return false;
  return exact::less(low, high);
}

// A sheet is touched when a boundary edge passes through its interior, or else when its centre
// is inside the area.
bool touched(const Area& a, const geodesy::SheetBounds& s) {
  const AreaPoint centre{(s.west + s.east) / 2, (s.south + s.north) / 2};
  bool inside = false;
  for (const AreaPolygon& p : a.polygons) {
    bool in = false;
    for (const AreaRing& r : p.rings) {
      for (std::size_t i = 0; i < r.vertices.size(); ++i) {
        if (meetsOpenBox(r.vertices[i], r.vertices[(i + 1) % r.vertices.size()], s.west, s.south, s.east, s.north)) return true;
      }
      in = in != exact::insideRing(r.vertices, centre);
    }
    inside = inside || in;
  }
  return inside;
}

// Star-shaped rings on a grid of quarter sheets, so that vertices and edges often fall on sheet
// edges and corners.
std::vector<AreaPoint> star(std::mt19937& rng, double cx, double cy, double radius) {
  std::uniform_int_distribution<int> count(3, 9);
  std::uniform_real_distribution<double> r(0.2 * radius, radius), jitter(0, 0.9);
  const int n = count(rng);
  std::vector<AreaPoint> v;
  for (int k = 0; k < n; ++k) {
    const double angle = 2 * geodesy::kPi * (k + jitter(rng)) / n, d = r(rng);
    v.push_back(at(std::round(4 * (cx + d * std::cos(angle))) / 4, std::round(4 * (cy + d * std::sin(angle))) / 4));
  }
  return v;
}

TEST(SheetCover, RandomPolygonsAgreeWithEverySheetTestedAlone) {
  std::mt19937 rng(20240611);
  int checked = 0;
  for (int round = 0; round < 600; ++round) {
    Area a;
    const int parts = 1 + round % 3;  // one polygon, then with a hole, then two overlapping
    a.polygons.push_back({{ring(star(rng, 3, 3, 3))}});
    if (parts == 2) a.polygons[0].rings.push_back(ring(star(rng, 3, 3, 0.8)));
    if (parts == 3) a.polygons.push_back({{ring(star(rng, 4, 2.5, 2.5))}});
    try {
      NormaliseArea(a, name);
    } catch (const AreaError&) {
      continue;  // snapping to the grid made it invalid
    }
    ++checked;
    std::vector<geodesy::MapSheet> expected;
    for (int row = 8; row >= -2; --row) {
      for (int column = -2; column <= 8; ++column) {
        const geodesy::MapSheet s = geodesy::SheetAt(kLat0 + row * H, kLon0 + column * W, 10000);
        if (touched(a, geodesy::BoundsOf(s))) expected.push_back(s);
      }
    }
    ASSERT_EQ(ListSheets(CoverArea(a, 10000)), expected) << "round " << round;
  }
  EXPECT_GT(checked, 300);
}

// --- Validity --------------------------------------------------------------------------------

TEST(AreaChecks, FaultsAreNamedByPlace) {
  const ArcUnits deg = geodesy::kArcUnitsPerDegree;
  const struct {
    std::vector<std::vector<AreaPoint>> rings;
    const char* message;
  } cases[] = {
      {{{at(0, 0), at(1, 0), at(1, 0), at(0, 0)}}, "p0r0: a ring needs at least three distinct vertices; this one has 2"},
      {{{at(0, 0), at(1, 1), at(2, 2)}}, "p0r0v0: the polygon's boundary meets itself: the edge from here to p0r0v1 meets the edge from p0r0v2 to p0r0v0"},
      {{{at(0, 0), at(2, 0), at(0, 2), at(2, 2)}},
       "p0r0v1: the polygon's boundary meets itself: the edge from here to p0r0v2 meets the edge from p0r0v3 to p0r0v0"},
      {{{at(0, 0), at(2, 0), at(2, 2), at(1, 0), at(0, 2)}},  // touches its own edge
       "p0r0v0: the polygon's boundary meets itself: the edge from here to p0r0v1 meets the edge from p0r0v3 to p0r0v4"},
      {{{at(0, 0), at(4, 0), at(2, 0), at(2, 2)}},  // turns back along its edge
       "p0r0v0: the polygon's boundary meets itself: the edge from here to p0r0v1 meets the edge from p0r0v1 to p0r0v2"},
      {{{at(0, 0), at(4, 0), at(4, 4), at(0, 4)}, {at(1, 1), at(5, 1), at(1, 2)}},
       "p0r0v1: the polygon's boundary meets itself: the edge from here to p0r0v2 meets the edge from p0r1v0 to p0r1v1"},
      {{{at(0, 0), at(4, 0), at(4, 4), at(0, 4)}, {at(0, 0), at(1, 1), at(1, 2)}},
       "p0r0v0: the polygon's boundary meets itself: the edge from here to p0r0v1 meets the edge from p0r1v0 to p0r1v1"},
      {{{at(0, 0), at(4, 0), at(4, 4), at(0, 4)}, {at(5, 1), at(6, 1), at(6, 2)}}, "p0r1: a hole must lie inside its polygon's outer ring (p0r0)"},
      {{{at(0, 0), at(4, 0), at(4, 4), at(0, 4)}, {at(1, 1), at(3, 1), at(3, 3), at(1, 3)}, {at(1.5, 1.5), at(2, 1.5), at(2, 2)}},
       "p0r2: a hole lies inside another hole (p0r1)"},
      {{{{0, 88 * deg + 1}, {deg, 0}, {deg, deg}}}, "p0r0v0: 88°00′00.0001″ N, 0°00′00″ E is north of 88° N, where the sheets end"},
      {{{{0, 0}, {180 * deg + 1, 0}, {deg, deg}}}, "p0r0v1: 0°00′00″ N, 180°00′00.0001″ E is east of 180° E, where the sheets end"},
      {{{{0, 0}, {deg, -1}, {deg, deg}}}, "p0r0v1: -0°00′00.0001″ N, 1°00′00″ E is south of the equator: the southern hemisphere is not supported"},
      {{{{0, 0}, {-deg, 0}, {deg, deg}}}, "p0r0v1: 0°00′00″ N, -1°00′00″ E is west of 0°: the western hemisphere is not supported"},
  };
  for (const auto& c : cases) {
    try {
      normalised(c.rings);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const AreaError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  const ArcUnits limit = kPlaneLimit;
  const struct {
    std::vector<AreaPoint> ring;
    const char* message;
  } plane[] = {
      {{{0, 0}, {5, -1}, {5, 5}}, "p0r0v1: x -0.001, y 0.005 lies south of x 0, where the square sheets start"},
      {{{0, 0}, {-1500, 5}, {5, 5}}, "p0r0v1: x 0.005, y -1.5 lies west of y 0, where the square sheets start"},
      {{{0, 0}, {5, limit + 1}, {5, 5}}, "p0r0v1: x 10000000.001, y 0.005 lies more than 10,000 km from the origin: no plane coordinates in metres"},
      {{{0, 0}, {5, 5}, {5, 5}}, "p0r0: a ring needs at least three distinct vertices; this one has 2"},
  };
  for (const auto& c : plane) {
    Area a{{AreaPolygon{{ring(c.ring)}}}};
    try {
      NormalisePlaneArea(a, name);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const AreaError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  // The plane's corners are its own: a triangle up to 10,000 km is accepted.
  Area far{{AreaPolygon{{ring({{0, 0}, {limit, 0}, {limit, limit}})}}}};
  EXPECT_NO_THROW(NormalisePlaneArea(far, name));
  // The very corners of the sheets are theirs: a triangle up to 88° N and 180° E is accepted.
  const Area edge = normalised({{{179 * deg, 87 * deg}, {180 * deg, 87 * deg}, {180 * deg, 88 * deg}}});
  EXPECT_EQ(geodesy::FormatSheetNumber(ListSheets(CoverArea(edge, 1000000)).front()), "V60");
}

}  // namespace
}  // namespace veskar::mapsheet
