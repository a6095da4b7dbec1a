#include "graticule/graticule.h"

#include <QList>
#include <QVariant>
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

QVariant int16(std::int16_t v) { return QVariant::fromValue(v); }

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
  const auto label = [&](double degrees) {
    return QString::fromStdString(geodesy::fwjxxx((degrees * p.pi) / 180));
  };
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
    if (progress && (state.done % 1024 == 0 || state.done == state.total)) progress(state);
  };

  const QVariant height = int16(1000);
  const QVariant colour1 = int16(1);
  const QVariant scale = 0.7;
  const QVariant style = QStringLiteral("ksev");
  const QVariant upright = grid.rightAngle;  // longitude labels
  const QVariant level = int16(0);           // latitude labels
  const QVariant vertical = int16(1);
  const QVariant horizontal = int16(0);

  const auto addLabel = [&](const QString& text, const QList<double>& point, const QVariant& rotation) {
    std::shared_ptr<cad::CadEntity> t =
        app.ActiveDocument()->ModelSpace()->AddText(QVariant(text), point, height);
    t->Put(QStringLiteral("Color"), colour1);
    t->Put(QStringLiteral("ScaleFactor"), scale);
    t->Put(QStringLiteral("StyleName"), style);
    t->Put(QStringLiteral("Rotation"), rotation);
    t->Put(QStringLiteral("VerticalAlignment"), vertical);
    t->Put(QStringLiteral("HorizontalAlignment"), horizontal);
    t->Put(QStringLiteral("TextAlignmentPoint"), QVariant::fromValue(point));
    step();
  };
  const auto addLine = [&](const QList<double>& vertices, std::int16_t colour) {
    std::shared_ptr<cad::CadEntity> l =
        app.ActiveDocument()->ModelSpace()->AddLightWeightPolyline(vertices);
    l->Put(QStringLiteral("Color"), int16(colour));
    step();
  };

  // First pass: per parallel the labels of its intersections, then the parallel itself.
  QList<double> lineVertices(static_cast<qsizetype>(2 * M));
  for (std::size_t j = 0; j < N; ++j) {
    for (std::size_t i = 0; i < M; ++i) {
      const PlaneVertex& v = grid.at(i, j);
      lineVertices[static_cast<qsizetype>(2 * i)] = v.easting;
      lineVertices[static_cast<qsizetype>(2 * i + 1)] = v.northing;
      const QList<double> labelPoint{v.easting, v.northing, 0.0};
      addLabel(grid.longitudeLabels[i], labelPoint, upright);
      addLabel(grid.latitudeLabels[j], labelPoint, level);
    }
    if (M >= 2) addLine(lineVertices, 6);
  }

  // Second pass: the meridians, south to north for a positive spacing.
  if (N < 2) return;
  lineVertices = QList<double>(static_cast<qsizetype>(2 * N));
  for (std::size_t i = 0; i < M; ++i) {
    for (std::size_t j = 0; j < N; ++j) {
      const PlaneVertex& v = grid.at(i, j);
      lineVertices[static_cast<qsizetype>(2 * j)] = v.easting;
      lineVertices[static_cast<qsizetype>(2 * j + 1)] = v.northing;
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
