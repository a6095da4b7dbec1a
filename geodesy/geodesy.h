// Veskar geodesy: packed DMS angles, the Beijing 1954, IAG 1975 and CGCS2000 parameter sets,
// the Gauss-Krüger projection in both directions and the degree-minute label text. Map sheet
// numbers are in sheets.h.
//
// Method. The forward projection is the classical Gauss-Krüger power series in the longitude
// difference l (radians) about the zone's central meridian, with terms up to m^6 in the
// northing and m^5 in the easting (m = l cos B), on top of a meridian-arc series with four
// coefficients: for Beijing 1954 and IAG 1975 the published values to four decimals, stored
// as such; for CGCS2000 computed from a and 1/f and kept unrounded (ComputeMeridianArcSeries).
// The inverse iterates the footpoint latitude on the same arc series and applies the matching
// inverse series.
//
// Accuracy, against exact transverse Mercator on the same ellipsoid (PROJ's tmerc, k = 1),
// over 0°-60° latitude:
//   within 3° of the central meridian  Beijing 1954 0.9 mm, IAG 1975 1.2 mm: almost all of it
//                                      the published arc coefficient per degree, rounded to
//                                      0.1 mm (1.6e-5 and 2.0e-5 m per degree off, growing
//                                      with the latitude); CGCS2000 0.11 mm, the series' own
//                                      truncation;
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
// Failures. Nothing here is validated (the map-sheet operations of sheets.h are), but no fault
// passes silently: a degree value that overflows the 16-bit degree field of D_R, a non-finite
// argument or result, and a footpoint iteration that does not settle throw GeodesyError.
#pragma once

#include <stdexcept>
#include <string>

namespace veskar::geodesy {

// The program's π: 3.14159265358979, 7 units in the last place below the rounded π.
inline constexpr double kPi = 3.14159265358979;

class GeodesyError : public std::runtime_error {
 public:
  // InvalidInput: the map-sheet operations of sheets.h, which do validate their input.
  enum class Kind { Overflow, NonFinite, NoConvergence, InvalidInput };
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
  double pi;                   // 3.14159265358979 in every set
  double falseEasting;         // 500000 m, added to every easting
};

enum class CoordinateSystem {
  Beijing54,  // Krassovsky 1940: a = 6378245 m, 1/f = 298.3
  IAG75,      // IAG 1975, the Xi'an 1980 ellipsoid: a = 6378140 m, 1/f = 298.257
  CGCS2000,   // a = 6378137 m, 1/f = 298.257222101
};

// "Beijing 1954", "IAG 1975", "CGCS2000".
const char* CoordinateSystemName(CoordinateSystem system);

// Every set takes e² from 1/f as q = (rf - 1) / rf, e² = 1 - q q. Beijing 1954 and IAG 1975
// carry their published arc series literally (four decimals: 111134.8611, -16036.4803,
// 16.8281, -0.0220 and 111133.0047, -16038.5282, 16.8326, -0.0220); CGCS2000 carries the
// series ComputeMeridianArcSeries gives, unrounded (see there).
ProjectionParameters LoadProjectionParameters(CoordinateSystem system);
// Beijing 1954 when useBeijing54, else IAG 1975.
ProjectionParameters LoadProjectionParameters(bool useBeijing54);

struct MeridianArcSeries {
  double arcPerDegree, arcSin2, arcSin4, arcSin6;  // as in ProjectionParameters
};

// The meridian-arc series of an ellipsoid, the classical expansion in e² of the Gauss-Krüger
// tables. With e² from 1/f as above:
//   m0 = a (1 - e²),  m2 = 3/2 e² m0,  m4 = 5/4 e² m2,  m6 = 7/6 e² m4,  m8 = 9/8 e² m6,
//   m10 = 11/10 e² m8
//   A0 = m0 + m2/2 + 3/8 m4 + 5/16 m6 + 35/128 m8 + 63/256 m10
//   A2 = m2/2 + m4/2 + 15/32 m6 + 7/16 m8 + 105/256 m10
//   A4 = m4/8 + 3/16 m6 + 7/32 m8 + 15/64 m10
//   A6 = m6/32 + m8/16 + 45/512 m10
//   arc = A0 B - A2/2 sin 2B + A4/4 sin 4B - A6/6 sin 6B   (B in radians)
// so arcPerDegree = A0 π / 180 (the program's π), arcSin2 = -A2/2, arcSin4 = A4/4,
// arcSin6 = -A6/6. The m10 term is needed: without it Krassovsky's sin 2B coefficient is
// -16036.48022, which rounds to -16036.4802, not the published -16036.4803; with it both
// published sets come out to their four decimals, and further terms change nothing there
// (m12 moves the sin 2B coefficient by 3e-7 m). The terms in sin 8B and beyond (3e-5 m) are left
// out, as in the projection.
//
// Full precision, not rounded to four decimals like the published sets: CGCS2000's A0 per
// degree is 111132.952547, nearly half a unit from 111132.9525, and rounding it would put
// 2.8 mm of error into the northing at 60° latitude (the published sets lose 1.0 and 1.2 mm
// that way). Nothing older depends on CGCS2000 values, so they stay as computed: additions,
// multiplications and divisions only, in a fixed order, hence the same bits on every IEEE
// double platform.
MeridianArcSeries ComputeMeridianArcSeries(double semiMajorAxis, double inverseFlattening);
// A whole parameter set for an ellipsoid: e² by the rule above, the computed series, the
// program's π and the 500000 m false easting.
ProjectionParameters ComputeProjectionParameters(double semiMajorAxis, double inverseFlattening);

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

// --- Reach ----------------------------------------------------------------------------------
// How far the forward projection may be off (metres) for points `degrees` of longitude from the
// central meridian, measured against exact transverse Mercator (PROJ) on all three ellipsoids
// from 0° to 84° latitude: 2 mm for the rounded arc coefficients, plus the series' truncation,
// which grows as the 7th power of the distance: 1.7 mm within 4°, 12 mm at 6°, 0.4 m at 10°,
// 53 m at 20°. An upper bound up to 20°; beyond, the series means nothing.
inline double SeriesErrorBound(double degrees) {
  const double d = degrees < 0 ? -degrees : degrees;
  return 0.002 + 4.2e-8 * (d * d * d) * (d * d * d) * d;
}

// --- Labels ---------------------------------------------------------------------------------
// Degree-minute label of an angle in radians, UTF-8, such as "29°20′": whole degrees (two
// digits at least), the degree sign, whole minutes (two digits), the prime. Minutes are
// truncated after a nudge of 0.000001 rad (about 0.2″) toward larger magnitudes, so an angle
// just below a whole minute reads as that minute. Negative angles read as their magnitude.
std::string fwjxxx(double radians);

}  // namespace veskar::geodesy
