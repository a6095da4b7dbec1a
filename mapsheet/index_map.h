// The index map of a survey area: the inner frame of every sheet the area touches with the
// sheet's number at its centre, and the area's boundary, in Gauss-Krüger metres of one zone.
//
// The drawing. An index map is a map of its own, at ten times the sheets' scale denominator
// (1:50,000 for 1:5,000 sheets, where a sheet is about 5 cm wide): numbers 3 mm high on that
// paper, and every frame edge and boundary edge cut into chords that stay within 0.05 mm on
// paper of the true line (the sheet's parallel or meridian; the boundary's edge, straight in
// longitude and latitude). Frames are closed polylines on the layer 图廓, numbers texts centred
// on the sheet's centre on 注记, the boundary's rings closed red polylines 0.5 mm wide on
// 测区范围 (mapsheet/layers.h).
//
// The zone is that of the centre of the area's extent: 3° zones at 1:10,000 and 1:5,000,
// 6° zones at smaller scales, as the sheets themselves are drawn.
//
// Square sheets. Their index map is drawn the same way and at the same scale, in the plane
// coordinates of the area as they are (nothing projected, every edge straight), eastings with
// the zone number in front when the sheets' numbers carry it.
#pragma once

#include <string>
#include <vector>

#include "cad/automation.h"
#include "geodesy/geodesy.h"
#include "graticule/graticule.h"
#include "mapsheet/area.h"
#include "mapsheet/sketch.h"

namespace veskar::mapsheet {

// The index map's own scale denominator: ten times the sheets'.
inline constexpr int kIndexMapScaleFactor = 10;

struct IndexMapFrame {
  std::string number;
  std::vector<double> outline;  // x0, y0, x1, y1, ... (easting, northing), not repeating the first
  graticule::PlaneVertex centre;
};

struct IndexMap {
  int sheetScale = 0;                 // the sheets' denominator
  geodesy::ProjectionZone zone{};     // national sheets: the zone drawn in (square sheets: none)
  geodesy::CoordinateSystem system = geodesy::CoordinateSystem::CGCS2000;  // national sheets
  double textHeight = 0;              // metres
  double boundaryWidth = 0;           // metres
  std::vector<IndexMapFrame> frames;
  std::vector<std::vector<double>> boundary;  // every ring of the area, as the outlines
  std::size_t entityCount() const { return 2 * frames.size() + boundary.size(); }
};

// The zone the index map of the area at this scale is drawn in.
geodesy::ProjectionZone IndexMapZone(const Area& area, int sheetScale);

// How far the cover's sheets reach from the zone's central meridian, in degrees.
double ReachOf(const SheetCover& cover, const geodesy::ProjectionZone& zone);

// The index map of the area and its cover; `textHeight` in metres, 0 for 3 mm on paper.
// Throws GeodesyError when a point cannot be projected.
IndexMap BuildIndexMap(const Area& area, const SheetCover& cover, geodesy::CoordinateSystem system,
                       double textHeight = 0);

// The index map of a plane area and its square sheets' cover (CoverSquares with `size`);
// `zone` > 0: eastings and numbers with that zone number in front; `textHeight` as above.
IndexMap BuildSquareIndexMap(const Area& planeArea, const SheetCover& cover, geodesy::SquareSize size, int zone = 0,
                             double textHeight = 0);

// The index map ready to be drawn: every frame and its number, then the boundary.
Sketch IndexMapSketch(const IndexMap& map);

}  // namespace veskar::mapsheet
