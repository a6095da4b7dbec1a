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
#include "draw_output.h"
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
  c.options.push_back({"--sheet", "", "NUMBER",
                       "the frame of a national map sheet (J50E001010) instead of the\n"
                       "fields: its corners' meridians and parallels in its zone, labels\n"
                       "in D°M′S″ 3 mm high on paper, the sheet number above the north\n"
                       "edge; CGCS2000 unless another system is named"});
  for (Option& o : indexOptions()) c.options.push_back(std::move(o));
  c.options.push_back({"--label-height", "", "H", "label height in metres (default 1000; sheets 3 mm on paper)"});
  for (Option& o : systemOptions(geodesy::CoordinateSystem::Beijing54)) c.options.push_back(std::move(o));
  c.options.push_back({"--output", "-o", "FILE.dxf", "write the drawing as DXF"});
  if (b.writePng) c.options.push_back({"--png", "", "FILE.png", "paint a picture of the drawing as well (or instead)"});
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
            "  veskar-cli draw --index --scale 10000 --area county.geojson -o index.dxf\n";
  return c;
}

namespace {

// The packed-DMS text of an exact angle, as a field would hold it.
std::string packedText(geodesy::ArcUnits units) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, geodesy::ArcUnitsToPacked(units));
  return std::string(buf, r.ptr);
}

// The fields and style of a map sheet's frame; the reason when the number is no sheet.
std::optional<std::string> sheetInputs(const std::string& number, graticule::DrawInputs& in) {
  try {
    const geodesy::MapSheet s = geodesy::ParseSheetNumber(number);
    const geodesy::SheetBounds b = geodesy::BoundsOf(s);
    in.texts = {packedText(b.west), "2", packedText(b.south), "2", packedText(b.east - b.west),
                packedText(b.north - b.south), std::to_string(geodesy::ZoneOf(s).centralMeridian)};
    const double paper = s.scaleDenominator / 1000.0;  // metres on the ground per millimetre on paper
    in.style.labelHeight = 3 * paper;
    in.style.secondsInLabels = true;
    in.style.chordTolerance = 0.05 * paper;
    in.style.title = geodesy::FormatSheetNumber(s);
    return std::nullopt;
  } catch (const geodesy::GeodesyError& e) {
    return std::string(e.what());
  }
}

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

// The inputs from the options: the fields (or a sheet's), the coordinate system, the label
// height; a usage error is told and gives nothing.
std::optional<graticule::DrawInputs> inputsOf(const Parsed& p, std::ostream& err, int& status) {
  graticule::DrawInputs in;
  for (std::size_t f = 0; f < kFields.size(); ++f) in.texts[f] = p.value(kFields[f].option, kFields[f].missingFileDefault);
  in.check = 1;
  auto fallback = geodesy::CoordinateSystem::Beijing54;
  if (p.has("--sheet")) {
    for (const settings::Field& f : kFields) {
      if (p.has(f.option)) {
        err << "veskar-cli draw: --sheet gives the meridians and parallels itself; leave out " << f.option << "\n";
        status = 2;
        return std::nullopt;
      }
    }
    if (const std::optional<std::string> why = sheetInputs(p.value("--sheet"), in)) {
      err << "veskar-cli draw: --sheet " << p.value("--sheet") << ": " << *why << "\n";
      status = 1;
      return std::nullopt;
    }
    fallback = geodesy::CoordinateSystem::CGCS2000;
  }
  in.system = systemOf(p, fallback);
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

}  // namespace

// Where to draw; a usage error is told and gives nothing.
std::optional<Target> targetOf(const Parsed& p, const Command& c, const Backends& b, std::ostream& err) {
  Target t{p.value("--output"), p.value("--png"), p.value("--progid"), p.has("--cad")};
  if (t.dxf.empty() && t.png.empty() && !t.cad) {
    err << "veskar-cli draw: say where to draw: -o FILE.dxf" << (b.writePng ? ", --png FILE.png" : "")
        << (b.connectCad ? ", --cad" : "") << "\n";
    usage(c, err);
    return std::nullopt;
  }
  if (t.cad && (!t.dxf.empty() || !t.png.empty())) {
    err << "veskar-cli draw: --cad draws into the drawing application; save from there\n";
    return std::nullopt;
  }
  if (!t.progId.empty() && !t.cad) {
    err << "veskar-cli draw: --progid names the CAD program of --cad\n";
    return std::nullopt;
  }
  return t;
}

namespace {

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
    err << "veskar-cli draw: " << outcome.failedStep << ": " << outcome.message
        << "\nveskar-cli draw: stopped after " << outcome.entitiesAdded << " entities"
        << (t.cad ? " (they stay in the drawing)" : ", no file written") << "\n";
  }
  return 1;
}

}  // namespace

// Saves and paints the in-process drawing; where it went, or nothing after telling why.
std::optional<std::string> writeDrawing(cad::CadDocument& drawing, const Target& t, const Backends& b, Progress& progress,
                                        std::ostream& err) {
  std::string where;
  try {
    if (!t.dxf.empty()) {
      progress.report("writing " + t.dxf);
      drawing.SaveAs(t.dxf);
      where = t.dxf;
    }
    if (!t.png.empty()) {
      progress.report("painting " + t.png);
      const cad::DrawingData* data = cad::drawingOf(drawing);
      const std::optional<std::string> error = data ? b.writePng(*data, t.png) : std::optional<std::string>("no drawing");
      if (error) {
        progress.finish();
        err << "veskar-cli draw: " << t.png << ": " << *error << "\n";
        return std::nullopt;
      }
      where += (where.empty() ? "" : " and ") + t.png;
    }
  } catch (const cad::CadError& e) {
    progress.finish();
    err << "veskar-cli draw: " << e.description() << "\n";
    return std::nullopt;
  }
  return where;
}

namespace {

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
  std::optional<graticule::DrawInputs> in = inputsOf(*p, err, status);
  if (!in) return status;
  const std::optional<Target> t = targetOf(*p, c, backends, err);
  if (!t) return 2;
  Progress progress(err);
  const auto onProgress = [&](const graticule::EmissionProgress& e) {
    progress.report("drawn " + std::to_string(e.done) + " of " + std::to_string(e.total) + " entities");
  };
  // The in-process drawing, or the CAD application through its connection.
  std::shared_ptr<cad::CadDocument> drawing;
  graticule::ConnectCadFn connect = [&](graticule::CadLink& link, std::string&) {
    link.CadApp = cad::makeInProcessApplication(t->dxf.empty() ? std::string("Drawing1.dxf") : platform::fileName(t->dxf));
    link.CadDoc = drawing = link.CadApp->ActiveDocument();
    return true;
  };
  if (t->cad) connect = t->progId.empty() ? backends.connectCad : backends.cadWithProgId(t->progId);
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

  std::optional<std::string> where = t->cad ? std::optional<std::string>("the drawing application")
                                            : writeDrawing(*drawing, *t, backends, progress, err);
  if (!where) return 1;
  progress.finish();
  if (!outcome.skipped.empty()) err << "veskar-cli draw: " << outcome.skipped << "\n";
  summary(outcome, in->style.title, *where, out);
  return 0;
}

}  // namespace veskar::cli
