// veskar-cli draw --sheet: a national map sheet, finished as printed sheets are (or its bare
// frame with --frame-only), into a DXF file, a picture or the CAD program.
#include <cstdio>
#include <functional>
#include <ostream>

#include "draw.h"
#include "geodesy/sheets.h"
#include "geodesy/square.h"
#include "mapsheet/sheet_draw.h"
#include "settings/fields.h"

namespace veskar::cli {
namespace {

using mapsheet::SheetOutcome;

// Options that do not go with a sheet, or with its kind of frame; the usage error told.
bool optionsFit(const Parsed& p, std::ostream& err) {
  for (const settings::Field& f : settings::kFields) {
    if (p.has(f.option)) {
      err << "veskar-cli draw: --sheet gives the meridians and parallels itself; leave out " << f.option << "\n";
      return false;
    }
  }
  for (const char* zone : {"--zone", "--zone-width"}) {
    if (p.has(zone)) {
      err << "veskar-cli draw: a sheet is drawn in its own zone; leave out " << zone << "\n";
      return false;
    }
  }
  for (const char* squareOnly : {"--scale", "--sheet-size", "--system"}) {
    if (p.has(squareOnly)) {
      err << "veskar-cli draw: " << squareOnly << " goes with --square; a national sheet has its own\n";
      return false;
    }
  }
  const bool frameOnly = p.has("--frame-only");
  for (const char* finishedOnly : {"--grid", "--title"}) {
    if (frameOnly && p.has(finishedOnly)) {
      err << "veskar-cli draw: " << finishedOnly << " belongs to the finished frame; leave out --frame-only\n";
      return false;
    }
  }
  if (!frameOnly && p.has("--label-height")) {
    err << "veskar-cli draw: --label-height sets the labels of --frame-only; the finished frame has its own sizes\n";
    return false;
  }
  return true;
}

// The request the options give; a usage error is told and gives nothing (status 2), a sheet
// number that is no sheet too (status 1).
std::optional<mapsheet::SheetDrawRequest> requestOf(const Parsed& p, std::ostream& err, int& status) {
  status = 2;
  if (!optionsFit(p, err)) return std::nullopt;
  mapsheet::SheetDrawRequest r;
  r.finished = !p.has("--frame-only");
  r.frame.system = systemOf(p, geodesy::CoordinateSystem::CGCS2000);
  r.frame.title = p.value("--title");
  r.frame.zonePrefix = p.has("--zone-prefix");
  if (p.has("--grid")) {
    r.frame.gridKm = parseNumber(p.value("--grid"));
    if (!r.frame.gridKm) {
      err << "veskar-cli draw: --grid takes the interval in km, a number (0 for no grid)\n";
      return std::nullopt;
    }
  }
  if (p.has("--label-height")) {
    r.labelHeight = parseNumber(p.value("--label-height"));
    if (!r.labelHeight || *r.labelHeight <= 0) {
      err << "veskar-cli draw: --label-height takes a length in metres above 0\n";
      return std::nullopt;
    }
  }
  try {
    r.frame.sheet = geodesy::ParseAnySheetNumber(p.value("--sheet"));
  } catch (const geodesy::GeodesyError& e) {
    err << "veskar-cli draw: --sheet " << p.value("--sheet") << ": " << e.what()
        << "\nveskar-cli draw: nothing drawn, no file written\n";
    status = 1;
    return std::nullopt;
  }
  return r;
}

// "; corners from E ... N ... to E ... N ... m" and the line's end.
void extent(const char* what, const graticule::PlaneBox& b, std::ostream& out) {
  char buf[200];
  std::snprintf(buf, sizeof buf, "; %s from E %.3f N %.3f to E %.3f N %.3f m\n", what, b.minEasting, b.minNorthing,
                b.maxEasting, b.maxNorthing);
  out << buf << std::flush;
}

void summary(const mapsheet::SheetDrawRequest& r, const SheetOutcome& o, const std::string& where, std::ostream& out) {
  const char* system = geodesy::CoordinateSystemName(r.frame.system);
  if (r.finished) {
    out << "drew the finished sheet " << o.number << " (" << scaleText(r.frame.sheet.scaleDenominator) << ", "
        << o.zone.width << "° zone " << o.zone.number << ", " << system << "): " << o.entities << " entities, "
        << o.gridLines << (o.gridLines == 1 ? " grid line" : " grid lines") << ", into " << where;
  } else {
    out << "drew 2 parallels, 2 meridians, 8 labels and the sheet number " << o.number << " (" << system << ") into "
        << where;
  }
  extent(r.finished ? "corners" : "intersections", o.extents, out);
}

int reportFailure(const SheetOutcome& o, const Target& t, Progress& progress, std::ostream& err) {
  progress.finish();
  switch (o.status) {
    case SheetOutcome::Status::Refused:
      err << "veskar-cli draw: " << o.message << "\nveskar-cli draw: nothing drawn, no file written\n";
      return 1;
    case SheetOutcome::Status::ConnectFailed: err << "veskar-cli draw: " << o.message << "\n"; return 1;
    default: return reportCadFailure(o.failedStep, o.message, o.entitiesAdded, t, progress, err);
  }
}

// The square sheet the options name; a usage error told (status 2), a number that is no sheet
// too (status 1).
std::optional<mapsheet::SquareFrameRequest> squareOf(const Parsed& p, std::ostream& err, int& status) {
  status = 2;
  for (const settings::Field& f : settings::kFields) {
    if (p.has(f.option)) {
      err << "veskar-cli draw: --square draws a sheet, not the fields; leave out " << f.option << "\n";
      return std::nullopt;
    }
  }
  for (const char* nationalOnly : {"--frame-only", "--grid", "--label-height"}) {
    if (p.has(nationalOnly)) {
      err << "veskar-cli draw: " << nationalOnly << " goes with --sheet, not --square\n";
      return std::nullopt;
    }
  }
  const std::optional<int> scale = parseInt(p.value("--scale"));
  if (!scale) {
    err << "veskar-cli draw: --square needs --scale 5000, 2000, 1000 or 500\n";
    return std::nullopt;
  }
  const std::optional<int> zone = prefixZoneOf(p, "veskar-cli draw", err);
  if (!zone) return std::nullopt;
  if (p.value("--square").empty()) {
    err << "veskar-cli draw: --square needs the sheet's number (3810.5-525.5), or --index for the sheets of an area\n";
    return std::nullopt;
  }
  mapsheet::SquareFrameRequest r;
  r.zone = *zone;
  r.title = p.value("--title");
  r.system = p.value("--system");
  try {
    const geodesy::SquareSize size =
        p.has("--sheet-size") ? geodesy::ParseSquareSize(p.value("--sheet-size")) : geodesy::DefaultSquareSize(*scale);
    r.sheet = geodesy::ParseSquareNumber(p.value("--square"), *scale, size, r.zone);
  } catch (const geodesy::GeodesyError& e) {
    err << "veskar-cli draw: --square " << p.value("--square") << ": " << e.what()
        << "\nveskar-cli draw: nothing drawn, no file written\n";
    status = 1;
    return std::nullopt;
  }
  return r;
}

// Draws what `draw` gives into the target, then writes it; the exit status.
template <typename Draw>
int drawInto(const Parsed& p, const Command& c, const Backends& b, const Draw& draw, std::ostream& err,
             const std::function<void(const SheetOutcome&, const std::string&)>& summarize) {
  const std::optional<Target> t = targetOf(p, c, b, err);
  if (!t) return 2;
  Progress progress(err);
  std::shared_ptr<cad::CadDocument> drawing;
  const SheetOutcome o = draw(connectionFor(*t, b, drawing), [&](const graticule::EmissionProgress& e) { progress.entities(e); });
  if (o.status != SheetOutcome::Status::Drawn) return reportFailure(o, *t, progress, err);
  const std::optional<std::string> where = finishDrawing(drawing.get(), *t, b, progress, err);
  if (!where) return 1;
  progress.finish();
  summarize(o, *where);
  return 0;
}

}  // namespace

int runDrawSquare(const Parsed& p, const Command& c, const Backends& b, std::ostream& out, std::ostream& err) {
  int status = 0;
  const std::optional<mapsheet::SquareFrameRequest> r = squareOf(p, err, status);
  if (!r) return status;
  return drawInto(
      p, c, b,
      [&](const graticule::ConnectCadFn& connect, const graticule::ProgressFn& progress) {
        return mapsheet::DrawSquareSheet(*r, connect, progress);
      },
      err,
      [&](const SheetOutcome& o, const std::string& where) {
        out << "drew the square sheet " << o.number << " (" << scaleText(r->sheet.scaleDenominator) << ", "
            << geodesy::FormatSquareSize(r->sheet.size) << " cm): " << o.entities << " entities, into " << where;
        extent("corners", o.extents, out);
      });
}

int runDrawSheet(const Parsed& p, const Command& c, const Backends& b, std::ostream& out, std::ostream& err) {
  int status = 0;
  const std::optional<mapsheet::SheetDrawRequest> r = requestOf(p, err, status);
  if (!r) return status;
  return drawInto(
      p, c, b,
      [&](const graticule::ConnectCadFn& connect, const graticule::ProgressFn& progress) {
        return mapsheet::DrawSheet(*r, connect, progress);
      },
      err, [&](const SheetOutcome& o, const std::string& where) { summary(*r, o, where, out); });
}

}  // namespace veskar::cli
