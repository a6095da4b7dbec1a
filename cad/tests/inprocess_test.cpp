// The in-process drawing: what the graticule's Draw command does through it, and every refused
// value leaving the drawing exactly as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cad/inprocess.h"

namespace veskar::cad {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kHalfPi = 3.14159265358979 / 2;

// Every field of the drawing, doubles bit-exact, so that "unchanged" means unchanged.
std::string dump(const DrawingData& d) {
  std::string s = "name=" + d.name + "\n";
  auto num = [](double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%a ", x);
    return std::string(buf);
  };
  for (const TextStyleData& st : d.styles)
    s += "style " + st.name + "|" + st.fontFile + "|" + st.bigFontFile + "\n";
  for (const LayerData& l : d.layers) s += "layer " + l.name + "\n";
  for (const EntityData& e : d.entities) {
    if (const auto* t = std::get_if<TextData>(&e)) {
      s += "text " + t->string + "|" + t->styleName + "|";
      for (double x : t->insertionPoint) s += num(x);
      s += num(t->height) + std::to_string(t->color) + " " + num(t->widthFactor) + num(t->rotation) +
           std::to_string(t->horizontalAlignment) + " " + std::to_string(t->verticalAlignment) + " ";
      for (double x : t->alignmentPoint) s += num(x);
      s += t->layer;
    } else if (const auto* l = std::get_if<PolylineData>(&e)) {
      s += "polyline " + std::to_string(l->color) + " " + l->layer + " " + num(l->constantWidth) +
           std::to_string(l->closed) + " ";
      for (double x : l->coordinates) s += num(x);
    } else {
      const auto& ln = std::get<LineData>(e);
      s += "line " + std::to_string(ln.color) + " " + ln.layer + " ";
      for (double x : ln.start) s += num(x);
      for (double x : ln.end) s += num(x);
    }
    s += "\n";
  }
  return s;
}

template <typename F>
std::int32_t errorOf(F f) {
  try {
    f();
  } catch (const CadError& e) {
    EXPECT_FALSE(e.description().empty());
    return e.number();
  }
  return 0;
}

Variant points(std::vector<double> p) { return p; }
Variant i2(int v) { return static_cast<std::int16_t>(v); }
Variant i4(int v) { return static_cast<std::int32_t>(v); }
Variant text(const char* s) { return std::string(s); }
std::vector<double> array(const Variant& v) { return std::get<std::vector<double>>(v); }

struct Fixture : ::testing::Test {
  std::shared_ptr<CadApplication> app = makeInProcessApplication();
  std::shared_ptr<CadDocument> doc = app->ActiveDocument();
  const DrawingData& data = *drawingOf(*doc);
  int changes = 0;

  void SetUp() override { setChangeObserver(*doc, [this] { ++changes; }); }

