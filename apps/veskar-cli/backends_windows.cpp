// veskar-cli's backends on Windows: the CAD program through COM (--cad, --progid).
#include "cad/com/com_cad.h"
#include "cli.h"

namespace veskar::cli {

std::shared_ptr<void> startToolkit(int, char**, bool) { return nullptr; }

Backends backends() {
  Backends b;
  b.connectCad = cad::com::connectCadFn();
  b.cadHelp =
      "draw into the running CAD program (started if needed):\n"
      "AutoCAD.Application; without AutoCAD, ZWCAD, GstarCAD or BricsCAD";
  b.cadWithProgId = [](const std::string& progId) { return cad::com::connectCadFn(progId); };
  return b;
}

}  // namespace veskar::cli
