// DXF output (AutoCAD 2000, AC1015) through dxflib.
#pragma once

#include <string>

#include "cad/drawing.h"

namespace veskar::cad {

// Writes `drawing` to `path`: into a temporary file beside it, then renamed over it, so a
// failure never leaves a half-written file. Texts in code page ANSI_936 (GBK). Throws
// CadError(FileError) with the system's description on failure.
void writeDxf(const DrawingData& drawing, const std::string& path);

}  // namespace veskar::cad
