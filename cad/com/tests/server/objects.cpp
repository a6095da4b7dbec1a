// The object model, as much of AutoCAD's as Veskar uses:
//
//   Application  Visible (get/put), Caption (get: the window title), ActiveDocument (get)
//   Document     Name, TextStyles, ModelSpace, Layers (get)
//   TextStyles   Add(name) → TextStyle (the existing one for a known name), Count
//   TextStyle    Name (get), FontFile, BigFontFile (get/put)
//   Layers       Add(name) → Layer (the existing one for a known name, any case), Count
//   Layer        Name (get); every drawing has the layer "0"
//   ModelSpace   AddText(text, point, height) → Text, AddLightWeightPolyline(vertices),
//                AddLine(start, end) → Line, Count
//   Text         TextString, InsertionPoint, Height, Color, ScaleFactor, StyleName, Rotation,
//                VerticalAlignment, HorizontalAlignment, TextAlignmentPoint, Layer (get/put)
//   LightWeightPolyline  Coordinates, Color, Layer, ConstantWidth, Closed (get/put)
//   Line         StartPoint, EndPoint, Color, Layer (get/put)
//
// Values are checked as AutoCAD's ActiveX reference documents them: points are arrays of three
// doubles, vertex lists an even count of at least four, Height and ScaleFactor above 0, Color
// 0 (by block) to 256 (by layer), VerticalAlignment 0..3, HorizontalAlignment 0..5,
// ConstantWidth not below 0, a StyleName must name an existing style and a Layer an existing
// layer ("Key not found" otherwise), a layer name must be a valid symbol name, and numbers
// must be finite. Scalars arrive as the type-library dispatch makes them: converted to the
// member's type (Layer a string, ConstantWidth a double, Closed a boolean), a type mismatch
// when they cannot be. TextAlignmentPoint cannot be set while a text is aligned left on its
// baseline (both alignments 0); once set, the insertion point follows it (the server does not
// measure text, so both are the same point).
#include <cmath>
#include <memory>

#include "testcad.h"

namespace veskar::testcad {
namespace {

struct Style {
  std::wstring name, font, bigFont;
};

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

struct Drawing {
  std::vector<std::shared_ptr<Style>> styles{
      std::make_shared<Style>(Style{L"Standard", L"txt.shx", L""})};
  std::vector<std::wstring> layers{L"0"};
  long entities = 0;

  std::shared_ptr<Style> Find(const std::wstring& name) const {
    for (const auto& style : styles) {
      if (SameName(style->name, name)) return style;
    }
    return nullptr;
  }
  // The position of the layer of that name (any case); layers.size() when there is none.
  std::size_t FindLayer(const std::wstring& name) const {
    std::size_t i = 0;
    while (i < layers.size() && !SameName(layers[i], name)) ++i;
    return i;
  }
  // The layer's name as the drawing spells it, for an entity put on it.
  std::wstring ExistingLayer(const std::wstring& name) const {
    const std::size_t i = FindLayer(name);
    if (i == layers.size()) Refuse(fault::kKey, L"layer \"" + name + L"\"");
    return layers[i];
  }
};

double Finite(double value, const wchar_t* what) {
  if (!std::isfinite(value))
    Refuse(fault::kInput, std::wstring(what) + L" must be a finite number");
  return value;
}

double Positive(double value, const wchar_t* what) {
  if (!(Finite(value, what) > 0))
    Refuse(fault::kInput, std::wstring(what) + L" must be greater than 0");
  return value;
}

long InRange(long value, long low, long high, const wchar_t* what) {
  if (value < low || value > high) {
    Refuse(fault::kInput, std::wstring(what) + L" must be " + std::to_wstring(low) + L" to " +
                              std::to_wstring(high));
  }
  return value;
}

double NotNegative(double value, const wchar_t* what) {
  if (!(Finite(value, what) >= 0))
    Refuse(fault::kInput, std::wstring(what) + L" must not be below 0");
  return value;
}

std::vector<double> FiniteAll(std::vector<double> values, const wchar_t* what) {
  for (double value : values) Finite(value, what);
  return values;
}

// Hands a new object to the caller: the result takes the creation's reference.
void Give(VARIANT* result, DispObject* object) {
  SetObject(result, object);
  object->Release();
}

// ---- TextStyle, TextStyles ----

constexpr Member kStyleMembers[] = {
    {L"Name", 1, kGet, 0}, {L"FontFile", 2, kGet | kPut, 0}, {L"BigFontFile", 3, kGet | kPut, 0}};

class TextStyle : public DispObject {
 public:
  explicit TextStyle(std::shared_ptr<Style> style)
      : DispObject("TextStyle", kStyleMembers), style_(std::move(style)) {}
  const std::wstring& StyleName() const { return style_->name; }

