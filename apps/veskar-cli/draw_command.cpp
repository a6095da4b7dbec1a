// veskar-cli draw: the graticule of the window's Draw button from the command line. The seven
// values are texts read exactly as the window reads its fields, and the same Draw command
// draws them, into the in-process drawing (then a DXF file or a picture) or into the running
// drawing application. vesk.ini is neither read nor written.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>

#include "cad/inprocess.h"
#include "cli.h"
#include "draw.h"
#include "geodesy/sheets.h"
#include "graticule/draw_command.h"
#include "platform/files.h"
#include "settings/fields.h"

namespace veskar::cli {
namespace {

using graticule::DrawOutcome;

using settings::kFields;

std::string metres(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  return buf;
}

}  // namespace

Command drawCommand(const Backends& b) {
  Command c;
  c.name = "draw";
  c.prefix = "veskar-cli draw";
  c.synopsis = std::string("[FIELDS] [--sheet NUMBER] [OPTIONS] (-o FILE.dxf") + (b.writePng ? " | --png FILE.png" : "") +
               (b.connectCad ? " | --cad" : "") + ")";
  c.summary =
      "Draws the graticule as the window's Draw button does: one polyline per parallel and per\n"
      "meridian, two degree-minute labels at every intersection, in Gauss-Krüger metres\n"
      "(x easting, y northing), into a DXF file (AutoCAD 2000)" + std::string(b.writePng ? ", a picture" : "") +
      (b.connectCad ? " or the CAD program" : "") + ".\n"
      "Each field is a text read like the window's: its leading number counts (\"5a\" is 5, \"abc\"\n"
      "is 0). Counts pass through the same conversion as angles, so give whole numbers.\n";
  for (const settings::Field& f : kFields)
    c.options.push_back({f.option, "", "T", std::string(f.label) + ", " + f.english + " (default " + f.missingFileDefault + ")"});
  c.options.push_back({"--zone", "", "N", "instead of --central-meridian, the zone's number: 6° zone N\n"
                                         "(1-60) has the central meridian 6N - 3, 3° zone N (1-120) 3N"});
  c.options.push_back({"--zone-width", "", "3|6", "with --zone: the zones' width in degrees"});
  c.options.push_back({"--sheet", "", "NUMBER",
                       "a national map sheet (J50E001010, or the former J-50-5-(24))\n"
                       "instead of the fields, finished as printed sheets are: inner frame\n"
                       "with minute ticks and corner coordinates, kilometre grid with its\n"
                       "numbers, outer frame, number, adjoining sheets, scale, coordinate\n"
                       "system; in its own zone, CGCS2000 unless another system is named"});
  c.options.push_back({"--frame-only", "", "", "with --sheet: only the sheet's meridians and parallels, corner\n"
                                               "labels in D°M′S″ 3 mm high on paper and the number"});
  c.options.push_back({"--grid", "", "KM", "with --sheet: the kilometre grid's interval (default 1 km from\n"
                                           "1:5,000 to 1:50,000, 2 km at 1:100,000, none at 1:250,000\n"
                                           "and smaller, 10 cm on paper from 1:2,000; 0 for none)"});
  c.options.push_back({"--square", "", "NUMBER", "a square sheet of a large-scale survey (3810.5-525.5, the\n"
                                                 "south-west corner's x-y in km) with --scale, finished:\n"
                                                 "inner frame, grid crosses every 10 cm on paper, corner\n"
                                                 "coordinates, outer frame, number, adjoining sheets, scale;\n"
                                                 "with --index no number: square sheets of a plane area", 1, true});
  c.options.push_back({"--scale", "", "DENOMINATOR", "with --square: 5000, 2000, 1000 or 500; with --index: the\n"
                                                     "sheets' scale, 1000000 to 500"});
  c.options.push_back({"--sheet-size", "", "WxH", "with --square: 50x50, 50x40 or 40x40 cm (default 40x40 at\n"
                                                  "1:5,000, 50x50 at the larger scales)"});
  c.options.push_back({"--system", "", "TEXT", "with --square: the coordinate system's name at the lower left"});
  c.options.push_back({"--title", "", "TEXT", "with --sheet or --square: the sheet's name (图名), above its\n"
                                              "number"});
  c.options.push_back({"--zone-prefix", "", "", "eastings with the zone number in front (20435798.84): the\n"
                                                "sheet's zone, or with the fields and --square the zone of\n"
                                                "--zone"});
  c.options.push_back({"--label-height", "", "H", "label height in metres (default 1000; --frame-only 3 mm on paper)"});
  for (Option& o : indexOptions()) c.options.push_back(std::move(o));
  for (Option& o : systemOptions(geodesy::CoordinateSystem::Beijing54)) c.options.push_back(std::move(o));
  c.options.push_back({"--output", "-o", "FILE.dxf", "write the drawing as DXF"});
  if (b.writePng) {
    c.options.push_back({"--png", "", "FILE.png", "paint a picture of the drawing as well (or instead)"});
    c.options.push_back({"--png-size", "", "WxH", "the picture's size in pixels (default 1600x1200, at most\n"
                                                  "8000x8000)"});
  }
  if (b.connectCad) c.options.push_back({"--cad", "", "", b.cadHelp});
  if (b.cadWithProgId) c.options.push_back({"--progid", "", "PROGID", "with --cad: the CAD program of this ProgID"});
  c.notes = std::string(kAngleNotes) +
            "At most 250000 intersections (500 x 500). Meridians more than 3° from the central\n"
            "meridian are warned about, more than 20° refused. vesk.ini is neither read nor\n"
            "written. Exit status: 0 drawn, 1 refused or failed (no file written), 2 usage error.\n"
            "\n"
            "Examples:\n"
            "  veskar-cli draw --start-longitude 114 --meridians 5 --start-latitude 29.2 \\\n"
            "      --parallels 10 --latitude-spacing 0.1 -o sheet.dxf\n"
            "  veskar-cli draw --sheet J50E001010 -o J50E001010.dxf\n"
            "  veskar-cli draw --sheet 'J-50-5-(24)' --title 北京 --grid 0.5 -o sheet.dxf\n"
            "  veskar-cli draw --square 3810.5-525.5 --scale 1000 --system 2000国家大地坐标系 -o sheet.dxf\n"
            "  veskar-cli draw --index --scale 10000 --area county.geojson -o index.dxf\n"
            "  veskar-cli draw --index --square --scale 500 --area site.txt -o index.dxf\n";
  return c;
}

namespace {

// The meridians' farthest distance from the central meridian, in degrees (0 when there are
// none or the fields cannot be drawn; the Draw command refuses those itself).
double farthestMeridian(const graticule::DrawInputs& in) {
  graticule::GraticuleParameters g;
  try {
    g.startLongitude = geodesy::DmsDeg(graticule::leadingNumber(in.texts[settings::kStartLongitude]));
    g.meridianCount = geodesy::DmsDeg(graticule::leadingNumber(in.texts[settings::kMeridians]));
    g.longitudeSpacing = geodesy::DmsDeg(graticule::leadingNumber(in.texts[settings::kLongitudeSpacing]));
    const double centre = geodesy::DmsDeg(graticule::leadingNumber(in.texts[settings::kCentralMeridian]));
    const std::size_t n = graticule::lineCount(g.meridianCount);
    if (n == 0 || n > graticule::kMaxIntersections) return 0;
    const double first = g.startLongitude, last = g.startLongitude + static_cast<double>(n - 1) * g.longitudeSpacing;
    const double d = std::max(std::abs(first - centre), std::abs(last - centre));
    return std::isfinite(d) ? d : 0;
  } catch (const geodesy::GeodesyError&) {
    return 0;
  }
}

}  // namespace

namespace {

// The inputs from the options: the fields, the coordinate system, the label height; a usage
// error is told and gives nothing.
std::optional<graticule::DrawInputs> inputsOf(const Parsed& p, std::ostream& err, int& status) {
  graticule::DrawInputs in;
  for (std::size_t f = 0; f < kFields.size(); ++f) in.texts[f] = p.value(kFields[f].option, kFields[f].missingFileDefault);
  in.check = 1;
  const ZoneChoice zone = zoneChoice(p);
  if (!zone.error.empty()) {
    err << "veskar-cli draw: " << zone.error << "\n";
    status = 2;
    return std::nullopt;
  }
  if (zone.zone) {
    in.texts[settings::kCentralMeridian] = std::to_string(zone.zone->centralMeridian);
    if (p.has("--zone-prefix")) in.style.eastingOffset = geodesy::PrefixedEasting(0, zone.zone->number);
  }
  in.system = systemOf(p, geodesy::CoordinateSystem::Beijing54);
  if (p.has("--label-height")) {
    const std::optional<double> h = parseNumber(p.value("--label-height"));
    if (!h || *h <= 0) {
      err << "veskar-cli draw: --label-height takes a length in metres above 0\n";
      status = 2;
      return std::nullopt;
    }
    in.style.labelHeight = *h;
  }
  return in;
}

// Tells a draw that did not end in a drawing; its exit status.
int reportFailure(const DrawOutcome& outcome, const Target& t, Progress& progress, std::ostream& err) {
  progress.finish();
  if (outcome.status == DrawOutcome::Status::Refused) {
    err << "veskar-cli draw: " << outcome.message;
    std::string options;
    for (int f : {outcome.field, outcome.otherField}) {
      if (f >= 0) options += (options.empty() ? "" : ", ") + std::string(kFields[static_cast<std::size_t>(f)].option);
    }
    if (!options.empty()) err << " (" << options << ")";
    err << "\nveskar-cli draw: nothing drawn, no file written\n";
  } else if (outcome.status == DrawOutcome::Status::ConnectFailed) {
    err << "veskar-cli draw: " << outcome.message << "\n";
  } else {
    return reportCadFailure(outcome.failedStep, outcome.message, outcome.entitiesAdded, t, progress, err);
  }
  return 1;
}

void summary(const DrawOutcome& outcome, const std::string& title, const std::string& where, std::ostream& out) {
  const std::size_t parallelLines = outcome.meridians >= 2 ? outcome.parallels : 0;
  const std::size_t meridianLines = outcome.polylines - parallelLines;
  out << "drew " << parallelLines << (parallelLines == 1 ? " parallel, " : " parallels, ") << meridianLines
      << (meridianLines == 1 ? " meridian" : " meridians") << (title.empty() ? " and " : ", ") << outcome.labels
      << (outcome.labels == 1 ? " label" : " labels") << (title.empty() ? "" : " and the sheet number " + title)
      << " (" << geodesy::CoordinateSystemName(outcome.system) << ") into " << where;
  if (!outcome.extents.empty) {
    out << "; intersections from E " << metres(outcome.extents.minEasting) << " N "
        << metres(outcome.extents.minNorthing) << " to E " << metres(outcome.extents.maxEasting)
        << " N " << metres(outcome.extents.maxNorthing) << " m";
  }
  out << "\n" << std::flush;
}

}  // namespace

int runDraw(const Args& args, const Backends& backends, std::ostream& out, std::ostream& err) {
  const Command c = drawCommand(backends);
  int status = 0;
  const std::optional<Parsed> p = parseOrAnswer(c, args, out, err, status);
  if (!p) return status;
  if (wantsIndex(*p)) return runIndexDraw(*p, c, backends, out, err);
  if (p->has("--sheet") && p->has("--square")) {
    err << "veskar-cli draw: --sheet and --square name a sheet each; give one\n";
    return 2;
  }
  if (p->has("--sheet")) return runDrawSheet(*p, c, backends, out, err);
  if (p->has("--square")) return runDrawSquare(*p, c, backends, out, err);
  for (const char* sheetOnly : {"--frame-only", "--grid", "--title", "--scale", "--sheet-size", "--system"}) {
    if (p->has(sheetOnly)) {
      err << "veskar-cli draw: " << sheetOnly << " goes with --sheet, --square or --index\n";
      return 2;
    }
  }
  std::optional<graticule::DrawInputs> in = inputsOf(*p, err, status);
  if (!in) return status;
  const std::optional<Target> t = targetOf(*p, c, backends, err);
  if (!t) return 2;
  Progress progress(err);
  const auto onProgress = [&](const graticule::EmissionProgress& e) { progress.entities(e); };
  std::shared_ptr<cad::CadDocument> drawing;
  const graticule::ConnectCadFn connect = connectionFor(*t, backends, drawing);
  // Once the Draw command has accepted the fields, and before anything is drawn: meridians too
  // far from the central meridian are refused, far ones warned about.
  bool tooFar = false;
  const graticule::ConnectCadFn checked = [&](graticule::CadLink& link, std::string& error) {
    const double farthest = farthestMeridian(*in);
    if (farthest > kRefuseBeyondDegrees) {
      err << "veskar-cli draw: meridians " << reachRefusal(farthest) << "\n";
      tooFar = true;
      return false;
    }
    if (farthest > kWarnBeyondDegrees) err << "veskar-cli draw: warning: " << reachWarning(farthest) << "\n";
    return connect(link, error);
  };
  // The settings file stays untouched: nothing is saved.
  const DrawOutcome outcome = graticule::RunDrawCommand(
      *in, [](const settings::SettingsRecord&) { return settings::SaveResult{}; }, checked, onProgress);
  if (tooFar) {
    err << "veskar-cli draw: nothing drawn, no file written\n";
    return 1;
  }
  if (outcome.status != DrawOutcome::Status::Drawn) return reportFailure(outcome, *t, progress, err);

  const std::optional<std::string> where = finishDrawing(drawing.get(), *t, backends, progress, err);
  if (!where) return 1;
  progress.finish();
  if (!outcome.skipped.empty()) err << "veskar-cli draw: " << outcome.skipped << "\n";
  summary(outcome, in->style.title, *where, out);
  return 0;
}

}  // namespace veskar::cli
