#include "mapsheet/frame.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "mapsheet/frame_parts.h"
#include "mapsheet/frame_style.h"

namespace veskar::mapsheet {
namespace {

using geodesy::ArcUnits;
using namespace parts;

constexpr const FrameSizes& kSizes = kFrameSizes;

// --- The sheet in its zone -----------------------------------------------------------------------

struct Placed {
  geodesy::SheetBounds bounds{};
  geodesy::ProjectionZone zone{};
  geodesy::ProjectionParameters p{};
  double mm = 0;  // metres on the ground per millimetre on paper

  PlaneVertex at(ArcUnits latitude, ArcUnits longitude) const {
    const geodesy::PlanePoint xy = geodesy::XY(geodesy::ArcUnitsToPacked(latitude),
                                               geodesy::ArcUnitsToPacked(longitude), zone.centralMeridian, p);
    return {xy.y, xy.x};
  }
};

Placed place(const FrameRequest& r) {
  Placed s;
  s.bounds = geodesy::BoundsOf(r.sheet);
  s.zone = geodesy::ZoneOf(r.sheet);
  s.p = geodesy::LoadProjectionParameters(r.system);
  s.mm = r.sheet.scaleDenominator / 1000.0;
  return s;
}

graticule::GraticuleGrid bareGrid(const FrameRequest& r, const Placed& s, double labelHeight, double offset) {
  graticule::GraticuleParameters g;
  g.centralMeridian = s.zone.centralMeridian;
  g.startLongitude = geodesy::DmsDeg(geodesy::ArcUnitsToPacked(s.bounds.west));
  g.meridianCount = geodesy::DmsDeg(2.0);
  g.startLatitude = geodesy::DmsDeg(geodesy::ArcUnitsToPacked(s.bounds.south));
  g.parallelCount = geodesy::DmsDeg(2.0);
  g.longitudeSpacing = geodesy::DmsDeg(geodesy::ArcUnitsToPacked(s.bounds.east - s.bounds.west));
  g.latitudeSpacing = geodesy::DmsDeg(geodesy::ArcUnitsToPacked(s.bounds.north - s.bounds.south));
  graticule::DrawStyle style;
  style.labelHeight = labelHeight;
  style.secondsInLabels = true;
  style.chordTolerance = kSizes.chord * s.mm;
  style.title = geodesy::FormatSheetNumber(r.sheet);
  style.eastingOffset = offset;
  return graticule::projectGraticule(g, s.p, graticule::meridianLongitudes(g), graticule::parallelLatitudes(g), style);
}

InnerFrame innerFrame(const graticule::GraticuleGrid& g) {
  InnerFrame f{g.at(0, 0), g.at(1, 0), g.at(1, 1), g.at(0, 1), {}};
  const auto append = [&f](const std::vector<PlaneVertex>& line, bool reversed) {
    for (std::size_t k = 0; k + 1 < line.size(); ++k) f.ring.push_back(line[reversed ? line.size() - 1 - k : k]);
  };
  append(g.parallelLines[0], false);  // south, west to east
  append(g.meridianLines[1], false);  // east, south to north
  append(g.parallelLines[1], true);   // north, east to west
  append(g.meridianLines[0], true);   // west, north to south
  return f;
}

// --- Minute ticks --------------------------------------------------------------------------------

// Ticks on one edge: at every multiple of the step strictly between its ends, outward along
// the meridian (south and north edges) or the parallel (west and east edges).
void ticks(const Placed& s, ArcUnits step, bool alongParallel, ArcUnits fixed, ArcUnits from, ArcUnits to,
           ArcUnits outward, Sketch& out) {
  constexpr ArcUnits kNudge = geodesy::kArcUnitsPerSecond;
  for (ArcUnits a = (from / step + 1) * step; a < to; a += step) {
    const PlaneVertex base = alongParallel ? s.at(fixed, a) : s.at(a, fixed);
    const PlaneVertex beyond = alongParallel ? s.at(fixed + outward * kNudge, a) : s.at(a, fixed + outward * kNudge);
    const bool longOne = (a / step) % kSizes.longTickEvery == 0;
    out.line(base, base + unit(beyond - base) * ((longOne ? kSizes.longTick : kSizes.tick) * s.mm), SheetLayer::Frame);
  }
}

void minuteTicks(const Placed& s, ArcUnits step, Sketch& out) {
  const geodesy::SheetBounds& b = s.bounds;
  ticks(s, step, true, b.south, b.west, b.east, -1, out);
  ticks(s, step, false, b.east, b.south, b.north, 1, out);
  ticks(s, step, true, b.north, b.west, b.east, 1, out);
  ticks(s, step, false, b.west, b.south, b.north, -1, out);
}

// --- Kilometre grid ------------------------------------------------------------------------------

// Where a line of constant easting (or northing) `v` runs inside the ring: the pieces between
// its crossings with the ring's edges, each edge holding its first end and not its last.
std::vector<std::pair<PlaneVertex, PlaneVertex>> clip(const std::vector<PlaneVertex>& ring, bool easting, double v) {
  std::vector<double> cuts;
  for (std::size_t k = 0; k < ring.size(); ++k) {
    const PlaneVertex a = ring[k], b = ring[(k + 1) % ring.size()];
    const double a0 = easting ? a.easting : a.northing, b0 = easting ? b.easting : b.northing;
    const double a1 = easting ? a.northing : a.easting, b1 = easting ? b.northing : b.easting;
    if ((a0 <= v && v < b0) || (b0 <= v && v < a0)) cuts.push_back(a1 + (b1 - a1) * ((v - a0) / (b0 - a0)));
  }
  std::sort(cuts.begin(), cuts.end());
  std::vector<std::pair<PlaneVertex, PlaneVertex>> pieces;
  for (std::size_t k = 0; k + 1 < cuts.size(); k += 2) {
    if (!(cuts[k] < cuts[k + 1])) continue;
    pieces.push_back(easting ? std::pair{PlaneVertex{v, cuts[k]}, PlaneVertex{v, cuts[k + 1]}}
                             : std::pair{PlaneVertex{cuts[k], v}, PlaneVertex{cuts[k + 1], v}});
  }
  return pieces;
}

std::string padded(long long v, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", digits, v);
  return buf;
}

// A grid line's number: the full value (x in km, y as zone number and km in three digits) or the
// last two kilometre digits, with the decimals the interval needs.
std::string gridLabel(long long metres, long long interval, bool easting, bool full, int zone) {
  const long long km = metres / 1000, rest = metres % 1000;
  std::string fraction;
  if (interval % 1000 != 0) {
    const int digits = interval % 100 == 0 ? 1 : interval % 10 == 0 ? 2 : 3;
    fraction = "." + padded(rest, 3).substr(0, static_cast<std::size_t>(digits));
  }
  if (!full) return padded(km % 100, 2) + fraction;
  return (easting ? std::to_string(zone) + padded(km, 3) : std::to_string(km)) + fraction;
}

struct Range {
  long long first = 0, last = -1;  // multiples of the interval
  long long count() const { return last - first + 1; }
};

Range multiples(double low, double high, long long interval) {
  const auto step = static_cast<double>(interval);
  return {static_cast<long long>(std::ceil(low / step)), static_cast<long long>(std::floor(high / step))};
}

std::string kmText(double km) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.10g", km);
  return buf;
}

void gridLines(const InnerFrame& f, long long interval, int zone, std::vector<GridLine>& out) {
  double minE = f.ring[0].easting, maxE = minE, minN = f.ring[0].northing, maxN = minN;
  for (const PlaneVertex& v : f.ring) {
    minE = std::min(minE, v.easting), maxE = std::max(maxE, v.easting);
    minN = std::min(minN, v.northing), maxN = std::max(maxN, v.northing);
  }
  const Range e = multiples(minE, maxE, interval), n = multiples(minN, maxN, interval);
  if (e.count() + n.count() > kMaxGridLines)
    throw FrameError("grid interval " + kmText(static_cast<double>(interval) / 1000) + " km: " +
                     std::to_string(e.count() + n.count()) + " grid lines, more than " +
                     std::to_string(kMaxGridLines));
  for (const auto& [range, easting] : {std::pair{e, true}, std::pair{n, false}}) {
    const std::size_t first = out.size();
    for (long long k = range.first; k <= range.last; ++k) {
      const long long metres = k * interval;
      for (const auto& [a, b] : clip(f.ring, easting, static_cast<double>(metres)))
        out.push_back({easting, static_cast<double>(metres), a, b, gridLabel(metres, interval, easting, false, zone)});
    }
    if (out.size() == first) continue;
    const auto fullLabel = [&](GridLine& l) {
      l.label = gridLabel(static_cast<long long>(l.value), interval, easting, true, zone);
    };
    fullLabel(out[first]);
    fullLabel(out.back());
  }
}


// --- Around the frame ----------------------------------------------------------------------------

void gridNumbers(const std::vector<GridLine>& grid, const Sides& e, double mm, Sketch& out) {
  const double h = kSizes.gridTextHeight * mm, gap = kSizes.gridTextOut * mm;
  const double sideways = sideAngle(e);
  for (const GridLine& l : grid) {
    out.line(l.start, l.end, SheetLayer::Grid);
    if (l.easting) {
      out.text(l.label, e.south.atEasting(l.value) + e.south.outward() * gap, h, southAngle(e), HAlign::Center,
               VAlign::Top, SheetLayer::Grid);
      out.text(l.label, e.north.atEasting(l.value) + e.north.outward() * gap, h, northAngle(e), HAlign::Center,
               VAlign::Bottom, SheetLayer::Grid);
    } else {
      out.text(l.label, e.west.atNorthing(l.value) + e.west.outward() * gap, h, sideways, HAlign::Right,
               VAlign::Middle, SheetLayer::Grid);
      out.text(l.label, e.east.atNorthing(l.value) + e.east.outward() * gap, h, sideways, HAlign::Left,
               VAlign::Middle, SheetLayer::Grid);
    }
  }
}

// A corner's angle: degrees and minutes, with the seconds where it is off a whole minute.
std::string cornerText(ArcUnits angle) {
  std::string dms = geodesy::FormatDms(angle);
  if (angle % geodesy::kArcUnitsPerMinute == 0) dms.erase(dms.size() - std::string("00″").size());
  return dms;
}

// Each corner's latitude and longitude, two lines in the band outside the north or south edge,
// from the corner's meridian towards the middle of the sheet.
void cornerLabels(const Placed& s, const InnerFrame& f, const Sides& e, Sketch& out) {
  const geodesy::SheetBounds& b = s.bounds;
  const double h = kSizes.cornerTextHeight * s.mm;
  struct Corner {
    PlaneVertex at;
    ArcUnits latitude, longitude;
    const Edge& edge;
    HAlign align;
    bool north;
  };
  const Corner corners[] = {{f.nw, b.north, b.west, e.north, HAlign::Left, true},
                            {f.ne, b.north, b.east, e.north, HAlign::Right, true},
                            {f.sw, b.south, b.west, e.south, HAlign::Left, false},
                            {f.se, b.south, b.east, e.south, HAlign::Right, false}};
  for (const Corner& c : corners) {
    const double angle = c.north ? northAngle(e) : southAngle(e);
    const VAlign v = c.north ? VAlign::Bottom : VAlign::Top;
    out.text(cornerText(c.latitude), c.at + c.edge.outward() * (kSizes.cornerLatitudeOut * s.mm), h, angle,
             c.align, v, SheetLayer::Frame);
    out.text(cornerText(c.longitude), c.at + c.edge.outward() * (kSizes.cornerLongitudeOut * s.mm), h, angle,
             c.align, v, SheetLayer::Frame);
  }
}

// The neighbours' numbers, row by row from the north-west, the sheet itself in the middle
// (empty where there is no neighbour).
std::array<std::string, 9> neighbourNumbers(const geodesy::MapSheet& sheet) {
  const geodesy::SheetNeighbours n = geodesy::NeighboursOf(sheet);
  const std::optional<geodesy::MapSheet>* cells[9] = {&n.nw, &n.n, &n.ne, &n.w, nullptr, &n.e, &n.sw, &n.s, &n.se};
  std::array<std::string, 9> out;
  for (std::size_t k = 0; k < 9; ++k) {
    if (cells[k] && *cells[k]) out[k] = geodesy::FormatSheetNumber(**cells[k]);
  }
  return out;
}

}  // namespace