 protected:
  void Call(const Member& member, Access how, const Args& args, VARIANT* result) override {
    std::wstring* field = member.id == 2   ? &style_->font
                          : member.id == 3 ? &style_->bigFont
                                           : nullptr;
    if (how == kPut)
      *field = args.Text(0);
    else
      SetText(result, field ? *field : style_->name);
  }

 private:
  std::shared_ptr<Style> style_;
};

constexpr Member kStylesMembers[] = {{L"Add", 1, kMethod, 1}, {L"Count", 2, kGet, 0}};

class TextStyles : public DispObject {
 public:
  explicit TextStyles(std::shared_ptr<Drawing> drawing)
      : DispObject("TextStyles", kStylesMembers), drawing_(std::move(drawing)) {
    for (const auto& style : drawing_->styles) styles_.push_back(new TextStyle(style));
  }
  ~TextStyles() override {
    for (TextStyle* style : styles_) style->Release();
  }

 protected:
  void Call(const Member& member, Access, const Args& args, VARIANT* result) override {
    if (member.id == 2) return SetInteger(result, static_cast<long>(styles_.size()));
    std::wstring name = args.Text(0);
    if (name.empty()) Refuse(fault::kInput, L"a text style needs a name");
    std::shared_ptr<Style> style = drawing_->Find(name);
    for (TextStyle* object : styles_) {
      if (style && object->StyleName() == style->name) return SetObject(result, object);
    }
    drawing_->styles.push_back(std::make_shared<Style>(Style{name, L"", L""}));
    styles_.push_back(new TextStyle(drawing_->styles.back()));
    SetObject(result, styles_.back());
  }

 private:
  std::shared_ptr<Drawing> drawing_;
  std::vector<TextStyle*> styles_;
};

// ---- Layer, Layers ----

constexpr Member kLayerMembers[] = {{L"Name", 1, kGet, 0}};

class Layer : public DispObject {
 public:
  explicit Layer(std::wstring name) : DispObject("Layer", kLayerMembers), name_(std::move(name)) {}

 protected:
  void Call(const Member&, Access, const Args&, VARIANT* result) override {
    SetText(result, name_);
  }

 private:
  std::wstring name_;
};

constexpr Member kLayersMembers[] = {{L"Add", 1, kMethod, 1}, {L"Count", 2, kGet, 0}};

// Layer names as AutoCAD takes them: not empty, none of the characters symbol names cannot hold.
std::wstring LayerName(std::wstring name) {
  if (name.empty()) Refuse(fault::kInput, L"a layer needs a name");
  if (name.find_first_of(L"<>/\\\":;?*|=`") != std::wstring::npos)
    Refuse(fault::kInput, L"layer name \"" + name + L"\"");
  return name;
}

class Layers : public DispObject {
 public:
  explicit Layers(std::shared_ptr<Drawing> drawing)
      : DispObject("Layers", kLayersMembers), drawing_(std::move(drawing)) {
    for (const std::wstring& name : drawing_->layers) layers_.push_back(new Layer(name));
  }
  ~Layers() override {
    for (Layer* layer : layers_) layer->Release();
  }

 protected:
  void Call(const Member& member, Access, const Args& args, VARIANT* result) override {
    if (member.id == 2) return SetInteger(result, static_cast<long>(layers_.size()));
    std::wstring name = LayerName(args.Text(0));
    const std::size_t i = drawing_->FindLayer(name);
    if (i < layers_.size()) return SetObject(result, layers_[i]);
    drawing_->layers.push_back(name);
    layers_.push_back(new Layer(std::move(name)));
    SetObject(result, layers_.back());
  }

