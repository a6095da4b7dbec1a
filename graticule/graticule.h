// The graticule: positions of the meridians and parallels, their projection into Gauss-Krüger
// plane coordinates, and their emission through the CAD automation surface.
//
// The emission knows only cad/automation.h: the same code draws into the in-process drawing
// (and from there a DXF file) and into the drawing application on the session bus.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cad/automation.h"
#include "geodesy/geodesy.h"

namespace veskar::graticule {

// The window's inputs after reading: counts and angles in decimal degrees, except
// centralMeridian, which stays packed DMS.
struct GraticuleParameters {
  double centralMeridian = 0;
  double startLongitude = 0;
  double meridianCount = 0;
  double startLatitude = 0;
  double parallelCount = 0;
  double longitudeSpacing = 0;
  double latitudeSpacing = 0;
  bool useBeijing54 = true;
};

// The number of lines a count gives: the whole numbers k with 1 <= k <= count (0 for a count
// below 1 and for NaN; 2^53 at most, so callers bound the count before building lists).
std::size_t lineCount(double count);

// startLongitude + (i - 1) * longitudeSpacing for every whole i with 1 <= i <= meridianCount,
// by multiplication from the start (never by repeated addition).
std::vector<double> meridianLongitudes(const GraticuleParameters& g);
// startLatitude + (j - 1) * latitudeSpacing for every whole j with 1 <= j <= parallelCount.
std::vector<double> parallelLatitudes(const GraticuleParameters& g);

// One intersection in the drawing's axes: x = easting (Y, with the false easting),
// y = northing (X), metres.
struct PlaneVertex {
  double easting = 0;
  double northing = 0;
};

// The rectangle around the intersections (empty when there are none).
struct PlaneBox {
  bool empty = true;
  double minEasting = 0, minNorthing = 0, maxEasting = 0, maxNorthing = 0;
};

// How a graticule is drawn beyond its positions. The window draws with the defaults; a map
// sheet's frame changes them (see veskar-cli draw --sheet).
struct DrawStyle {
  // Label height in drawing units: empty, the classic 1000 (VT_I2); else this (VT_R8).
  std::optional<double> labelHeight;
  // Labels in D°M′S″ wherever the angle is not on a whole minute (116°03′45″).
  bool secondsInLabels = false;
  // > 0: every line gets vertices between the intersections so that no chord lies farther
  // than this (metres) from the true parallel or meridian.
  double chordTolerance = 0;
  // A text centred above the north edge (twice the label height), after everything else.
  std::string title;
  // Added to every easting drawn: the zone number times 1,000,000 for eastings written with
  // the zone number in front (20435798.84 for 435798.84 in zone 20).
  double eastingOffset = 0;
};

// Every intersection projected once, and every label text, ready to be drawn.
struct GraticuleGrid {
  std::size_t meridians = 0;   // M
  std::size_t parallels = 0;   // N
  std::vector<PlaneVertex> vertices;   // intersection (i, j) at (j - 1) * M + (i - 1)
  std::vector<std::string> longitudeLabels;  // per meridian: fwjxxx of its longitude
  std::vector<std::string> latitudeLabels;   // per parallel
  double rightAngle = 0;                 // Rotation of a longitude label: pi / 2 of the set
  // With a chord tolerance: every vertex of parallel j (meridian i), the intersections among
  // them; empty otherwise (the lines run through the intersections only).
  std::vector<std::vector<PlaneVertex>> parallelLines, meridianLines;
  std::optional<double> labelHeight;     // empty: 1000
  std::string title;
  PlaneVertex titlePoint;                // the title's alignment point

  const PlaneVertex& at(std::size_t i, std::size_t j) const { return vertices[j * meridians + i]; }
  PlaneBox box() const;
  // What the emission will add: 2 M N texts; a polyline per parallel when M >= 2 and per
  // meridian when N >= 2 (a one-vertex line is never sent).
  std::size_t labelCount() const { return 2 * meridians * parallels; }
  std::size_t parallelPolylines() const { return meridians >= 2 ? parallels : 0; }
  std::size_t meridianPolylines() const { return parallels >= 2 ? meridians : 0; }
  std::size_t entityCount() const {
    return labelCount() + parallelPolylines() + meridianPolylines() + (title.empty() ? 0 : 1);
  }
};

// Projects intersection (i, j) as Degdms of latitude and longitude, then X and Y about
// g.centralMeridian with `p`; label texts are fwjxxx((A * p.pi) / 180). Throws GeodesyError
// (a 16-bit overflow, a non-finite value) before anything is drawn.
GraticuleGrid projectGraticule(const GraticuleParameters& g, const geodesy::ProjectionParameters& p,
                               const std::vector<double>& longitudes,
                               const std::vector<double>& latitudes, const DrawStyle& style = {});

struct EmissionProgress {
  std::size_t done = 0;   // labels and polylines emitted
  std::size_t total = 0;
};
using ProgressFn = std::function<void(const EmissionProgress&)>;

// Draws into the model space of app's ActiveDocument (fetched anew for every entity): per
// parallel, per meridian the longitude and the latitude label of the intersection, then the
// parallel's polyline (colour 6); then the meridians' polylines (colour 1). Polylines of a
// single vertex are skipped. CadError passes through; what was drawn before stays. The
// caller flushes. `progress` is called after every entity (callers show it at their own pace).
void emitGraticule(cad::CadApplication& app, const GraticuleGrid& grid,
                   const ProgressFn& progress = {});

// projectGraticule, then emitGraticule.
void emitGraticule(cad::CadApplication& app, const GraticuleParameters& g,
                   const geodesy::ProjectionParameters& p,
                   const std::vector<double>& longitudes, const std::vector<double>& latitudes,
                   const ProgressFn& progress = {});

}  // namespace veskar::graticule
