#include "cad/dxf.h"

#include "cad/automation.h"

namespace veskar::cad {

void writeDxf(const DrawingData&, const QString&) {
  throw CadError(errc::FileError, QStringLiteral("Writing DXF files is not available yet."));
}

}  // namespace veskar::cad
