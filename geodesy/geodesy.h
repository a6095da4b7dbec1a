// Veskar geodesy: packed DMS angles, the Beijing 1954 and IAG 1975 parameter sets, the
// Gauss-Krüger projection in both directions and the degree-minute label text.
//
// Method. The forward projection is the classical Gauss-Krüger power series in the longitude
// difference l (radians) about the zone's central meridian, with terms up to m^6 in the
// northing and m^5 in the easting (m = l cos B), on top of a meridian-arc series whose four
// coefficients are stored per ellipsoid, not derived from a and 1/f. The inverse iterates the
// footpoint latitude on the same arc series and applies the matching inverse series.
//
// Accuracy, against exact transverse Mercator on the same ellipsoid (PROJ's tmerc, k = 1):
//   within 3° of the central meridian  about 1.3 mm, almost all of it from the rounded arc
//                                      coefficient per degree (0.1 mm on 111 km);
//   at 6°                              about 12 mm;
//   at 10°                             decimetres (about 0.4 m).
// Forward then inverse closes within 1e-9 packed units up to 1.5° from the central meridian
// and within 2.5e-9 at 3° (worst near 60° latitude: the inverse series' truncation).
//
// Limits and singularities. Nothing guards the poles: at 90° tan B grows without bound and the
// northing is meaningless long before. The easting carries no zone number; the zone is fixed
// by the central meridian the caller passes alone. The series are meant for |l| <= 3° (6° zones
// and 3° zones); further out they degrade as above.
//
// Arithmetic is bit-for-bit defined: every step in double precision, in the order written
// below, rounded to double before the next (the project builds with -ffp-contract=off and no
// fast-math), with the π literal 3.14159265358979 wherever a parameter set's `pi` is used.
//
// Failures. Nothing is validated, but no fault passes silently: a degree value that overflows
// the 16-bit degree field of D_R, a non-finite argument or result, and a footpoint iteration
// that does not settle throw GeodesyError.
#pragma once

#include <stdexcept>
#include <string>

namespace veskar::geodesy {

// The program's π: 3.14159265358979, 7 units in the last place below the rounded π.
inline constexpr double kPi = 3.14159265358979;

class GeodesyError : public std::runtime_error {
 public:
  enum class Kind { Overflow, NonFinite, NoConvergence };
  GeodesyError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// --- Angles -------------------------------------------------------------------------------
// Packed DMS: d + mm/100 + ss.sss/10000, so 140.022866 is 140°02′28.66″. Minutes and seconds
// are never range-checked (75 minutes simply count as 75/60 degree).

// Packed DMS (any sign) to decimal degrees.
double DmsDeg(double packed);
// Decimal degrees (any sign) to packed DMS, without rounding or carry (29.2° gives 29.116,
// that is 29°11′60″, which D_R reads back as 29.2°).
double Degdms(double degrees);
// Packed DMS to radians. Degrees and minutes pass through 16-bit fields: more than 32767
// degrees throws GeodesyError(Overflow). Negative angles convert as the negated magnitude.
double D_R(double packed, double pi = kPi);
// Radians to packed DMS, carrying seconds within 0.0001 of 60 into the minutes and 60 minutes
// into the degrees. Negative angles convert as the negated magnitude.
double R_D(double radians, double pi = kPi);

// --- Parameter sets -------------------------------------------------------------------------
struct ProjectionParameters {
  double semiMajorAxis;        // a, metres
  double inverseFlattening;    // 1/f
  double eccentricitySquared;  // e², derived from 1/f
  double arcPerDegree;         // meridian arc: metres per degree of latitude (a0)
  double arcSin2;              // coefficient of sin 2B, metres (a2)
  double arcSin4;              // coefficient of sin 4B (a4)
  double arcSin6;              // coefficient of sin 6B (a6)
  double pi;                   // 3.14159265358979 in both sets
  double falseEasting;         // 500000 m, added to every easting
};

// Beijing 1954 (Krassovsky 1940) when useBeijing54, else IAG 1975 (the Xi'an 1980 ellipsoid).
ProjectionParameters LoadProjectionParameters(bool useBeijing54);

// --- Projection -----------------------------------------------------------------------------
// B latitude, L longitude, L0 central meridian: packed DMS. Results in metres.
double X(double B, double L, double L0, const ProjectionParameters& p);  // northing
double Y(double B, double L, double L0, const ProjectionParameters& p);  // easting + 500000

// Both at once, sharing the common steps: bit for bit {X(...), Y(...)}, in half the time.
struct PlanePoint {
  double x;  // northing
  double y;  // easting + 500000
};
PlanePoint XY(double B, double L, double L0, const ProjectionParameters& p);

// x northing, y easting with the false easting, metres; L0 packed DMS. Results packed DMS.
// The footpoint iteration stops after 100 rounds with GeodesyError(NoConvergence).
double B(double x, double y, double L0, const ProjectionParameters& p);
double L(double x, double y, double L0, const ProjectionParameters& p);

// --- Labels ---------------------------------------------------------------------------------
// Degree-minute label of an angle in radians, UTF-8, such as "29°20′": whole degrees (two
// digits at least), the degree sign, whole minutes (two digits), the prime. Minutes are
// truncated after a nudge of 0.000001 rad (about 0.2″) toward larger magnitudes, so an angle
// just below a whole minute reads as that minute. Negative angles read as their magnitude.
std::string fwjxxx(double radians);

}  // namespace veskar::geodesy
