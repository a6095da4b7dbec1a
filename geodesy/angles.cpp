#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "geodesy.h"
#include "internal.h"

namespace veskar::geodesy {
namespace {

double signOf(double v) { return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0); }

}  // namespace

void throwNonFinite(const char* what) {
  throw GeodesyError(GeodesyError::Kind::NonFinite,
                     std::string(what) + ": the value is not a finite number");
}

double DmsDeg(double packed) {
  requireFinite(packed, "DmsDeg");
  const double sign = signOf(packed);
  const PackedSplit p = splitPacked(std::fabs(packed));
  const double r = sign * ((p.d + p.m / 60.0) + p.s / 3600.0);
  requireFinite(r, "DmsDeg");
  return r;
}

double Degdms(double degrees) {
  requireFinite(degrees, "Degdms");
  const double sign = signOf(degrees);
  const double a = std::fabs(degrees);
  const double d = floorFast(a);
  const double m = floorFast((a - d) * 60.0);
  const double s = ((a - d) - m / 60.0) * 3600.0;
  const double r = sign * ((d * 10000.0 + m * 100.0 + s) / 10000.0);
  requireFinite(r, "Degdms");
  return r;
}

double D_R(double packed, double pi) {
  requireFinite(packed, "D_R");
  const double sign = signOf(packed);
  const PackedSplit p = splitPacked(std::fabs(packed));
  // Degrees and minutes are held in 16-bit integers.
  if (p.d > 32767.0 || p.m > 32767.0) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "D_R: %.0f degrees overflow the 16-bit degree field",
                  sign * p.d);
    throw GeodesyError(GeodesyError::Kind::Overflow, buf);
  }
  const auto d = static_cast<std::int16_t>(p.d);
  const auto m = static_cast<std::int16_t>(p.m);
  const double degrees = (m / 60.0 + d) + p.s / 3600.0;
  const double r = sign * ((degrees * pi) / 180.0);
  requireFinite(r, "D_R");
  return r;
}

double R_D(double radians, double pi) {
  requireFinite(radians, "R_D");
  const double sign = signOf(radians);
  const double D = std::fabs(radians) * 180.0 / pi;
  double d = floorFast(D);
  double m = floorFast((D - d) * 60.0);
  double s = ((D - d) * 60.0 - m) * 60.0;
  if (std::fabs(60.0 - s) < 0.0001) {
    s = 0.0;
    m = m + 1.0;
  }
  if (m == 60.0) {
    m = 0.0;
    d = d + 1.0;
  }
  const double r = sign * ((d + m / 100.0) + s / 10000.0);
  requireFinite(r, "R_D");
  return r;
}

std::string fwjxxx(double radians) {
  requireFinite(radians, "fwjxxx");
  // The nudge goes onto the magnitude, so that -29°20′ reads 29°20′ like +29°20′.
  const double a = std::fabs(radians) + 0.000001;
  const double piFull = 4.0 * std::atan(1.0);
  const double D = std::fabs(a * 180.0 / piFull);
  const double d = floorFast(D);
  const double m = floorFast((D - d) * 60.0);
  requireFinite(D, "fwjxxx");
  char deg[400];
  char min[8];
  std::snprintf(deg, sizeof deg, d < 10.0 ? "0%.0f" : "%.0f", d);
  std::snprintf(min, sizeof min, m < 10.0 ? "0%.0f" : "%.0f", m);
  return std::string(deg) + "\u00B0" + min + "\u2032";
}

}  // namespace veskar::geodesy
