// The in-process drawing: automation objects over a DrawingData held in this process.
//
// Every object keeps the document's state alive and finds its data by position (entities and
// styles are never removed, so positions are stable). A setter validates and converts the
// value completely before it touches the drawing: a refused value leaves everything as it was.
// Member names are matched without regard to case, as late-bound automation does.
#include "cad/inprocess.h"

#include <QFileInfo>
#include <cmath>

#include "cad/dxf.h"

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
      throw CadError(errc::NoDocument, QStringLiteral("The drawing \"%1\" has been closed.").arg(data.name));
  }
};

bool is(const QString& property, const char* name) {
  return property.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

[[noreturn]] void unknown(const QString& property, const char* object) {
  throw CadError(errc::UnknownName,
                 QStringLiteral("%1 has no property named \"%2\".").arg(QLatin1String(object), property));
}

[[noreturn]] void readOnly(const QString& property, const char* object) {
  throw CadError(errc::ReadOnly,
                 QStringLiteral("The property %1 of %2 cannot be changed.").arg(property, QLatin1String(object)));
}

[[noreturn]] void invalid(const QString& message) { throw CadError(errc::InvalidArg, message); }

QVariant pointValue(const std::array<double, 3>& p) { return QVariant::fromValue(QList<double>{p[0], p[1], p[2]}); }

std::array<double, 3> checkedPoint(const QList<double>& p, const char* what) {
  if (p.size() != 3)
    invalid(QStringLiteral("%1 must be a point of three numbers (x, y, z); %2 were given.")
                .arg(QLatin1String(what))
                .arg(p.size()));
  for (double c : p) {
    if (!std::isfinite(c))
      invalid(QStringLiteral("%1 must be a point of finite coordinates.").arg(QLatin1String(what)));
  }
  return {p[0], p[1], p[2]};
}

std::vector<double> checkedVertices(const QList<double>& v, const char* what) {
  if (v.size() % 2 != 0)
    invalid(QStringLiteral("%1 must hold x and y of every vertex; an odd number of coordinates (%2) was given.")
                .arg(QLatin1String(what))
                .arg(v.size()));
  if (v.size() < 4)
    invalid(QStringLiteral("A polyline needs at least two vertices; %1 was given.").arg(v.size() / 2));
  for (double c : v) {
    if (!std::isfinite(c)) invalid(QStringLiteral("%1 must be finite numbers.").arg(QLatin1String(what)));
  }
  return std::vector<double>(v.begin(), v.end());
}

QString checkedTextString(const QVariant& value) {
  QString s = toText(value, "TextString");
  for (QChar c : s) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
      invalid(QStringLiteral("A single-line text cannot hold line breaks or other control characters."));
  }
  return s;
}

double checkedPositive(const QVariant& value, const char* what) {
  const double d = toDouble(value, what);
  if (!std::isfinite(d) || d <= 0)
    invalid(QStringLiteral("%1 must be a number greater than zero.").arg(QLatin1String(what)));
  return d;
}

double checkedFinite(const QVariant& value, const char* what) {
  const double d = toDouble(value, what);
  if (!std::isfinite(d)) invalid(QStringLiteral("%1 must be a finite number.").arg(QLatin1String(what)));
  return d;
}

int checkedCode(const QVariant& value, const char* what, int low, int high, const char* meaning) {
  const int n = toInt16(value, what);
  if (n < low || n > high)
    invalid(QStringLiteral("%1 must be %2 to %3 (%4); %5 was given.")
                .arg(QLatin1String(what))
                .arg(low)
                .arg(high)
                .arg(QLatin1String(meaning))
                .arg(n));
  return n;
}

int checkedColor(const QVariant& value) {
  return checkedCode(value, "Color", 0, 256, "an AutoCAD Color Index, 0 by block, 256 by layer");
}

// Symbol names as CAD applications accept them: not empty, none of the reserved characters.
void checkSymbolName(const QString& name, const char* what) {
  if (name.trimmed().isEmpty()) invalid(QStringLiteral("The %1 name must not be empty.").arg(QLatin1String(what)));
  static const QString reserved = QStringLiteral("<>/\\\":;?*|=`");
  for (QChar c : name) {
    if (reserved.contains(c) || c.unicode() < 0x20)
      invalid(QStringLiteral("The %1 name \"%2\" holds a character that names cannot hold.").arg(QLatin1String(what), name));
  }
  if (name.size() > 255) invalid(QStringLiteral("The %1 name is longer than 255 characters.").arg(QLatin1String(what)));
}

const TextStyleData* findStyle(const DrawingData& d, const QString& name, std::size_t* index = nullptr) {
  for (std::size_t i = 0; i < d.styles.size(); ++i) {
    if (d.styles[i].name.compare(name, Qt::CaseInsensitive) == 0) {
      if (index) *index = i;
      return &d.styles[i];
    }
  }
  return nullptr;
}

