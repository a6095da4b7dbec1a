#include "mapsheet/index_map.h"

#include <algorithm>
#include <cmath>

#include "mapsheet/layers.h"

namespace veskar::mapsheet {
namespace {

using graticule::PlaneVertex;

// On the index map's paper, in millimetres.
constexpr double kTextMillimetres = 3.0;
constexpr double kBoundaryMillimetres = 0.5;
constexpr double kChordMillimetres = 0.05;

double metresOnGround(double millimetres, int sheetScale) {
  return millimetres * sheetScale * kIndexMapScaleFactor / 1000.0;
}

double offChord(const PlaneVertex& a, const PlaneVertex& b, const PlaneVertex& p) {
  const double dx = b.easting - a.easting, dy = b.northing - a.northing;
  const double length = std::hypot(dx, dy);
  if (length == 0) return std::hypot(p.easting - a.easting, p.northing - a.northing);
  return std::abs(dx * (p.northing - a.northing) - dy * (p.easting - a.easting)) / length;
}

class Projector {
 public:
  Projector(const geodesy::ProjectionZone& zone, geodesy::CoordinateSystem system, double tolerance)
      : centralMeridian_(zone.centralMeridian), p_(geodesy::LoadProjectionParameters(system)), tolerance_(tolerance) {}

  PlaneVertex at(double latitude, double longitude) const {
    const geodesy::PlanePoint xy = geodesy::XY(geodesy::Degdms(latitude), geodesy::Degdms(longitude), centralMeridian_, p_);
    return {xy.y, xy.x};
  }

  PlaneVertex at(const AreaPoint& v) const {
    const geodesy::PlanePoint xy = geodesy::XY(geodesy::ArcUnitsToPacked(v.latitude), geodesy::ArcUnitsToPacked(v.longitude),
                                               centralMeridian_, p_);
    return {xy.y, xy.x};
  }

  // The line from a to b, straight in longitude and latitude, without b: cut into 2^k equal
  // steps until no chord lies farther than the tolerance from the line at its quarter points.
  void edge(const AreaPoint& a, const AreaPoint& b, std::vector<double>& out) const {
    const double lat0 = geodesy::ArcUnitsToDegrees(a.latitude), lon0 = geodesy::ArcUnitsToDegrees(a.longitude);
    const double dLat = geodesy::ArcUnitsToDegrees(b.latitude) - lat0, dLon = geodesy::ArcUnitsToDegrees(b.longitude) - lon0;
    const auto point = [&](double t) { return t == 0 ? at(a) : (t == 1 ? at(b) : at(lat0 + dLat * t, lon0 + dLon * t)); };
    std::size_t steps = 1;
    for (; steps < (1u << 16); steps *= 2) {
      bool close = true;
      const double n = static_cast<double>(steps);
      for (std::size_t k = 0; k < steps && close; ++k) {
        const double t = static_cast<double>(k);
        const PlaneVertex u = point(t / n), v = point((t + 1) / n);
        for (double q : {0.25, 0.5, 0.75}) close = close && offChord(u, v, point((t + q) / n)) <= tolerance_;
      }
      if (close) break;
    }
    for (std::size_t k = 0; k < steps; ++k) {
      const PlaneVertex v = point(static_cast<double>(k) / static_cast<double>(steps));
      out.push_back(v.easting);
      out.push_back(v.northing);
    }
  }

  std::vector<double> ring(const std::vector<AreaPoint>& corners) const {
    std::vector<double> out;
    for (std::size_t i = 0; i < corners.size(); ++i) edge(corners[i], corners[(i + 1) % corners.size()], out);
    return out;
  }

