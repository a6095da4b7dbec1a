#include <gtest/gtest.h>

#include "cad/inprocess.h"
#include "mapsheet/layers.h"

namespace veskar::mapsheet {
namespace {

TEST(SheetLayers, AreAddedOnceWithTheirNames) {
  auto doc = cad::makeInProcessDocument("d.dxf");
  const SheetLayer first[] = {SheetLayer::Frame, SheetLayer::Grid}, second[] = {SheetLayer::Grid, SheetLayer::Notes};
  addLayers(*doc, first);
  addLayers(*doc, second);
  const cad::DrawingData& d = *cad::drawingOf(*doc);
  ASSERT_EQ(d.layers.size(), 4u);
  EXPECT_EQ(d.layers[1].name, "图廓");
  EXPECT_EQ(d.layers[2].name, "方里网");
  EXPECT_EQ(d.layers[3].name, "注记");
}

}  // namespace
}  // namespace veskar::mapsheet
