// veskar-cli draw --index: the index map of a survey area - the inner frame and number of every
// sheet of a scale that the area touches, and the area's boundary - into a DXF file, a picture
// or the CAD program, in the zone of the area's centre; with --square, the square sheets of a
// plane area in its own coordinates.
#include <ostream>

#include "draw.h"
#include "mapsheet/sheet_draw.h"
#include "settings/fields.h"

namespace veskar::cli {

std::vector<Option> indexOptions() {
  std::vector<Option> options{{"--index", "", "",
                               "the index map of a survey area instead of the fields: the inner\n"
                               "frame and number of every sheet of --scale that --within or\n"
                               "--area touches, and the area's boundary, in the zone of its\n"
                               "centre at ten times the sheets' scale (numbers 3 mm high on that\n"
                               "paper); CGCS2000 unless another system is named; with\n"
                               "--square (no number) the square sheets of a plane area"}};
  for (Option& o : areaOptions()) options.push_back(std::move(o));
  return options;
}

bool wantsIndex(const Parsed& p) { return p.has("--index") || p.has("--within") || p.has("--area"); }

namespace {

const std::string kPrefix = "veskar-cli draw";

// --index with its area, nothing of the graticule's or of a single sheet's (with --square, its
// size); a usage error is told.
bool indexAlone(const Parsed& p, std::ostream& err) {
  const bool square = p.has("--square");
  std::string other;
  for (const char* sheet : {"--sheet", "--frame-only", "--grid", "--title", "--sheet-size", "--system"})
    other = p.has(sheet) && !(square && sheet == std::string("--sheet-size")) ? sheet : other;
  for (const settings::Field& f : settings::kFields) other = p.has(f.option) ? f.option : other;
  if (!p.has("--index")) {
    err << kPrefix << ": --within and --area go with --index\n";
  } else if (!other.empty()) {
    err << kPrefix << ": --index draws the sheets of an area; leave out " << other << "\n";
  } else if (square && !p.value("--square").empty()) {
    err << kPrefix << ": --index --square draws the square sheets of an area; leave out the number "
        << p.value("--square") << "\n";
    return false;
  }
  return p.has("--index") && other.empty();
}

// The index map of the area, once it is known to lie within reach of its zone's meridian.
std::optional<mapsheet::IndexMap> mapOf(const SurveyArea& s, const Parsed& p, std::ostream& err) {
  const double height = parseNumber(p.value("--label-height")).value_or(0);
  if (s.square) return mapsheet::BuildSquareIndexMap(s.area, s.cover, s.size, s.zone, height);
  const geodesy::ProjectionZone zone = mapsheet::IndexMapZone(s.area, s.cover.scaleDenominator);
  const double reach = mapsheet::ReachOf(s.cover, zone);
  if (reach > kRefuseBeyondDegrees) {
    err << kPrefix << ": sheets " << reachRefusal(reach) << "\n";
    return std::nullopt;
  }
  if (reach > kWarnBeyondDegrees) err << kPrefix << ": warning: " << reachWarning(reach) << "\n";
  try {
    return mapsheet::BuildIndexMap(s.area, s.cover, systemOf(p, geodesy::CoordinateSystem::CGCS2000), height);
  } catch (const geodesy::GeodesyError& e) {
    err << kPrefix << ": the index map cannot be projected: " << e.what() << "\n";
    return std::nullopt;
  }
}

// What was drawn, for the summary.
std::string drawn(const mapsheet::IndexMap& map, const SurveyArea& s) {
  const std::size_t n = map.frames.size();
  const std::string frames = std::to_string(n) + (s.square ? " square" : "") + (n == 1 ? " sheet frame" : " sheet frames") +
                             " of " + scaleText(map.sheetScale) +
                             (s.square ? " (" + geodesy::FormatSquareSize(s.size) + " cm)" : "") +
                             " with their numbers and the area's boundary (" + std::to_string(map.boundary.size()) +
                             (map.boundary.size() == 1 ? " ring)" : " rings)");
  if (s.square) return frames;
  return frames + " in " + std::to_string(map.zone.width) + "° zone " + std::to_string(map.zone.number) +
         ", central meridian " + std::to_string(map.zone.centralMeridian) + "° E (" +
         geodesy::CoordinateSystemName(map.system) + ")";
}

// Draws the map into the target and writes it; the exit status.
int drawMap(const mapsheet::IndexMap& map, const SurveyArea& s, const Target& t, const Backends& b, std::ostream& out,
            std::ostream& err) {
  Progress progress(err);
  std::shared_ptr<cad::CadDocument> drawing;
  const mapsheet::SheetOutcome o = mapsheet::DrawIndexMap(map, connectionFor(t, b, drawing),
                                                          [&](const graticule::EmissionProgress& e) { progress.entities(e); });
  if (o.status == mapsheet::SheetOutcome::Status::ConnectFailed) {
    err << kPrefix << ": " << o.message << "\n";
    return 1;
  }
  if (o.status != mapsheet::SheetOutcome::Status::Drawn)
    return reportCadFailure(o.failedStep, o.message, o.entitiesAdded, t, progress, err);
  const std::optional<std::string> where = finishDrawing(drawing.get(), t, b, progress, err);
  if (!where) return 1;
  progress.finish();
  out << "drew " << drawn(map, s) << " into " << *where << "\n";
  return 0;
}

}  // namespace

int runIndexDraw(const Parsed& p, const Command& c, const Backends& backends, std::ostream& out, std::ostream& err) {
  const std::optional<double> height = parseNumber(p.value("--label-height", "1"));
  if (!indexAlone(p, err) || !height || *height <= 0) {
    if (!height || *height <= 0) err << kPrefix << ": --label-height takes a length in metres above 0\n";
    usage(c, err);
    return 2;
  }
  const std::optional<Target> t = targetOf(p, c, backends, err);
  if (!t) return 2;
  int status = 0;
  const std::optional<SurveyArea> survey = surveyAreaOf(p, kPrefix, err, status);
  if (!survey) {
    if (status == 2) usage(c, err);
    if (status == 1) err << kPrefix << ": nothing drawn, no file written\n";
    return status;
  }
  const std::optional<mapsheet::IndexMap> map = mapOf(*survey, p, err);
  if (!map) {
    err << kPrefix << ": nothing drawn, no file written\n";
    return 1;
  }
  return drawMap(*map, *survey, *t, backends, out, err);
}

}  // namespace veskar::cli
