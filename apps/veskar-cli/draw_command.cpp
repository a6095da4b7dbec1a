// veskar-cli draw: the graticule of the window's Draw button from the command line. The seven
// values are texts read exactly as the window reads its fields, and the same Draw command
// draws them, into the in-process drawing (then a DXF file or a picture) or into the running
// drawing application. vesk.ini is neither read nor written.
#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>

#include "cad/inprocess.h"
#include "cli.h"
#include "graticule/draw_command.h"
#include "platform/files.h"
#include "settings/fields.h"

namespace veskar::cli {
namespace {

using graticule::DrawOutcome;

using settings::kFields;

void usage(std::ostream& os, const Backends& b) {
  os << "usage: veskar-cli draw [--start-longitude T] [--meridians T] [--start-latitude T]\n"
        "         [--parallels T] [--longitude-spacing T] [--latitude-spacing T]\n"
        "         [--central-meridian T] [--beijing54|--iag75]\n"
        "         -o FILE.dxf"
     << (b.writePng ? " [--png FILE.png]" : "")
     << (b.connectCad ? (b.cadWithProgId ? " | --cad [--progid PROGID]" : " | --cad") : "")
     << "\n"
        "  Draws the graticule as the window's Draw button does: one polyline per parallel and\n"
        "  per meridian, two degree-minute labels at every intersection, in Gauss-Krüger\n"
        "  metres (x easting, y northing), and writes it as DXF (AutoCAD 2000).\n"
     << (b.writePng ? "  --png FILE writes a picture of the drawing as well (or instead of the DXF).\n" : "")
     << (b.connectCad ? b.cadHelp : "")
     << "  Each value is a text read like the window's field: its leading number counts (\"5a\"\n"
        "  is 5, \"abc\" is 0), \".\" is the decimal point. Angles and spacings are packed DMS\n"
        "  (29.2 = 29°20′, 0.15 = 15′); counts pass through the same conversion, so give\n"
        "  whole numbers. Defaults: 114.00, 3, 29.00, 5, 0.15, 0.10, 115.15, Beijing 1954.\n"
        "  At most 250000 intersections (500 x 500). vesk.ini is neither read nor written.\n"
        "  Exit status: 0 drawn, 1 refused or failed (no file written), 2 usage error.\n"
        "Example:\n"
        "  veskar-cli draw --start-longitude 114 --meridians 5 --start-latitude 29.2 \\\n"
        "      --parallels 10 --latitude-spacing 0.1 -o sheet.dxf\n";
}

std::string metres(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  return buf;
}

// Progress on standard error, once the drawing has taken a second: rewritten in place on a
// terminal, a line every second otherwise.
class Progress {
 public:
  explicit Progress(std::ostream& err)
      : err_(err), tty_(platform::standardErrorIsTerminal()), start_(std::chrono::steady_clock::now()) {}
  ~Progress() { finish(); }

  void report(const std::string& what) {
    const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - start_)
                              .count();
    if (now < 1000 || now - last_ < (tty_ ? 100 : 1000)) return;
    last_ = now;
    shown_ = true;
    err_ << (tty_ ? "\r" : "") << "veskar-cli draw: " << what << (tty_ ? "\x1b[K" : "\n") << std::flush;
  }
  void finish() {
    if (shown_ && tty_) err_ << "\n" << std::flush;
    shown_ = false;
  }

 private:
  std::ostream& err_;
  bool tty_;
  std::chrono::steady_clock::time_point start_;
  long long last_ = -1000000;
  bool shown_ = false;
};

}  // namespace

