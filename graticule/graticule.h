// The graticule: positions of the meridians and parallels, and their emission through the
// CAD automation surface.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
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

// startLongitude + (i - 1) * longitudeSpacing for every whole i with 1 <= i <= meridianCount.
std::vector<double> meridianLongitudes(const GraticuleParameters& g);
std::vector<double> parallelLatitudes(const GraticuleParameters& g);

struct EmissionProgress {
  std::size_t done = 0;   // labels and polylines emitted
  std::size_t total = 0;
};

// Draws the parallels with their labels, then the meridians, into the model space of
// app's ActiveDocument. Polylines of a single vertex are skipped. CadError and GeodesyError
// pass through; what was drawn before stays. `progress` is called now and then.
void emitGraticule(cad::CadApplication& app, const GraticuleParameters& g,
                   const geodesy::ProjectionParameters& p,
                   const std::vector<double>& longitudes, const std::vector<double>& latitudes,
                   const std::function<void(const EmissionProgress&)>& progress = {});

}  // namespace veskar::graticule