 private:
  std::shared_ptr<Drawing> drawing_;
  std::vector<Layer*> layers_;  // in the order of drawing_->layers
};

// ---- Text ----

enum TextMember : DISPID {
  kTextString = 1,
  kInsertionPoint,
  kHeight,
  kColor,
  kScaleFactor,
  kStyleName,
  kRotation,
  kVerticalAlignment,
  kHorizontalAlignment,
  kTextAlignmentPoint,
  kTextLayer
};
constexpr unsigned kProperty = kGet | kPut;
constexpr Member kTextMembers[] = {
    {L"TextString", kTextString, kProperty, 0},
    {L"InsertionPoint", kInsertionPoint, kProperty, 0},
    {L"Height", kHeight, kProperty, 0},
    {L"Color", kColor, kProperty, 0},
    {L"ScaleFactor", kScaleFactor, kProperty, 0},
    {L"StyleName", kStyleName, kProperty, 0},
    {L"Rotation", kRotation, kProperty, 0},
    {L"VerticalAlignment", kVerticalAlignment, kProperty, 0},
    {L"HorizontalAlignment", kHorizontalAlignment, kProperty, 0},
    {L"TextAlignmentPoint", kTextAlignmentPoint, kProperty, 0},
    {L"Layer", kTextLayer, kProperty, 0},
};

class Text : public DispObject {
 public:
  Text(std::shared_ptr<Drawing> drawing, std::wstring text, std::vector<double> point,
       double height)
      : DispObject("Text", kTextMembers),
        drawing_(std::move(drawing)),
        text_(std::move(text)),
        insertion_(std::move(point)),
        height_(height) {}

 protected:
  void Call(const Member& member, Access how, const Args& args, VARIANT* result) override {
    if (how == kPut)
      Put(member.id, args);
    else
      Get(member.id, result);
  }

 private:
  void Get(DISPID id, VARIANT* result) const {
    switch (id) {
      case kTextString:
        return SetText(result, text_);
      case kInsertionPoint:
        return SetDoubles(result, insertion_);
      case kHeight:
        return SetNumber(result, height_);
      case kColor:
        return SetInteger(result, color_);
      case kScaleFactor:
        return SetNumber(result, scale_);
      case kStyleName:
        return SetText(result, style_);
      case kRotation:
        return SetNumber(result, rotation_);
      case kVerticalAlignment:
        return SetInteger(result, vertical_);
      case kHorizontalAlignment:
        return SetInteger(result, horizontal_);
      case kTextLayer:
        return SetText(result, layer_);
      default:
        return SetDoubles(result, alignment_);
    }
  }

  void Put(DISPID id, const Args& args) {
    switch (id) {
      case kTextString:
        text_ = args.Text(0);
        break;
      case kInsertionPoint:
        insertion_ = FiniteAll(args.Point(0), L"InsertionPoint");
        break;
      case kHeight:
        height_ = Positive(args.Number(0), L"Height");
        break;
      case kColor:
        color_ = InRange(args.Integer(0), 0, 256, L"Color");
        break;
      case kScaleFactor:
        scale_ = Positive(args.Number(0), L"ScaleFactor");
        break;
      case kStyleName:
        style_ = ExistingStyle(args.Text(0));
        break;
      case kRotation:
        rotation_ = Finite(args.Number(0), L"Rotation");
        break;
      case kVerticalAlignment:
        Align(horizontal_, InRange(args.Integer(0), 0, 3, L"VerticalAlignment"));
        break;
      case kHorizontalAlignment:
        Align(InRange(args.Integer(0), 0, 5, L"HorizontalAlignment"), vertical_);
        break;
      case kTextLayer:
        layer_ = drawing_->ExistingLayer(args.Text(0));
        break;
      default:
        PutAlignmentPoint(FiniteAll(args.Point(0), L"TextAlignmentPoint"));
        break;
    }
  }

  std::wstring ExistingStyle(const std::wstring& name) const {
    std::shared_ptr<Style> style = drawing_->Find(name);
    if (!style) Refuse(fault::kKey, L"text style \"" + name + L"\"");
    return style->name;
  }

  bool LeftOnBaseline() const { return horizontal_ == 0 && vertical_ == 0; }

  // Leaving left/baseline puts the alignment point where the text is; coming back clears it.
  void Align(long horizontal, long vertical) {
    bool wasLeft = LeftOnBaseline();
    horizontal_ = horizontal;
    vertical_ = vertical;
    if (wasLeft && !LeftOnBaseline()) alignment_ = insertion_;
    if (LeftOnBaseline()) alignment_ = {0, 0, 0};
  }

