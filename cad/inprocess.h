// The in-process drawing: the automation surface over DrawingData held in this process.
#pragma once

#include <functional>
#include <memory>

#include "cad/automation.h"
#include "cad/drawing.h"

namespace veskar::cad {

// An application with one open drawing named `drawingName`, holding the style "Standard".
// Visible starts false; Caption is "<drawing name> - Veskar CAD".
std::shared_ptr<CadApplication> makeInProcessApplication(
    const QString& drawingName = QStringLiteral("Drawing1.dxf"));

// The drawing behind a document made by the in-process application (nullptr for others).
// Valid while the document lives.
const DrawingData* drawingOf(const CadDocument& doc);

}  // namespace veskar::cad
