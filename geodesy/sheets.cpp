#include "sheets.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "internal.h"
#include "sheet_table.h"

namespace veskar::geodesy {

// --- Errors: the messages of present numbers, points and angles ------------------------------

namespace sheet_table {

void fail(const std::string& message) {
  throw GeodesyError(GeodesyError::Kind::InvalidInput, message);
}

std::string quoted(std::string_view s) { return "sheet number \"" + std::string(s) + "\": "; }

std::string padded(int v, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", digits, v);
  return buf;
}

namespace {

std::string scaleList() {
  std::string s;
  for (const Scale& sc : kScales) s += (s.empty() ? "" : ", ") + std::string(sc.name);
  return s;
}

const char* const kWest = "the western hemisphere is not supported";

}  // namespace

const Scale& scaleByDenominator(int denominator) {
  for (const Scale& sc : kScales)
    if (sc.denominator == denominator) return sc;
  fail("no map sheets at 1:" + std::to_string(denominator) + "; the scales are " + scaleList());
}

void checkRanges(const MapSheet& s, const Scale& sc, const std::string& context) {
  if (s.millionRow < 'A' || s.millionRow > kLastRowLetter)
    fail(context + "row letter must be A to V (0° to 88° N)");
  if (s.millionColumn < kFirstEastColumn && s.millionColumn >= 1)
    fail(context + "column " + padded(s.millionColumn, 2) + " is west of 0° (01-30): " + kWest);
  if (s.millionColumn < 1 || s.millionColumn > kLastColumn)
    fail(context + "column " + padded(s.millionColumn, 2) + " is outside 01-60");
  const int n = sc.count(), digits = sc.digits == 0 ? 3 : sc.digits;
  const std::string range =
      " is outside " + padded(1, digits) + "-" + padded(n, digits) + " at " + sc.name;
  if (s.row < 1 || s.row > n) fail(context + "row " + padded(s.row, digits) + range);
  if (s.column < 1 || s.column > n) fail(context + "column " + padded(s.column, digits) + range);
}

const Scale& checked(const MapSheet& s) {
  const Scale& sc = scaleByDenominator(s.scaleDenominator);
  checkRanges(s, sc, "map sheet: ");
  return sc;
}

void checkRowLetter(char c, const std::string& context) {
  if (c >= 'a' && c <= 'z') fail(context + "letters must be capitals");
  if (c > kLastRowLetter && c <= 'Z')
    fail(context + "row letter " + c + " is north of 88°, beyond V");
  if (c < 'A' || c > 'Z') fail(context + "the first character must be the row letter A to V");
}

}  // namespace sheet_table

using namespace sheet_table;

namespace {

const char* const kSouth = "the southern hemisphere is not supported";
const char* const kWrongLength =
    "a sheet number has 3 characters (J50, 1:1,000,000) or 10 (J50E001010), 12 at 1:1,000 "
    "and 1:500 (J50K00010001)";

std::string shortest(double v) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

bool isDigits(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

int number(std::string_view digits) {
  int v = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), v);
  return v;
}

const char* digitWord(int digits) { return digits == 4 ? "four" : "three"; }

const Scale& scaleByLetter(char c, const std::string& context) {
  for (const Scale& sc : kScales)
    if (sc.letter != '\0' && sc.letter == c) return sc;
  if (c >= 'a' && c <= 'z') fail(context + "letters must be capitals");
  if (c == 'A') fail(context + "scale letter A: a 1:1,000,000 sheet is numbered J50 alone");
  fail(context + "the fourth character must be the scale letter B to K");
}

// The length the scale letter asks for.
void checkLength(std::string_view text, const Scale& sc, const std::string& context) {
  const std::size_t length = 4 + 2 * static_cast<std::size_t>(sc.digits);
  if (text.size() != length)
    fail(context + "scale letter " + sc.letter + " (" + sc.name + ") takes " +
         std::to_string(length) + " characters, row and column " + digitWord(sc.digits) +
         " digits each");
}

void checkPoint(ArcUnits latitude, ArcUnits longitude) {
  const std::string where = "point " + FormatDms(latitude) + " N, " + FormatDms(longitude) + " E: ";
  if (latitude < 0) fail(where + kSouth);
  if (longitude < 0) fail(where + kWest);
  if (latitude >= kNorthLimit) fail(where + "no sheets from 88° N on (row V ends there)");
  if (longitude >= kEastLimit) fail(where + "no sheets from 180° E on (column 60 ends there)");
}

void checkPackedMagnitude(double packed) {
  if (std::fabs(packed) > 360.0) fail("packed DMS " + shortest(packed) + " is beyond 360°");
}

// Minutes and seconds of a packed value, as PackedToArcUnits reads them.
void checkPackedFields(double packed, ArcUnits minutes, ArcUnits seconds) {
  const std::string what = "packed DMS " + shortest(packed);
  if (minutes >= 60) fail(what + ": the minutes must be below 60");
  if (seconds < 0 || seconds >= 60 * kSec) fail(what + ": the seconds must be below 60");
}

constexpr auto kDenominators = [] {
  std::array<int, std::size(kScales)> a{};
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = kScales[i].denominator;
  return a;
}();

}  // namespace

