// The in-process drawing: automation objects over a DrawingData held in this process.
//
// Every object keeps the document's state alive and finds its data by position (entities and
// styles are never removed, so positions are stable). A setter validates and converts the
// value completely before it touches the drawing: a refused value leaves everything as it was.
// Member names are matched without regard to case, as late-bound automation does.
#include "cad/inprocess.h"

#include <cmath>

#include "cad/dxf.h"
#include "cad/members.h"
#include "platform/files.h"
#include "platform/text.h"

namespace veskar::cad {
namespace {

struct DocState {
  DrawingData data;
  bool closed = false;
  std::size_t added = 0;  // entities created through model space
  std::function<void()> observer;

  void changed() const {
    if (observer) observer();
  }
  void checkOpen() const {
    if (closed)
      throw CadError(errc::NoDocument, "The drawing \"" + data.name + "\" has been closed.");
  }
};

[[noreturn]] void invalid(const std::string& message) { throw CadError(errc::InvalidArg, message); }

Variant pointValue(const std::array<double, 3>& p) { return std::vector<double>{p[0], p[1], p[2]}; }

std::array<double, 3> checkedPoint(const std::vector<double>& p, const char* what) {
  if (p.size() != 3)
    invalid(std::string(what) + " must be a point of three numbers (x, y, z); " + std::to_string(p.size()) +
            " were given.");
  for (double c : p) {
    if (!std::isfinite(c)) invalid(std::string(what) + " must be a point of finite coordinates.");
  }
  return {p[0], p[1], p[2]};
}

std::vector<double> checkedVertices(const std::vector<double>& v, const char* what) {
  if (v.size() % 2 != 0)
    invalid(std::string(what) + " must hold x and y of every vertex; an odd number of coordinates (" +
            std::to_string(v.size()) + ") was given.");
  if (v.size() < 4)
    invalid("A polyline needs at least two vertices; " + std::to_string(v.size() / 2) + " was given.");
  for (double c : v) {
    if (!std::isfinite(c)) invalid(std::string(what) + " must be finite numbers.");
  }
  return v;
}

std::string checkedTextString(const Variant& value) {
  std::string s = platform::validUtf8(toText(value, "TextString"));
  for (char c : s) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
      invalid("A single-line text cannot hold line breaks or other control characters.");
  }
  return s;
}

double checkedPositive(const Variant& value, const char* what) {
  const double d = toDouble(value, what);
  if (!std::isfinite(d) || d <= 0) invalid(std::string(what) + " must be a number greater than zero.");
  return d;
}

double checkedFinite(const Variant& value, const char* what) {
  const double d = toDouble(value, what);
  if (!std::isfinite(d)) invalid(std::string(what) + " must be a finite number.");
  return d;
}

int checkedCode(const Variant& value, const char* what, int low, int high, const char* meaning) {
  const int n = toInt16(value, what);
  if (n < low || n > high)
    invalid(std::string(what) + " must be " + std::to_string(low) + " to " + std::to_string(high) + " (" +
            meaning + "); " + std::to_string(n) + " was given.");
  return n;
}

int checkedColor(const Variant& value) {
  return checkedCode(value, "Color", 0, 256, "an AutoCAD Color Index, 0 by block, 256 by layer");
}

bool isBlankName(const std::string& name) {
  for (char c : name) {
    if (!(c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r')) return false;
  }
  return true;
}

// Symbol names as CAD applications accept them: not empty, none of the reserved characters.
void checkSymbolName(const std::string& name, const char* what) {
  if (isBlankName(name)) invalid(std::string("The ") + what + " name must not be empty.");
  static const std::string_view reserved = "<>/\\\":;?*|=`";
  for (char c : name) {
    if (reserved.find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 0x20)
      invalid(std::string("The ") + what + " name \"" + name + "\" holds a character that names cannot hold.");
  }
  if (platform::utf16Length(name) > 255) invalid(std::string("The ") + what + " name is longer than 255 characters.");
}

const TextStyleData* findStyle(const DrawingData& d, const std::string& name, std::size_t* index = nullptr) {
  for (std::size_t i = 0; i < d.styles.size(); ++i) {
    if (platform::equalIgnoringCase(d.styles[i].name, name)) {
      if (index) *index = i;
      return &d.styles[i];
    }
  }
  return nullptr;
}

const LayerData* findLayer(const DrawingData& d, const std::string& name, std::size_t* index = nullptr) {
  for (std::size_t i = 0; i < d.layers.size(); ++i) {
    if (platform::equalIgnoringCase(d.layers[i].name, name)) {
      if (index) *index = i;
      return &d.layers[i];
    }
  }
  return nullptr;
}

// The layer's name as the drawing spells it; CadError(NotFound) when the drawing has none.
std::string existingLayer(const DrawingData& d, const Variant& value) {
  const std::string name = toText(value, "Layer");
  const LayerData* layer = findLayer(d, name);
  if (!layer) throw CadError(errc::NotFound, "The drawing has no layer named \"" + name + "\".");
  return layer->name;
}

double checkedWidth(const Variant& value) {
  const double d = toDouble(value, "ConstantWidth");
  if (!std::isfinite(d) || d < 0) invalid("ConstantWidth must be a number not below zero.");
  return d;
}

class Style final : public CadTextStyle {
 public:
  Style(std::shared_ptr<DocState> st, std::size_t index) : st_(std::move(st)), index_(index) {}

  Variant Get(const std::string& property) override {
    st_->checkOpen();
    const TextStyleData& s = st_->data.styles[index_];
    switch (readableProperty(ObjectKind::TextStyle, property)) {
      case Member::Name: return s.name;
      case Member::FontFile: return s.fontFile;
      default: return s.bigFontFile;
    }
  }

  void Put(const std::string& property, const Variant& value) override {
    st_->checkOpen();
    TextStyleData& s = st_->data.styles[index_];
    if (writableProperty(ObjectKind::TextStyle, property) == Member::FontFile) {
      s.fontFile = toText(value, "fontFile");
    } else {
      s.bigFontFile = toText(value, "BigFontFile");
    }
    st_->changed();
  }

 private:
  std::shared_ptr<DocState> st_;
  std::size_t index_;
};

class Entity final : public CadEntity {
 public:
  Entity(std::shared_ptr<DocState> st, std::size_t index) : st_(std::move(st)), index_(index) {}

  Variant Get(const std::string& property) override {
    st_->checkOpen();
    EntityData& e = st_->data.entities[index_];
    if (auto* t = std::get_if<TextData>(&e)) return getText(*t, property);
    if (auto* l = std::get_if<LineData>(&e)) return getLine(*l, property);
    return getPolyline(std::get<PolylineData>(e), property);
  }

  void Put(const std::string& property, const Variant& value) override {
    st_->checkOpen();
    EntityData& e = st_->data.entities[index_];
    if (auto* t = std::get_if<TextData>(&e)) {
      putText(*t, property, value);
    } else if (auto* l = std::get_if<LineData>(&e)) {
      putLine(*l, property, value);
    } else {
      putPolyline(std::get<PolylineData>(e), property, value);
    }
    st_->changed();
  }

 private:
  static Variant getText(const TextData& t, const std::string& p) {
    switch (readableProperty(ObjectKind::Text, p)) {
      case Member::TextString: return t.string;
      case Member::InsertionPoint: return pointValue(t.insertionPoint);
      case Member::Height: return t.height;
      case Member::Color: return static_cast<std::int32_t>(t.color);
      case Member::ScaleFactor: return t.widthFactor;
      case Member::StyleName: return t.styleName;
      case Member::Rotation: return t.rotation;
      case Member::VerticalAlignment: return static_cast<std::int32_t>(t.verticalAlignment);
      case Member::HorizontalAlignment: return static_cast<std::int32_t>(t.horizontalAlignment);
      case Member::Layer: return t.layer;
      default: return pointValue(t.alignmentPoint);
    }
  }

  void putText(TextData& t, const std::string& p, const Variant& v) {
    switch (writableProperty(ObjectKind::Text, p)) {
      case Member::TextString: t.string = checkedTextString(v); break;
      case Member::InsertionPoint:
        t.insertionPoint = checkedPoint(toDoubleArray(v, "InsertionPoint"), "InsertionPoint");
        break;
      case Member::Height: t.height = checkedPositive(v, "Height"); break;
      case Member::Color: t.color = checkedColor(v); break;
      case Member::ScaleFactor: t.widthFactor = checkedPositive(v, "ScaleFactor"); break;
      case Member::StyleName: {
        const std::string name = toText(v, "StyleName");
        const TextStyleData* style = findStyle(st_->data, name);
        if (!style) throw CadError(errc::NotFound, "The drawing has no text style named \"" + name + "\".");
        t.styleName = style->name;
        break;
      }
      case Member::Rotation: t.rotation = checkedFinite(v, "Rotation"); break;
      case Member::VerticalAlignment:
        t.verticalAlignment = checkedCode(v, "VerticalAlignment", 0, 3, "0 baseline, 1 bottom, 2 middle, 3 top");
        break;
      case Member::HorizontalAlignment:
        t.horizontalAlignment = checkedCode(v, "HorizontalAlignment", 0, 5,
                                            "0 left, 1 center, 2 right, 3 aligned, 4 middle, 5 fit");
        break;
      case Member::Layer: t.layer = existingLayer(st_->data, v); break;
      default:
        t.alignmentPoint = checkedPoint(toDoubleArray(v, "TextAlignmentPoint"), "TextAlignmentPoint");
        break;
    }
  }

  static Variant getPolyline(const PolylineData& l, const std::string& p) {
    switch (readableProperty(ObjectKind::Polyline, p)) {
      case Member::Coordinates: return l.coordinates;
      case Member::Layer: return l.layer;
      case Member::ConstantWidth: return l.constantWidth;
      case Member::Closed: return l.closed;
      default: return static_cast<std::int32_t>(l.color);
    }
  }

  void putPolyline(PolylineData& l, const std::string& p, const Variant& v) {
    switch (writableProperty(ObjectKind::Polyline, p)) {
      case Member::Coordinates: l.coordinates = checkedVertices(toDoubleArray(v, "Coordinates"), "Coordinates"); break;
      case Member::Layer: l.layer = existingLayer(st_->data, v); break;
      case Member::ConstantWidth: l.constantWidth = checkedWidth(v); break;
      case Member::Closed: l.closed = toBool(v, "Closed"); break;
      default: l.color = checkedColor(v); break;
    }
  }

  static Variant getLine(const LineData& l, const std::string& p) {
    switch (readableProperty(ObjectKind::Line, p)) {
      case Member::StartPoint: return pointValue(l.start);
      case Member::EndPoint: return pointValue(l.end);
      case Member::Layer: return l.layer;
      default: return static_cast<std::int32_t>(l.color);
    }
  }

  void putLine(LineData& l, const std::string& p, const Variant& v) {
    switch (writableProperty(ObjectKind::Line, p)) {
      case Member::StartPoint: l.start = checkedPoint(toDoubleArray(v, "StartPoint"), "StartPoint"); break;
      case Member::EndPoint: l.end = checkedPoint(toDoubleArray(v, "EndPoint"), "EndPoint"); break;
      case Member::Layer: l.layer = existingLayer(st_->data, v); break;
      default: l.color = checkedColor(v); break;
    }
  }

  std::shared_ptr<DocState> st_;
  std::size_t index_;
};

class Styles final : public CadTextStyles {
 public:
  explicit Styles(std::shared_ptr<DocState> st) : st_(std::move(st)) {}

  Variant Get(const std::string& property) override {
    st_->checkOpen();
    readableProperty(ObjectKind::TextStyles, property);  // Count
    return static_cast<std::int32_t>(st_->data.styles.size());
  }
  void Put(const std::string& property, const Variant&) override {
    st_->checkOpen();
    writableProperty(ObjectKind::TextStyles, property);  // refuses: there is nothing to set
  }

  std::shared_ptr<CadTextStyle> Add(const std::string& name) override {
    st_->checkOpen();
    std::size_t index = 0;
    if (findStyle(st_->data, name, &index)) return std::make_shared<Style>(st_, index);
    checkSymbolName(name, "text style");
    st_->data.styles.push_back(TextStyleData{platform::validUtf8(name), {}, {}});
    st_->changed();
    return std::make_shared<Style>(st_, st_->data.styles.size() - 1);
  }

 private:
  std::shared_ptr<DocState> st_;
};

class Layer final : public CadLayer {
 public:
  Layer(std::shared_ptr<DocState> st, std::size_t index) : st_(std::move(st)), index_(index) {}

  Variant Get(const std::string& property) override {
    st_->checkOpen();
    readableProperty(ObjectKind::Layer, property);  // Name
    return st_->data.layers[index_].name;
  }
  void Put(const std::string& property, const Variant&) override {
    st_->checkOpen();
    writableProperty(ObjectKind::Layer, property);  // refuses: there is nothing to set
  }

 private:
  std::shared_ptr<DocState> st_;
  std::size_t index_;
};

class Layers final : public CadLayers {
 public:
  explicit Layers(std::shared_ptr<DocState> st) : st_(std::move(st)) {}

  Variant Get(const std::string& property) override {
    st_->checkOpen();
    readableProperty(ObjectKind::Layers, property);  // Count
    return static_cast<std::int32_t>(st_->data.layers.size());
  }
  void Put(const std::string& property, const Variant&) override {
    st_->checkOpen();
    writableProperty(ObjectKind::Layers, property);  // refuses: there is nothing to set
  }

  std::shared_ptr<CadLayer> Add(const std::string& name) override {
    st_->checkOpen();
    std::size_t index = 0;
    if (findLayer(st_->data, name, &index)) return std::make_shared<Layer>(st_, index);
    checkSymbolName(name, "layer");
    st_->data.layers.push_back(LayerData{platform::validUtf8(name)});
    st_->changed();
    return std::make_shared<Layer>(st_, st_->data.layers.size() - 1);
  }

 private:
  std::shared_ptr<DocState> st_;
};

class ModelSpace final : public CadModelSpace {
 public:
  explicit ModelSpace(std::shared_ptr<DocState> st) : st_(std::move(st)) {}

  Variant Get(const std::string& property) override {
    st_->checkOpen();
    readableProperty(ObjectKind::ModelSpace, property);  // Count
    return static_cast<std::int32_t>(st_->data.entities.size());
  }
  void Put(const std::string& property, const Variant&) override {
    st_->checkOpen();
    writableProperty(ObjectKind::ModelSpace, property);  // refuses: there is nothing to set
  }

  std::shared_ptr<CadEntity> AddText(const Variant& text, const std::vector<double>& point,
                                     const Variant& height) override {
    st_->checkOpen();
    TextData t;
    t.string = checkedTextString(text);
    t.insertionPoint = checkedPoint(point, "The insertion point");
    t.alignmentPoint = t.insertionPoint;
    t.height = checkedPositive(height, "Height");
    if (findStyle(st_->data, t.styleName) == nullptr && !st_->data.styles.empty())
      t.styleName = st_->data.styles.front().name;
    return add(std::move(t));
  }

  std::shared_ptr<CadEntity> AddLightWeightPolyline(const std::vector<double>& vertices) override {
    st_->checkOpen();
    PolylineData l;
    l.coordinates = checkedVertices(vertices, "The vertices");
    return add(std::move(l));
  }

  std::shared_ptr<CadEntity> AddLine(const std::vector<double>& start, const std::vector<double>& end) override {
    st_->checkOpen();
    LineData l;
    l.start = checkedPoint(start, "The start point");
    l.end = checkedPoint(end, "The end point");
    return add(std::move(l));
  }

 private:
  std::shared_ptr<CadEntity> add(EntityData e) {
    st_->data.entities.push_back(std::move(e));
    ++st_->added;
    st_->changed();
    return std::make_shared<Entity>(st_, st_->data.entities.size() - 1);
  }

  std::shared_ptr<DocState> st_;
};

class Document final : public CadDocument {
 public:
  explicit Document(const std::string& name) : st_(std::make_shared<DocState>()) {
    st_->data.name = name;
    st_->data.styles.push_back(TextStyleData{"Standard", "txt", {}});
  }

  Variant Get(const std::string& property) override {
    st_->checkOpen();
    readableProperty(ObjectKind::Document, property);  // Name
    return st_->data.name;
  }
  void Put(const std::string& property, const Variant&) override {
    st_->checkOpen();
    writableProperty(ObjectKind::Document, property);  // refuses: there is nothing to set
  }

  std::shared_ptr<CadTextStyles> TextStyles() override {
    st_->checkOpen();
    return std::make_shared<Styles>(st_);
  }
  std::shared_ptr<CadModelSpace> ModelSpace() override {
    st_->checkOpen();
    return std::make_shared<class ModelSpace>(st_);
  }
  std::shared_ptr<CadLayers> Layers() override {
    st_->checkOpen();
    return std::make_shared<class Layers>(st_);
  }

  void SaveAs(const std::string& path) override {
    st_->checkOpen();
    writeDxf(st_->data, path);
    // As in CAD applications, the drawing is now known by the file it was saved to.
    st_->data.name = platform::fileName(path);
    st_->changed();
  }

  void Close() override {
    st_->checkOpen();
    st_->closed = true;
  }

  const std::shared_ptr<DocState>& state() const { return st_; }

 private:
  std::shared_ptr<DocState> st_;
};

class Application final : public CadApplication {
 public:
  explicit Application(const std::string& drawingName) : doc_(std::make_shared<Document>(drawingName)) {}

  Variant Get(const std::string& property) override {
    if (readableProperty(ObjectKind::Application, property) == Member::Visible) return visible_;
    if (doc_->state()->closed) return std::string("Veskar CAD");
    return doc_->state()->data.name + " - Veskar CAD";
  }

  void Put(const std::string& property, const Variant& value) override {
    writableProperty(ObjectKind::Application, property);  // Visible
    visible_ = toBool(value, "Visible");
  }

  std::shared_ptr<CadDocument> ActiveDocument() override {
    if (doc_->state()->closed) throw CadError(errc::NoDocument, "No drawing is open.");
    return doc_;
  }

  void Activate() override {}
  void Flush() override {}
  std::size_t EntitiesAdded() const override { return doc_->state()->added; }

 private:
  std::shared_ptr<Document> doc_;
  bool visible_ = false;
};

const Document* ours(const CadDocument& doc) { return dynamic_cast<const Document*>(&doc); }

}  // namespace

std::shared_ptr<CadApplication> makeInProcessApplication(const std::string& drawingName) {
  return std::make_shared<Application>(drawingName);
}

std::shared_ptr<CadDocument> makeInProcessDocument(const std::string& drawingName) {
  return std::make_shared<Document>(drawingName);
}

const DrawingData* drawingOf(const CadDocument& doc) {
  const Document* d = ours(doc);
  return d ? &d->state()->data : nullptr;
}

bool isClosed(const CadDocument& doc) {
  const Document* d = ours(doc);
  return d && d->state()->closed;
}

std::shared_ptr<CadEntity> entityAt(CadDocument& doc, std::size_t index) {
  const Document* d = ours(doc);
  if (!d || index >= d->state()->data.entities.size()) return nullptr;
  return std::make_shared<Entity>(d->state(), index);
}

std::shared_ptr<CadTextStyle> styleNamed(CadDocument& doc, const std::string& name) {
  const Document* d = ours(doc);
  if (!d) return nullptr;
  std::size_t index = 0;
  if (!findStyle(d->state()->data, name, &index)) return nullptr;
  return std::make_shared<Style>(d->state(), index);
}

std::shared_ptr<CadLayer> layerNamed(CadDocument& doc, const std::string& name) {
  const Document* d = ours(doc);
  if (!d) return nullptr;
  std::size_t index = 0;
  if (!findLayer(d->state()->data, name, &index)) return nullptr;
  return std::make_shared<Layer>(d->state(), index);
}

void setChangeObserver(CadDocument& doc, std::function<void()> observer) {
  if (const Document* d = ours(doc)) d->state()->observer = std::move(observer);
}

}  // namespace veskar::cad
