// What every kind of `veskar-cli draw` shares: the target, progress, the connection, the end.
#include <ostream>

#include "cad/inprocess.h"
#include "draw.h"
#include "platform/files.h"

namespace veskar::cli {
namespace {

bool pngSize(const std::string& text, Target& t) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) return false;
  const std::optional<int> w = parseInt(text.substr(0, x)), h = parseInt(text.substr(x + 1));
  if (!w || !h || *w < 1 || *h < 1 || *w > 8000 || *h > 8000) return false;
  t.pngWidth = *w, t.pngHeight = *h;
  return true;
}

}  // namespace

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
  if (p.has("--png-size") && !pngSize(p.value("--png-size"), t)) {
    err << "veskar-cli draw: --png-size takes the picture's width and height in pixels, 1 to 8000 each: 3200x2400\n";
    return std::nullopt;
  }
  return t;
}

Progress::Progress(std::ostream& err)
    : err_(err), tty_(platform::standardErrorIsTerminal()), start_(std::chrono::steady_clock::now()) {}

void Progress::report(const std::string& what) {
  const long long now =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
  if (now < 1000 || now - last_ < (tty_ ? 100 : 1000)) return;
  last_ = now;
  shown_ = true;
  err_ << (tty_ ? "\r" : "") << "veskar-cli draw: " << what << (tty_ ? "\x1b[K" : "\n") << std::flush;
}

void Progress::entities(const graticule::EmissionProgress& e) {
  report("drawn " + std::to_string(e.done) + " of " + std::to_string(e.total) + " entities");
}

void Progress::finish() {
  if (shown_ && tty_) err_ << "\n" << std::flush;
  shown_ = false;
}

graticule::ConnectCadFn connectionFor(const Target& t, const Backends& b, std::shared_ptr<cad::CadDocument>& drawing) {
  if (t.cad) return t.progId.empty() ? b.connectCad : b.cadWithProgId(t.progId);
  const std::string name = t.dxf.empty() ? std::string("Drawing1.dxf") : platform::fileName(t.dxf);
  return [name, &drawing](graticule::CadLink& link, std::string&) {
    link.CadApp = cad::makeInProcessApplication(name);
    link.CadDoc = drawing = link.CadApp->ActiveDocument();
    return true;
  };
}

std::optional<std::string> finishDrawing(cad::CadDocument* drawing, const Target& t, const Backends& b,
                                         Progress& progress, std::ostream& err) {
  if (t.cad) return "the drawing application";
  std::string where;
  try {
    if (!t.dxf.empty()) {
      progress.report("writing " + t.dxf);
      drawing->SaveAs(t.dxf);
      where = t.dxf;
    }
    if (!t.png.empty()) {
      progress.report("painting " + t.png);
      const cad::DrawingData* data = cad::drawingOf(*drawing);
      const std::optional<std::string> error = data ? b.writePng(*data, t.png, t.pngWidth, t.pngHeight) : std::optional<std::string>("no drawing");
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

int reportCadFailure(const std::string& step, const std::string& message, std::size_t entitiesAdded, const Target& t,
                     Progress& progress, std::ostream& err) {
  progress.finish();
  err << "veskar-cli draw: " << step << ": " << message << "\nveskar-cli draw: stopped after " << entitiesAdded
      << " entities" << (t.cad ? " (they stay in the drawing)" : ", no file written") << "\n";
  return 1;
}

}  // namespace veskar::cli
