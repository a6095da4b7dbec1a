// The area's normalisation and validity checks. Every message is written in this file.
#include "mapsheet/area.h"

#include <algorithm>

#include "mapsheet/exact.h"

namespace veskar::mapsheet {
namespace {

constexpr ArcUnits kDeg = geodesy::kArcUnitsPerDegree;
constexpr ArcUnits kNorthLimit = 88 * kDeg;
constexpr ArcUnits kEastLimit = 180 * kDeg;

[[noreturn]] void fail(const std::string& place, const std::string& what) { throw AreaError(place + ": " + what); }

// Drops each vertex equal to the one before it, and a last vertex equal to the first.
void dropRepeats(AreaRing& ring) {
  AreaRing kept;
  for (std::size_t i = 0; i < ring.vertices.size(); ++i) {
    if (!kept.vertices.empty() && kept.vertices.back() == ring.vertices[i]) continue;
    kept.vertices.push_back(ring.vertices[i]);
    kept.source.push_back(ring.source[i]);
  }
  while (kept.vertices.size() > 1 && kept.vertices.back() == kept.vertices.front()) {
    kept.vertices.pop_back();
    kept.source.pop_back();
  }
  ring = std::move(kept);
}

std::string where(const AreaPoint& v) {
  return geodesy::FormatDms(v.latitude) + " N, " + geodesy::FormatDms(v.longitude) + " E";
}

// Why a vertex lies outside the sheets, or nothing.
std::optional<std::string> outOfRange(const AreaPoint& v) {
  if (v.latitude < 0) return where(v) + " is south of the equator: the southern hemisphere is not supported";
  if (v.longitude < 0) return where(v) + " is west of 0°: the western hemisphere is not supported";
  if (v.latitude > kNorthLimit) return where(v) + " is north of 88° N, where the sheets end";
  if (v.longitude > kEastLimit) return where(v) + " is east of 180° E, where the sheets end";
  return std::nullopt;
}

// A plane vertex's coordinates in metres, "x 3810500.25, y 525500".
std::string planeWhere(const AreaPoint& v) {
  const auto metres = [](std::int64_t mm) {
    std::string text = (mm < 0 ? "-" : "") + std::to_string(std::llabs(mm) / kPlaneUnitsPerMetre);
    std::string fraction = std::to_string(std::llabs(mm) % kPlaneUnitsPerMetre + kPlaneUnitsPerMetre).substr(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    return fraction.empty() ? text : text + "." + fraction;
  };
  return "x " + metres(v.latitude) + ", y " + metres(v.longitude);
}

// Why a plane vertex lies where no square sheet is, or nothing.
std::optional<std::string> outOfPlane(const AreaPoint& v) {
  if (v.latitude < 0) return planeWhere(v) + " lies south of x 0, where the square sheets start";
  if (v.longitude < 0) return planeWhere(v) + " lies west of y 0, where the square sheets start";
  if (v.latitude > kPlaneLimit || v.longitude > kPlaneLimit)
    return planeWhere(v) + " lies more than 10,000 km from the origin: no plane coordinates in metres" +
           (v.longitude > kPlaneLimit ? " (a y with the zone number in front needs that zone named)" : "");
  return std::nullopt;
}

// At least three distinct vertices.
void checkDistinct(const AreaRing& ring, const std::string& place) {
  std::vector<AreaPoint> distinct = ring.vertices;
  const auto order = [](const AreaPoint& a, const AreaPoint& b) {
    return a.longitude != b.longitude ? a.longitude < b.longitude : a.latitude < b.latitude;
  };
  std::sort(distinct.begin(), distinct.end(), order);
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  if (distinct.size() < 3)
    fail(place, "a ring needs at least three distinct vertices; this one has " + std::to_string(distinct.size()));
}

// An edge of a polygon: ring `ring`, from vertex `from` to the next.
struct Edge {
  std::size_t ring, from;
  AreaPoint a, b;
  ArcUnits west() const { return std::min(a.longitude, b.longitude); }
  ArcUnits east() const { return std::max(a.longitude, b.longitude); }
  ArcUnits south() const { return std::min(a.latitude, b.latitude); }
  ArcUnits north() const { return std::max(a.latitude, b.latitude); }
};

std::vector<Edge> edgesOf(const AreaPolygon& polygon) {
  std::vector<Edge> edges;
  for (std::size_t r = 0; r < polygon.rings.size(); ++r) {
    const std::vector<AreaPoint>& v = polygon.rings[r].vertices;
    for (std::size_t i = 0; i < v.size(); ++i) edges.push_back({r, i, v[i], v[(i + 1) % v.size()]});
  }
  return edges;
}

// Whether two edges of one polygon meet where they should not: anywhere, unless they follow
// each other in a ring, and then anywhere but at their common vertex.
bool meetWrongly(const Edge& e, const Edge& f, const AreaPolygon& polygon) {
  const std::size_t n = polygon.rings[e.ring].vertices.size();
  if (e.ring == f.ring && (f.from == (e.from + 1) % n || e.from == (f.from + 1) % n)) {
    const Edge& first = f.from == (e.from + 1) % n ? e : f;
    const Edge& second = f.from == (e.from + 1) % n ? f : e;
    // Consecutive edges overlap only when the second turns straight back along the first.
    if (exact::orientation(first.a, first.b, second.b) != 0) return false;
    const exact::Int128 dot = exact::Int128{first.b.longitude - first.a.longitude} * (second.b.longitude - second.a.longitude) +
                              exact::Int128{first.b.latitude - first.a.latitude} * (second.b.latitude - second.a.latitude);
    return dot < 0;
  }
  return exact::segmentsMeet(e.a, e.b, f.a, f.b);
}

// No two edges of the polygon meet wrongly: a sweep from west to east over the edges' extents.
void checkCrossings(const AreaPolygon& polygon, std::size_t p, const PlaceNamer& name) {
  std::vector<Edge> edges = edgesOf(polygon);
  std::sort(edges.begin(), edges.end(), [](const Edge& x, const Edge& y) {
    return x.west() != y.west() ? x.west() < y.west() : (x.ring != y.ring ? x.ring < y.ring : x.from < y.from);
  });
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const Edge& e = edges[i];
    for (std::size_t j = i + 1; j < edges.size() && edges[j].west() <= e.east(); ++j) {
      const Edge& f = edges[j];
      if (f.south() > e.north() || f.north() < e.south() || !meetWrongly(e, f, polygon)) continue;
      const Edge& first = (e.ring < f.ring || (e.ring == f.ring && e.from < f.from)) ? e : f;
      const Edge& second = &first == &e ? f : e;
      const auto vertex = [&](const Edge& x, std::size_t step) {
        const AreaRing& ring = polygon.rings[x.ring];
        return name(p, x.ring, ring.source[(x.from + step) % ring.vertices.size()]);
      };
      fail(vertex(first, 0), "the polygon's boundary meets itself: the edge from here to " + vertex(first, 1) +
                                 " meets the edge from " + vertex(second, 0) + " to " + vertex(second, 1));
    }
  }
}

// Every hole inside the outer ring and outside the other holes (the rings do not meet, so one
// vertex tells where a whole ring lies).
void checkHoles(const AreaPolygon& polygon, std::size_t p, const PlaceNamer& name) {
  for (std::size_t h = 1; h < polygon.rings.size(); ++h) {
    const AreaPoint& v = polygon.rings[h].vertices.front();
    if (!exact::insideRing(polygon.rings[0].vertices, v))
      fail(name(p, h, std::nullopt), "a hole must lie inside its polygon's outer ring (" + name(p, 0, std::nullopt) + ")");
    for (std::size_t k = 1; k < polygon.rings.size(); ++k) {
      if (k != h && exact::insideRing(polygon.rings[k].vertices, v))
        fail(name(p, h, std::nullopt), "a hole lies inside another hole (" + name(p, k, std::nullopt) + ")");
    }
  }
}

// Why a vertex lies outside the sheets, or nothing.
using RangeCheck = std::optional<std::string> (*)(const AreaPoint&);

void normalise(Area& area, const PlaceNamer& name, RangeCheck rangeFault) {
  for (std::size_t p = 0; p < area.polygons.size(); ++p) {
    AreaPolygon& polygon = area.polygons[p];
    for (std::size_t r = 0; r < polygon.rings.size(); ++r) {
      AreaRing& ring = polygon.rings[r];
      for (std::size_t i = 0; i < ring.vertices.size(); ++i) {
        if (const std::optional<std::string> why = rangeFault(ring.vertices[i])) fail(name(p, r, ring.source[i]), *why);
      }
      dropRepeats(ring);
      checkDistinct(ring, name(p, r, std::nullopt));
    }
    checkCrossings(polygon, p, name);
    checkHoles(polygon, p, name);
  }
}

}  // namespace

void NormaliseArea(Area& area, const PlaceNamer& name) { normalise(area, name, outOfRange); }

void NormalisePlaneArea(Area& area, const PlaceNamer& name) { normalise(area, name, outOfPlane); }

Area RectangleArea(ArcUnits south, ArcUnits west, ArcUnits north, ArcUnits east) {
  AreaRing ring{{{west, south}, {east, south}, {east, north}, {west, north}}, {0, 1, 2, 3}};
  return Area{{AreaPolygon{{ring}}}};
}

AreaBounds ExtentOf(const Area& area) {
  AreaBounds b{};
  bool first = true;
  for (const AreaPolygon& polygon : area.polygons) {
    for (const AreaPoint& v : polygon.rings.front().vertices) {
      if (first) b = {v.longitude, v.latitude, v.longitude, v.latitude};
      first = false;
      b.west = std::min(b.west, v.longitude);
      b.east = std::max(b.east, v.longitude);
      b.south = std::min(b.south, v.latitude);
      b.north = std::max(b.north, v.latitude);
    }
  }
  return b;
}

}  // namespace veskar::mapsheet