// --- Angles ----------------------------------------------------------------------------------

ArcUnits PackedToArcUnits(double packed) {
  requireFinite(packed, "PackedToArcUnits");
  const double a = std::fabs(packed);
  checkPackedMagnitude(packed);
  const PackedSplit p = splitPacked(a);
  const auto wholeMinutes = static_cast<ArcUnits>(p.w);
  const ArcUnits minutes = wholeMinutes % 100;
  const auto seconds = static_cast<ArcUnits>(std::llround(p.s * static_cast<double>(kSec)));
  checkPackedFields(packed, minutes, seconds);
  const ArcUnits units = (wholeMinutes / 100) * kDeg + minutes * kMin + seconds;
  return packed < 0 ? -units : units;
}

double ArcUnitsToDegrees(ArcUnits angle) {
  return static_cast<double>(angle) / static_cast<double>(kDeg);
}

double ArcUnitsToPacked(ArcUnits angle) {
  const ArcUnits a = angle < 0 ? -angle : angle;
  // d mm ss ssss as one whole number of 1e-8 packed units, then one rounding.
  const ArcUnits digits = (a / kDeg) * 100000000 + (a % kDeg / kMin) * 1000000 + a % kMin;
  const double v = static_cast<double>(digits) / 1e8;
  return angle < 0 ? -v : v;
}

std::string FormatDms(ArcUnits angle) {
  const ArcUnits a = angle < 0 ? -angle : angle;
  const ArcUnits seconds = a % kMin;
  std::string s = (angle < 0 ? "-" : "") + std::to_string(a / kDeg) + "\u00B0" +
                  padded(static_cast<int>(a % kDeg / kMin), 2) + "\u2032" +
                  padded(static_cast<int>(seconds / kSec), 2);
  if (seconds % kSec != 0) {
    std::string fraction = padded(static_cast<int>(seconds % kSec), 4);
    fraction.erase(fraction.find_last_not_of('0') + 1);
    s += "." + fraction;
  }
  return s + "\u2033";
}

// --- Sheets ----------------------------------------------------------------------------------

std::span<const int> SheetScales() { return kDenominators; }

