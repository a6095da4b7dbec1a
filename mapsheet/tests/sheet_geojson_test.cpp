// A sheet's outline for GIS: closed, counter-clockwise, steps of at most 1′, exact corners.
#include <gtest/gtest.h>

#include <cmath>

#include "mapsheet/sheet_geojson.h"

namespace veskar::mapsheet {
namespace {

TEST(SheetOutline, EdgesInStepsOfAtMostOneMinute) {
  const struct {
    const char* number;
    std::size_t vertices;  // steps per edge, south, east, north, west, and the closing vertex
    std::array<double, 2> second;
  } cases[] = {
      {"J50", 360 + 240 + 360 + 240 + 1, {114 + 1.0 / 60, 36}},
      {"J50G015010", 4 + 3 + 4 + 3 + 1, {114.5625 + 0.9375 / 60, 39.375}},
      {"J50H005080", 2 + 2 + 2 + 2 + 1, {116.46875 + 0.9375 / 60, 39.895833333333336}},
  };
  for (const auto& c : cases) {
    const auto outline = SheetOutline(geodesy::ParseSheetNumber(c.number));
    ASSERT_EQ(outline.size(), c.vertices) << c.number;
    const geodesy::SheetBounds b = geodesy::BoundsOf(geodesy::ParseSheetNumber(c.number));
    EXPECT_EQ(outline.front(), (std::array<double, 2>{geodesy::ArcUnitsToDegrees(b.west), geodesy::ArcUnitsToDegrees(b.south)}));
    EXPECT_EQ(outline.back(), outline.front());
    EXPECT_EQ(outline[1], c.second) << c.number;
    EXPECT_EQ(outline[outline.size() / 2][0], geodesy::ArcUnitsToDegrees(b.east)) << c.number;  // the north-east corner
    EXPECT_EQ(outline[outline.size() / 2][1], geodesy::ArcUnitsToDegrees(b.north)) << c.number;
    double twiceArea = 0, longest = 0;
    for (std::size_t i = 0; i + 1 < outline.size(); ++i) {
      twiceArea += outline[i][0] * outline[i + 1][1] - outline[i + 1][0] * outline[i][1];
      longest = std::max(longest, std::hypot(outline[i + 1][0] - outline[i][0], outline[i + 1][1] - outline[i][1]));
    }
    EXPECT_GT(twiceArea, 0) << c.number;  // counter-clockwise
    EXPECT_LE(longest, 1.0 / 60 + 1e-12) << c.number;
  }
}

}  // namespace
}  // namespace veskar::mapsheet