class Style final : public CadTextStyle {
 public:
  Style(std::shared_ptr<DocState> st, std::size_t index) : st_(std::move(st)), index_(index) {}

  QVariant Get(const QString& property) override {
    st_->checkOpen();
    const TextStyleData& s = st_->data.styles[index_];
    if (is(property, "Name")) return s.name;
    if (is(property, "fontFile")) return s.fontFile;
    if (is(property, "BigFontFile")) return s.bigFontFile;
    unknown(property, "A text style");
  }

  void Put(const QString& property, const QVariant& value) override {
    st_->checkOpen();
    TextStyleData& s = st_->data.styles[index_];
    if (is(property, "Name")) readOnly(property, "a text style");
    if (is(property, "fontFile")) {
      s.fontFile = toText(value, "fontFile");
    } else if (is(property, "BigFontFile")) {
      s.bigFontFile = toText(value, "BigFontFile");
    } else {
      unknown(property, "A text style");
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

  QVariant Get(const QString& property) override {
    st_->checkOpen();
    EntityData& e = st_->data.entities[index_];
    if (auto* t = std::get_if<TextData>(&e)) return getText(*t, property);
    return getPolyline(std::get<PolylineData>(e), property);
  }

  void Put(const QString& property, const QVariant& value) override {
    st_->checkOpen();
    EntityData& e = st_->data.entities[index_];
    if (auto* t = std::get_if<TextData>(&e)) {
      putText(*t, property, value);
    } else {
      putPolyline(std::get<PolylineData>(e), property, value);
    }
    st_->changed();
  }

 private:
  static QVariant getText(const TextData& t, const QString& p) {
    if (is(p, "TextString")) return t.string;
    if (is(p, "InsertionPoint")) return pointValue(t.insertionPoint);
    if (is(p, "Height")) return t.height;
    if (is(p, "Color")) return t.color;
    if (is(p, "ScaleFactor")) return t.widthFactor;
    if (is(p, "StyleName")) return t.styleName;
    if (is(p, "Rotation")) return t.rotation;
    if (is(p, "VerticalAlignment")) return t.verticalAlignment;
    if (is(p, "HorizontalAlignment")) return t.horizontalAlignment;
    if (is(p, "TextAlignmentPoint")) return pointValue(t.alignmentPoint);
    unknown(p, "A text");
  }

  void putText(TextData& t, const QString& p, const QVariant& v) {
    if (is(p, "TextString")) {
      t.string = checkedTextString(v);
    } else if (is(p, "InsertionPoint")) {
      t.insertionPoint = checkedPoint(toDoubleArray(v, "InsertionPoint"), "InsertionPoint");
    } else if (is(p, "Height")) {
      t.height = checkedPositive(v, "Height");
    } else if (is(p, "Color")) {
      t.color = checkedColor(v);
    } else if (is(p, "ScaleFactor")) {
      t.widthFactor = checkedPositive(v, "ScaleFactor");
    } else if (is(p, "StyleName")) {
      const QString name = toText(v, "StyleName");
      const TextStyleData* style = findStyle(st_->data, name);
      if (!style)
        throw CadError(errc::NotFound, QStringLiteral("The drawing has no text style named \"%1\".").arg(name));
      t.styleName = style->name;
    } else if (is(p, "Rotation")) {
      t.rotation = checkedFinite(v, "Rotation");
    } else if (is(p, "VerticalAlignment")) {
      t.verticalAlignment = checkedCode(v, "VerticalAlignment", 0, 3, "0 baseline, 1 bottom, 2 middle, 3 top");
    } else if (is(p, "HorizontalAlignment")) {
      t.horizontalAlignment = checkedCode(v, "HorizontalAlignment", 0, 5,
                                          "0 left, 1 center, 2 right, 3 aligned, 4 middle, 5 fit");
    } else if (is(p, "TextAlignmentPoint")) {
      t.alignmentPoint = checkedPoint(toDoubleArray(v, "TextAlignmentPoint"), "TextAlignmentPoint");
    } else {
      unknown(p, "A text");
    }
  }

  static QVariant getPolyline(const PolylineData& l, const QString& p) {
    if (is(p, "Coordinates")) return QVariant::fromValue(QList<double>(l.coordinates.begin(), l.coordinates.end()));
    if (is(p, "Color")) return l.color;
    unknown(p, "A polyline");
  }

  static void putPolyline(PolylineData& l, const QString& p, const QVariant& v) {
    if (is(p, "Coordinates")) {
      l.coordinates = checkedVertices(toDoubleArray(v, "Coordinates"), "Coordinates");
    } else if (is(p, "Color")) {
      l.color = checkedColor(v);
    } else {
      unknown(p, "A polyline");
    }
  }

  std::shared_ptr<DocState> st_;
  std::size_t index_;
};

class Styles final : public CadTextStyles {
 public:
  explicit Styles(std::shared_ptr<DocState> st) : st_(std::move(st)) {}

  QVariant Get(const QString& property) override {
    st_->checkOpen();
    if (is(property, "Count")) return static_cast<int>(st_->data.styles.size());
    unknown(property, "The text style collection");
  }
  void Put(const QString& property, const QVariant&) override {
    st_->checkOpen();
    if (is(property, "Count")) readOnly(property, "the text style collection");
    unknown(property, "The text style collection");
  }

  std::shared_ptr<CadTextStyle> Add(const QString& name) override {
    st_->checkOpen();
    std::size_t index = 0;
    if (findStyle(st_->data, name, &index)) return std::make_shared<Style>(st_, index);
    checkSymbolName(name, "text style");
    st_->data.styles.push_back(TextStyleData{name, {}, {}});
    st_->changed();
    return std::make_shared<Style>(st_, st_->data.styles.size() - 1);
  }

 private:
  std::shared_ptr<DocState> st_;
};

class ModelSpace final : public CadModelSpace {
 public:
  explicit ModelSpace(std::shared_ptr<DocState> st) : st_(std::move(st)) {}

  QVariant Get(const QString& property) override {
    st_->checkOpen();
    if (is(property, "Count")) return static_cast<int>(st_->data.entities.size());
    unknown(property, "Model space");
  }
  void Put(const QString& property, const QVariant&) override {
    st_->checkOpen();
    if (is(property, "Count")) readOnly(property, "model space");
    unknown(property, "Model space");
  }

  std::shared_ptr<CadEntity> AddText(const QVariant& text, const QList<double>& point,
                                     const QVariant& height) override {
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

  std::shared_ptr<CadEntity> AddLightWeightPolyline(const QList<double>& vertices) override {
    st_->checkOpen();
    PolylineData l;
    l.coordinates = checkedVertices(vertices, "The vertices");
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
  explicit Document(const QString& name) : st_(std::make_shared<DocState>()) {
    st_->data.name = name;
    st_->data.styles.push_back(TextStyleData{QStringLiteral("Standard"), QStringLiteral("txt"), {}});
  }

  QVariant Get(const QString& property) override {
    st_->checkOpen();
    if (is(property, "Name")) return st_->data.name;
    unknown(property, "A drawing");
  }
  void Put(const QString& property, const QVariant&) override {
    st_->checkOpen();
    if (is(property, "Name")) readOnly(property, "a drawing");
    unknown(property, "A drawing");
  }

  std::shared_ptr<CadTextStyles> TextStyles() override {
    st_->checkOpen();
    return std::make_shared<Styles>(st_);
  }
  std::shared_ptr<CadModelSpace> ModelSpace() override {
    st_->checkOpen();
    return std::make_shared<class ModelSpace>(st_);
  }

  void SaveAs(const QString& path) override {
    st_->checkOpen();
    writeDxf(st_->data, path);
    // As in CAD applications, the drawing is now known by the file it was saved to.
    st_->data.name = QFileInfo(path).fileName();
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
  explicit Application(const QString& drawingName) : doc_(std::make_shared<Document>(drawingName)) {}

  QVariant Get(const QString& property) override {
    if (is(property, "Visible")) return visible_;
    if (is(property, "Caption")) {
      if (doc_->state()->closed) return QStringLiteral("Veskar CAD");
      return QStringLiteral("%1 - Veskar CAD").arg(doc_->state()->data.name);
    }
    unknown(property, "The application");
  }

  void Put(const QString& property, const QVariant& value) override {
    if (is(property, "Visible")) {
      visible_ = toBool(value, "Visible");
      return;
    }
    if (is(property, "Caption")) readOnly(property, "the application");
    unknown(property, "The application");
  }

  std::shared_ptr<CadDocument> ActiveDocument() override {
    if (doc_->state()->closed) throw CadError(errc::NoDocument, QStringLiteral("No drawing is open."));
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

std::shared_ptr<CadApplication> makeInProcessApplication(const QString& drawingName) {
  return std::make_shared<Application>(drawingName);
}

std::shared_ptr<CadDocument> makeInProcessDocument(const QString& drawingName) {
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

std::shared_ptr<CadTextStyle> styleNamed(CadDocument& doc, const QString& name) {
  const Document* d = ours(doc);
  if (!d) return nullptr;
  std::size_t index = 0;
  if (!findStyle(d->state()->data, name, &index)) return nullptr;
  return std::make_shared<Style>(d->state(), index);
}

void setChangeObserver(CadDocument& doc, std::function<void()> observer) {
  if (const Document* d = ours(doc)) d->state()->observer = std::move(observer);
}

}  // namespace veskar::cad
