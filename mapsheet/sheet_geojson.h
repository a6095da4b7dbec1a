// Map sheets as GeoJSON for GIS programs: one Polygon feature per sheet, in longitude and
// latitude of the sheets' own coordinate system.
#pragma once

#include <array>
#include <ostream>
#include <vector>

#include "geodesy/geodesy.h"
#include "geodesy/sheets.h"

namespace veskar::mapsheet {

// The longest step between two vertices of a sheet's outline: 1′.
inline constexpr geodesy::ArcUnits kOutlineStep = geodesy::kArcUnitsPerMinute;

// The sheet's outline, [longitude, latitude] in decimal degrees: counter-clockwise from the
// south-west corner and back to it, each edge cut into equal steps of at most 1′, so that a
// program that draws straight lines between the vertices stays close to the sheet's parallels
// and meridians in any projection. Every vertex is the double nearest to its exact angle.
std::vector<std::array<double, 2>> SheetOutline(const geodesy::MapSheet& sheet);

// A FeatureCollection of the sheets, in their order, each with the properties number,
// old_number (null where there is none) and scale, and the member "crs" naming the geographic
// coordinates of `system` (EPSG 4490 CGCS2000, 4214 Beijing 1954, 4610 Xi'an 1980), which GDAL
// and QGIS read. One feature a line.
void WriteSheetsGeoJson(const std::vector<geodesy::MapSheet>& sheets, geodesy::CoordinateSystem system,
                        std::ostream& out);

}  // namespace veskar::mapsheet
