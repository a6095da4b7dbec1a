#pragma once

#include <cmath>

namespace veskar::geodesy {

// Throws GeodesyError(NonFinite) naming `what`; kept out of line, off the hot path.
[[noreturn, gnu::cold, gnu::noinline]] void throwNonFinite(const char* what);

// Throws GeodesyError(NonFinite) naming `what` when v is NaN or infinite.
inline void requireFinite(double v, const char* what) {
  if (!std::isfinite(v)) [[unlikely]]
    throwNonFinite(what);
}

inline constexpr double kTwo52 = 4503599627370496.0;  // from here on every double is whole

// floor and round-half-even without a library call (the baseline x86-64 has no rounding
// instruction). Both are exact, so the results equal std::floor and std::nearbyint.
inline double floorFast(double v) {
  if (!(std::fabs(v) < kTwo52)) return std::floor(v);
  const double t = static_cast<double>(static_cast<long long>(v));
  return t > v ? t - 1.0 : t;
}
inline double roundHalfEven(double v) {
  if (!(std::fabs(v) < kTwo52)) return v;
  const double r = v >= 0 ? (v + kTwo52) - kTwo52 : (v - kTwo52) + kTwo52;
  return r == 0 ? std::copysign(0.0, v) : r;
}

// `t` rounded to three decimal places, halves to even. Values beyond 2^52 are whole already.
inline double roundTo3(double t) {
  if (std::fabs(t) >= kTwo52) return t;
  return roundHalfEven(t * 1000.0) / 1000.0;
}

struct PackedSplit {
  double d, m, s;
  double w;  // whole minutes written before the seconds: 100 d + mm, as the seconds count them
};

// Degrees, minutes and seconds of a packed value a >= 0, as D_R and DmsDeg read it.
inline PackedSplit splitPacked(double a) {
  PackedSplit r;
  r.d = floorFast(a);
  // The 0.001 absorbs representation error: (1.15 - 1) * 100 is 14.999999999999991.
  r.m = floorFast((a - r.d) * 100.0 + 0.001);
  // Rounding before the floor makes 114.99999999999999 (1.15 * 100) count 115 whole minutes.
  r.w = floorFast(roundTo3(a * 100.0));
  r.s = (a * 100.0 - r.w) * 100.0;
  return r;
}

}  // namespace veskar::geodesy
