// The layers that map sheets are drawn on: a finished sheet's frame, kilometre grid, notes and
// adjoining-sheet diagram, and an index map's area boundary. Each element goes on its own layer
// so that a surveyor can switch it off, lock it or plot it apart.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace veskar::cad {
class CadDocument;
}

namespace veskar::mapsheet {

enum class SheetLayer : std::uint8_t { Frame, Grid, Notes, Adjoining, Area };

struct SheetLayerEntry {
  SheetLayer layer;
  const char* name;     // as the drawing names it
  const char* english;  // what it holds
};

inline constexpr std::array<SheetLayerEntry, 5> kSheetLayers{{
    {SheetLayer::Frame, "图廓", "inner and outer frame, minute ticks, corner coordinates"},
    {SheetLayer::Grid, "方里网", "kilometre grid and its numbers"},
    {SheetLayer::Notes, "注记", "sheet number, sheet name, scale, coordinate system"},
    {SheetLayer::Adjoining, "接图表", "adjoining-sheet diagram"},
    {SheetLayer::Area, "测区范围", "the boundary of a survey area"},
}};

constexpr const char* layerName(SheetLayer layer) { return kSheetLayers[static_cast<std::size_t>(layer)].name; }

// Makes the layers in the drawing (Layers.Add; an existing layer is kept as it is).
void addLayers(cad::CadDocument& doc, std::span<const SheetLayer> layers);

}  // namespace veskar::mapsheet
