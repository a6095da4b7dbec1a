#include "geodesy/square.h"

#include <charconv>
#include <cmath>

namespace veskar::geodesy {
namespace {

struct SquareScale {
  int denominator;
  int decimals;  // of the kilometres in a number
  SquareSize size;
};

constexpr SquareScale kSquareScales[] = {
    {5000, 0, {40, 40}}, {2000, 1, {50, 50}}, {1000, 1, {50, 50}}, {500, 2, {50, 50}}};
constexpr int kDenominators[] = {5000, 2000, 1000, 500};
constexpr SquareSize kSizes[] = {{50, 50}, {50, 40}, {40, 40}};
constexpr std::int64_t kZoneMetres = 1000000;

[[noreturn]] void fail(const std::string& message) { throw GeodesyError(GeodesyError::Kind::InvalidInput, message); }

std::string scaleName(int denominator) {
  std::string digits = std::to_string(denominator), out = "1:";
  for (std::size_t i = 0; i < digits.size(); ++i) out += ((i > 0 && (digits.size() - i) % 3 == 0) ? "," : "") + digits.substr(i, 1);
  return out;
}

const SquareScale& scaleOf(int denominator) {
  for (const SquareScale& s : kSquareScales) {
    if (s.denominator == denominator) return s;
  }
  fail("no square sheets at " + scaleName(denominator) + "; the scales are 1:5,000, 1:2,000, 1:1,000 and 1:500");
}

std::int64_t metresOnGround(int cm, int denominator) { return static_cast<std::int64_t>(cm) * denominator / 100; }

// The size at the scale, checked: its corners must be writable with the scale's decimals.
void checkSize(const SquareScale& s, SquareSize size) {
  std::int64_t unit = 1000;  // metres in the last decimal of the kilometres
  for (int d = 0; d < s.decimals; ++d) unit /= 10;
  for (int cm : {size.widthCm, size.heightCm}) {
    const std::int64_t m = metresOnGround(cm, s.denominator);
    if (m % unit != 0)
      fail("sheet size " + FormatSquareSize(size) + " at " + scaleName(s.denominator) + ": " +
           std::to_string(cm) + " cm is " + std::to_string(m) + " m, which a number with " +
           std::to_string(s.decimals) + " decimals of km cannot hold");
  }
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Kilometres as written ("3810.5", "10.25"), to whole metres; nothing for what is no such number.
std::optional<std::int64_t> kilometres(std::string_view text) {
  const std::size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  if (whole.empty() || fraction.size() > 3 || (dot != std::string_view::npos && fraction.empty())) return std::nullopt;
  std::int64_t km = 0, m = 0;
  for (char c : whole) {
    if (c < '0' || c > '9' || km > 1000000000) return std::nullopt;
    km = km * 10 + (c - '0');
  }
  for (std::size_t k = 0; k < 3; ++k) {
    const char c = k < fraction.size() ? fraction[k] : '0';
    if (c < '0' || c > '9') return std::nullopt;
    m = m * 10 + (c - '0');
  }
  return km * 1000 + m;
}

}  // namespace

std::int64_t UnprefixedEasting(std::int64_t y, int zone, const std::string& what, std::int64_t unitsPerMetre) {
  if (zone <= 0) return y;
  const std::int64_t zoneUnits = kZoneMetres * unitsPerMetre, carried = y / zoneUnits;
  if (y < 0 || carried != zone)
    fail(what + " carries " + (y < zoneUnits ? std::string("no zone number") : "zone " + std::to_string(carried)) +
         ", not " + std::to_string(zone));
  return y - zone * zoneUnits;
}

std::span<const int> SquareScales() { return kDenominators; }

SquareSize DefaultSquareSize(int denominator) { return scaleOf(denominator).size; }

std::span<const SquareSize> SquareSizes() { return kSizes; }

SquareSize ParseSquareSize(std::string_view text) {
  for (SquareSize s : kSizes) {
    if (text == FormatSquareSize(s)) return s;
  }
  fail("sheet size \"" + std::string(text) + "\": give 50x50, 50x40 or 40x40 (cm east-west x north-south)");
}

std::string FormatSquareSize(SquareSize size) {
  return std::to_string(size.widthCm) + "x" + std::to_string(size.heightCm);
}

std::int64_t SquareSheet::width() const { return metresOnGround(size.widthCm, scaleDenominator); }
std::int64_t SquareSheet::height() const { return metresOnGround(size.heightCm, scaleDenominator); }

SquareSheet SquareSheetAt(double x, double y, int denominator, SquareSize size, int zone) {
  const SquareScale& s = scaleOf(denominator);
  checkSize(s, size);
  if (!std::isfinite(x) || !std::isfinite(y)) fail("the point must be finite numbers");
  if (std::fabs(x) > 1e12 || std::fabs(y) > 1e12) fail("the point lies beyond 1,000,000,000 km");
  const auto mx = static_cast<std::int64_t>(std::floor(x)), my = static_cast<std::int64_t>(std::floor(y));
  const std::int64_t east = UnprefixedEasting(my, zone, "y " + std::to_string(my));
  if (mx < 0 || east < 0) fail("square sheets start at x 0 and y 0: the point lies south or west of them");
  SquareSheet sheet{denominator, size, 0, 0};
  sheet.south = floorDiv(mx, sheet.height()) * sheet.height();
  sheet.west = floorDiv(east, sheet.width()) * sheet.width();
  return sheet;
}

SquareSheet ParseSquareNumber(std::string_view number, int denominator, SquareSize size, int zone) {
  const std::string context = "square sheet \"" + std::string(number) + "\": ";
  const SquareScale& s = scaleOf(denominator);
  checkSize(s, size);
  const std::size_t hyphen = number.find('-');
  if (hyphen == std::string_view::npos)
    fail(context + "write x and y of the south-west corner in km joined by a hyphen, as 3810.5-525.5");
  const std::optional<std::int64_t> x = kilometres(number.substr(0, hyphen)), y = kilometres(number.substr(hyphen + 1));
  if (!x) fail(context + "x \"" + std::string(number.substr(0, hyphen)) + "\" is no number of km (at most 3 decimals)");
  if (!y) fail(context + "y \"" + std::string(number.substr(hyphen + 1)) + "\" is no number of km (at most 3 decimals)");
  SquareSheet sheet{denominator, size, *x, UnprefixedEasting(*y, zone, context + "y")};
  const std::string sizeText = " at " + scaleName(denominator) + " with " + FormatSquareSize(size) + " cm sheets";
  if (sheet.south % sheet.height() != 0)
    fail(context + "x " + std::string(number.substr(0, hyphen)) + " km is not on a " + std::to_string(sheet.height()) +
         " m boundary" + sizeText);
  if (sheet.west % sheet.width() != 0)
    fail(context + "y " + std::string(number.substr(hyphen + 1)) + " km is not on a " + std::to_string(sheet.width()) +
         " m boundary" + sizeText);
  return sheet;
}

std::string SquareKilometres(std::int64_t metres, int denominator, int zone) {
  const int decimals = scaleOf(denominator).decimals;
  if (zone > 0) metres += zone * kZoneMetres;
  std::string out = (metres < 0 ? "-" : "") + std::to_string(std::llabs(metres) / 1000);
  if (decimals > 0) {
    std::string rest = std::to_string(std::llabs(metres) % 1000 + 1000).substr(1);
    out += "." + rest.substr(0, static_cast<std::size_t>(decimals));
  }
  return out;
}

std::string FormatSquareNumber(const SquareSheet& s, int zone) {
  return SquareKilometres(s.south, s.scaleDenominator) + "-" + SquareKilometres(s.west, s.scaleDenominator, zone);
}

SquareNeighbours NeighboursOf(const SquareSheet& s) {
  const auto at = [&s](int north, int east) -> std::optional<SquareSheet> {
    SquareSheet n = s;
    n.south += north * s.height();
    n.west += east * s.width();
    if (n.south < 0 || n.west < 0) return std::nullopt;
    return n;
  };
  return {at(1, 0), at(1, 1), at(0, 1), at(-1, 1), at(-1, 0), at(-1, -1), at(0, -1), at(1, -1)};
}

}  // namespace veskar::geodesy
