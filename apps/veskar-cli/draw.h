// What the kinds of `veskar-cli draw` share: where a drawing goes, progress on standard error,
// the connection to the in-process drawing or the CAD program, and writing the result.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "cad/automation.h"
#include "cli.h"

namespace veskar::cli {

// Where a draw goes.
struct Target {
  std::string dxf, png, progId;
  bool cad = false;
  int pngWidth = 1600, pngHeight = 1200;
};

// Where to draw; a usage error is told and gives nothing.
std::optional<Target> targetOf(const Parsed& p, const Command& c, const Backends& b, std::ostream& err);

// Progress on standard error, once the drawing has taken a second: rewritten in place on a
// terminal, a line every second otherwise.
class Progress {
 public:
  explicit Progress(std::ostream& err);
  ~Progress() { finish(); }
  void report(const std::string& what);
  void entities(const graticule::EmissionProgress& e);
  void finish();

 private:
  std::ostream& err_;
  bool tty_;
  std::chrono::steady_clock::time_point start_;
  long long last_ = -1000000;
  bool shown_ = false;
};

// The connection a target needs: the in-process drawing (kept in `drawing`, named after the
// DXF file) or the CAD program.
graticule::ConnectCadFn connectionFor(const Target& t, const Backends& b, std::shared_ptr<cad::CadDocument>& drawing);

// Saves and paints the in-process drawing; where it went ("the drawing application" for the
// CAD program), or nothing after telling why.
std::optional<std::string> finishDrawing(cad::CadDocument* drawing, const Target& t, const Backends& b,
                                         Progress& progress, std::ostream& err);

// The failure after connecting, told; the exit status (1).
int reportCadFailure(const std::string& step, const std::string& message, std::size_t entitiesAdded, const Target& t,
                     Progress& progress, std::ostream& err);

// `draw --sheet`: a national map sheet's frame; `draw --square`: a square sheet's.
int runDrawSheet(const Parsed& p, const Command& c, const Backends& b, std::ostream& out, std::ostream& err);
int runDrawSquare(const Parsed& p, const Command& c, const Backends& b, std::ostream& out, std::ostream& err);

}  // namespace veskar::cli