 private:
  double centralMeridian_;
  geodesy::ProjectionParameters p_;
  double tolerance_;
};

IndexMapFrame frameOf(const geodesy::MapSheet& s, const Projector& projector) {
  const geodesy::SheetBounds b = geodesy::BoundsOf(s);
  IndexMapFrame f;
  f.number = geodesy::FormatSheetNumber(s);
  f.outline = projector.ring({{b.west, b.south}, {b.east, b.south}, {b.east, b.north}, {b.west, b.north}});
  f.centre = projector.at(geodesy::ArcUnitsToDegrees(b.south + b.north) / 2, geodesy::ArcUnitsToDegrees(b.west + b.east) / 2);
  return f;
}

}  // namespace

geodesy::ProjectionZone IndexMapZone(const Area& area, int sheetScale) {
  const AreaBounds e = ExtentOf(area);
  return geodesy::ZoneOf(geodesy::SheetAt((e.south + e.north) / 2, (e.west + e.east) / 2, sheetScale));
}

double ReachOf(const SheetCover& cover, const geodesy::ProjectionZone& zone) {
  if (cover.runs.empty()) return 0;
  std::int64_t first = cover.runs.front().firstColumn, last = cover.runs.front().lastColumn;
  for (const SheetRun& r : cover.runs) {
    first = std::min(first, r.firstColumn);
    last = std::max(last, r.lastColumn);
  }
  const double centre = zone.centralMeridian;
  return std::max(std::abs(geodesy::ArcUnitsToDegrees(first * cover.width) - centre),
                  std::abs(geodesy::ArcUnitsToDegrees((last + 1) * cover.width) - centre));
}

IndexMap BuildIndexMap(const Area& area, const SheetCover& cover, geodesy::CoordinateSystem system, double textHeight) {
  IndexMap map;
  map.sheetScale = cover.scaleDenominator;
  map.zone = IndexMapZone(area, cover.scaleDenominator);
  map.system = system;
  map.textHeight = textHeight > 0 ? textHeight : metresOnGround(kTextMillimetres, map.sheetScale);
  map.boundaryWidth = metresOnGround(kBoundaryMillimetres, map.sheetScale);
  const Projector projector(map.zone, system, metresOnGround(kChordMillimetres, map.sheetScale));
  for (const geodesy::MapSheet& s : ListSheets(cover)) map.frames.push_back(frameOf(s, projector));
  for (const AreaPolygon& polygon : area.polygons) {
    for (const AreaRing& ring : polygon.rings) map.boundary.push_back(projector.ring(ring.vertices));
  }
  return map;
}

IndexMap BuildSquareIndexMap(const Area& planeArea, const SheetCover& cover, geodesy::SquareSize size, int zone,
                             double textHeight) {
  IndexMap map;
  map.sheetScale = cover.scaleDenominator;
  map.textHeight = textHeight > 0 ? textHeight : metresOnGround(kTextMillimetres, map.sheetScale);
  map.boundaryWidth = metresOnGround(kBoundaryMillimetres, map.sheetScale);
  const double offset = zone > 0 ? geodesy::PrefixedEasting(0, zone) : 0;
  const auto metres = [](std::int64_t mm) { return static_cast<double>(mm) / kPlaneUnitsPerMetre; };
  for (const geodesy::SquareSheet& s : ListSquareSheets(cover, size)) {
    const double w = offset + static_cast<double>(s.west), e = offset + static_cast<double>(s.east());
    const double south = static_cast<double>(s.south), north = static_cast<double>(s.north());
    map.frames.push_back({geodesy::FormatSquareNumber(s, zone), {w, south, e, south, e, north, w, north},
                          {(w + e) / 2, (south + north) / 2}});
  }
  for (const AreaPolygon& polygon : planeArea.polygons) {
    for (const AreaRing& ring : polygon.rings) {
      std::vector<double>& out = map.boundary.emplace_back();
      for (const AreaPoint& v : ring.vertices) {
        out.push_back(offset + metres(v.longitude));
        out.push_back(metres(v.latitude));
      }
    }
  }
  return map;
}

Sketch IndexMapSketch(const IndexMap& map) {
  const auto vertices = [](const std::vector<double>& xy) {
    std::vector<PlaneVertex> out;
    for (std::size_t k = 0; k + 1 < xy.size(); k += 2) out.push_back({xy[k], xy[k + 1]});
    return out;
  };
  Sketch sketch;
  for (const IndexMapFrame& f : map.frames) {
    sketch.shapes.emplace_back(SketchPolyline{vertices(f.outline), true, 0, SheetLayer::Frame});
    sketch.text(f.number, f.centre, map.textHeight, 0, HAlign::Center, VAlign::Middle, SheetLayer::Notes);
  }
  for (const std::vector<double>& ring : map.boundary) {
    sketch.shapes.emplace_back(SketchPolyline{vertices(ring), true, map.boundaryWidth, SheetLayer::Area, 1});
  }
  return sketch;
}

}  // namespace veskar::mapsheet