long long gridIntervalMetres(const FrameRequest& r) {
  const double km = r.gridKm.value_or(scaleDefaults(r.sheet.scaleDenominator).gridKm);
  if (!std::isfinite(km) || km < 0)
    throw FrameError("grid interval " + kmText(km) + " km: give a positive number of km, or 0 for no grid");
  const double metres = km * 1000;
  if (metres != std::round(metres) || metres > 1e9)
    throw FrameError("grid interval " + kmText(km) + " km: give a whole number of metres");
  if (km > 0 && metres < 1) throw FrameError("grid interval " + kmText(km) + " km: the smallest is 0.001 km");
  return static_cast<long long>(metres);
}

FinishedFrame buildFinishedFrame(const FrameRequest& r) {
  const Placed s = place(r);
  FinishedFrame f;
  f.zone = s.zone;
  f.metresPerMm = s.mm;
  f.eastingOffset = r.zonePrefix ? geodesy::PrefixedEasting(0, s.zone.number) : 0;
  f.gridInterval = static_cast<double>(gridIntervalMetres(r));
  f.inner = innerFrame(bareGrid(r, s, 3 * s.mm, 0));
  if (f.gridInterval > 0) gridLines(f.inner, static_cast<long long>(f.gridInterval), s.zone.number, f.grid);

  const Sides e = sidesOf(f.inner.sw, f.inner.se, f.inner.ne, f.inner.nw);
  const Outer o = outerFrame(e, s.mm);
  Sketch& out = f.sketch;
  out.shapes.emplace_back(SketchPolyline{f.inner.ring, true, 0, SheetLayer::Frame});
  minuteTicks(s, scaleDefaults(r.sheet.scaleDenominator).tickStep, out);
  cornerLabels(s, f.inner, e, out);
  addOuterFrame(o, s.mm, out);
  gridNumbers(f.grid, e, s.mm, out);
  addNotes({geodesy::FormatSheetNumber(r.sheet), r.title, r.sheet.scaleDenominator,
            {systemTitle(r.system), zoneTitle(s.zone)}},
           o, e, s.mm, out);
  addAdjoiningDiagram(neighbourNumbers(r.sheet), o, e, s.mm, out);
  if (f.eastingOffset != 0) {
    shiftEastings(out, f.eastingOffset);
    for (PlaneVertex* v : {&f.inner.sw, &f.inner.se, &f.inner.ne, &f.inner.nw}) v->easting += f.eastingOffset;
    for (PlaneVertex& v : f.inner.ring) v.easting += f.eastingOffset;
    for (GridLine& l : f.grid) {
      l.start.easting += f.eastingOffset, l.end.easting += f.eastingOffset;
      if (l.easting) l.value += f.eastingOffset;
    }
  }
  return f;
}

graticule::GraticuleGrid buildBareFrame(const FrameRequest& r, std::optional<double> labelHeight) {
  const Placed s = place(r);
  const double offset = r.zonePrefix ? geodesy::PrefixedEasting(0, s.zone.number) : 0;
  return bareGrid(r, s, labelHeight.value_or(3 * s.mm), offset);
}

}  // namespace veskar::mapsheet
