// Extents of a drawing: what the viewer is opened on.
#include <gtest/gtest.h>

#include "cad/drawing.h"

namespace veskar::cad {
namespace {

TEST(Extents, EmptyDrawing) { EXPECT_TRUE(DrawingData{}.extents().empty); }

TEST(Extents, PolylineVertices) {
  DrawingData d;
  d.entities.push_back(PolylineData{{500000.5, 3000000, 499000, 3100000.25, 501000, 2900000}, 6});
  const Extents e = d.extents();
  EXPECT_FALSE(e.empty);
  EXPECT_EQ(e.minX, 499000);
  EXPECT_EQ(e.maxX, 501000);
  EXPECT_EQ(e.minY, 2900000);
  EXPECT_EQ(e.maxY, 3100000.25);
}

struct TextRow {
  const char* label;
  int horizontal, vertical;
  double minX, minY, maxX, maxY;
};

TEST(Extents, TextBoxFollowsAlignment) {
  // "abcd", height 2, width factor 0.5: a box 4 wide and 2 high, anchored at (100, 50) for any
  // alignment but baseline-left, where the insertion point (10, 5) anchors it.
  const TextRow rows[] = {
      {"baseline left", 0, 0, 10, 5, 14, 7},
      {"bottom left", 0, 1, 10, 5, 104, 52},
      {"top right", 2, 3, 10, 5, 100, 50},
      {"middle center", 1, 2, 10, 5, 102, 51},
      {"middle", 4, 0, 10, 5, 102, 51},
  };
  for (const TextRow& r : rows) {
    DrawingData d;
    TextData t;
    t.string = "abcd";
    t.height = 2;
    t.widthFactor = 0.5;
    t.insertionPoint = {10, 5, 0};
    t.alignmentPoint = {100, 50, 0};
    t.horizontalAlignment = r.horizontal;
    t.verticalAlignment = r.vertical;
    d.entities.push_back(t);
    const Extents e = d.extents();
    EXPECT_EQ(e.minX, r.minX) << r.label;
    EXPECT_EQ(e.minY, r.minY) << r.label;
    EXPECT_EQ(e.maxX, r.maxX) << r.label;
    EXPECT_EQ(e.maxY, r.maxY) << r.label;
  }
}

TEST(Extents, RotatedTextTurnsAboutItsAnchor) {
  DrawingData d;
  TextData t;
  t.string = "ab";
  t.height = 1;
  t.insertionPoint = {0, 0, 0};
  t.rotation = 3.14159265358979 / 2;
  d.entities.push_back(t);
  const Extents e = d.extents();
  EXPECT_NEAR(e.minX, -1, 1e-12);
  EXPECT_NEAR(e.maxX, 0, 1e-12);
  EXPECT_NEAR(e.minY, 0, 1e-12);
  EXPECT_NEAR(e.maxY, 2, 1e-12);
}

}  // namespace
}  // namespace veskar::cad