  void PutAlignmentPoint(std::vector<double> point) {
    if (LeftOnBaseline()) {
      Refuse(fault::kNotApplicable, L"TextAlignmentPoint of a text aligned left on its baseline");
    }
    alignment_ = point;
    insertion_ = std::move(point);
  }

  std::shared_ptr<Drawing> drawing_;
  std::wstring text_;
  std::vector<double> insertion_;
  double height_;
  long color_ = 256;
  double scale_ = 1;
  std::wstring style_ = L"Standard";
  double rotation_ = 0;
  long vertical_ = 0, horizontal_ = 0;
  std::vector<double> alignment_{0, 0, 0};
  std::wstring layer_ = L"0";
};

// ---- LightWeightPolyline, Line ----

enum PolylineMember : DISPID {
  kCoordinates = 1,
  kPolylineColor,
  kPolylineLayer,
  kConstantWidth,
  kClosed
};
constexpr Member kPolylineMembers[] = {{L"Coordinates", kCoordinates, kProperty, 0},
                                       {L"Color", kPolylineColor, kProperty, 0},
                                       {L"Layer", kPolylineLayer, kProperty, 0},
                                       {L"ConstantWidth", kConstantWidth, kProperty, 0},
                                       {L"Closed", kClosed, kProperty, 0}};

class Polyline : public DispObject {
 public:
  Polyline(std::shared_ptr<Drawing> drawing, std::vector<double> vertices)
      : DispObject("LightWeightPolyline", kPolylineMembers),
        drawing_(std::move(drawing)),
        vertices_(std::move(vertices)) {}

 protected:
  void Call(const Member& member, Access how, const Args& args, VARIANT* result) override {
    if (how == kPut)
      Put(member.id, args);
    else
      Get(member.id, result);
  }

 private:
  void Get(DISPID id, VARIANT* result) const {
    switch (id) {
      case kCoordinates:
        return SetDoubles(result, vertices_);
      case kPolylineColor:
        return SetInteger(result, color_);
      case kPolylineLayer:
        return SetText(result, layer_);
      case kConstantWidth:
        return SetNumber(result, width_);
      default:
        return SetBoolean(result, closed_);
    }
  }

  void Put(DISPID id, const Args& args) {
    switch (id) {
      case kCoordinates:
        vertices_ = FiniteAll(args.Vertices(0), L"Coordinates");
        break;
      case kPolylineColor:
        color_ = InRange(args.Integer(0), 0, 256, L"Color");
        break;
      case kPolylineLayer:
        layer_ = drawing_->ExistingLayer(args.Text(0));
        break;
      case kConstantWidth:
        width_ = NotNegative(args.Number(0), L"ConstantWidth");
        break;
      default:
        closed_ = args.Boolean(0);
        break;
    }
  }

  std::shared_ptr<Drawing> drawing_;
  std::vector<double> vertices_;
  long color_ = 256;
  std::wstring layer_ = L"0";
  double width_ = 0;
  bool closed_ = false;
};

enum LineMember : DISPID { kStartPoint = 1, kEndPoint, kLineColor, kLineLayer };
constexpr Member kLineMembers[] = {{L"StartPoint", kStartPoint, kProperty, 0},
                                   {L"EndPoint", kEndPoint, kProperty, 0},
                                   {L"Color", kLineColor, kProperty, 0},
                                   {L"Layer", kLineLayer, kProperty, 0}};

class Line : public DispObject {
 public:
  Line(std::shared_ptr<Drawing> drawing, std::vector<double> start, std::vector<double> end)
      : DispObject("Line", kLineMembers),
        drawing_(std::move(drawing)),
        start_(std::move(start)),
        end_(std::move(end)) {}

 protected:
  void Call(const Member& member, Access how, const Args& args, VARIANT* result) override {
    if (how != kPut) {
      switch (member.id) {
        case kStartPoint:
          return SetDoubles(result, start_);
        case kEndPoint:
          return SetDoubles(result, end_);
        case kLineColor:
          return SetInteger(result, color_);
        default:
          return SetText(result, layer_);
      }
    }
    switch (member.id) {
      case kStartPoint:
        start_ = FiniteAll(args.Point(0), L"StartPoint");
        break;
      case kEndPoint:
        end_ = FiniteAll(args.Point(0), L"EndPoint");
        break;
      case kLineColor:
        color_ = InRange(args.Integer(0), 0, 256, L"Color");
        break;
      default:
        layer_ = drawing_->ExistingLayer(args.Text(0));
        break;
    }
  }

