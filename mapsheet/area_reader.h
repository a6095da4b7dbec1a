// Reading a survey area from a file, in either of two forms, told apart by the first character
// that is not blank:
//
//   GeoJSON ("{"): a Polygon or MultiPolygon, or a Feature or FeatureCollection whose features
//   hold them; positions [longitude, latitude] in decimal degrees (a third value, the height,
//   is ignored), rounded to the nearest 1/10000″. Rings may be closed (the last position
//   repeating the first) or not. A "crs" member, where there is one, must name geographic
//   coordinates (EPSG 4326, 4490, 4214, 4610 or OGC CRS84). Any other geometry is refused.
//
//   Lines "B L": latitude and longitude in packed DMS (39.2230 114.3345), separated by blanks
//   or a comma, one vertex a line, read exactly as PackedToArcUnits reads them; one polygon,
//   closed automatically. Blank lines and lines starting with "#" are skipped.
//
// Plane areas for square sheets come only as lines "x y": x (northing) then y (easting) in
// metres, separated as above, each read exactly from its digits and rounded to the nearest
// millimetre (no exponents); with a zone number, y carries it in front (39525500.5 in zone 39).
//
// The area is then normalised and checked (NormaliseArea, NormalisePlaneArea). Every failure is an AreaError whose
// message starts with the file's name and the place at fault:
//   "area.txt: line 7: \"39.6x\" is not a number"
//   "area.geojson: $.features[2].geometry.coordinates[0][5]: the polygon's boundary meets ..."
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "mapsheet/area.h"

namespace veskar::mapsheet {

// The area in `text`; `fileName` starts every message.
Area ReadArea(std::string_view text, const std::string& fileName);

// The area in the file at `path` (UTF-8); the path starts every message.
Area ReadAreaFile(const std::string& path);

// A plane area from lines "x y"; `zone` > 0: y carries that zone's number.
Area ReadPlaneArea(std::string_view text, const std::string& fileName, int zone = 0);
Area ReadPlaneAreaFile(const std::string& path, int zone = 0);

// Metres as written ("3810500.25", "-12", "+.5") in whole millimetres, the nearest (halves
// away from 0); nothing for what is no such number or has more than 12 digits before the point.
std::optional<std::int64_t> MetresToMillimetres(std::string_view text);

}  // namespace veskar::mapsheet
