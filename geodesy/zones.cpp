// Gauss-Krüger zones by width and number, and eastings with the zone number in front.
#include <charconv>
#include <string>

#include "sheet_table.h"
#include "sheets.h"

namespace veskar::geodesy {

using sheet_table::fail;

namespace {

constexpr int kLastSixDegreeZone = 60;
constexpr int kLastThreeDegreeZone = 120;
constexpr double kZoneFactor = 1000000.0;  // the zone number stands before six digits of metres

// Metres as the shortest text that reads back as the value, without an exponent.
std::string metres(double v) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

void checkZoneNumber(int number) {
  if (number < 1 || number > kLastThreeDegreeZone)
    fail("zone " + std::to_string(number) + " is outside 1-120: no zone number to put in front");
}

}  // namespace

ProjectionZone ZoneByNumber(int width, int number) {
  if (width != 3 && width != 6)
    fail("zone width " + std::to_string(width) + ": zones are 3° or 6° wide");
  const int last = width == 6 ? kLastSixDegreeZone : kLastThreeDegreeZone;
  if (number < 1 || number > last)
    fail(std::to_string(width) + "° zone " + std::to_string(number) + " is outside 1-" +
         std::to_string(last));
  if (width == 6) return ProjectionZone{6, number, 6 * number - 3};
  return ProjectionZone{3, number, number == kLastThreeDegreeZone ? 0 : 3 * number};
}

double PrefixedEasting(double easting, int zoneNumber) {
  checkZoneNumber(zoneNumber);
  if (!(easting >= 0 && easting < kZoneFactor))
    fail("easting " + metres(easting) +
         " m is outside 0 to 1000000 m: it cannot carry the zone number in front");
  return static_cast<double>(zoneNumber) * kZoneFactor + easting;
}

double UnprefixedEasting(double prefixed, int zoneNumber) {
  checkZoneNumber(zoneNumber);
  const double low = static_cast<double>(zoneNumber) * kZoneFactor;
  if (prefixed >= low && prefixed < low + kZoneFactor) return prefixed - low;
  const std::string y = "y " + metres(prefixed);
  if (!(prefixed >= kZoneFactor && prefixed < (kLastThreeDegreeZone + 1) * kZoneFactor))
    fail(y + " carries no zone number in front (zone " + std::to_string(zoneNumber) + " expected)");
  int carried = static_cast<int>(prefixed / kZoneFactor);  // the division may round up
  if (static_cast<double>(carried) * kZoneFactor > prefixed) --carried;
  fail(y + " carries zone " + std::to_string(carried) + ", not " + std::to_string(zoneNumber));
}

}  // namespace veskar::geodesy
