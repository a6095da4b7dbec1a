// National topographic map sheets (GB/T 13989-2012): sheet numbers in the present and the
// former form, their corners, neighbours and projection zone, for the scales 1:1,000,000 to
// 1:500 in the northern and eastern hemispheres; the Gauss-Krüger zones by number and eastings
// with the zone number in front.
//
// The sheets. A 1:1,000,000 sheet spans 6° of longitude and 4° of latitude. Its row letter runs
// from A (0°-4° N) to V (84°-88° N), its column from 01 (180°-174° W) to 60 (174°-180° E), so
// that in the eastern hemisphere the column is the number of the 6° zone plus 30. It is
// numbered by letter and column alone: J50 is 114°-120° E, 36°-40° N. Each larger scale cuts
// the 1:1,000,000 sheet into a grid of equal sheets:
//   1:500,000  B  3° x 2°            2 x 2      1:25,000  F  7′30″ x 5′          48 x 48
//   1:250,000  C  1°30′ x 1°         4 x 4      1:10,000  G  3′45″ x 2′30″       96 x 96
//   1:100,000  D  30′ x 20′         12 x 12     1:5,000   H  1′52.5″ x 1′15″   192 x 192
//   1:50,000   E  15′ x 10′         24 x 24     1:2,000   I  37.5″ x 25″       576 x 576
//                                               1:1,000   J  18.75″ x 12.5″  1152 x 1152
//                                               1:500     K  9.375″ x 6.25″  2304 x 2304
// (longitude x latitude, columns x rows). Their numbers have 10 characters: the 1:1,000,000
// sheet, the scale letter, the row counted from the north and the column counted from the
// west inside the 1:1,000,000 sheet, three digits each: J50E001010 is 116°15′-116°30′ E,
// 39°50′-40°00′ N. At 1:1,000 and 1:500 row and column have four digits (J50K00010001, 12
// characters). The merged sheets that the international 1:1,000,000 map uses north of 60°
// are not modelled; every row is cut into 6° columns.
//
// Former numbers (the scheme before 1992). The 1:1,000,000 sheet is J-50; the others number
// their place in a larger sheet, counted row by row from the north-west:
//   1:500,000  J-50-A         A-D      2 x 2 in the 1:1,000,000 sheet
//   1:100,000  J-50-5         1-144   12 x 12 in the 1:1,000,000 sheet
//   1:50,000   J-50-5-B       A-D      2 x 2 in the 1:100,000 sheet
//   1:25,000   J-50-5-B-4     1-4      2 x 2 in the 1:50,000 sheet
//   1:10,000   J-50-5-(24)    (1)-(64) 8 x 8 in the 1:100,000 sheet
//   1:5,000    J-50-5-(24)-b  a-d      2 x 2 in the 1:10,000 sheet
// These are the same sheets as the present ones of the same scale (J-50-5-B is J50E001010).
// 1:250,000 and 1:2,000 to 1:500 have no former number; the former 1:200,000 sheets
// (J-50-[1] to [36]) have no counterpart in the present scheme and are refused.
//
// Exactness. Angles are whole numbers of 1/10000″ (ArcUnits), so every sheet edge is a whole
// number (9.375″ is 93,750 units) and every sheet and neighbour is found by integer division,
// never by flooring floating-point degrees. A sheet holds its southern and western edges and
// leaves the northern and eastern edges to its neighbours: 114°33′45″ E, 39°22′30″ N is the
// south-west corner of J50G015010.
//
// Failures. PackedToArcUnits and the sheet and zone operations validate their input and throw
// GeodesyError(InvalidInput) with a message that names the faulty part: the length, a letter,
// a row or column out of range for the scale, a part of a former number, the southern or
// western hemisphere, an unknown scale, a point outside the sheets, a minutes or seconds field
// of 60 or more, a zone number or width, an easting that carries another zone.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "geodesy.h"

