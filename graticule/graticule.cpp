#include "graticule/graticule.h"

#include <algorithm>
#include <cmath>

#include "geodesy/sheets.h"
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

namespace {

// The distance of `p` from the chord from `a` to `b`.
double offChord(const PlaneVertex& a, const PlaneVertex& b, const PlaneVertex& p) {
  const double dx = b.easting - a.easting, dy = b.northing - a.northing;
  const double length = std::hypot(dx, dy);
  if (length == 0) return std::hypot(p.easting - a.easting, p.northing - a.northing);
  return std::abs(dx * (p.northing - a.northing) - dy * (p.easting - a.easting)) / length;
}

// The line from `from` to `to` (decimal degrees along one coordinate; `at` projects a
// position), cut into 2^k equal steps until no chord lies farther than `tolerance` from the
// line at its quarter points; the vertices without the last.
template <typename Project>
void densify(double from, double to, double tolerance, const Project& at, std::vector<PlaneVertex>& out) {
  std::size_t steps = 1;
  for (; steps < (1u << 20); steps *= 2) {
    bool close = true;
    const double step = (to - from) / static_cast<double>(steps);
    for (std::size_t k = 0; k < steps && close; ++k) {
      const PlaneVertex a = at(from + static_cast<double>(k) * step), b = at(from + static_cast<double>(k + 1) * step);
      for (double q : {0.25, 0.5, 0.75})
        close = close && offChord(a, b, at(from + (static_cast<double>(k) + q) * step)) <= tolerance;
    }
    if (close) break;
  }
  const double step = (to - from) / static_cast<double>(steps);
  for (std::size_t k = 0; k < steps; ++k) out.push_back(at(from + static_cast<double>(k) * step));
}

// The label of an angle in decimal degrees: degrees and minutes (fwjxxx), or, with
// `seconds` and off a whole minute, degrees, minutes and seconds.
std::string labelOf(double degrees, const geodesy::ProjectionParameters& p, bool seconds) {
  if (seconds) {
    const auto units = static_cast<geodesy::ArcUnits>(std::llround(degrees * geodesy::kArcUnitsPerDegree));
    if (units % geodesy::kArcUnitsPerMinute != 0) return geodesy::FormatDms(units);
  }
  return geodesy::fwjxxx((degrees * p.pi) / 180);
}

void addLines(GraticuleGrid& grid, const GraticuleParameters& g, const geodesy::ProjectionParameters& p,
              const std::vector<double>& lon, const std::vector<double>& lat, double tolerance) {
  const auto point = [&](double B, double L) {
    const geodesy::PlanePoint xy = geodesy::XY(geodesy::Degdms(B), geodesy::Degdms(L), g.centralMeridian, p);
    return PlaneVertex{xy.y, xy.x};
  };
  for (std::size_t j = 0; j < lat.size() && lon.size() >= 2; ++j) {
    auto& line = grid.parallelLines.emplace_back();
    for (std::size_t i = 0; i + 1 < lon.size(); ++i)
      densify(lon[i], lon[i + 1], tolerance, [&](double L) { return point(lat[j], L); }, line);
    line.push_back(grid.at(lon.size() - 1, j));
  }
  for (std::size_t i = 0; i < lon.size() && lat.size() >= 2; ++i) {
    auto& line = grid.meridianLines.emplace_back();
    for (std::size_t j = 0; j + 1 < lat.size(); ++j)
      densify(lat[j], lat[j + 1], tolerance, [&](double B) { return point(B, lon[i]); }, line);
    line.push_back(grid.at(i, lat.size() - 1));
  }
}

void shiftEastings(GraticuleGrid& grid, double offset) {
  for (PlaneVertex& v : grid.vertices) v.easting += offset;
  for (auto* lines : {&grid.parallelLines, &grid.meridianLines}) {
    for (auto& line : *lines) {
      for (PlaneVertex& v : line) v.easting += offset;
    }
  }
  grid.titlePoint.easting += offset;
}

}  // namespace

GraticuleGrid projectGraticule(const GraticuleParameters& g, const geodesy::ProjectionParameters& p,
                               const std::vector<double>& longitudes,
                               const std::vector<double>& latitudes, const DrawStyle& style) {
  GraticuleGrid grid;
  grid.meridians = longitudes.size();
  grid.parallels = latitudes.size();
  grid.rightAngle = p.pi / 2;
  grid.labelHeight = style.labelHeight;
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
  grid.longitudeLabels.reserve(longitudes.size());
  grid.latitudeLabels.reserve(latitudes.size());
  for (double l : longitudes) grid.longitudeLabels.push_back(labelOf(l, p, style.secondsInLabels));
  for (double b : latitudes) grid.latitudeLabels.push_back(labelOf(b, p, style.secondsInLabels));
  if (style.chordTolerance > 0) addLines(grid, g, p, longitudes, latitudes, style.chordTolerance);
  if (!style.title.empty() && !longitudes.empty() && !latitudes.empty()) {
    grid.title = style.title;
    const double middle = (longitudes.front() + longitudes.back()) / 2;
    const geodesy::PlanePoint xy = geodesy::XY(geodesy::Degdms(latitudes.back()), geodesy::Degdms(middle),
                                               g.centralMeridian, p);
    grid.titlePoint = {xy.y, xy.x + 2 * style.labelHeight.value_or(1000)};
  }
  if (style.eastingOffset != 0) shiftEastings(grid, style.eastingOffset);
  return grid;
}