  // One label as the Draw command makes it.
  std::shared_ptr<CadEntity> label(const std::string& string, double x, double y, const Variant& rotation) {
    app->ActiveDocument()->TextStyles()->Add("ksev");
    auto t = app->ActiveDocument()->ModelSpace()->AddText(string, {x, y, 0}, i2(1000));
    t->Put("Color", i2(1));
    t->Put("ScaleFactor", 0.7);
    t->Put("StyleName", text("ksev"));
    t->Put("Rotation", rotation);
    t->Put("VerticalAlignment", i2(1));
    t->Put("HorizontalAlignment", i2(0));
    t->Put("TextAlignmentPoint", points({x, y, 0}));
    return t;
  }
};

TEST_F(Fixture, ApplicationStartsHiddenWithOneDrawing) {
  EXPECT_EQ(app->Get("Visible"), Variant(false));
  EXPECT_EQ(app->Get("Caption"), text("Drawing1.dxf - Veskar CAD"));
  EXPECT_EQ(doc->Get("Name"), text("Drawing1.dxf"));
  app->Put("Visible", true);
  EXPECT_EQ(app->Get("visible"), Variant(true));
  app->Put("Visible", i2(0));
  EXPECT_EQ(app->Get("Visible"), Variant(false));
  ASSERT_EQ(data.styles.size(), 1u);
  EXPECT_EQ(data.styles[0].name, "Standard");
  EXPECT_EQ(app->ActiveDocument(), doc);
}

TEST_F(Fixture, DrawCommandSequenceMakesTheDrawing) {
  auto style = doc->TextStyles()->Add("ksev");
  style->Put("fontFile", text("fsdb_e.shx"));
  style->Put("BigFontFile", text("fsdb.shx"));
  label("118°30′", 39500000.25, 3250000.5, kHalfPi);
  label("29°20′", 39500000.25, 3250000.5, i2(0));
  auto line = app->ActiveDocument()->ModelSpace()->AddLightWeightPolyline({1, 2, 3, 4, 5, 6});
  line->Put("Color", i2(6));

  ASSERT_EQ(data.styles.size(), 2u);
  EXPECT_EQ(data.styles[1].name, "ksev");
  EXPECT_EQ(data.styles[1].fontFile, "fsdb_e.shx");
  EXPECT_EQ(data.styles[1].bigFontFile, "fsdb.shx");
  ASSERT_EQ(data.entities.size(), 3u);
  const auto& lon = std::get<TextData>(data.entities[0]);
  EXPECT_EQ(lon.string, "118°30′");
  EXPECT_EQ(lon.insertionPoint, (std::array<double, 3>{39500000.25, 3250000.5, 0}));
  EXPECT_EQ(lon.height, 1000.0);
  EXPECT_EQ(lon.color, 1);
  EXPECT_EQ(lon.widthFactor, 0.7);
  EXPECT_EQ(lon.styleName, "ksev");
  EXPECT_EQ(lon.rotation, kHalfPi);
  EXPECT_EQ(lon.verticalAlignment, 1);
  EXPECT_EQ(lon.horizontalAlignment, 0);
  EXPECT_EQ(lon.alignmentPoint, (std::array<double, 3>{39500000.25, 3250000.5, 0}));
  const auto& lat = std::get<TextData>(data.entities[1]);
  EXPECT_EQ(lat.string, "29°20′");
  EXPECT_EQ(lat.rotation, 0.0);
  const auto& pl = std::get<PolylineData>(data.entities[2]);
  EXPECT_EQ(pl.coordinates, (std::vector<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(pl.color, 6);

  EXPECT_EQ(doc->ModelSpace()->Get("Count"), i4(3));
  EXPECT_EQ(app->EntitiesAdded(), 3u);
  // style added, two font files, 2 x (text + 7 properties), polyline + colour
  EXPECT_EQ(changes, 1 + 2 + 16 + 2);
}

TEST_F(Fixture, EntitiesReadBackWhatWasSet) {
  auto t = label("x", 10.5, -20.25, kHalfPi);
  EXPECT_EQ(t->Get("TextString"), text("x"));
  EXPECT_EQ(array(t->Get("InsertionPoint")), (std::vector<double>{10.5, -20.25, 0}));
  EXPECT_EQ(t->Get("Height"), Variant(1000.0));
  EXPECT_EQ(t->Get("Color"), i4(1));
  EXPECT_EQ(t->Get("ScaleFactor"), Variant(0.7));
  EXPECT_EQ(t->Get("StyleName"), text("ksev"));
  EXPECT_EQ(t->Get("Rotation"), Variant(kHalfPi));
  EXPECT_EQ(t->Get("VerticalAlignment"), i4(1));
  EXPECT_EQ(t->Get("HorizontalAlignment"), i4(0));
  EXPECT_EQ(array(t->Get("textalignmentpoint")), (std::vector<double>{10.5, -20.25, 0}));
  auto l = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 1, 1});
  EXPECT_EQ(array(l->Get("Coordinates")), (std::vector<double>{0, 0, 1, 1}));
  EXPECT_EQ(l->Get("Color"), i4(256));
  l->Put("Coordinates", points({1, 2, 3, 4}));
  EXPECT_EQ(array(l->Get("Coordinates")), (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(entityAt(*doc, 1)->Get("Color"), i4(256));
  EXPECT_EQ(entityAt(*doc, 2), nullptr);
}

TEST_F(Fixture, StyleNameTakesTheStylesOwnSpelling) {
  auto t = label("x", 0, 0, 0.0);
  t->Put("StyleName", text("standard"));
  EXPECT_EQ(t->Get("StyleName"), text("Standard"));
  t->Put("StyleName", text("KSEV"));
  EXPECT_EQ(t->Get("StyleName"), text("ksev"));
}

TEST_F(Fixture, AddingAnExistingStyleReturnsIt) {
  auto first = doc->TextStyles()->Add("ksev");
  first->Put("fontFile", text("fsdb_e.shx"));
  const int before = changes;
  auto again = doc->TextStyles()->Add("ksev");
  auto upper = doc->TextStyles()->Add("KSEV");
  EXPECT_EQ(again->Get("fontFile"), text("fsdb_e.shx"));
  EXPECT_EQ(upper->Get("Name"), text("ksev"));
  EXPECT_EQ(doc->TextStyles()->Get("Count"), i4(2));
  EXPECT_EQ(changes, before);
  EXPECT_EQ(styleNamed(*doc, "Ksev")->Get("fontFile"), text("fsdb_e.shx"));
  EXPECT_EQ(styleNamed(*doc, "none"), nullptr);
}

struct RefusedPut {
  const char* property;
  Variant value;
  std::int32_t error;
};

TEST_F(Fixture, RefusedTextValuesLeaveTheDrawingUnchanged) {
  doc->TextStyles()->Add("ksev");
  auto t = label("29", 1, 2, 0.0);
  doc->ModelSpace()->AddLightWeightPolyline({0, 0, 1, 1});
  const RefusedPut rows[] = {
      {"StyleName", text("nosuch"), errc::NotFound},
      {"StyleName", Variant(std::vector<double>{}), errc::TypeMismatch},
      {"Color", 257, errc::InvalidArg},
      {"Color", -1, errc::InvalidArg},
      {"Color", 40000, errc::Overflow},
      {"Color", text("red"), errc::TypeMismatch},
      {"VerticalAlignment", 4, errc::InvalidArg},
      {"VerticalAlignment", -1, errc::InvalidArg},
      {"HorizontalAlignment", 6, errc::InvalidArg},
      {"HorizontalAlignment", 1e9, errc::Overflow},
      {"Height", 0, errc::InvalidArg},
      {"Height", -1000, errc::InvalidArg},
      {"Height", kNaN, errc::InvalidArg},
      {"Height", kInf, errc::InvalidArg},
      {"Height", text("tall"), errc::TypeMismatch},
      {"ScaleFactor", 0.0, errc::InvalidArg},
      {"Rotation", kInf, errc::InvalidArg},
      {"Rotation", Variant{}, errc::TypeMismatch},
      {"InsertionPoint", points({1, 2}), errc::InvalidArg},
      {"InsertionPoint", points({1, kNaN, 0}), errc::InvalidArg},
      {"InsertionPoint", 5.0, errc::TypeMismatch},
      {"TextAlignmentPoint", points({kInf, 0, 0}), errc::InvalidArg},
      {"TextAlignmentPoint", points({0, 0, 0, 0}), errc::InvalidArg},
      {"TextString", text("a\nb"), errc::InvalidArg},
      {"TextString", Variant{}, errc::TypeMismatch},
      {"Coordinates", points({0, 0, 1, 1}), errc::UnknownName},
      {"Layer", text("nosuch"), errc::NotFound},
      {"Lineweight", 1, errc::UnknownName},
  };
  const std::string before = dump(data);
  const int changesBefore = changes;
  for (const RefusedPut& r : rows) {
    EXPECT_EQ(errorOf([&] { t->Put(r.property, r.value); }), r.error) << r.property << " " << typeName(r.value);
    EXPECT_EQ(dump(data), before) << r.property;
  }
  EXPECT_EQ(changes, changesBefore);
}

TEST_F(Fixture, RefusedPolylineValuesLeaveTheDrawingUnchanged) {
  auto l = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 1, 1});
  const RefusedPut rows[] = {
      {"Coordinates", points({1, 2}), errc::InvalidArg},
      {"Coordinates", points({}), errc::InvalidArg},
      {"Coordinates", points({1, 2, 3}), errc::InvalidArg},
      {"Coordinates", points({1, 2, 3, 4, 5}), errc::InvalidArg},
      {"Coordinates", points({0, 0, kNaN, 1}), errc::InvalidArg},
      {"Coordinates", points({0, 0, 1, -kInf}), errc::InvalidArg},
      {"Coordinates", text("0 0 1 1"), errc::TypeMismatch},
      {"Color", 300, errc::InvalidArg},
      {"Color", 2.5e6, errc::Overflow},
      {"Height", 1.0, errc::UnknownName},
      {"ConstantWidth", -0.5, errc::InvalidArg},
      {"ConstantWidth", kInf, errc::InvalidArg},
      {"Closed", text("yes"), errc::TypeMismatch},
      {"Layer", text("图廓"), errc::NotFound},
  };
  const std::string before = dump(data);
  for (const RefusedPut& r : rows) {
    EXPECT_EQ(errorOf([&] { l->Put(r.property, r.value); }), r.error) << r.property;
    EXPECT_EQ(dump(data), before) << r.property;
  }
}

TEST_F(Fixture, LayersAreMadeOnceAndEntitiesGoOnlyOnLayersThatExist) {
  auto layers = doc->Layers();
  EXPECT_EQ(layers->Get("Count"), Variant(i4(1)));
  EXPECT_EQ(layers->Add("图廓")->Get("Name"), Variant(text("图廓")));
  EXPECT_EQ(layers->Add("Grid")->Get("Name"), Variant(text("Grid")));
  EXPECT_EQ(layers->Add("GRID")->Get("Name"), Variant(text("Grid")));  // the existing one
  EXPECT_EQ(layers->Get("Count"), Variant(i4(3)));
  EXPECT_EQ(errorOf([&] { layers->Add("a/b"); }), errc::InvalidArg);
  EXPECT_EQ(errorOf([&] { layers->Add(" "); }), errc::InvalidArg);
  EXPECT_EQ(layers->Get("Count"), Variant(i4(3)));

  auto line = doc->ModelSpace()->AddLine({0, 0, 0}, {1, 2, 0});
  EXPECT_EQ(line->Get("Layer"), Variant(text("0")));
  line->Put("Layer", text("grid"));
  EXPECT_EQ(line->Get("Layer"), Variant(text("Grid")));
  line->Put("EndPoint", points({3, 4, 0}));
  EXPECT_EQ(array(line->Get("EndPoint")), (std::vector<double>{3, 4, 0}));
  const std::string before = dump(data);
  EXPECT_EQ(errorOf([&] { line->Put("Layer", text("nosuch")); }), errc::NotFound);
  EXPECT_EQ(errorOf([&] { line->Put("StartPoint", points({0, 0})); }), errc::InvalidArg);
  EXPECT_EQ(errorOf([&] { doc->ModelSpace()->AddLine({0, 0, kNaN}, {1, 1, 0}); }), errc::InvalidArg);
  EXPECT_EQ(dump(data), before);
}

TEST_F(Fixture, RefusedAdditionsAddNothing) {
  auto ms = doc->ModelSpace();
  struct Row {
    const char* label;
    std::function<void()> call;
    std::int32_t error;
  };
  const Row rows[] = {
      {"one vertex", [&] { ms->AddLightWeightPolyline({1, 2}); }, errc::InvalidArg},
      {"no vertex", [&] { ms->AddLightWeightPolyline({}); }, errc::InvalidArg},
      {"odd count", [&] { ms->AddLightWeightPolyline({1, 2, 3, 4, 5}); }, errc::InvalidArg},
      {"NaN vertex", [&] { ms->AddLightWeightPolyline({1, 2, kNaN, 4}); }, errc::InvalidArg},
      {"text height 0", [&] { ms->AddText(text("a"), {0, 0, 0}, 0); }, errc::InvalidArg},
      {"text height text", [&] { ms->AddText(text("a"), {0, 0, 0}, text("x")); }, errc::TypeMismatch},
      {"text point 2", [&] { ms->AddText(text("a"), {0, 0}, 1); }, errc::InvalidArg},
      {"text point NaN", [&] { ms->AddText(text("a"), {0, kNaN, 0}, 1); }, errc::InvalidArg},
      {"text not text", [&] { ms->AddText(Variant(std::vector<double>{}), {0, 0, 0}, 1); }, errc::TypeMismatch},
      {"text control", [&] { ms->AddText(text("a\tb"), {0, 0, 0}, 1); }, errc::InvalidArg},
      {"style empty", [&] { doc->TextStyles()->Add(""); }, errc::InvalidArg},
      {"style reserved", [&] { doc->TextStyles()->Add("a*b"); }, errc::InvalidArg},
  };
  const std::string before = dump(data);
  for (const Row& r : rows) {
    EXPECT_EQ(errorOf(r.call), r.error) << r.label;
    EXPECT_EQ(dump(data), before) << r.label;
  }
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(app->EntitiesAdded(), 0u);
}

TEST_F(Fixture, ReadOnlyAndUnknownProperties) {
  EXPECT_EQ(errorOf([&] { app->Put("Caption", text("x")); }), errc::ReadOnly);
  EXPECT_EQ(errorOf([&] { app->Get("Nonesuch"); }), errc::UnknownName);
  EXPECT_EQ(errorOf([&] { app->Put("Visible", text("maybe")); }), errc::TypeMismatch);
  EXPECT_EQ(app->Get("Visible"), Variant(false));
  EXPECT_EQ(errorOf([&] { doc->Put("Name", text("x")); }), errc::ReadOnly);
  EXPECT_EQ(errorOf([&] { doc->ModelSpace()->Put("Count", 3); }), errc::ReadOnly);
  auto style = doc->TextStyles()->Add("ksev");
  EXPECT_EQ(errorOf([&] { style->Put("Name", text("other")); }), errc::ReadOnly);
  EXPECT_EQ(errorOf([&] { style->Put("Height", 2.0); }), errc::UnknownName);
  EXPECT_EQ(errorOf([&] { style->Put("fontFile", Variant{}); }), errc::TypeMismatch);
  EXPECT_EQ(style->Get("Name"), text("ksev"));
}

TEST_F(Fixture, ClosedDrawingRefusesEverything) {
  auto t = label("x", 0, 0, 0.0);
  auto ms = doc->ModelSpace();
  doc->Close();
  EXPECT_TRUE(isClosed(*doc));
  EXPECT_EQ(app->Get("Caption"), text("Veskar CAD"));
  EXPECT_EQ(errorOf([&] { app->ActiveDocument(); }), errc::NoDocument);
  EXPECT_EQ(errorOf([&] { doc->Get("Name"); }), errc::NoDocument);
  EXPECT_EQ(errorOf([&] { doc->ModelSpace(); }), errc::NoDocument);
  EXPECT_EQ(errorOf([&] { ms->AddLightWeightPolyline({0, 0, 1, 1}); }), errc::NoDocument);
  EXPECT_EQ(errorOf([&] { t->Put("Color", 3); }), errc::NoDocument);
  EXPECT_EQ(errorOf([&] { doc->SaveAs("/tmp/never.dxf"); }), errc::NoDocument);
  EXPECT_EQ(errorOf([&] { doc->Close(); }), errc::NoDocument);
  EXPECT_EQ(data.entities.size(), 1u);  // still readable through drawingOf
  EXPECT_EQ(app->EntitiesAdded(), 1u);
}

TEST(InProcess, DocumentsStandAlone) {
  auto a = makeInProcessDocument("A.dxf");
  auto b = makeInProcessDocument("B.dxf");
  a->ModelSpace()->AddLightWeightPolyline({0, 0, 1, 1});
  EXPECT_EQ(drawingOf(*a)->entities.size(), 1u);
  EXPECT_EQ(drawingOf(*b)->entities.size(), 0u);
  EXPECT_EQ(b->Get("Name"), text("B.dxf"));
  EXPECT_FALSE(isClosed(*b));
}

}  // namespace
}  // namespace veskar::cad
