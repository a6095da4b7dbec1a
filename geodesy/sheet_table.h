// The map-sheet scales as one table, and the checks and messages the sheet sources share
// (sheets.cpp: present numbers, bounds, zones, neighbours; sheet_former.cpp: former numbers;
// zones.cpp: zones by number).
#pragma once

#include <string>
#include <string_view>

#include "sheets.h"

namespace veskar::geodesy::sheet_table {

inline constexpr ArcUnits kDeg = kArcUnitsPerDegree;
inline constexpr ArcUnits kMin = kArcUnitsPerMinute;
inline constexpr ArcUnits kSec = kArcUnitsPerSecond;

// The 1:1,000,000 grid.
inline constexpr ArcUnits kMillionWidth = 6 * kDeg;
inline constexpr ArcUnits kMillionHeight = 4 * kDeg;
inline constexpr char kLastRowLetter = 'V';  // 84°-88° N
inline constexpr int kFirstEastColumn = 31;  // 0°-6° E
inline constexpr int kLastColumn = 60;       // 174°-180° E
inline constexpr ArcUnits kNorthLimit = (kLastRowLetter - 'A' + 1) * kMillionHeight;
inline constexpr ArcUnits kEastLimit = 180 * kDeg;

// How a scale's sheet is written in a former number, after the number of the larger sheet it
// subdivides.
enum class FormerPart {
  None,       // no former number
  Million,    // J-50
  Capital,    // -A to -D
  Number,     // -1 to -144, -1 to -4
  Bracketed,  // -(1) to -(64)
  Small,      // -a to -d
};

struct Scale {
  int denominator;
  char letter;  // '\0' for the 1:1,000,000 sheet, numbered without one
  ArcUnits width, height;
  int digits;  // of the row and of the column in the present number
  const char* name;
  FormerPart former;
  int formerParent;  // the scale of the sheet the former number subdivides
  int count() const { return static_cast<int>(kMillionHeight / height); }
};

inline constexpr Scale kScales[] = {
    {1000000, '\0', 6 * kDeg, 4 * kDeg, 0, "1:1,000,000", FormerPart::Million, 0},
    {500000, 'B', 3 * kDeg, 2 * kDeg, 3, "1:500,000", FormerPart::Capital, 1000000},
    {250000, 'C', 90 * kMin, 60 * kMin, 3, "1:250,000", FormerPart::None, 0},
    {100000, 'D', 30 * kMin, 20 * kMin, 3, "1:100,000", FormerPart::Number, 1000000},
    {50000, 'E', 15 * kMin, 10 * kMin, 3, "1:50,000", FormerPart::Capital, 100000},
    {25000, 'F', 450 * kSec, 300 * kSec, 3, "1:25,000", FormerPart::Number, 50000},
    {10000, 'G', 225 * kSec, 150 * kSec, 3, "1:10,000", FormerPart::Bracketed, 100000},
    {5000, 'H', 1125 * kSec / 10, 75 * kSec, 3, "1:5,000", FormerPart::Small, 10000},
    {2000, 'I', 375 * kSec / 10, 25 * kSec, 3, "1:2,000", FormerPart::None, 0},
    {1000, 'J', 1875 * kSec / 100, 125 * kSec / 10, 4, "1:1,000", FormerPart::None, 0},
    {500, 'K', 9375 * kSec / 1000, 625 * kSec / 100, 4, "1:500", FormerPart::None, 0},
};
inline constexpr int kFirstThreeDegreeZoneScale = 10000;  // this scale and larger: 3° zones

[[noreturn]] void fail(const std::string& message);
// "sheet number \"J50E0010\": "
std::string quoted(std::string_view number);
// v with at least `digits` digits, zeros in front.
std::string padded(int v, int digits);

const Scale& scaleByDenominator(int denominator);
// The scale of a sheet, its ranges checked.
const Scale& checked(const MapSheet& sheet);
// The row letter of a number (capital A to V).
void checkRowLetter(char c, const std::string& context);
// Row and column of the 1:1,000,000 sheet, then row and column inside it.
void checkRanges(const MapSheet& s, const Scale& sc, const std::string& context);

}  // namespace veskar::geodesy::sheet_table
