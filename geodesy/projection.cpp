#include <cmath>
#include <stdexcept>

#include "geodesy.h"
#include "internal.h"

namespace veskar::geodesy {

namespace {

// The two older sets' series as the Gauss-Krüger tables publish them, to 0.1 mm. Drawings made
// with them depend on these exact values, so they are stored, not recomputed.
struct StoredSet {
  double a, rf, a0, a2, a4, a6;
};
constexpr StoredSet kBeijing54{6378245.0, 298.3, 111134.8611, -16036.4803, 16.8281, -0.022};
constexpr StoredSet kIag75{6378140.0, 298.257, 111133.0047, -16038.5282, 16.8326, -0.022};

constexpr double kCgcs2000A = 6378137.0;
constexpr double kCgcs2000Rf = 298.257222101;

double eccentricitySquared(double rf) {
  const double q = (rf - 1.0) / rf;
  return 1.0 - q * q;
}

ProjectionParameters fromParts(double a, double rf, const MeridianArcSeries& arc) {
  ProjectionParameters p{};
  p.semiMajorAxis = a;
  p.inverseFlattening = rf;
  p.eccentricitySquared = eccentricitySquared(rf);
  p.arcPerDegree = arc.arcPerDegree;
  p.arcSin2 = arc.arcSin2;
  p.arcSin4 = arc.arcSin4;
  p.arcSin6 = arc.arcSin6;
  p.pi = kPi;
  p.falseEasting = 500000.0;
  return p;
}

ProjectionParameters fromStored(const StoredSet& s) {
  return fromParts(s.a, s.rf, MeridianArcSeries{s.a0, s.a2, s.a4, s.a6});
}

}  // namespace

MeridianArcSeries ComputeMeridianArcSeries(double semiMajorAxis, double inverseFlattening) {
  const double e2 = eccentricitySquared(inverseFlattening);
  // The arc's integrand a(1 - e²)(1 - e² sin²B)^(-3/2) as a power series in sin²B ...
  const double m0 = semiMajorAxis * (1.0 - e2);
  const double m2 = (3.0 * e2 * m0) / 2.0;
  const double m4 = (5.0 * e2 * m2) / 4.0;
  const double m6 = (7.0 * e2 * m4) / 6.0;
  const double m8 = (9.0 * e2 * m6) / 8.0;
  const double m10 = (11.0 * e2 * m8) / 10.0;
  // ... rewritten in cos 2kB and integrated: X = A0 B - A2/2 sin 2B + A4/4 sin 4B - A6/6 sin 6B.
  const double A0 = m0 + m2 / 2.0 + (3.0 * m4) / 8.0 + (5.0 * m6) / 16.0 + (35.0 * m8) / 128.0 +
                    (63.0 * m10) / 256.0;
  const double A2 =
      m2 / 2.0 + m4 / 2.0 + (15.0 * m6) / 32.0 + (7.0 * m8) / 16.0 + (105.0 * m10) / 256.0;
  const double A4 = m4 / 8.0 + (3.0 * m6) / 16.0 + (7.0 * m8) / 32.0 + (15.0 * m10) / 64.0;
  const double A6 = m6 / 32.0 + m8 / 16.0 + (45.0 * m10) / 512.0;
  return MeridianArcSeries{(A0 * kPi) / 180.0, -A2 / 2.0, A4 / 4.0, -A6 / 6.0};
}

ProjectionParameters ComputeProjectionParameters(double semiMajorAxis, double inverseFlattening) {
  return fromParts(semiMajorAxis, inverseFlattening,
                   ComputeMeridianArcSeries(semiMajorAxis, inverseFlattening));
}

ProjectionParameters LoadProjectionParameters(CoordinateSystem system) {
  switch (system) {
    case CoordinateSystem::Beijing54:
      return fromStored(kBeijing54);
    case CoordinateSystem::IAG75:
      return fromStored(kIag75);
    case CoordinateSystem::CGCS2000:
      return ComputeProjectionParameters(kCgcs2000A, kCgcs2000Rf);
  }
  throw std::invalid_argument("LoadProjectionParameters: unknown coordinate system");
}

ProjectionParameters LoadProjectionParameters(bool useBeijing54) {
  return LoadProjectionParameters(useBeijing54 ? CoordinateSystem::Beijing54
                                               : CoordinateSystem::IAG75);
}

const char* CoordinateSystemName(CoordinateSystem system) {
  switch (system) {
    case CoordinateSystem::Beijing54:
      return "Beijing 1954";
    case CoordinateSystem::IAG75:
      return "IAG 1975";
    case CoordinateSystem::CGCS2000:
      return "CGCS2000";
  }
  throw std::invalid_argument("CoordinateSystemName: unknown coordinate system");
}

namespace {

// The quantities X and Y share, each step rounded in the written order.
struct Forward {
  double phi, t, t2, N, m, m2, eta2;
  double arc;  // X0, the meridian arc
};

// What depends on the latitude alone, for one parameter set.
struct LatitudeTerms {
  double phi, cphi, t, t2, N, eta2, arc;
};

bool sameSet(const ProjectionParameters& a, const ProjectionParameters& b) {
  return a.semiMajorAxis == b.semiMajorAxis && a.eccentricitySquared == b.eccentricitySquared &&
         a.arcPerDegree == b.arcPerDegree && a.arcSin2 == b.arcSin2 && a.arcSin4 == b.arcSin4 &&
         a.arcSin6 == b.arcSin6 && a.pi == b.pi;
}

LatitudeTerms latitudeTerms(double B, const ProjectionParameters& p) {
  LatitudeTerms v;
  v.phi = D_R(B, p.pi);
  const double sphi = std::sin(v.phi);
  v.cphi = std::cos(v.phi);
  v.t = std::tan(v.phi);
  v.t2 = v.t * v.t;
  const double e2 = p.eccentricitySquared;
  v.N = p.semiMajorAxis / std::sqrt(1.0 - (e2 * sphi) * sphi);
  v.eta2 = (e2 * (v.cphi * v.cphi)) / (1.0 - e2);
  const double phi = v.phi;
  v.arc = (p.arcPerDegree * phi * 180.0) / p.pi + p.arcSin2 * std::sin(2.0 * phi) +
          p.arcSin4 * std::sin(4.0 * phi) + p.arcSin6 * std::sin(6.0 * phi);
  return v;
}

// Callers project many points on one parallel (a graticule's rows), along one meridian (its
// columns) and always about one central meridian: the last latitude's terms and the last
// longitudes in radians are kept per thread. Same inputs, same operations: the results are
// bit for bit those computed afresh.
struct Memo {
  bool haveLat = false, haveL = false, haveL0 = false;
  double B = 0, L = 0, L0 = 0, lambda = 0, lambda0 = 0, piL = 0, piL0 = 0;
  ProjectionParameters set{};
  LatitudeTerms lat{};
};
thread_local Memo memo;

Forward forwardCommon(double B, double L, double L0, const ProjectionParameters& p) {
  if (!(memo.haveLat && memo.B == B && sameSet(memo.set, p))) {
    memo.haveLat = false;
    memo.lat = latitudeTerms(B, p);
    memo.B = B;
    memo.set = p;
    memo.haveLat = true;
  }
  if (!(memo.haveL && memo.L == L && memo.piL == p.pi)) {
    memo.haveL = false;
    memo.lambda = D_R(L, p.pi);
    memo.L = L;
    memo.piL = p.pi;
    memo.haveL = true;
  }
  if (!(memo.haveL0 && memo.L0 == L0 && memo.piL0 == p.pi)) {
    memo.haveL0 = false;
    memo.lambda0 = D_R(L0, p.pi);
    memo.L0 = L0;
    memo.piL0 = p.pi;
    memo.haveL0 = true;
  }
  const LatitudeTerms& v = memo.lat;
  Forward f;
  f.phi = v.phi;
  f.t = v.t;
  f.t2 = v.t2;
  f.N = v.N;
  const double l = memo.lambda - memo.lambda0;
  f.m = l * v.cphi;
  f.m2 = f.m * f.m;
  f.eta2 = v.eta2;
  f.arc = v.arc;
  return f;
}

}  // namespace

namespace {

double northing(const Forward& f) {
  const double X0 = f.arc;
  const double eta4 = f.eta2 * f.eta2;
  const double t4 = f.t2 * f.t2;
  const double x =
      X0 + f.N * f.t * f.m2 *
               (1.0 / 2.0 +
                f.m2 * ((5.0 - f.t2 + 9.0 * f.eta2 + 4.0 * eta4) / 24.0 +
                        f.m2 * (61.0 - 58.0 * f.t2 + t4) / 720.0));
  requireFinite(x, "X");
  return x;
}

double easting(const Forward& f, const ProjectionParameters& p) {
  const double t4 = f.t2 * f.t2;
  const double y =
      f.N * f.m *
      (1.0 + f.m2 * ((1.0 - f.t2 + f.eta2) / 6.0 +
                     f.m2 * (5.0 - 18.0 * f.t2 + t4 + 14.0 * f.eta2 - 58.0 * f.eta2 * f.t2) /
                         120.0));
  const double r = y + p.falseEasting;
  requireFinite(r, "Y");
  return r;
}

}  // namespace

double X(double B, double L, double L0, const ProjectionParameters& p) {
  return northing(forwardCommon(B, L, L0, p));
}

double Y(double B, double L, double L0, const ProjectionParameters& p) {
  return easting(forwardCommon(B, L, L0, p), p);
}

PlanePoint XY(double B, double L, double L0, const ProjectionParameters& p) {
  const Forward f = forwardCommon(B, L, L0, p);
  return {northing(f), easting(f, p)};
}

namespace {

struct Inverse {
  double lambda0, phif, cf, t, t2, t4, eta2, u;
};

constexpr int kMaxFootpointRounds = 100;

Inverse inverseCommon(double x, double y, double L0, const ProjectionParameters& p,
                      const char* who) {
  requireFinite(x, who);
  requireFinite(y, who);
  Inverse v;
  v.lambda0 = D_R(L0, p.pi);
  const double yp = y - p.falseEasting;

  // Footpoint latitude in degrees, by fixed-point iteration on the meridian-arc series.
  double Bf = x / p.arcPerDegree;
  for (int round = 1;; ++round) {
    const double Bprev = Bf;
    const double phi = (Bf * p.pi) / 180.0;
    Bf = (x - ((p.arcSin2 * std::sin(2.0 * phi) + p.arcSin4 * std::sin(4.0 * phi)) +
               p.arcSin6 * std::sin(6.0 * phi))) /
         p.arcPerDegree;
    if (std::fabs(Bf - Bprev) < 1e-7) break;
    if (round >= kMaxFootpointRounds || !std::isfinite(Bf)) {
      throw GeodesyError(GeodesyError::Kind::NoConvergence,
                         std::string(who) +
                             ": the footpoint latitude does not settle (northing too large)");
    }
  }
  v.phif = (Bf * p.pi) / 180.0;
  const double sf = std::sin(v.phif);
  v.cf = std::cos(v.phif);
  v.t = std::tan(v.phif);
  v.t2 = v.t * v.t;
  v.t4 = v.t2 * v.t2;
  const double e2 = p.eccentricitySquared;
  const double Nf = p.semiMajorAxis / std::sqrt(1.0 - (e2 * sf) * sf);
  v.eta2 = (e2 * (v.cf * v.cf)) / (1.0 - e2);
  v.u = yp / Nf;
  return v;
}

}  // namespace

double B(double x, double y, double L0, const ProjectionParameters& p) {
  const Inverse v = inverseCommon(x, y, L0, p, "B");
  const double V = std::sqrt(1.0 + v.eta2);
  const double u2 = v.u * v.u;
  const double u4 = u2 * u2;
  const double u6 = u4 * u2;
  const double S =
      (u2 - u4 * (5.0 + 3.0 * v.t2 + v.eta2 - 9.0 * v.eta2 * v.t2) / 12.0) +
      u6 * (61.0 + 90.0 * v.t2 + 45.0 * v.t4) / 360.0;
  const double phi = v.phif - (v.t * V * V * S) / 2.0;
  requireFinite(phi, "B");
  return R_D(phi, p.pi);
}

double L(double x, double y, double L0, const ProjectionParameters& p) {
  const Inverse v = inverseCommon(x, y, L0, p, "L");
  const double u = v.u;
  const double u3 = u * u * u;
  const double u5 = u3 * u * u;
  const double S = (u - u3 * (1.0 + 2.0 * v.t2 + v.eta2) / 6.0) +
                   u5 * (5.0 + 28.0 * v.t2 + 24.0 * v.t4 + 6.0 * v.eta2 + 8.0 * v.eta2 * v.t2) /
                       120.0;
  const double lambda = v.lambda0 + S / v.cf;
  requireFinite(lambda, "L");
  return R_D(lambda, p.pi);
}

}  // namespace veskar::geodesy
