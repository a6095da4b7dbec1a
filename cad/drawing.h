// The drawing as data: text styles and model-space entities in creation order. The in-process
// automation objects, the DXF writer and the drawing application's view all work on this.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace veskar::cad {

inline constexpr int kColorByLayer = 256;  // AutoCAD Color Index of a new entity
inline constexpr const char* kLayerZero = "0";  // every drawing's first layer, where entities start

struct LayerData {
  std::string name;
};

struct TextStyleData {
  std::string name;
  std::string fontFile;     // primary font file, e.g. "fsdb_e.shx"
  std::string bigFontFile;  // big-font file for CJK, e.g. "fsdb.shx"
};

struct TextData {
  std::string string;  // UTF-8
  std::array<double, 3> insertionPoint{0, 0, 0};
  double height = 0;
  int color = kColorByLayer;
  double widthFactor = 1.0;  // ScaleFactor
  std::string styleName = "Standard";
  double rotation = 0;  // radians
  int horizontalAlignment = 0;  // 0 left, 1 center, 2 right, 3 aligned, 4 middle, 5 fit
  int verticalAlignment = 0;    // 0 baseline, 1 bottom, 2 middle, 3 top
  std::array<double, 3> alignmentPoint{0, 0, 0};  // TextAlignmentPoint
  std::string layer = kLayerZero;
};

struct PolylineData {
  std::vector<double> coordinates;  // x0, y0, x1, y1, ...
  int color = kColorByLayer;
  std::string layer = kLayerZero;
  double constantWidth = 0;  // drawing units; 0 is a line of no width
  bool closed = false;       // a segment back from the last vertex to the first
};

struct LineData {
  std::array<double, 3> start{0, 0, 0}, end{0, 0, 0};
  int color = kColorByLayer;
  std::string layer = kLayerZero;
};

using EntityData = std::variant<TextData, PolylineData, LineData>;

struct Extents {
  bool empty = true;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

struct DrawingData {
  std::string name;                    // e.g. "Drawing1.dxf"
  std::vector<TextStyleData> styles;   // "Standard" first
  std::vector<LayerData> layers{LayerData{kLayerZero}};  // "0" first
  std::vector<EntityData> entities;    // creation order

  // Extents of the entities: polyline vertices (widened by half their width), line ends, text
  // insertion points and, for texts, their approximate box (height, width factor, rotation).
  Extents extents() const;
};

}  // namespace veskar::cad
