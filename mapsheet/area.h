// A survey area and the map sheets it touches.
//
// The area. One or more polygons (a GeoJSON MultiPolygon is their union; they may overlap or
// touch), each an outer ring with any number of holes. Vertices are exact angles (ArcUnits,
// 1/10000″), longitude and latitude, and every edge is the straight line between its two
// vertices in longitude and latitude: the line whose latitude changes in proportion to its
// longitude ("straight in degrees"), as GIS programs take the edges of polygons in geographic
// coordinates. Such an edge is not the geodesic between its ends: at 40° N an east-west edge
// of 1 km lies up to 2 cm from it, of 10 km 1.6 m, of 1° 120 m; a diagonal degree 320 m. A long
// edge meant as a geodesic should be given as shorter ones.
//
// Validity, checked by NormaliseArea: every ring has at least three distinct vertices; no ring
// crosses or touches itself, and the rings of one polygon neither cross nor touch one another; every hole lies inside its polygon's outer ring and outside its
// other holes; every vertex lies within the sheets (0° to 88° N, 0° to 180° E). The polygons of
// an area are not checked against each other.
//
// The cover. A sheet is touched when its interior and the area's interior share a point: a
// sheet that meets the area only along an edge or at a corner, or that lies wholly inside a
// hole, is not. The decision is exact: every sheet edge is a whole number of ArcUnits, and the
// polygon's edges are compared with it in 128-bit integer arithmetic, never in floating point.
// The sheets are found row by row: in each horizontal slab between two vertex latitudes the
// polygon's interior is a set of trapezoids, whose extents in longitude give the columns. So
// the count is known before a single sheet is listed, and the cost grows with the number of
// rows and vertices, not with the sheets in the area's bounding box.
//
// Plane areas, for square sheets. The same polygons in plane coordinates of a drawing, in whole
// millimetres: y (easting) where the national area holds longitude, x (northing) where it holds
// latitude, so that the sweep, the edges' and the sheets' exact arithmetic are the same. Square
// sheets start at the origin: every vertex has x and y from 0 to 10,000 km
// (NormalisePlaneArea); so the coordinates stay within the bounds exact.h relies on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "geodesy/sheets.h"
#include "geodesy/square.h"

namespace veskar::mapsheet {

using geodesy::ArcUnits;

struct AreaPoint {
  ArcUnits longitude;  // x; in a plane area, y (easting) in millimetres
  ArcUnits latitude;   // y; in a plane area, x (northing) in millimetres
  bool operator==(const AreaPoint&) const = default;
};

// A closed ring: the last vertex joins the first (it is not repeated).
struct AreaRing {
  std::vector<AreaPoint> vertices;
  // Where each vertex came from, in the reader's own numbering (a line number, an index in a
  // coordinate array): messages name vertices by it.
  std::vector<std::size_t> source;
};

struct AreaPolygon {
  std::vector<AreaRing> rings;  // the outer ring, then the holes
};

struct Area {
  std::vector<AreaPolygon> polygons;
};

// An area that cannot be used; the message names the file and the line or the place in it.
class AreaError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Names a place for a message: a ring (no vertex) or one of its vertices by its source number.
// "lines 1-5", "line 7", "$.features[2].geometry.coordinates[0][5]".
using PlaceNamer = std::function<std::string(std::size_t polygon, std::size_t ring, std::optional<std::size_t> vertex)>;

// Drops vertices that repeat the one before (and a last vertex that repeats the first), then
// checks the area as described above. Throws AreaError "PLACE: what is wrong".
void NormaliseArea(Area& area, const PlaceNamer& name);

// Millimetres in a metre, the unit of plane areas, and the farthest a plane vertex may lie
// from the origin in x and in y: 10,000 km.
inline constexpr std::int64_t kPlaneUnitsPerMetre = 1000;
inline constexpr std::int64_t kPlaneLimit = 10000000 * kPlaneUnitsPerMetre;

// NormaliseArea for a plane area: the same checks, with every vertex's x and y from 0 to
// kPlaneLimit.
void NormalisePlaneArea(Area& area, const PlaceNamer& name);

// The rectangle from south-west to north-east as an area (not normalised).
Area RectangleArea(ArcUnits south, ArcUnits west, ArcUnits north, ArcUnits east);

// The area's extent.
struct AreaBounds {
  ArcUnits west, south, east, north;
};
AreaBounds ExtentOf(const Area& area);

// A run of touched sheets in one row: columns first to last, both included. Rows and columns
// are counted over the whole grid of the scale, from the equator and from 0° E (from x 0 and
// y 0 in a plane): row r spans r to r + 1 sheet heights north of the equator.
struct SheetRun {
  std::int64_t row;
  std::int64_t firstColumn, lastColumn;
};

struct SheetCover {
  int scaleDenominator = 0;
  ArcUnits width = 0, height = 0;  // of one sheet, in the area's units
  std::vector<SheetRun> runs;      // rows from north to south, runs from west to east, disjoint
  std::uint64_t count = 0;         // sheets in all runs
};

// The cells of the grid of `width` x `height` (from 0 in both axes) that a normalised area
// touches; the cover's scale stays 0.
SheetCover CoverGrid(const Area& area, ArcUnits width, ArcUnits height);

// The sheets of the scale that a normalised area touches. Throws geodesy::GeodesyError for a
// scale without sheets.
SheetCover CoverArea(const Area& area, int scaleDenominator);

// The sheets of a cover, row by row from the north-west.
std::vector<geodesy::MapSheet> ListSheets(const SheetCover& cover);

// The square sheets of the scale and size that a normalised plane area touches. Throws
// geodesy::GeodesyError for a scale without square sheets or a size it cannot number.
SheetCover CoverSquares(const Area& planeArea, int scaleDenominator, geodesy::SquareSize size);

// The square sheets of such a cover, row by row from the north-west.
std::vector<geodesy::SquareSheet> ListSquareSheets(const SheetCover& cover, geodesy::SquareSize size);

}  // namespace veskar::mapsheet
