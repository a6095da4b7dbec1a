// The finished frame of a square (or rectangular) large-scale sheet, as printed: the inner
// frame, grid crosses every 10 cm on paper with short ticks where the grid meets the inner
// frame, the corners' coordinates in km, the outer frame, number (and name), adjoining sheets,
// scale and coordinate system. Plane coordinates as they are; nothing is projected.
#pragma once

#include <string>
#include <vector>

#include "geodesy/square.h"
#include "mapsheet/sketch.h"

namespace veskar::mapsheet {

struct SquareFrameRequest {
  geodesy::SquareSheet sheet;
  int zone = 0;        // > 0: eastings (and the numbers' y) with this zone number in front
  std::string title;   // the sheet's name above its number; empty for none
  std::string system;  // the coordinate system's name at the lower left (free text); empty for none
};

struct SquareFrame {
  double metresPerMm = 0;
  PlaneVertex sw, se, ne, nw;        // the inner frame's corners as drawn
  std::vector<PlaneVertex> crosses;  // the grid points inside the frame
  Sketch sketch;
};

SquareFrame buildSquareFrame(const SquareFrameRequest& request);

}  // namespace veskar::mapsheet
