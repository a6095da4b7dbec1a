#include "mapsheet/sheet_geojson.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>


namespace veskar::mapsheet {
namespace {

using geodesy::ArcUnits;

// from + (to - from) * k / n in degrees: one rounding of the exact ratio.
double stepDegrees(ArcUnits from, ArcUnits to, ArcUnits k, ArcUnits n) {
  const ArcUnits numerator = from * n + (to - from) * k;
  return static_cast<double>(numerator) / static_cast<double>(n * geodesy::kArcUnitsPerDegree);
}

// The edge from one corner to the next, without its end.
void addEdge(ArcUnits lon0, ArcUnits lat0, ArcUnits lon1, ArcUnits lat1, std::vector<std::array<double, 2>>& out) {
  const ArcUnits length = std::max(lon1 > lon0 ? lon1 - lon0 : lon0 - lon1, lat1 > lat0 ? lat1 - lat0 : lat0 - lat1);
  const ArcUnits steps = (length + kOutlineStep - 1) / kOutlineStep;
  for (ArcUnits k = 0; k < steps; ++k)
    out.push_back({stepDegrees(lon0, lon1, k, steps), stepDegrees(lat0, lat1, k, steps)});
}

std::string number(double v) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

const char* crsOf(geodesy::CoordinateSystem system) {
  switch (system) {
    case geodesy::CoordinateSystem::Beijing54: return "urn:ogc:def:crs:EPSG::4214";
    case geodesy::CoordinateSystem::IAG75: return "urn:ogc:def:crs:EPSG::4610";
    default: return "urn:ogc:def:crs:EPSG::4490";
  }
}

void feature(const geodesy::MapSheet& s, std::ostream& out) {
  const std::optional<std::string> former = geodesy::FormerSheetNumber(s);
  out << "{\"type\":\"Feature\",\"properties\":{\"number\":\"" << geodesy::FormatSheetNumber(s)
      << "\",\"old_number\":" << (former ? "\"" + *former + "\"" : "null") << ",\"scale\":" << s.scaleDenominator
      << "},\"geometry\":{\"type\":\"Polygon\",\"coordinates\":[[";
  bool first = true;
  for (const auto& [lon, lat] : SheetOutline(s)) {
    out << (first ? "[" : ",[") << number(lon) << "," << number(lat) << "]";
    first = false;
  }
  out << "]]}}";
}

}  // namespace

std::vector<std::array<double, 2>> SheetOutline(const geodesy::MapSheet& sheet) {
  const geodesy::SheetBounds b = geodesy::BoundsOf(sheet);
  std::vector<std::array<double, 2>> out;
  addEdge(b.west, b.south, b.east, b.south, out);
  addEdge(b.east, b.south, b.east, b.north, out);
  addEdge(b.east, b.north, b.west, b.north, out);
  addEdge(b.west, b.north, b.west, b.south, out);
  out.push_back(out.front());
  return out;
}

void WriteSheetsGeoJson(const std::vector<geodesy::MapSheet>& sheets, geodesy::CoordinateSystem system,
                        std::ostream& out) {
  out << "{\"type\":\"FeatureCollection\",\"crs\":{\"type\":\"name\",\"properties\":{\"name\":\"" << crsOf(system)
      << "\"}},\"features\":[\n";
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    feature(sheets[i], out);
    out << (i + 1 < sheets.size() ? ",\n" : "\n");
  }
  out << "]}\n";
}

}  // namespace veskar::mapsheet
