// What the commands share: the coordinate system options, numbers, the reach of the series.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "cli.h"

namespace veskar::cli {

const char* const kAngleNotes =
    "Angles are packed DMS: degrees, then two digits of minutes, then seconds, so\n"
    "140.022866 = 140°02′28.66″, 29.2 = 29°20′, 0.15 = 0°15′; \".\" is the decimal point.\n";

std::vector<Option> systemOptions(geodesy::CoordinateSystem fallback) {
  using geodesy::CoordinateSystem;
  const auto line = [&](CoordinateSystem s, const char* text) {
    return std::string(text) + (s == fallback ? " (the default)" : "");
  };
  return {
      {"--beijing54", "", "", line(CoordinateSystem::Beijing54, "Beijing 1954, Krassovsky 1940 ellipsoid")},
      {"--iag75", "", "", line(CoordinateSystem::IAG75, "Xi'an 1980, IAG 1975 ellipsoid")},
      {"--cgcs2000", "", "", line(CoordinateSystem::CGCS2000, "CGCS2000")},
  };
}

geodesy::CoordinateSystem systemOf(const Parsed& p, geodesy::CoordinateSystem fallback) {
  geodesy::CoordinateSystem s = fallback;
  for (const std::string& name : p.order()) {
    if (name == "--beijing54") s = geodesy::CoordinateSystem::Beijing54;
    if (name == "--iag75") s = geodesy::CoordinateSystem::IAG75;
    if (name == "--cgcs2000") s = geodesy::CoordinateSystem::CGCS2000;
  }
  return s;
}

std::optional<double> parseNumber(std::string_view s) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size() || s.empty() || !std::isfinite(v)) return std::nullopt;
  return v;
}

// A whole number: blanks around it allowed, a sign, decimal digits.
std::optional<int> parseInt(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  int v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

std::string grouped(std::uint64_t n) {
  std::string digits = std::to_string(n);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), ",");
  return digits;
}

std::string scaleText(int denominator) { return "1:" + grouped(static_cast<std::uint64_t>(denominator)); }

ZoneChoice zoneChoice(const Parsed& p) {
  ZoneChoice c;
  const auto refuse = [&c](const std::string& message, bool usage) {
    c.error = message;
    c.usage = usage;
    return c;
  };
  const bool zone = p.has("--zone");
  if (zone && p.has("--central-meridian"))
    return refuse("--zone and --central-meridian exclude each other: the zone fixes the central meridian", true);
  for (const char* needsZone : {"--zone-width", "--zone-prefix"})
    if (!zone && p.has(needsZone)) return refuse(std::string(needsZone) + " needs --zone", true);
  if (!zone) return c;
  if (!p.has("--zone-width")) return refuse("--zone needs --zone-width 3 or 6", true);
  const std::optional<int> number = parseInt(p.value("--zone")), width = parseInt(p.value("--zone-width"));
  if (!number) return refuse("--zone: \"" + p.value("--zone") + "\" is not a whole number", false);
  if (!width) return refuse("--zone-width: \"" + p.value("--zone-width") + "\" is not 3 or 6", false);
  try {
    c.zone = geodesy::ZoneByNumber(*width, *number);
  } catch (const geodesy::GeodesyError& e) {
    return refuse(e.what(), false);
  }
  return c;
}

std::optional<int> prefixZoneOf(const Parsed& p, const std::string& prefix, std::ostream& err) {
  const ZoneChoice z = zoneChoice(p);
  if (!z.error.empty() || (z.zone && !p.has("--zone-prefix"))) {
    err << prefix << ": " << (z.error.empty() ? "--zone names the zone number y carries with --zone-prefix" : z.error) << "\n";
    return std::nullopt;
  }
  return z.zone ? z.zone->number : 0;
}

namespace {

std::string metres(double m) {
  char buf[64];
  if (m < 1) {
    std::snprintf(buf, sizeof buf, "%.0f mm", m * 1000);
  } else {
    std::snprintf(buf, sizeof buf, "%.1f m", m);
  }
  return buf;
}

std::string degrees(double d) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f°", d);
  return buf;
}

}  // namespace

std::string reachWarning(double farthest) {
  return "points lie up to " + degrees(farthest) + " from the central meridian, where the projection may be off by up to " +
         metres(geodesy::SeriesErrorBound(farthest)) + " (about " + metres(geodesy::SeriesErrorBound(0)) +
         " within 3°)";
}

std::string reachRefusal(double d) {
  return degrees(d) + " from the central meridian: farther than 20°, where the projection means nothing";
}

}  // namespace veskar::cli
