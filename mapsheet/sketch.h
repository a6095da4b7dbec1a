// A drawing made ready before anything is sent: lines, polylines and texts in the drawing's
// axes (x easting, y northing, metres), each on one of the sheet layers, in the order they are
// drawn. Builders of sheet frames and index maps fill a sketch; one emitter sends any sketch
// through the automation surface, so a DXF file, veskar-cad and a CAD program get the same
// entities.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "cad/automation.h"
#include "graticule/graticule.h"
#include "mapsheet/layers.h"

namespace veskar::mapsheet {

using graticule::PlaneVertex;

struct SketchLine {
  PlaneVertex start, end;
  SheetLayer layer;
};

inline constexpr std::int16_t kColorByLayer = 256;

struct SketchPolyline {
  std::vector<PlaneVertex> vertices;
  bool closed = false;
  double width = 0;  // constant width, metres; 0 for none
  SheetLayer layer;
  std::int16_t color = kColorByLayer;  // an AutoCAD Color Index where the layer's will not do
};

// Alignments as the automation numbers them.
enum class HAlign : std::int16_t { Left = 0, Center = 1, Right = 2 };
enum class VAlign : std::int16_t { Baseline = 0, Bottom = 1, Middle = 2, Top = 3 };

struct SketchText {
  std::string text;  // UTF-8
  PlaneVertex at;    // the alignment point
  double height = 0;
  double rotation = 0;  // radians
  HAlign halign = HAlign::Left;
  VAlign valign = VAlign::Baseline;
  SheetLayer layer;
};

using SketchShape = std::variant<SketchLine, SketchPolyline, SketchText>;

struct Sketch {
  std::vector<SketchShape> shapes;

  void line(PlaneVertex a, PlaneVertex b, SheetLayer layer) { shapes.emplace_back(SketchLine{a, b, layer}); }
  void text(std::string s, PlaneVertex at, double height, double rotation, HAlign h, VAlign v, SheetLayer layer) {
    shapes.emplace_back(SketchText{std::move(s), at, height, rotation, h, v, layer});
  }
  // The layers the shapes are on, in the order of the layer table.
  std::vector<SheetLayer> layers() const;
};

// Width factor of every sketch text, with the text style "ksev" the graticule's labels use.
inline constexpr double kTextWidthFactor = 0.7;

// Makes the sketch's layers, then draws every shape in order into the drawing's model space
// (looked up once): lines with AddLine, polylines with AddLightWeightPolyline
// (Closed and ConstantWidth where set), texts with AddText in the style "ksev", each put on its
// layer. `progress` follows every entity. CadError passes through; what was drawn stays.
void emitSketch(cad::CadDocument& doc, const Sketch& sketch, const graticule::ProgressFn& progress = {});

}  // namespace veskar::mapsheet
