// The in-process drawing: the automation surface over DrawingData held in this process.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "cad/automation.h"
#include "cad/drawing.h"

namespace veskar::cad {

// An application with one open drawing named `drawingName`, holding the style "Standard".
// Visible starts false; Caption is "<drawing name> - Veskar CAD". Closing the drawing leaves
// the application without an active drawing.
std::shared_ptr<CadApplication> makeInProcessApplication(
    const std::string& drawingName = "Drawing1.dxf");

// A drawing on its own (the drawing application keeps several), holding "Standard".
std::shared_ptr<CadDocument> makeInProcessDocument(const std::string& drawingName);

// The drawing behind a document made here (nullptr for other documents). Valid while the
// document lives.
const DrawingData* drawingOf(const CadDocument& doc);

// Whether Close() was called on a document made here (a closed document refuses everything
// with CadError(NoDocument)).
bool isClosed(const CadDocument& doc);

// Automation objects for what a document made here already holds: the entity at `index` in
// creation order, the style or the layer named `name` (any case). nullptr when there is none.
std::shared_ptr<CadEntity> entityAt(CadDocument& doc, std::size_t index);
std::shared_ptr<CadTextStyle> styleNamed(CadDocument& doc, const std::string& name);
std::shared_ptr<CadLayer> layerNamed(CadDocument& doc, const std::string& name);

// Called after every change to the drawing (an entity or style added, a property set).
void setChangeObserver(CadDocument& doc, std::function<void()> observer);

}  // namespace veskar::cad
