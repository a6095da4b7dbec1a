#include "mapsheet/square_frame.h"

#include <array>

#include "mapsheet/frame_parts.h"
#include "mapsheet/frame_style.h"

namespace veskar::mapsheet {
namespace {

using namespace parts;

constexpr const FrameSizes& kSizes = kFrameSizes;

PlaneVertex at(std::int64_t x, std::int64_t y) { return {static_cast<double>(y), static_cast<double>(x)}; }

// Crosses at every grid point strictly inside the frame; a tick inward from each edge where a
// grid line meets it.
void grid(const geodesy::SquareSheet& s, double mm, SquareFrame& f) {
  const auto step = static_cast<std::int64_t>(kSizes.gridStep * mm);
  const double arm = kSizes.crossArm * mm, tick = kSizes.edgeTick * mm;
  for (std::int64_t x = s.south + step; x < s.north(); x += step) {
    for (std::int64_t y = s.west + step; y < s.east(); y += step) {
      const PlaneVertex c = at(x, y);
      f.crosses.push_back(c);
      f.sketch.line(c - PlaneVertex{arm, 0}, c + PlaneVertex{arm, 0}, SheetLayer::Grid);
      f.sketch.line(c - PlaneVertex{0, arm}, c + PlaneVertex{0, arm}, SheetLayer::Grid);
    }
  }
  for (std::int64_t y = s.west + step; y < s.east(); y += step) {
    f.sketch.line(at(s.south, y), at(s.south, y) + PlaneVertex{0, tick}, SheetLayer::Grid);
    f.sketch.line(at(s.north(), y), at(s.north(), y) - PlaneVertex{0, tick}, SheetLayer::Grid);
  }
  for (std::int64_t x = s.south + step; x < s.north(); x += step) {
    f.sketch.line(at(x, s.west), at(x, s.west) + PlaneVertex{tick, 0}, SheetLayer::Grid);
    f.sketch.line(at(x, s.east()), at(x, s.east()) - PlaneVertex{tick, 0}, SheetLayer::Grid);
  }
}

// Each corner's x beside the west or east edge and its y below the south or above the north
// edge, in km with the scale's decimals, each running away from the corner so that the two
// stay apart.
void cornerCoordinates(const SquareFrameRequest& r, double mm, Sketch& out) {
  const geodesy::SquareSheet& s = r.sheet;
  const double h = kSizes.gridTextHeight * mm, gap = kSizes.cornerCoordinateGap * mm;
  const auto km = [&](std::int64_t metres, int zone) { return geodesy::SquareKilometres(metres, s.scaleDenominator, zone); };
  for (const bool north : {false, true}) {
    const std::int64_t x = north ? s.north() : s.south;
    const VAlign inward = north ? VAlign::Top : VAlign::Bottom, outward = north ? VAlign::Bottom : VAlign::Top;
    const PlaneVertex out_ = {0, north ? gap : -gap};
    out.text(km(x, 0), at(x, s.west) - PlaneVertex{gap, 0}, h, 0, HAlign::Right, inward, SheetLayer::Frame);
    out.text(km(x, 0), at(x, s.east()) + PlaneVertex{gap, 0}, h, 0, HAlign::Left, inward, SheetLayer::Frame);
    out.text(km(s.west, r.zone), at(x, s.west) + out_, h, 0, HAlign::Left, outward, SheetLayer::Frame);
    out.text(km(s.east(), r.zone), at(x, s.east()) + out_, h, 0, HAlign::Right, outward, SheetLayer::Frame);
  }
}

std::array<std::string, 9> neighbourNumbers(const SquareFrameRequest& r) {
  const geodesy::SquareNeighbours n = geodesy::NeighboursOf(r.sheet);
  const std::optional<geodesy::SquareSheet>* cells[9] = {&n.nw, &n.n, &n.ne, &n.w, nullptr, &n.e, &n.sw, &n.s, &n.se};
  std::array<std::string, 9> out;
  for (std::size_t k = 0; k < 9; ++k) {
    if (cells[k] && *cells[k]) out[k] = geodesy::FormatSquareNumber(**cells[k], r.zone);
  }
  return out;
}

}  // namespace

SquareFrame buildSquareFrame(const SquareFrameRequest& r) {
  const geodesy::SquareSheet& s = r.sheet;
  SquareFrame f;
  const double mm = f.metresPerMm = s.scaleDenominator / 1000.0;
  f.sw = at(s.south, s.west), f.se = at(s.south, s.east()), f.ne = at(s.north(), s.east()), f.nw = at(s.north(), s.west);
  const Sides e = sidesOf(f.sw, f.se, f.ne, f.nw);
  const Outer o = outerFrame(e, mm);
  f.sketch.shapes.emplace_back(SketchPolyline{{f.sw, f.se, f.ne, f.nw}, true, 0, SheetLayer::Frame});
  cornerCoordinates(r, mm, f.sketch);
  addOuterFrame(o, mm, f.sketch);
  grid(s, mm, f);
  addNotes({geodesy::FormatSquareNumber(s, r.zone), r.title, s.scaleDenominator, {r.system}}, o, e, mm, f.sketch);
  addAdjoiningDiagram(neighbourNumbers(r), o, e, mm, f.sketch);
  if (r.zone > 0) {
    const double offset = geodesy::PrefixedEasting(0, r.zone);
    shiftEastings(f.sketch, offset);
    for (PlaneVertex* v : {&f.sw, &f.se, &f.ne, &f.nw}) v->easting += offset;
    for (PlaneVertex& v : f.crosses) v.easting += offset;
  }
  return f;
}

}  // namespace veskar::mapsheet