MapSheet ParseSheetNumber(std::string_view text) {
  const std::string context = quoted(text);
  const bool hemispherePrefix = (text.size() == 4 || text.size() == 11 || text.size() == 13) &&
                                (text[0] == 'S' || text[0] == 'N') && text[1] >= 'A' &&
                                text[1] <= 'Z';
  if (hemispherePrefix)
    fail(context + (text[0] == 'S' ? kSouth : "write the northern sheet without N, as J50"));
  if (text.size() != 3 && text.size() != 10 && text.size() != 12)
    fail(context + std::to_string(text.size()) + " characters; " + kWrongLength);
  checkRowLetter(text[0], context);
  if (!isDigits(text.substr(1, 2))) fail(context + "the column must be two digits, 01 to 60");
  MapSheet s{1000000, text[0], number(text.substr(1, 2)), 1, 1};
  const Scale* sc = &kScales[0];
  if (text.size() > 3) {
    sc = &scaleByLetter(text[3], context);
    checkLength(text, *sc, context);
    const std::size_t d = static_cast<std::size_t>(sc->digits);
    const std::string digits = std::string(" must be ") + digitWord(sc->digits) + " digits";
    if (!isDigits(text.substr(4, d))) fail(context + "the row" + digits);
    if (!isDigits(text.substr(4 + d, d))) fail(context + "the column" + digits);
    s.scaleDenominator = sc->denominator;
    s.row = number(text.substr(4, d));
    s.column = number(text.substr(4 + d, d));
  }
  checkRanges(s, *sc, context);
  return s;
}

std::string FormatSheetNumber(const MapSheet& s) {
  const Scale& sc = checked(s);
  std::string text = s.millionRow + padded(s.millionColumn, 2);
  if (sc.letter != '\0') text += sc.letter + padded(s.row, sc.digits) + padded(s.column, sc.digits);
  return text;
}

MapSheet SheetAt(ArcUnits latitude, ArcUnits longitude, int scaleDenominator) {
  const Scale& sc = scaleByDenominator(scaleDenominator);
  checkPoint(latitude, longitude);
  const ArcUnits band = latitude / kMillionHeight;
  const ArcUnits zone = longitude / kMillionWidth;
  MapSheet s{};
  s.scaleDenominator = sc.denominator;
  s.millionRow = static_cast<char>('A' + band);
  s.millionColumn = static_cast<int>(zone) + kFirstEastColumn;
  s.row = sc.count() - static_cast<int>((latitude - band * kMillionHeight) / sc.height);
  s.column = static_cast<int>((longitude - zone * kMillionWidth) / sc.width) + 1;
  return s;
}

MapSheet SheetAtPacked(double latitude, double longitude, int scaleDenominator) {
  return SheetAt(PackedToArcUnits(latitude), PackedToArcUnits(longitude), scaleDenominator);
}

SheetBounds BoundsOf(const MapSheet& s) {
  const Scale& sc = checked(s);
  SheetBounds b{};
  b.west = (s.millionColumn - kFirstEastColumn) * kMillionWidth + (s.column - 1) * sc.width;
  b.south = (s.millionRow - 'A') * kMillionHeight + (sc.count() - s.row) * sc.height;
  b.east = b.west + sc.width;
  b.north = b.south + sc.height;
  return b;
}

ProjectionZone ZoneOf(const MapSheet& s) {
  const Scale& sc = checked(s);
  const SheetBounds b = BoundsOf(s);
  const ArcUnits centre = b.west + sc.width / 2;
  if (sc.denominator > kFirstThreeDegreeZoneScale) {
    const int n = static_cast<int>(centre / (6 * kDeg)) + 1;
    return ProjectionZone{6, n, 6 * n - 3};
  }
  const int n = static_cast<int>((centre + 3 * kDeg / 2) / (3 * kDeg));
  return n == 0 ? ProjectionZone{3, 120, 0} : ProjectionZone{3, n, 3 * n};
}

SheetNeighbours NeighboursOf(const MapSheet& s) {
  const Scale& sc = checked(s);
  const SheetBounds b = BoundsOf(s);
  // The sheet whose south-west corner lies `rows` sheets north and `columns` east of this one's.
  const auto at = [&](int rows, int columns) -> std::optional<MapSheet> {
    const ArcUnits south = b.south + rows * sc.height, west = b.west + columns * sc.width;
    if (south < 0 || south >= kNorthLimit || west < 0 || west >= kEastLimit) return std::nullopt;
    return SheetAt(south, west, sc.denominator);
  };
  return SheetNeighbours{at(1, 0),  at(1, 1),   at(0, 1),  at(-1, 1),
                         at(-1, 0), at(-1, -1), at(0, -1), at(1, -1)};
}

}  // namespace veskar::geodesy
