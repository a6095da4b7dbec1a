// veskar-cli: the subcommands. Each takes the arguments after its name and returns the exit
// status: 0 success, 1 some input could not be converted or drawn, 2 usage error.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/drawing.h"
#include "graticule/draw_command.h"

namespace veskar::cli {

using Args = std::vector<std::string>;

enum class Direction { Forward, Inverse };

int runConvert(Direction direction, const Args& args, std::istream& in, std::ostream& out,
               std::ostream& err);

// What `draw` can draw into besides a DXF file; each build provides what its libraries allow
// (an empty function: this build cannot).
struct Backends {
  // --cad: attaches to or starts the CAD application; `cadHelp` says which, for the usage.
  graticule::ConnectCadFn connectCad;
  std::string cadHelp;
  // --progid PROGID with --cad: the CAD program of that ProgID (COM); empty: no such choice.
  std::function<graticule::ConnectCadFn(const std::string& progId)> cadWithProgId;
  // --png: paints the drawing into a PNG file; the failure's description, or nothing.
  std::function<std::optional<std::string>(const cad::DrawingData&, const std::string& path)> writePng;
};
Backends backends();

// The toolkit the backends need, for the life of the program (Qt's application object where
// there is one; a picture needs its GUI part, which then runs offscreen).
std::shared_ptr<void> startToolkit(int argc, char** argv, bool picture);

// veskar-cli draw: the graticule into a DXF file, the CAD application or a picture.
int runDraw(const Args& args, const Backends& backends, std::ostream& out, std::ostream& err);

}  // namespace veskar::cli
