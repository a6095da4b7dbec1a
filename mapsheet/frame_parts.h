// What every finished sheet has around its inner frame, whatever its kind (a national sheet's
// trapezoid, a square sheet): the outer frame, the notes above and below it and the
// adjoining-sheet diagram; and the plane geometry they are placed with. Sizes from
// frame_style.h, in millimetres on paper times `mm` (metres per millimetre).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "mapsheet/sketch.h"

namespace veskar::mapsheet::parts {

PlaneVertex operator+(PlaneVertex a, PlaneVertex b);
PlaneVertex operator-(PlaneVertex a, PlaneVertex b);
PlaneVertex operator*(PlaneVertex a, double k);
PlaneVertex unit(PlaneVertex v);
PlaneVertex midpoint(PlaneVertex a, PlaneVertex b);

// A straight edge of the frame, walked anticlockwise round the sheet; outside is to its right.
struct Edge {
  PlaneVertex from, to;
  PlaneVertex along() const;
  PlaneVertex outward() const;
  Edge shifted(double by) const;
  // The point of the edge's line at this easting (northing).
  PlaneVertex atEasting(double x) const;
  PlaneVertex atNorthing(double y) const;
};

// The inner frame's corner chords, anticlockwise from the south-west corner.
struct Sides {
  Edge south, east, north, west;
};
Sides sidesOf(PlaneVertex sw, PlaneVertex se, PlaneVertex ne, PlaneVertex nw);

// Texts read from west to east: along the south edge below it, along the north edge above it,
// and between the two at the sides.
double southAngle(const Sides& e);
double northAngle(const Sides& e);
double sideAngle(const Sides& e);

// The outer frame's corners: where its edges, parallel to the corner chords, meet.
struct Outer {
  PlaneVertex sw, se, ne, nw;
};
Outer outerFrame(const Sides& e, double mm);
// The outer frame as drawn: closed, its width.
void addOuterFrame(const Outer& o, double mm, Sketch& out);

// The notes: the number above the outer frame and the name above it; below, the scale in the
// middle and the lines at the left (coordinate system, zone), each where not empty.
struct SheetNotes {
  std::string number, title;
  int scaleDenominator = 0;
  std::vector<std::string> lowerLeft;
};
void addNotes(const SheetNotes& n, const Outer& o, const Sides& e, double mm, Sketch& out);

// 3 x 3 cells above the outer frame's north-west corner with the neighbours' numbers, row by
// row from the north-west (the middle one, the sheet itself, crossed; empty cells left blank).
void addAdjoiningDiagram(const std::array<std::string, 9>& numbers, const Outer& o, const Sides& e, double mm,
                         Sketch& out);

void shiftEastings(Sketch& sketch, double offset);

}  // namespace veskar::mapsheet::parts
