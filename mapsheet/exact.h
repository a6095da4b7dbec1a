// Exact plane arithmetic on ArcUnits for the area's geometry: cross products, orientation,
// segment contact and rational abscissae, all in 128-bit integers. Coordinates are at most
// 360° = 1.3e10 units, so a cross product stays below 2^70 and a product of a rational's
// numerator with another's denominator below 2^110.
#pragma once

#include "mapsheet/area.h"

namespace veskar::mapsheet::exact {

__extension__ typedef __int128 Int128;

inline Int128 cross(const AreaPoint& o, const AreaPoint& a, const AreaPoint& b) {
  return Int128{a.longitude - o.longitude} * (b.latitude - o.latitude) -
         Int128{a.latitude - o.latitude} * (b.longitude - o.longitude);
}

// -1, 0, 1: b lies right of, on, left of the line from o through a.
inline int orientation(const AreaPoint& o, const AreaPoint& a, const AreaPoint& b) {
  const Int128 c = cross(o, a, b);
  return c > 0 ? 1 : (c < 0 ? -1 : 0);
}

// Whether p, known to lie on the line through a and b, lies on the segment between them.
inline bool withinSegment(const AreaPoint& a, const AreaPoint& b, const AreaPoint& p) {
  const auto between = [](ArcUnits u, ArcUnits v, ArcUnits w) { return (u <= w && w <= v) || (v <= w && w <= u); };
  return between(a.longitude, b.longitude, p.longitude) && between(a.latitude, b.latitude, p.latitude);
}

// Whether the closed segments a-b and c-d share a point.
inline bool segmentsMeet(const AreaPoint& a, const AreaPoint& b, const AreaPoint& c, const AreaPoint& d) {
  const int o1 = orientation(a, b, c), o2 = orientation(a, b, d);
  const int o3 = orientation(c, d, a), o4 = orientation(c, d, b);
  if (o1 * o2 < 0 && o3 * o4 < 0) return true;
  return (o1 == 0 && withinSegment(a, b, c)) || (o2 == 0 && withinSegment(a, b, d)) ||
         (o3 == 0 && withinSegment(c, d, a)) || (o4 == 0 && withinSegment(c, d, b));
}

// Whether p lies strictly inside the ring (even-odd), given that it is not on the ring.
inline bool insideRing(const std::vector<AreaPoint>& ring, const AreaPoint& p) {
  bool inside = false;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    const AreaPoint& a = ring[i];
    const AreaPoint& b = ring[j];
    if ((a.latitude > p.latitude) == (b.latitude > p.latitude)) continue;
    // The edge crosses p's parallel; p is left of the crossing when the turn a-b-p says so.
    const int side = orientation(a, b, p) * (b.latitude > a.latitude ? 1 : -1);
    if (side > 0) inside = !inside;
  }
  return inside;
}

// A rational number num / den with den > 0.
struct Ratio {
  Int128 num, den;
};

inline bool less(const Ratio& a, const Ratio& b) { return a.num * b.den < b.num * a.den; }

inline Int128 floorDiv(Int128 num, Int128 den) {
  const Int128 q = num / den;
  return (num % den != 0 && num < 0) ? q - 1 : q;
}

inline Int128 ceilDiv(Int128 num, Int128 den) {
  const Int128 q = num / den;
  return (num % den != 0 && num > 0) ? q + 1 : q;
}

}  // namespace veskar::mapsheet::exact