namespace {

using cad::Variant;

// A line through the given vertices, when it has them, else through the intersections.
template <typename Intersection>
void lineThrough(const std::vector<PlaneVertex>* given, std::size_t n, const Intersection& intersection,
                 std::vector<double>& out) {
  out.clear();
  const std::size_t count = given ? given->size() : n;
  for (std::size_t k = 0; k < count; ++k) {
    const PlaneVertex& v = given ? (*given)[k] : intersection(k);
    out.push_back(v.easting);
    out.push_back(v.northing);
  }
}

// Sends a projected graticule to the CAD side entity by entity, each into the model space of
// the application's active drawing as it is at that moment, and reports each one.
class Emitter {
 public:
  Emitter(cad::CadApplication& app, const GraticuleGrid& grid, const ProgressFn& progress)
      : app_(app),
        grid_(grid),
        progress_(progress),
        state_{0, grid.entityCount()},
        height_(grid.labelHeight ? Variant(*grid.labelHeight) : Variant(std::int16_t{1000})),
        upright_(grid.rightAngle) {}

  // Per parallel the labels of its intersections, then the parallel itself.
  void parallels() {
    const std::size_t M = grid_.meridians, N = grid_.parallels;
    lineVertices_.reserve(2 * std::max(M, N));
    for (std::size_t j = 0; j < N; ++j) {
      labelIntersections(j);
      if (M < 2) continue;
      lineThrough(grid_.parallelLines.empty() ? nullptr : &grid_.parallelLines[j], M,
                  [&](std::size_t i) { return grid_.at(i, j); }, lineVertices_);
      addLine(lineVertices_, 6);
    }
  }

  // The meridians, south to north for a positive spacing.
  void meridians() {
    const std::size_t M = grid_.meridians, N = grid_.parallels;
    for (std::size_t i = 0; i < M && N >= 2; ++i) {
      lineThrough(grid_.meridianLines.empty() ? nullptr : &grid_.meridianLines[i], N,
                  [&](std::size_t j) { return grid_.at(i, j); }, lineVertices_);
      addLine(lineVertices_, 1);
    }
  }

  // A title centred above the north edge, when the grid has one.
  void title() {
    if (grid_.title.empty()) return;
    const std::vector<double> point{grid_.titlePoint.easting, grid_.titlePoint.northing, 0.0};
    std::shared_ptr<cad::CadEntity> t = app_.ActiveDocument()->ModelSpace()->AddText(
        Variant(grid_.title), point, Variant(2 * grid_.labelHeight.value_or(1000)));
    t->Put("Color", colour1_);
    t->Put("StyleName", style_);
    t->Put("VerticalAlignment", std::int16_t{1});
    t->Put("HorizontalAlignment", std::int16_t{1});
    t->Put("TextAlignmentPoint", Variant(point));
    step();
  }

 private:
  // The longitude and the latitude label of every intersection on parallel `j`.
  void labelIntersections(std::size_t j) {
    for (std::size_t i = 0; i < grid_.meridians; ++i) {
      const PlaneVertex& v = grid_.at(i, j);
      const std::vector<double> labelPoint{v.easting, v.northing, 0.0};
      addLabel(grid_.longitudeLabels[i], labelPoint, upright_);
      addLabel(grid_.latitudeLabels[j], labelPoint, level_);
    }
  }

  void addLabel(const std::string& text, const std::vector<double>& point, const Variant& rotation) {
    std::shared_ptr<cad::CadEntity> t =
        app_.ActiveDocument()->ModelSpace()->AddText(Variant(text), point, height_);
    t->Put("Color", colour1_);
    t->Put("ScaleFactor", scale_);
    t->Put("StyleName", style_);
    t->Put("Rotation", rotation);
    t->Put("VerticalAlignment", vertical_);
    t->Put("HorizontalAlignment", horizontal_);
    t->Put("TextAlignmentPoint", Variant(point));
    step();
  }

  void addLine(const std::vector<double>& vertices, std::int16_t colour) {
    std::shared_ptr<cad::CadEntity> l = app_.ActiveDocument()->ModelSpace()->AddLightWeightPolyline(vertices);
    l->Put("Color", Variant(colour));
    step();
  }

  void step() {
    ++state_.done;
    if (progress_) progress_(state_);
  }

  cad::CadApplication& app_;
  const GraticuleGrid& grid_;
  const ProgressFn& progress_;
  EmissionProgress state_;
  std::vector<double> lineVertices_;
  const Variant height_;
  const Variant upright_;  // longitude labels
  const Variant level_ = std::int16_t{0};  // latitude labels
  const Variant colour1_ = std::int16_t{1};
  const Variant scale_ = 0.7;
  const Variant style_ = std::string("ksev");
  const Variant vertical_ = std::int16_t{1};
  const Variant horizontal_ = std::int16_t{0};
};

}  // namespace

void emitGraticule(cad::CadApplication& app, const GraticuleGrid& grid, const ProgressFn& progress) {
  Emitter emitter(app, grid, progress);
  emitter.parallels();
  emitter.meridians();
  emitter.title();
}

void emitGraticule(cad::CadApplication& app, const GraticuleParameters& g,
                   const geodesy::ProjectionParameters& p, const std::vector<double>& longitudes,
                   const std::vector<double>& latitudes, const ProgressFn& progress) {
  emitGraticule(app, projectGraticule(g, p, longitudes, latitudes), progress);
}

}  // namespace veskar::graticule
