#include "mapsheet/sketch.h"

#include <algorithm>

namespace veskar::mapsheet {
namespace {

using cad::Variant;

std::vector<double> point(const PlaneVertex& v) { return {v.easting, v.northing, 0.0}; }

SheetLayer layerOf(const SketchShape& s) {
  return std::visit([](const auto& shape) { return shape.layer; }, s);
}

class Emitter {
 public:
  Emitter(std::shared_ptr<cad::CadModelSpace> model, const graticule::ProgressFn& progress, std::size_t total)
      : model_(std::move(model)), progress_(progress), state_{0, total} {}

  void operator()(const SketchLine& l) {
    put(model()->AddLine(point(l.start), point(l.end)), l.layer);
  }

  void operator()(const SketchPolyline& p) {
    std::vector<double> vertices;
    vertices.reserve(2 * p.vertices.size());
    for (const PlaneVertex& v : p.vertices) {
      vertices.push_back(v.easting);
      vertices.push_back(v.northing);
    }
    std::shared_ptr<cad::CadEntity> e = model()->AddLightWeightPolyline(vertices);
    if (p.closed) e->Put("Closed", true);
    if (p.width > 0) e->Put("ConstantWidth", p.width);
    if (p.color != kColorByLayer) e->Put("Color", p.color);
    put(e, p.layer);
  }

  // The alignments before the alignment point, as CAD programs place a text by them.
  void operator()(const SketchText& t) {
    const std::vector<double> at = point(t.at);
    std::shared_ptr<cad::CadEntity> e = model()->AddText(Variant(t.text), at, Variant(t.height));
    e->Put("StyleName", std::string("ksev"));
    e->Put("ScaleFactor", kTextWidthFactor);
    if (t.rotation != 0) e->Put("Rotation", t.rotation);
    if (t.halign != HAlign::Left || t.valign != VAlign::Baseline) {
      e->Put("HorizontalAlignment", static_cast<std::int16_t>(t.halign));
      e->Put("VerticalAlignment", static_cast<std::int16_t>(t.valign));
      e->Put("TextAlignmentPoint", Variant(at));
    }
    put(e, t.layer);
  }

 private:
  cad::CadModelSpace* model() { return model_.get(); }

  void put(const std::shared_ptr<cad::CadEntity>& e, SheetLayer layer) {
    e->Put("Layer", std::string(layerName(layer)));
    ++state_.done;
    if (progress_) progress_(state_);
  }

  std::shared_ptr<cad::CadModelSpace> model_;
  const graticule::ProgressFn& progress_;
  graticule::EmissionProgress state_;
};

}  // namespace

std::vector<SheetLayer> Sketch::layers() const {
  std::vector<SheetLayer> out;
  for (const SheetLayerEntry& entry : kSheetLayers) {
    if (std::any_of(shapes.begin(), shapes.end(), [&](const SketchShape& s) { return layerOf(s) == entry.layer; }))
      out.push_back(entry.layer);
  }
  return out;
}

void emitSketch(cad::CadDocument& doc, const Sketch& sketch, const graticule::ProgressFn& progress) {
  addLayers(doc, sketch.layers());
  Emitter emit(doc.ModelSpace(), progress, sketch.shapes.size());
  for (const SketchShape& shape : sketch.shapes) std::visit(emit, shape);
}

}  // namespace veskar::mapsheet
