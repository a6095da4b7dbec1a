// The object model, as much of AutoCAD's as Veskar uses:
//
//   Application  Visible (get/put), Caption (get: the window title), ActiveDocument (get)
//   Document     Name, TextStyles, ModelSpace (get)
//   TextStyles   Add(name) → TextStyle (the existing one for a known name), Count
//   TextStyle    Name (get), FontFile, BigFontFile (get/put)
//   ModelSpace   AddText(text, point, height) → Text, AddLightWeightPolyline(vertices), Count
//   Text         TextString, InsertionPoint, Height, Color, ScaleFactor, StyleName, Rotation,
//                VerticalAlignment, HorizontalAlignment, TextAlignmentPoint (get/put)
//   LightWeightPolyline  Coordinates, Color (get/put)
//
// Values are checked as AutoCAD's ActiveX reference documents them: points are arrays of three
// doubles, vertex lists an even count of at least four, Height and ScaleFactor above 0, Color
// 0 (by block) to 256 (by layer), VerticalAlignment 0..3, HorizontalAlignment 0..5, a StyleName
// must name an existing style, and numbers must be finite. TextAlignmentPoint cannot be set
// while a text is aligned left on its baseline (both alignments 0); once set, the insertion
// point follows it (the server does not measure text, so both are the same point).
#include <cmath>
#include <memory>

#include "testcad.h"

namespace veskar::testcad {
namespace {

struct Style {
  std::wstring name, font, bigFont;
};

struct Drawing {
  std::vector<std::shared_ptr<Style>> styles{
      std::make_shared<Style>(Style{L"Standard", L"txt.shx", L""})};
  long entities = 0;

  std::shared_ptr<Style> Find(const std::wstring& name) const {
    for (const auto& style : styles) {
      if (CompareStringOrdinal(style->name.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) {
        return style;
      }
    }
    return nullptr;
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
  kTextAlignmentPoint
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
};

// ---- LightWeightPolyline ----

constexpr Member kPolylineMembers[] = {{L"Coordinates", 1, kProperty, 0},
                                       {L"Color", 2, kProperty, 0}};

class Polyline : public DispObject {
 public:
  explicit Polyline(std::vector<double> vertices)
      : DispObject("LightWeightPolyline", kPolylineMembers), vertices_(std::move(vertices)) {}

 protected:
  void Call(const Member& member, Access how, const Args& args, VARIANT* result) override {
    if (member.id == 1) {
      if (how == kPut)
        vertices_ = FiniteAll(args.Vertices(0), L"Coordinates");
      else
        SetDoubles(result, vertices_);
    } else {
      if (how == kPut)
        color_ = InRange(args.Integer(0), 0, 256, L"Color");
      else
        SetInteger(result, color_);
    }
  }

 private:
  std::vector<double> vertices_;
  long color_ = 256;
};

// ---- ModelSpace, Document, Application ----

constexpr Member kSpaceMembers[] = {{L"AddText", 1, kMethod, 3},
                                    {L"AddLightWeightPolyline", 2, kMethod, 1},
                                    {L"Count", 3, kGet, 0}};

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
    } else {
      entity = new Polyline(FiniteAll(args.Vertices(0), L"Vertices"));
    }
    ++drawing_->entities;
    Give(result, entity);
  }

 private:
  std::shared_ptr<Drawing> drawing_;
};

constexpr Member kDocumentMembers[] = {
    {L"Name", 1, kGet, 0}, {L"TextStyles", 2, kGet, 0}, {L"ModelSpace", 3, kGet, 0}};

class Document : public DispObject {
 public:
  Document() : DispObject("Document", kDocumentMembers) {}
  ~Document() override {
    styles_->Release();
    space_->Release();
  }

 protected:
  void Call(const Member& member, Access, const Args&, VARIANT* result) override {
    if (member.id == 1)
      SetText(result, kDrawingName);
    else
      SetObject(result, member.id == 2 ? styles_ : space_);
  }

 private:
  std::shared_ptr<Drawing> drawing_ = std::make_shared<Drawing>();
  DispObject* styles_ = new TextStyles(drawing_);
  DispObject* space_ = new ModelSpace(drawing_);
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
