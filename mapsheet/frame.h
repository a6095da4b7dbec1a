// The finished frame of a national map sheet, as printed sheets have it: the inner frame with
// minute ticks and corner coordinates, the kilometre grid with its numbers, the outer frame,
// the sheet number (and name), the adjoining-sheet diagram, the scale and the coordinate
// system. Built from the sheet in exact units, projected in the sheet's own zone, as a sketch
// ready to be drawn; nothing is sent anywhere here.
//
// Also the bare frame: the sheet's two meridians and two parallels with their corner labels
// and the number above, drawn as a graticule.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "geodesy/geodesy.h"
#include "geodesy/sheets.h"
#include "graticule/graticule.h"
#include "mapsheet/sketch.h"

namespace veskar::mapsheet {

// A sheet that cannot be drawn as asked: the message names the part at fault.
class FrameError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct FrameRequest {
  geodesy::MapSheet sheet{};
  geodesy::CoordinateSystem system = geodesy::CoordinateSystem::CGCS2000;
  // The kilometre grid's interval in km: empty for the scale's default, 0 for no grid.
  std::optional<double> gridKm;
  std::string title;        // the sheet's name above its number; empty for none
  bool zonePrefix = false;  // eastings with the zone number in front
};

// The inner frame as drawn: the corners, and the ring of the four edges (south edge from the
// south-west corner, then the east, north and west edges; the first vertex not repeated).
struct InnerFrame {
  PlaneVertex sw, se, ne, nw;
  std::vector<PlaneVertex> ring;
};

// A kilometre grid line clipped to the inner frame. An easting line runs from south to north
// (`value` its easting), a northing line from west to east (its northing); metres as drawn.
struct GridLine {
  bool easting = true;
  double value = 0;
  PlaneVertex start, end;
  std::string label;  // at both ends: the full value or its last two kilometre digits
};

struct FinishedFrame {
  geodesy::ProjectionZone zone{};
  double eastingOffset = 0;   // what the zone number in front adds to every easting
  double metresPerMm = 0;     // on the ground, per millimetre on paper
  InnerFrame inner;
  double gridInterval = 0;    // metres; 0 without a grid
  std::vector<GridLine> grid;
  Sketch sketch;              // everything, in the order it is drawn
};

// The grid interval the request asks for, in whole metres (0: none). Throws FrameError for an
// interval that is not a positive finite number of km in whole metres.
long long gridIntervalMetres(const FrameRequest& request);

// The whole finished frame. Throws FrameError when the grid would have more than kMaxGridLines
// lines or the interval is unusable, geodesy::GeodesyError for a sheet that is no sheet.
FinishedFrame buildFinishedFrame(const FrameRequest& request);

// The bare frame as a graticule: meridians and parallels of the sheet's edges, densified to the
// chord limit, corner labels in D°M′S″ `labelHeight` metres high (3 mm on paper when empty),
// the number above the north edge.
graticule::GraticuleGrid buildBareFrame(const FrameRequest& request, std::optional<double> labelHeight = {});

}  // namespace veskar::mapsheet
