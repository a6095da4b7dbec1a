#include "graticule/graticule.h"

#include <cmath>
#include <cstdint>

namespace veskar::graticule {
namespace {

constexpr double kMaxLines = 9007199254740992.0;  // 2^53: every whole number below is exact

std::vector<double> positions(double start, double spacing, double count) {
  const std::size_t n = lineCount(count);
  std::vector<double> out;
  out.reserve(n);
  for (std::size_t k = 0; k < n; ++k) out.push_back(start + static_cast<double>(k) * spacing);
  return out;
}


}  // namespace

std::size_t lineCount(double count) {
  if (!(count >= 1.0)) return 0;
  return static_cast<std::size_t>(std::floor(std::fmin(count, kMaxLines)));
}

PlaneBox GraticuleGrid::box() const {
  PlaneBox b;
  for (const PlaneVertex& v : vertices) {
    if (b.empty) {
      b = {false, v.easting, v.northing, v.easting, v.northing};
      continue;
    }
    b.minEasting = std::fmin(b.minEasting, v.easting);
    b.maxEasting = std::fmax(b.maxEasting, v.easting);
    b.minNorthing = std::fmin(b.minNorthing, v.northing);
    b.maxNorthing = std::fmax(b.maxNorthing, v.northing);
  }
  return b;
}

std::vector<double> meridianLongitudes(const GraticuleParameters& g) {
  return positions(g.startLongitude, g.longitudeSpacing, g.meridianCount);
}

std::vector<double> parallelLatitudes(const GraticuleParameters& g) {
  return positions(g.startLatitude, g.latitudeSpacing, g.parallelCount);
}

GraticuleGrid projectGraticule(const GraticuleParameters& g, const geodesy::ProjectionParameters& p,
                               const std::vector<double>& longitudes,
                               const std::vector<double>& latitudes) {
  GraticuleGrid grid;
  grid.meridians = longitudes.size();
  grid.parallels = latitudes.size();
  grid.rightAngle = p.pi / 2;
  // Packed DMS of every position once; both projections take their angles in that notation.
  std::vector<double> packedL, packedB;
  packedL.reserve(longitudes.size());
  packedB.reserve(latitudes.size());
  for (double l : longitudes) packedL.push_back(geodesy::Degdms(l));
  for (double b : latitudes) packedB.push_back(geodesy::Degdms(b));

  grid.vertices.reserve(grid.meridians * grid.parallels);
  for (std::size_t j = 0; j < grid.parallels; ++j) {
    for (std::size_t i = 0; i < grid.meridians; ++i) {
      // Bit for bit X (northing) and Y (easting) of the same three packed values.
      const geodesy::PlanePoint xy = geodesy::XY(packedB[j], packedL[i], g.centralMeridian, p);
      grid.vertices.push_back({xy.y, xy.x});
    }
  }
  const auto label = [&](double degrees) { return geodesy::fwjxxx((degrees * p.pi) / 180); };
  grid.longitudeLabels.reserve(longitudes.size());
  grid.latitudeLabels.reserve(latitudes.size());
  for (double l : longitudes) grid.longitudeLabels.push_back(label(l));
  for (double b : latitudes) grid.latitudeLabels.push_back(label(b));
  return grid;
}

void emitGraticule(cad::CadApplication& app, const GraticuleGrid& grid, const ProgressFn& progress) {
  const std::size_t M = grid.meridians, N = grid.parallels;
  EmissionProgress state{0, grid.entityCount()};
  const auto step = [&] {
    ++state.done;
    if (progress) progress(state);
  };

  using cad::Variant;
  const Variant height = std::int16_t{1000};
  const Variant colour1 = std::int16_t{1};
  const Variant scale = 0.7;
  const Variant style = std::string("ksev");
  const Variant upright = grid.rightAngle;  // longitude labels
  const Variant level = std::int16_t{0};    // latitude labels
  const Variant vertical = std::int16_t{1};
  const Variant horizontal = std::int16_t{0};

  const auto addLabel = [&](const std::string& text, const std::vector<double>& point,
                            const Variant& rotation) {
    std::shared_ptr<cad::CadEntity> t =
        app.ActiveDocument()->ModelSpace()->AddText(Variant(text), point, height);
    t->Put("Color", colour1);
    t->Put("ScaleFactor", scale);
    t->Put("StyleName", style);
    t->Put("Rotation", rotation);
    t->Put("VerticalAlignment", vertical);
    t->Put("HorizontalAlignment", horizontal);
    t->Put("TextAlignmentPoint", Variant(point));
    step();
  };
  const auto addLine = [&](const std::vector<double>& vertices, std::int16_t colour) {
    std::shared_ptr<cad::CadEntity> l =
        app.ActiveDocument()->ModelSpace()->AddLightWeightPolyline(vertices);
    l->Put("Color", Variant(colour));
    step();
  };

  // First pass: per parallel the labels of its intersections, then the parallel itself.
  std::vector<double> lineVertices(2 * M);
  for (std::size_t j = 0; j < N; ++j) {
    for (std::size_t i = 0; i < M; ++i) {
      const PlaneVertex& v = grid.at(i, j);
      lineVertices[2 * i] = v.easting;
      lineVertices[2 * i + 1] = v.northing;
      const std::vector<double> labelPoint{v.easting, v.northing, 0.0};
      addLabel(grid.longitudeLabels[i], labelPoint, upright);
      addLabel(grid.latitudeLabels[j], labelPoint, level);
    }
    if (M >= 2) addLine(lineVertices, 6);
  }

  // Second pass: the meridians, south to north for a positive spacing.
  if (N < 2) return;
  lineVertices.assign(2 * N, 0.0);
  for (std::size_t i = 0; i < M; ++i) {
    for (std::size_t j = 0; j < N; ++j) {
      const PlaneVertex& v = grid.at(i, j);
      lineVertices[2 * j] = v.easting;
      lineVertices[2 * j + 1] = v.northing;
    }
    addLine(lineVertices, 1);
  }
}

void emitGraticule(cad::CadApplication& app, const GraticuleParameters& g,
                   const geodesy::ProjectionParameters& p, const std::vector<double>& longitudes,
                   const std::vector<double>& latitudes, const ProgressFn& progress) {
  emitGraticule(app, projectGraticule(g, p, longitudes, latitudes), progress);
}

}  // namespace veskar::graticule
