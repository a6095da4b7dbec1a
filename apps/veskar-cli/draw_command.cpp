// veskar-cli draw: the graticule of the window's Draw button from the command line. The seven
// values are texts read exactly as the window reads its fields, and the same Draw command
// draws them, into the in-process drawing (then a DXF file or a picture) or into the running
// drawing application. vesk.ini is neither read nor written.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QString>
#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <unistd.h>

#include "cad/inprocess.h"
#include "cli.h"
#include "graticule/draw_command.h"

#ifdef VESKAR_CLI_HAS_BUS
#include "cad/bus/cadbas.h"
#endif
#ifdef VESKAR_CLI_HAS_VIEW
#include <QImage>
#include <QImageWriter>

#include "cad/view/render.h"
#endif

namespace veskar::cli {
namespace {

using graticule::DrawOutcome;

// The options of the seven fields, in the order Text1 .. Text7, with the window's first-start
// values.
struct FieldOption {
  const char* option;
  const char* defaultText;
};
constexpr std::array<FieldOption, 7> kFieldOptions = {{
    {"--start-longitude", "114.00"},
    {"--meridians", "3"},
    {"--start-latitude", "29.00"},
    {"--parallels", "5"},
    {"--longitude-spacing", "0.15"},
    {"--latitude-spacing", "0.10"},
    {"--central-meridian", "115.15"},
}};

void usage(std::ostream& os) {
  os << "usage: veskar-cli draw [--start-longitude T] [--meridians T] [--start-latitude T]\n"
        "         [--parallels T] [--longitude-spacing T] [--latitude-spacing T]\n"
        "         [--central-meridian T] [--beijing54|--iag75]\n"
        "         -o FILE.dxf"
#ifdef VESKAR_CLI_HAS_VIEW
        " [--png FILE.png]"
#endif
#ifdef VESKAR_CLI_HAS_BUS
        " | --cad"
#endif
        "\n"
        "  Draws the graticule as the window's Draw button does: one polyline per parallel and\n"
        "  per meridian, two degree-minute labels at every intersection, in Gauss-Krüger\n"
        "  metres (x easting, y northing), and writes it as DXF (AutoCAD 2000).\n"
#ifdef VESKAR_CLI_HAS_VIEW
        "  --png FILE writes a picture of the drawing as well (or instead of the DXF).\n"
#endif
#ifdef VESKAR_CLI_HAS_BUS
        "  --cad draws into the running drawing application veskar-cad (started if needed).\n"
#endif
        "  Each value is a text read like the window's field: its leading number counts (\"5a\"\n"
        "  is 5, \"abc\" is 0), \".\" is the decimal point. Angles and spacings are packed DMS\n"
        "  (29.2 = 29°20′, 0.15 = 15′); counts pass through the same conversion, so give\n"
        "  whole numbers. Defaults: 114.00, 3, 29.00, 5, 0.15, 0.10, 115.15, Beijing 1954.\n"
        "  At most 250000 intersections (500 x 500). vesk.ini is neither read nor written.\n"
        "  Exit status: 0 drawn, 1 refused or failed (no file written), 2 usage error.\n"
        "Example:\n"
        "  veskar-cli draw --start-longitude 114 --meridians 5 --start-latitude 29.2 \\\n"
        "      --parallels 10 --latitude-spacing 0.1 -o sheet.dxf\n";
}

std::string text(const QString& s) { return s.toStdString(); }

std::string metres(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  return buf;
}

// Progress on standard error, once the drawing has taken a second: rewritten in place on a
// terminal, a line every second otherwise.
class Progress {
 public:
  explicit Progress(std::ostream& err) : err_(err), tty_(isatty(STDERR_FILENO) != 0) { clock_.start(); }
  ~Progress() { finish(); }