namespace veskar::geodesy {

// --- Exact angles ----------------------------------------------------------------------------
// An angle in whole units of 1/10000 of an arc-second (about 3 mm on the ground).
using ArcUnits = std::int64_t;
inline constexpr ArcUnits kArcUnitsPerSecond = 10000;
inline constexpr ArcUnits kArcUnitsPerMinute = 60 * kArcUnitsPerSecond;
inline constexpr ArcUnits kArcUnitsPerDegree = 3600 * kArcUnitsPerSecond;

// Packed DMS as the user types it (116.2825 is 116°28′25″) to exact units. The value is split
// as D_R and DmsDeg split it (so 116.28 and its neighbour 116.27999999999999 both read 28
// whole minutes), degrees and minutes come from the whole-minute count, and the seconds are
// rounded to the nearest 1/10000″: everything an eight-decimal packed value says is kept, and
// the representation error of a double (below 1e-9″) or of a value carried through a few
// calculations is dropped. 116.279999999 is 116°28′00″ exactly; 116.2825 is 116°28′25″;
// 116.034496 is 116°03′44.96″, west of the 1:10,000 edge at 116°03′45″, and stays there
// (rounding to 1/8″ instead would move it onto that edge, 1.2 m away).
// Unlike DmsDeg, the fields are checked: minutes must be below 60, seconds (after rounding)
// at least 0 and below 60. Negative values convert as the negated magnitude; magnitudes
// beyond 360° are refused. Throws GeodesyError (InvalidInput, or NonFinite for NaN and
// infinities).
ArcUnits PackedToArcUnits(double packed);
// Decimal degrees, the double nearest to the exact value.
double ArcUnitsToDegrees(ArcUnits angle);
// Packed DMS, the double nearest to the exact decimal (116°01′52.5″ gives 116.01525).
double ArcUnitsToPacked(ArcUnits angle);
// "116°03′45″", "39°22′30″", "116°01′52.5″": degrees, two-digit minutes, two-digit seconds
// with as many decimals as the angle needs (none to four), UTF-8 (° U+00B0, ′ U+2032,
// ″ U+2033); "-" before a negative angle.
std::string FormatDms(ArcUnits angle);

// --- Sheets ----------------------------------------------------------------------------------
// The scale denominators of the sheets, from 1000000 down to 500, in the order above.
std::span<const int> SheetScales();

struct MapSheet {
  int scaleDenominator;  // one of SheetScales()
  char millionRow;       // the 1:1,000,000 sheet's row letter, 'A' (0°-4° N) to 'V'
  int millionColumn;     // its column, 31 (0°-6° E) to 60 (174°-180° E)
  int row;               // inside the 1:1,000,000 sheet from the north, 1 to 4° / height
  int column;            // from the west, 1 to 6° / width; both 1 at 1:1,000,000
  bool operator==(const MapSheet&) const = default;
};

// "J50", "J50E001010" or "J50K00010001": capitals and digits only, nothing around them.
MapSheet ParseSheetNumber(std::string_view number);
std::string FormatSheetNumber(const MapSheet& sheet);

// The former number ("J-50-5-B"); nullopt where the scale has none (1:250,000, 1:2,000 and
// larger).
std::optional<std::string> FormerSheetNumber(const MapSheet& sheet);
// A number in the present form (J50E001010) or the former form (J-50-5-B, told by its dashes);
// throws GeodesyError (InvalidInput) naming the part at fault.
MapSheet ParseAnySheetNumber(std::string_view number);

// The sheet of the given scale that holds the point (latitude 0° to below 88° N, longitude
// 0° to below 180° E).
MapSheet SheetAt(ArcUnits latitude, ArcUnits longitude, int scaleDenominator);
// The same for packed DMS (PackedToArcUnits).
MapSheet SheetAtPacked(double latitude, double longitude, int scaleDenominator);

struct SheetBounds {
  ArcUnits west, south, east, north;  // the sheet holds its west and south edges
};
SheetBounds BoundsOf(const MapSheet& sheet);

// The eight sheets of the same scale around a sheet, across 1:1,000,000 sheet and zone
// boundaries; a neighbour beyond the sheets (north of 88°, south of the equator, west of 0°,
// east of 180°) is absent.
struct SheetNeighbours {
  std::optional<MapSheet> n, ne, e, se, s, sw, w, nw;
};
SheetNeighbours NeighboursOf(const MapSheet& sheet);

// The Gauss-Krüger zone a sheet is drawn in: 3° zones at 1:10,000 and larger, 6° zones at
// the smaller scales, chosen by the sheet's centre (no sheet straddles its zone's edge).
// 6° zone n has the central meridian 6n - 3 (n = the 1:1,000,000 column - 30); 3° zone n has
// 3n, and the 3° zone about the prime meridian is number 120 (central meridian 360°, given
// as 0).
struct ProjectionZone {
  int width;            // 3 or 6 degrees
  int number;           // 1-30 (6°) or 1-120 (3°)
  int centralMeridian;  // degrees east, whole
};
ProjectionZone ZoneOf(const MapSheet& sheet);

// --- Zones by number -------------------------------------------------------------------------
// The zone of a width and number, numbered as ZoneOf numbers them: 6° zone n (1-60) has the
// central meridian 6n - 3, 3° zone n (1-120) has 3n, and 3° zone 120 has 0. Throws
// InvalidInput for a width other than 3 or 6 or a number outside 1-60 / 1-120.
ProjectionZone ZoneByNumber(int width, int number);
// Eastings with the zone number in front (the national grid's full y): y + number x 1000000,
// so PrefixedEasting(435798.8376, 20) == 20435798.8376. Throws InvalidInput for a zone number
// outside 1-120 and an easting outside 0 to 1000000 m (or not finite), which cannot carry one.
double PrefixedEasting(double easting, int zoneNumber);
// The easting without the zone number in front, exact to the bits of the prefixed value
// (20435798.8376 in zone 20 gives 435798.8376000002). Throws InvalidInput naming the zone
// number the value carries when it is not `zoneNumber` (or when it carries none).
double UnprefixedEasting(double prefixedEasting, int zoneNumber);

}  // namespace veskar::geodesy
