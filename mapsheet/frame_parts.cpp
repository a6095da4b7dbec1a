#include "mapsheet/frame_parts.h"

#include <cmath>

#include "mapsheet/frame_style.h"

namespace veskar::mapsheet::parts {
namespace {

constexpr const FrameSizes& kSizes = kFrameSizes;

double angleOf(PlaneVertex v) { return std::atan2(v.northing, v.easting); }

PlaneVertex crossing(const Edge& a, const Edge& b) {
  const PlaneVertex r = a.to - a.from, s = b.to - b.from, q = b.from - a.from;
  const double t = (q.easting * s.northing - q.northing * s.easting) / (r.easting * s.northing - r.northing * s.easting);
  return a.from + r * t;
}

}  // namespace

PlaneVertex operator+(PlaneVertex a, PlaneVertex b) { return {a.easting + b.easting, a.northing + b.northing}; }
PlaneVertex operator-(PlaneVertex a, PlaneVertex b) { return {a.easting - b.easting, a.northing - b.northing}; }
PlaneVertex operator*(PlaneVertex a, double k) { return {a.easting * k, a.northing * k}; }
PlaneVertex unit(PlaneVertex v) { return v * (1 / std::hypot(v.easting, v.northing)); }
PlaneVertex midpoint(PlaneVertex a, PlaneVertex b) { return (a + b) * 0.5; }

PlaneVertex Edge::along() const { return unit(to - from); }
PlaneVertex Edge::outward() const {
  const PlaneVertex d = along();
  return {d.northing, -d.easting};
}
Edge Edge::shifted(double by) const { return {from + outward() * by, to + outward() * by}; }
PlaneVertex Edge::atEasting(double x) const {
  return from + (to - from) * ((x - from.easting) / (to.easting - from.easting));
}
PlaneVertex Edge::atNorthing(double y) const {
  return from + (to - from) * ((y - from.northing) / (to.northing - from.northing));
}

Sides sidesOf(PlaneVertex sw, PlaneVertex se, PlaneVertex ne, PlaneVertex nw) {
  return {{sw, se}, {se, ne}, {ne, nw}, {nw, sw}};
}

double southAngle(const Sides& e) { return angleOf(e.south.to - e.south.from); }
double northAngle(const Sides& e) { return angleOf(e.north.from - e.north.to); }
double sideAngle(const Sides& e) { return angleOf(e.south.along() - e.north.along()); }

Outer outerFrame(const Sides& e, double mm) {
  const double d = kSizes.outerDistance * mm;
  const Edge s = e.south.shifted(d), east = e.east.shifted(d), n = e.north.shifted(d), w = e.west.shifted(d);
  return {crossing(w, s), crossing(s, east), crossing(east, n), crossing(n, w)};
}

void addOuterFrame(const Outer& o, double mm, Sketch& out) {
  out.shapes.emplace_back(SketchPolyline{{o.sw, o.se, o.ne, o.nw}, true, kSizes.outerWidth * mm, SheetLayer::Frame});
}

void addNotes(const SheetNotes& n, const Outer& o, const Sides& e, double mm, Sketch& out) {
  const double half = kSizes.outerWidth / 2;
  const PlaneVertex up = e.north.outward(), down = e.south.outward();
  const PlaneVertex top = midpoint(o.nw, o.ne) + up * ((half + kSizes.numberGap) * mm);
  out.text(n.number, top, kSizes.numberHeight * mm, northAngle(e), HAlign::Center, VAlign::Bottom, SheetLayer::Notes);
  if (!n.title.empty())
    out.text(n.title, top + up * ((kSizes.numberHeight + kSizes.titleGap) * mm), kSizes.titleHeight * mm,
             northAngle(e), HAlign::Center, VAlign::Bottom, SheetLayer::Notes);
  const double below = (half + kSizes.belowGap) * mm;
  out.text(scaleTitle(n.scaleDenominator), midpoint(o.sw, o.se) + down * below, kSizes.scaleHeight * mm,
           southAngle(e), HAlign::Center, VAlign::Top, SheetLayer::Notes);
  PlaneVertex left = o.sw - e.south.along() * (half * mm) + down * below;
  for (const std::string& line : n.lowerLeft) {
    if (line.empty()) continue;
    out.text(line, left, kSizes.noteHeight * mm, southAngle(e), HAlign::Left, VAlign::Top, SheetLayer::Notes);
    left = left + down * ((kSizes.noteHeight + kSizes.noteLineGap) * mm);
  }
}

void addAdjoiningDiagram(const std::array<std::string, 9>& numbers, const Outer& o, const Sides& e, double mm,
                         Sketch& out) {
  const double half = kSizes.outerWidth / 2 * mm;
  const PlaneVertex u = unit(o.ne - o.nw), v = e.north.outward();
  const PlaneVertex base = o.nw - u * half + v * (half + kSizes.diagramGap * mm);
  const PlaneVertex cu = u * (kSizes.cellWidth * mm), cv = v * (kSizes.cellHeight * mm);
  const auto at = [&](double column, double rowFromBottom) { return base + cu * column + cv * rowFromBottom; };
  out.shapes.emplace_back(SketchPolyline{{at(0, 0), at(3, 0), at(3, 3), at(0, 3)}, true, 0, SheetLayer::Adjoining});
  for (double k : {1.0, 2.0}) {
    out.line(at(k, 0), at(k, 3), SheetLayer::Adjoining);
    out.line(at(0, k), at(3, k), SheetLayer::Adjoining);
  }
  out.line(at(1, 1), at(2, 2), SheetLayer::Adjoining);
  out.line(at(2, 1), at(1, 2), SheetLayer::Adjoining);
  for (std::size_t k = 0; k < 9; ++k) {
    if (numbers[k].empty()) continue;
    out.text(numbers[k], at(static_cast<double>(k % 3) + 0.5, 2.5 - static_cast<double>(k / 3)),
             kSizes.cellTextHeight * mm, northAngle(e), HAlign::Center, VAlign::Middle, SheetLayer::Adjoining);
  }
}

void shiftEastings(Sketch& sketch, double offset) {
  const auto shift = [offset](PlaneVertex& v) { v.easting += offset; };
  for (SketchShape& shape : sketch.shapes) {
    if (auto* l = std::get_if<SketchLine>(&shape)) {
      shift(l->start), shift(l->end);
    } else if (auto* p = std::get_if<SketchPolyline>(&shape)) {
      for (PlaneVertex& v : p->vertices) shift(v);
    } else {
      shift(std::get<SketchText>(shape).at);
    }
  }
}

}  // namespace veskar::mapsheet::parts