 private:
  std::shared_ptr<Drawing> drawing_;
  std::vector<double> start_, end_;
  long color_ = 256;
  std::wstring layer_ = L"0";
};

// ---- ModelSpace, Document, Application ----

constexpr Member kSpaceMembers[] = {{L"AddText", 1, kMethod, 3},
                                    {L"AddLightWeightPolyline", 2, kMethod, 1},
                                    {L"Count", 3, kGet, 0},
                                    {L"AddLine", 4, kMethod, 2}};

class ModelSpace : public DispObject {
 public:
  explicit ModelSpace(std::shared_ptr<Drawing> drawing)
      : DispObject("ModelSpace", kSpaceMembers), drawing_(std::move(drawing)) {}

 protected:
  void Call(const Member& member, Access, const Args& args, VARIANT* result) override {
    if (member.id == 3) return SetInteger(result, drawing_->entities);
    DispObject* entity = nullptr;
    if (member.id == 1) {
      std::wstring text = args.Text(0);
      std::vector<double> point = FiniteAll(args.Point(1), L"InsertionPoint");
      entity = new Text(drawing_, std::move(text), std::move(point),
                        Positive(args.Number(2), L"Height"));
    } else if (member.id == 4) {
      std::vector<double> start = FiniteAll(args.Point(0), L"StartPoint");
      entity = new Line(drawing_, std::move(start), FiniteAll(args.Point(1), L"EndPoint"));
    } else {
      entity = new Polyline(drawing_, FiniteAll(args.Vertices(0), L"Vertices"));
    }
    ++drawing_->entities;
    Give(result, entity);
  }

 private:
  std::shared_ptr<Drawing> drawing_;
};

constexpr Member kDocumentMembers[] = {{L"Name", 1, kGet, 0},
                                       {L"TextStyles", 2, kGet, 0},
                                       {L"ModelSpace", 3, kGet, 0},
                                       {L"Layers", 4, kGet, 0}};

class Document : public DispObject {
 public:
  Document() : DispObject("Document", kDocumentMembers) {}
  ~Document() override {
    styles_->Release();
    space_->Release();
    layers_->Release();
  }

 protected:
  void Call(const Member& member, Access, const Args&, VARIANT* result) override {
    if (member.id == 1)
      SetText(result, kDrawingName);
    else
      SetObject(result, member.id == 2 ? styles_ : member.id == 3 ? space_ : layers_);
  }

 private:
  std::shared_ptr<Drawing> drawing_ = std::make_shared<Drawing>();
  DispObject* styles_ = new TextStyles(drawing_);
  DispObject* space_ = new ModelSpace(drawing_);
  DispObject* layers_ = new Layers(drawing_);
};

constexpr Member kApplicationMembers[] = {
    {L"Visible", 1, kGet | kPut, 0}, {L"Caption", 2, kGet, 0}, {L"ActiveDocument", 3, kGet, 0}};

class Application : public DispObject {
 public:
  Application() : DispObject("Application", kApplicationMembers) {}
  ~Application() override {
    if (document_) document_->Release();
  }

 protected:
  void Call(const Member& member, Access how, const Args& args, VARIANT* result) override {
    HWND window = TheServer().window;
    if (member.id == 1 && how == kPut) {
      ShowWindow(window, args.Boolean(0) ? SW_SHOW : SW_HIDE);
    } else if (member.id == 1) {
      SetBoolean(result, IsWindowVisible(window) != FALSE);
    } else if (member.id == 2) {
      wchar_t title[256] = L"";
      GetWindowTextW(window, title, 256);
      SetText(result, title);
    } else {
      if (!document_) Refuse(fault::kNoDocument);
      SetObject(result, document_);
    }
  }

 private:
  DispObject* document_ = TheServer().config.noDocument ? nullptr : new Document();
};

}  // namespace

DispObject* NewApplication() { return new Application(); }

}  // namespace veskar::testcad
