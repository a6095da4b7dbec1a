#include "cad/drawing.h"

#include <algorithm>
#include <cmath>

#include "platform/text.h"

namespace veskar::cad {
namespace {

void include(Extents& e, double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (e.empty) {
    e.empty = false;
    e.minX = e.maxX = x;
    e.minY = e.maxY = y;
    return;
  }
  e.minX = std::min(e.minX, x);
  e.maxX = std::max(e.maxX, x);
  e.minY = std::min(e.minY, y);
  e.maxY = std::max(e.maxY, y);
}

// The text's box, roughly: each character as wide as the height times the width factor (the
// CJK fonts of survey drawings have square characters), placed by the alignment and turned
// by the rotation about the anchor.
void includeText(Extents& e, const TextData& t) {
  const double x0 = t.insertionPoint[0], y0 = t.insertionPoint[1];
  include(e, x0, y0);
  const bool baselineLeft = t.horizontalAlignment == 0 && t.verticalAlignment == 0;
  if (!baselineLeft) include(e, t.alignmentPoint[0], t.alignmentPoint[1]);

  const double h = std::abs(t.height);
  double w = static_cast<double>(platform::utf16Length(t.string)) * h * std::abs(t.widthFactor);
  double angle = t.rotation;
  double ax = x0, ay = y0;  // anchor
  double left = 0, bottom = 0;
  switch (t.horizontalAlignment) {
    case 1:  // center
    case 4:  // middle
      ax = t.alignmentPoint[0], ay = t.alignmentPoint[1];
      left = -w / 2;
      break;
    case 2:  // right
      ax = t.alignmentPoint[0], ay = t.alignmentPoint[1];
      left = -w;
      break;
    case 3:  // aligned
    case 5:  // fit: between the two points
      w = std::hypot(t.alignmentPoint[0] - x0, t.alignmentPoint[1] - y0);
      angle = std::atan2(t.alignmentPoint[1] - y0, t.alignmentPoint[0] - x0);
      break;
    default:  // left
      if (!baselineLeft) ax = t.alignmentPoint[0], ay = t.alignmentPoint[1];
      break;
  }
  if (t.horizontalAlignment == 4) {
    bottom = -h / 2;
  } else {
    switch (t.verticalAlignment) {
      case 2: bottom = -h / 2; break;  // middle
      case 3: bottom = -h; break;      // top
      default: break;                  // baseline, bottom
    }
  }
  const double c = std::cos(angle), s = std::sin(angle);
  for (double dx : {left, left + w}) {
    for (double dy : {bottom, bottom + h}) include(e, ax + dx * c - dy * s, ay + dx * s + dy * c);
  }
}

}  // namespace

Extents DrawingData::extents() const {
  Extents e;
  for (const EntityData& entity : entities) {
    if (const auto* text = std::get_if<TextData>(&entity)) {
      includeText(e, *text);
    } else if (const auto* line = std::get_if<PolylineData>(&entity)) {
      const double half = std::isfinite(line->constantWidth) ? std::abs(line->constantWidth) / 2 : 0;
      for (std::size_t i = 0; i + 1 < line->coordinates.size(); i += 2) {
        include(e, line->coordinates[i] - half, line->coordinates[i + 1] - half);
        include(e, line->coordinates[i] + half, line->coordinates[i + 1] + half);
      }
    } else if (const auto* l = std::get_if<LineData>(&entity)) {
      include(e, l->start[0], l->start[1]);
      include(e, l->end[0], l->end[1]);
    }
  }
  return e;
}

}  // namespace veskar::cad
