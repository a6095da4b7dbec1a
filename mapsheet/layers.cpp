#include "mapsheet/layers.h"

#include "cad/automation.h"

namespace veskar::mapsheet {

void addLayers(cad::CadDocument& doc, std::span<const SheetLayer> layers) {
  const std::shared_ptr<cad::CadLayers> table = doc.Layers();
  for (SheetLayer l : layers) table->Add(layerName(l));
}

}  // namespace veskar::mapsheet