  void report(const std::string& what) {
    const qint64 now = clock_.elapsed();
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
  QElapsedTimer clock_;
  qint64 last_ = -1000000;
  bool shown_ = false;
};

}  // namespace

int runDraw(const QStringList& args, std::ostream& out, std::ostream& err) {
  graticule::DrawInputs in;
  for (std::size_t f = 0; f < kFieldOptions.size(); ++f) {
    in.texts[f] = QString::fromLatin1(kFieldOptions[f].defaultText);
  }
  in.check = 1;
  QString dxfPath, pngPath;
  bool toCad = false;

  for (qsizetype i = 0; i < args.size(); ++i) {
    QString a = args[i];
    std::optional<QString> value;
    const qsizetype eq = a.startsWith(QLatin1String("--")) ? a.indexOf(u'=') : -1;
    if (eq >= 0) {
      value = a.mid(eq + 1);
      a = a.left(eq);
    }
    const auto takeValue = [&]() -> std::optional<QString> {
      if (value) return value;
      if (i + 1 < args.size()) return args[++i];
      err << "veskar-cli draw: " << text(a) << " needs a value\n";
      return std::nullopt;
    };
    int field = -1;
    for (std::size_t f = 0; f < kFieldOptions.size(); ++f) {
      if (a == QLatin1String(kFieldOptions[f].option)) field = static_cast<int>(f);
    }
    if (field >= 0) {
      const auto v = takeValue();
      if (!v) return 2;
      in.texts[static_cast<std::size_t>(field)] = *v;
    } else if (a == QLatin1String("-o") || a == QLatin1String("--output")) {
      const auto v = takeValue();
      if (!v) return 2;
      dxfPath = *v;
    } else if (a == QLatin1String("--beijing54") && !value) {
      in.check = 1;
    } else if (a == QLatin1String("--iag75") && !value) {
      in.check = 0;
#ifdef VESKAR_CLI_HAS_VIEW
    } else if (a == QLatin1String("--png")) {
      const auto v = takeValue();
      if (!v) return 2;
      pngPath = *v;
#endif
#ifdef VESKAR_CLI_HAS_BUS
    } else if (a == QLatin1String("--cad") && !value) {
      toCad = true;
#endif
    } else if ((a == QLatin1String("--help") || a == QLatin1String("-h")) && !value) {
      usage(out);
      return 0;
    } else {
      err << "veskar-cli draw: unknown option " << text(args[i]) << "\n";
      usage(err);
      return 2;
    }
  }
  if (dxfPath.isEmpty() && pngPath.isEmpty() && !toCad) {
    err << "veskar-cli draw: say where to draw: -o FILE.dxf"
#ifdef VESKAR_CLI_HAS_VIEW
        << ", --png FILE.png"
#endif
#ifdef VESKAR_CLI_HAS_BUS
        << ", --cad"
#endif
        << "\n";
    usage(err);
    return 2;
  }
  if (toCad && (!dxfPath.isEmpty() || !pngPath.isEmpty())) {
    err << "veskar-cli draw: --cad draws into the drawing application; save from there\n";
    return 2;
  }

  Progress progress(err);
  const auto onProgress = [&](const graticule::EmissionProgress& p) {
    progress.report("drawn " + std::to_string(p.done) + " of " + std::to_string(p.total) +
                    " entities");
  };

  // The in-process drawing, or the drawing application through its connection.
  std::shared_ptr<cad::CadDocument> drawing;
  graticule::ConnectCadFn connect = [&](graticule::CadLink& link, QString&) {
    const QString name = dxfPath.isEmpty() ? QStringLiteral("Drawing1.dxf") : QFileInfo(dxfPath).fileName();
    link.CadApp = cad::makeInProcessApplication(name);
    link.CadDoc = link.CadApp->ActiveDocument();
    drawing = link.CadDoc;
    return true;
  };
#ifdef VESKAR_CLI_HAS_BUS
  std::unique_ptr<cad::Cadbas> cadbas;
  if (toCad) {
    connect = [&](graticule::CadLink& link, QString& error) {
      cadbas = std::make_unique<cad::Cadbas>(QCoreApplication::applicationDirPath());
      const bool ok = cadbas->ConnectCad(error);
      link.CadApp = cadbas->CadApp;
      link.CadDoc = cadbas->CadDoc;
      return ok;
    };
  }
#endif

  // The settings file stays untouched: nothing is saved.
  const DrawOutcome outcome = graticule::RunDrawCommand(
      in, [](const settings::SettingsRecord&) { return settings::SaveResult{}; }, connect,
      onProgress);

  switch (outcome.status) {
    case DrawOutcome::Status::Drawn:
      break;
    case DrawOutcome::Status::Refused: {
      progress.finish();
      err << "veskar-cli draw: " << text(outcome.message);
      QStringList options;
      for (int f : {outcome.field, outcome.otherField}) {
        if (f >= 0) options << QLatin1String(kFieldOptions[static_cast<std::size_t>(f)].option);
      }
      if (!options.isEmpty()) err << " (" << text(options.join(QLatin1String(", "))) << ")";
      err << "\nveskar-cli draw: nothing drawn, no file written\n";
      return 1;
    }
    case DrawOutcome::Status::ConnectFailed:
      progress.finish();
      err << "veskar-cli draw: " << text(outcome.message) << "\n";
      return 1;
    case DrawOutcome::Status::FailedAfterAttach:
      progress.finish();
      err << "veskar-cli draw: " << text(outcome.failedStep) << ": " << text(outcome.message)
          << "\nveskar-cli draw: stopped after " << outcome.entitiesAdded << " entities"
          << (toCad ? " (they stay in the drawing)" : ", no file written") << "\n";
      return 1;
  }

  std::string where;
  try {
    if (!dxfPath.isEmpty()) {
      progress.report("writing " + text(dxfPath));
      drawing->SaveAs(dxfPath);
      where = text(dxfPath);
    }
#ifdef VESKAR_CLI_HAS_VIEW
    if (!pngPath.isEmpty()) {
      progress.report("painting " + text(pngPath));
      const cad::DrawingData* data = cad::drawingOf(*drawing);
      QImageWriter writer(pngPath, "png");
      if (!data || !writer.write(cad::renderToImage(*data, QSize(1600, 1200)))) {
        progress.finish();
        err << "veskar-cli draw: " << text(pngPath) << ": " << text(writer.errorString()) << "\n";
        return 1;
      }
      where += (where.empty() ? "" : " and ") + text(pngPath);
    }
#endif
  } catch (const cad::CadError& e) {
    progress.finish();
    err << "veskar-cli draw: " << text(e.description()) << "\n";
    return 1;
  }
#ifdef VESKAR_CLI_HAS_BUS
  if (toCad) where = "the drawing application";
#endif
  progress.finish();

  if (!outcome.skipped.isEmpty()) err << "veskar-cli draw: " << text(outcome.skipped) << "\n";
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
