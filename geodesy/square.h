// Square and rectangular sheets of large-scale surveys (1:5,000 to 1:500): sheets of a fixed
// size on paper, aligned to whole multiples of their size from the coordinate origin, each
// named by its south-west corner, x (northing) then y (easting) in kilometres joined by a
// hyphen: 3810.5-525.5 is the 1:1,000 sheet whose corner is at x 3,810,500 m, y 525,500 m.
// The coordinates are plane coordinates of whatever system a drawing uses; nothing is
// projected.
//
// Exactness. Corners are whole metres and every sheet is found by integer division; a point on
// a sheet edge belongs to the sheet north and east of it, as with the national sheets. The
// kilometres are written with the scale's decimals: none at 1:5,000, one at 1:2,000 and
// 1:1,000, two at 1:500, so a sheet size whose corners cannot be written that way (50 x 50 cm
// at 1:5,000 is 2.5 km) is refused.
//
// Eastings with the zone number in front: with a zone number, y is read and written with it
// (zone 39: 39525.5 for 525.5 km); a y carrying another zone, or none, is refused.
//
// Failures throw GeodesyError(InvalidInput) naming the part at fault.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "geodesy/geodesy.h"

namespace veskar::geodesy {

// Centimetres on paper, east-west by north-south.
struct SquareSize {
  int widthCm = 50, heightCm = 50;
  bool operator==(const SquareSize&) const = default;
};

// The scales with square sheets: 5000, 2000, 1000, 500.
std::span<const int> SquareScales();
// 40 x 40 cm at 1:5,000, 50 x 50 cm at the larger scales.
SquareSize DefaultSquareSize(int scaleDenominator);
// The sizes a sheet may have: 50 x 50, 50 x 40 and 40 x 40 cm.
std::span<const SquareSize> SquareSizes();
// "50x50", "50x40" or "40x40".
SquareSize ParseSquareSize(std::string_view text);
std::string FormatSquareSize(SquareSize size);

struct SquareSheet {
  int scaleDenominator = 0;
  SquareSize size;
  std::int64_t south = 0, west = 0;  // metres, whole multiples of the sheet's height and width
  std::int64_t width() const;        // metres on the ground
  std::int64_t height() const;
  std::int64_t north() const { return south + height(); }
  std::int64_t east() const { return west + width(); }
  bool operator==(const SquareSheet&) const = default;
};

// The sheet holding the point x (northing), y (easting), metres; `zone` > 0: y carries that
// zone's number in front. Points with x or y below 0 hold no sheet.
SquareSheet SquareSheetAt(double x, double y, int scaleDenominator, SquareSize size, int zone = 0);
// "3810.5-525.5": any way of writing the corner's kilometres, as long as it is whole metres on
// a corner of the scale's sheets.
SquareSheet ParseSquareNumber(std::string_view number, int scaleDenominator, SquareSize size, int zone = 0);
// The corner in km with the scale's decimals, y with the zone's number when `zone` > 0.
std::string FormatSquareNumber(const SquareSheet& sheet, int zone = 0);
// A coordinate in km with the scale's decimals ("3810.5"); an easting with the zone number in
// front when `zone` > 0.
std::string SquareKilometres(std::int64_t metres, int scaleDenominator, int zone = 0);

// An easting in units of 1/unitsPerMetre m with the zone number `zone` in front, without it;
// `zone` 0: y as it is. A y carrying another zone's number, or none, is refused naming `what`
// ("y 38525500 carries zone 38, not 39").
std::int64_t UnprefixedEasting(std::int64_t y, int zone, const std::string& what, std::int64_t unitsPerMetre = 1);

// The eight sheets around, the same size; none south of x 0 or west of y 0.
struct SquareNeighbours {
  std::optional<SquareSheet> n, ne, e, se, s, sw, w, nw;
};
SquareNeighbours NeighboursOf(const SquareSheet& sheet);

}  // namespace veskar::geodesy