int runDraw(const Args& args, const Backends& backends, std::ostream& out, std::ostream& err) {
  graticule::DrawInputs in;
  for (std::size_t f = 0; f < kFields.size(); ++f) in.texts[f] = kFields[f].missingFileDefault;
  in.check = 1;
  std::string dxfPath, pngPath, progId;
  bool toCad = false;

  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i];
    std::optional<std::string> value;
    const std::size_t eq = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
    if (eq != std::string::npos) {
      value = a.substr(eq + 1);
      a = a.substr(0, eq);
    }
    const auto takeValue = [&]() -> std::optional<std::string> {
      if (value) return value;
      if (i + 1 < args.size()) return args[++i];
      err << "veskar-cli draw: " << a << " needs a value\n";
      return std::nullopt;
    };
    int field = -1;
    for (std::size_t f = 0; f < kFields.size(); ++f) {
      if (a == kFields[f].option) field = static_cast<int>(f);
    }
    if (field >= 0) {
      const auto v = takeValue();
      if (!v) return 2;
      in.texts[static_cast<std::size_t>(field)] = *v;
    } else if (a == "-o" || a == "--output") {
      const auto v = takeValue();
      if (!v) return 2;
      dxfPath = *v;
    } else if (a == "--beijing54" && !value) {
      in.check = 1;
    } else if (a == "--iag75" && !value) {
      in.check = 0;
    } else if (a == "--png" && backends.writePng) {
      const auto v = takeValue();
      if (!v) return 2;
      pngPath = *v;
    } else if (a == "--cad" && !value && backends.connectCad) {
      toCad = true;
    } else if (a == "--progid" && backends.cadWithProgId) {
      const auto v = takeValue();
      if (!v) return 2;
      progId = *v;
    } else if ((a == "--help" || a == "-h") && !value) {
      usage(out, backends);
      return 0;
    } else {
      err << "veskar-cli draw: unknown option " << args[i] << "\n";
      usage(err, backends);
      return 2;
    }
  }
  if (dxfPath.empty() && pngPath.empty() && !toCad) {
    err << "veskar-cli draw: say where to draw: -o FILE.dxf" << (backends.writePng ? ", --png FILE.png" : "")
        << (backends.connectCad ? ", --cad" : "") << "\n";
    usage(err, backends);
    return 2;
  }
  if (toCad && (!dxfPath.empty() || !pngPath.empty())) {
    err << "veskar-cli draw: --cad draws into the drawing application; save from there\n";
    return 2;
  }
  if (!progId.empty() && !toCad) {
    err << "veskar-cli draw: --progid names the CAD program of --cad\n";
    return 2;
  }

  Progress progress(err);
  const auto onProgress = [&](const graticule::EmissionProgress& p) {
    progress.report("drawn " + std::to_string(p.done) + " of " + std::to_string(p.total) +
                    " entities");
  };

  // The in-process drawing, or the CAD application through its connection.
  std::shared_ptr<cad::CadDocument> drawing;
  graticule::ConnectCadFn connect = [&](graticule::CadLink& link, std::string&) {
    const std::string name = dxfPath.empty() ? std::string("Drawing1.dxf") : platform::fileName(dxfPath);
    link.CadApp = cad::makeInProcessApplication(name);
    link.CadDoc = link.CadApp->ActiveDocument();
    drawing = link.CadDoc;
    return true;
  };
  if (toCad) connect = progId.empty() ? backends.connectCad : backends.cadWithProgId(progId);

  // The settings file stays untouched: nothing is saved.
  const DrawOutcome outcome = graticule::RunDrawCommand(
      in, [](const settings::SettingsRecord&) { return settings::SaveResult{}; }, connect,
      onProgress);

  switch (outcome.status) {
    case DrawOutcome::Status::Drawn:
      break;
    case DrawOutcome::Status::Refused: {
      progress.finish();
      err << "veskar-cli draw: " << outcome.message;
      std::string options;
      for (int f : {outcome.field, outcome.otherField}) {
        if (f >= 0) options += (options.empty() ? "" : ", ") + std::string(kFields[static_cast<std::size_t>(f)].option);
      }
      if (!options.empty()) err << " (" << options << ")";
      err << "\nveskar-cli draw: nothing drawn, no file written\n";
      return 1;
    }
    case DrawOutcome::Status::ConnectFailed:
      progress.finish();
      err << "veskar-cli draw: " << outcome.message << "\n";
      return 1;
    case DrawOutcome::Status::FailedAfterAttach:
      progress.finish();
      err << "veskar-cli draw: " << outcome.failedStep << ": " << outcome.message
          << "\nveskar-cli draw: stopped after " << outcome.entitiesAdded << " entities"
          << (toCad ? " (they stay in the drawing)" : ", no file written") << "\n";
      return 1;
  }

  std::string where;
  try {
    if (!dxfPath.empty()) {
      progress.report("writing " + dxfPath);
      drawing->SaveAs(dxfPath);
      where = dxfPath;
    }
    if (!pngPath.empty()) {
      progress.report("painting " + pngPath);
      const cad::DrawingData* data = cad::drawingOf(*drawing);
      const std::optional<std::string> error =
          data ? backends.writePng(*data, pngPath) : std::optional<std::string>("no drawing");
      if (error) {
        progress.finish();
        err << "veskar-cli draw: " << pngPath << ": " << *error << "\n";
        return 1;
      }
      where += (where.empty() ? "" : " and ") + pngPath;
    }
  } catch (const cad::CadError& e) {
    progress.finish();
    err << "veskar-cli draw: " << e.description() << "\n";
    return 1;
  }
  if (toCad) where = "the drawing application";
  progress.finish();

  if (!outcome.skipped.empty()) err << "veskar-cli draw: " << outcome.skipped << "\n";
  const std::size_t parallelLines = outcome.meridians >= 2 ? outcome.parallels : 0;
  const std::size_t meridianLines = outcome.polylines - parallelLines;
  out << "drew " << parallelLines << (parallelLines == 1 ? " parallel, " : " parallels, ")
      << meridianLines << (meridianLines == 1 ? " meridian and " : " meridians and ")
      << outcome.labels << (outcome.labels == 1 ? " label (" : " labels (")
      << (outcome.beijing54 ? "Beijing 1954" : "IAG 1975") << ") into " << where;
  if (!outcome.extents.empty) {
    out << "; intersections from E " << metres(outcome.extents.minEasting) << " N "
        << metres(outcome.extents.minNorthing) << " to E " << metres(outcome.extents.maxEasting)
        << " N " << metres(outcome.extents.maxNorthing) << " m";
  }
  out << "\n" << std::flush;
  return 0;
}

}  // namespace veskar::cli
