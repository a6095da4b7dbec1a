// DXF files written and read back by an independent reader (ezdxf, through dxf_readback.py):
// audit clean, every entity, property and style as set; and failures that leave the old file.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "cad/dxf.h"
#include "cad/inprocess.h"
#include "cad/tests/readback.h"
#include "platform/testing/as_nobody.h"
#include "platform/testing/testing.h"

namespace veskar::cad {
namespace {

using testing::DxfReadback;
using testing::expectCleanAudit;
using testing::readBytes;
using testing::readDxf;

constexpr double kPi = 3.14159265358979;

Variant i2(int v) { return static_cast<std::int16_t>(v); }

void expectPoint(const std::array<double, 3>& a, double x, double y, double z, const std::string& what) {
  EXPECT_NEAR(a[0], x, 1e-9) << what;
  EXPECT_NEAR(a[1], y, 1e-9) << what;
  EXPECT_NEAR(a[2], z, 1e-9) << what;
}

void expectHandles(const DxfReadback& r) {
  EXPECT_TRUE(r.uniqueHandles);
  EXPECT_GT(r.handleSeed, static_cast<long>(r.maxHandle));
}

void expectSameText(const testing::DxfEntity& got, const TextData& t, const std::string& where) {
  ASSERT_EQ(got.type, "TEXT") << where;
  EXPECT_EQ(got.text, t.string) << where;
  EXPECT_EQ(got.color, t.color) << where;
  expectPoint(got.insert, t.insertionPoint[0], t.insertionPoint[1], t.insertionPoint[2], where);
  if (t.horizontalAlignment != 0 || t.verticalAlignment != 0) {
    ASSERT_TRUE(got.alignPoint) << where;
    expectPoint(*got.alignPoint, t.alignmentPoint[0], t.alignmentPoint[1], t.alignmentPoint[2], where);
  }
  EXPECT_DOUBLE_EQ(got.height, t.height) << where;
  EXPECT_DOUBLE_EQ(got.width, t.widthFactor) << where;
  EXPECT_EQ(got.style, t.styleName) << where;
  EXPECT_NEAR(got.rotation, t.rotation * 180 / M_PI, 1e-9) << where;
  EXPECT_EQ(got.halign, t.horizontalAlignment) << where;
  EXPECT_EQ(got.valign, t.verticalAlignment) << where;
}

void expectSamePolyline(const testing::DxfEntity& got, const PolylineData& l, const std::string& where) {
  ASSERT_EQ(got.type, "LWPOLYLINE") << where;
  EXPECT_EQ(got.color, l.color) << where;
  EXPECT_FALSE(got.closed) << where;
  ASSERT_EQ(got.points.size(), l.coordinates.size() / 2) << where;
  for (std::size_t k = 0; k < got.points.size(); ++k) {
    EXPECT_NEAR(got.points[k][0], l.coordinates[2 * k], 1e-9) << where;
    EXPECT_NEAR(got.points[k][1], l.coordinates[2 * k + 1], 1e-9) << where;
  }
}

// Everything the reader found against the drawing as held.
void expectSameDrawing(const DxfReadback& r, const DrawingData& d) {
  expectCleanAudit(r);
  expectHandles(r);
  EXPECT_EQ(r.acadver, "AC1015");
  EXPECT_EQ(r.codepage, "ANSI_936");
  EXPECT_EQ(r.encoding, "gbk");
  EXPECT_EQ(r.insunits, 6);
  const Extents e = d.extents();
  expectPoint(r.extmin, e.minX, e.minY, 0, "$EXTMIN");
  expectPoint(r.extmax, e.maxX, e.maxY, 0, "$EXTMAX");
  expectPoint(r.vportCenter, (e.minX + e.maxX) / 2, (e.minY + e.maxY) / 2, 0, "viewport centre");
  EXPECT_GE(r.vportHeight, std::max(e.maxX - e.minX, e.maxY - e.minY));
  EXPECT_NE(std::find(r.layers.begin(), r.layers.end(), "0"), r.layers.end());

  ASSERT_EQ(r.styles.size(), d.styles.size());
  for (std::size_t i = 0; i < d.styles.size(); ++i) {
    EXPECT_EQ(r.styles[i].name, d.styles[i].name);
    EXPECT_EQ(r.styles[i].font, d.styles[i].fontFile);
    EXPECT_EQ(r.styles[i].bigfont, d.styles[i].bigFontFile);
  }
  ASSERT_EQ(r.entities.size(), d.entities.size());
  for (std::size_t i = 0; i < d.entities.size(); ++i) {
    const std::string where = "entity " + std::to_string(i);
    EXPECT_EQ(r.entities[i].layer, "0") << where;
    if (const auto* t = std::get_if<TextData>(&d.entities[i])) {
      expectSameText(r.entities[i], *t, where);
    } else {
      expectSamePolyline(r.entities[i], std::get<PolylineData>(d.entities[i]), where);
    }
  }
}

struct Dxf : ::testing::Test {
  testing::TempDir dir;
  std::string path(const char* name) const { return dir.file(name); }
};

// A small graticule drawn the way the Draw command draws it, and texts of every alignment.
std::shared_ptr<CadApplication> graticuleApp() {
  auto app = makeInProcessApplication();
  auto style = app->ActiveDocument()->TextStyles()->Add("ksev");
  style->Put("fontFile", std::string("fsdb_e.shx"));
  style->Put("BigFontFile", std::string("fsdb.shx"));
  const double east[] = {39431234.567890123, 39478765.43210987, 39526296.296296296};
  const double north[] = {3245678.901234567, 3282716.049382716};
  const char* lon[] = {"118°30′", "119°00′", "119°30′"};
  const char* lat[] = {"29°20′", "29°40′"};
  for (int j = 0; j < 2; ++j) {
    std::vector<double> vertices;
    for (int i = 0; i < 3; ++i) {
      const double x = east[i] + j * 0.001, y = north[j] - i * 0.002;
      for (int k = 0; k < 2; ++k) {
        auto t = app->ActiveDocument()->ModelSpace()->AddText(std::string(k == 0 ? lon[i] : lat[j]),
                                                              {x, y, 0}, i2(1000));
        t->Put("Color", i2(1));
        t->Put("ScaleFactor", 0.7);
        t->Put("StyleName", std::string("ksev"));
        t->Put("Rotation", k == 0 ? Variant(kPi / 2) : i2(0));
        t->Put("VerticalAlignment", i2(1));
        t->Put("HorizontalAlignment", i2(0));
        t->Put("TextAlignmentPoint", std::vector<double>{x, y, 0});
      }
      vertices.push_back(x);
      vertices.push_back(y);
    }
    app->ActiveDocument()->ModelSpace()->AddLightWeightPolyline(vertices)->Put("Color", i2(6));
  }
  for (int i = 0; i < 3; ++i) {
    auto l = app->ActiveDocument()->ModelSpace()->AddLightWeightPolyline({east[i], north[0], east[i] + 0.5, north[1]});
    l->Put("Color", i2(1));
  }
  // Every alignment pair, each with its own second point; and a text left at its defaults.
  for (int h = 0; h <= 5; ++h) {
    for (int v = 0; v <= 3; ++v) {
      if ((h == 3 || h == 4 || h == 5) && v != 0) continue;  // these have no vertical variant
      auto t = app->ActiveDocument()->ModelSpace()->AddText("A" + std::to_string(h) + std::to_string(v),
                                                            {100.0 + h, 200.0 + v, 0.25}, 2.5);
      t->Put("HorizontalAlignment", h);
      t->Put("VerticalAlignment", v);
      t->Put("TextAlignmentPoint", std::vector<double>{150.125 + h, 250.0625 + v, 0.25});
      t->Put("Color", h * 4 + v);
      t->Put("Rotation", -0.3 * h);
    }
  }
  app->ActiveDocument()->ModelSpace()->AddText(std::string("plain"), {-5.5, -7.25, 0}, 3);
  return app;
}

TEST_F(Dxf, DrawingReadsBackWithEveryEntityPropertyAndStyle) {
  auto app = graticuleApp();
  auto doc = app->ActiveDocument();
  doc->SaveAs(path("graticule.dxf"));
  const DxfReadback r = readDxf(path("graticule.dxf"));
  expectSameDrawing(r, *drawingOf(*doc));
  // The labels' own characters, as the reader decodes them from code page 936.
  ASSERT_GE(r.entities.size(), 2u);
  EXPECT_EQ(r.entities[0].text, "118°30′");
  EXPECT_EQ(r.entities[1].text, "29°20′");
  EXPECT_EQ(r.entities[1].style, "ksev");
  EXPECT_EQ(doc->Get("Name"), Variant(std::string("graticule.dxf")));
}

// Layers with Chinese names, entities on them, a closed wide polyline and a line: the table
// holds each layer once, and every entity reads back on its layer with its width and ends.
TEST_F(Dxf, LayersWidthsAndLinesReadBack) {
  auto app = makeInProcessApplication();
  auto doc = app->ActiveDocument();
  doc->Layers()->Add("图廓");
  doc->Layers()->Add("方里网");
  doc->Layers()->Add("FRAME");
  auto frame = doc->ModelSpace()->AddLightWeightPolyline({0, 0, 100, 0, 100, 80, 0, 80});
  frame->Put("Layer", std::string("图廓"));
  frame->Put("Closed", true);
  frame->Put("ConstantWidth", 0.25);
  auto line = doc->ModelSpace()->AddLine({10, 0, 0}, {10.5, 80, 0});
  line->Put("Layer", std::string("方里网"));
  line->Put("Color", i2(3));
  doc->ModelSpace()->AddText(std::string("J50"), {50, 90, 0}, 5)->Put("Layer", std::string("frame"));
  doc->SaveAs(path("layers.dxf"));
  const DxfReadback r = readDxf(path("layers.dxf"));
  expectCleanAudit(r);
  expectHandles(r);
  ASSERT_GE(r.layers.size(), 4u);  // ezdxf adds its own "Defpoints" after the file's
  EXPECT_EQ(std::vector<std::string>(r.layers.begin(), r.layers.begin() + 4),
            (std::vector<std::string>{"0", "图廓", "方里网", "FRAME"}));
  ASSERT_EQ(r.entities.size(), 3u);
  EXPECT_EQ(r.entities[0].layer, "图廓");
  EXPECT_TRUE(r.entities[0].closed);
  EXPECT_EQ(r.entities[0].constantWidth, 0.25);
  EXPECT_EQ(r.entities[0].points.size(), 4u);
  EXPECT_EQ(r.entities[1].type, "LINE");
  EXPECT_EQ(r.entities[1].layer, "方里网");
  EXPECT_EQ(r.entities[1].color, 3);
  EXPECT_EQ(r.entities[1].start, (std::array<double, 3>{10, 0, 0}));
  EXPECT_EQ(r.entities[1].end, (std::array<double, 3>{10.5, 80, 0}));
  EXPECT_EQ(r.entities[2].layer, "FRAME");  // the layer's own spelling
  const Extents e = drawingOf(*doc)->extents();
  EXPECT_EQ(e.minX, -0.125);  // half the width beyond the vertices
  EXPECT_EQ(e.maxY, 90 + 5.0);
}

TEST_F(Dxf, GbkTextAndEscapesForWhatGbkLacks) {
  DrawingData d;
  d.styles.push_back({"Standard", "txt", {}});
  d.styles.push_back({"北京", "fsdb_e.shx", "fsdb.shx"});
  TextData t;
  t.height = 1;
  t.string = "北京54坐标系 29°20′";
  t.styleName = "北京";
  d.entities.push_back(t);
  t.string = "aő€b";  // not in GBK; the euro only in Windows' extension
  t.styleName = "standard";  // names match without regard to case
  d.entities.push_back(t);
  t.string = "x𠀀y";  // beyond U+FFFF: one escape per UTF-16 unit
  d.entities.push_back(t);
  writeDxf(d, path("gbk.dxf"));
  const std::string bytes = readBytes(path("gbk.dxf"));
  EXPECT_NE(bytes.find("\r\n  1\r\n\xB1\xB1\xBE\xA9" "54\xD7\xF8\xB1\xEA\xCF\xB5 29\xA1\xE3" "20\xA1\xE4\r\n"),
            std::string::npos);
  EXPECT_NE(bytes.find("\r\n  1\r\na\\U+0151\\U+20ACb\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("\r\n  1\r\nx\\U+D840\\U+DC00y\r\n"), std::string::npos);
  const DxfReadback r = readDxf(path("gbk.dxf"));
  expectCleanAudit(r);
  ASSERT_EQ(r.entities.size(), 3u);
  EXPECT_EQ(r.entities[0].text, "北京54坐标系 29°20′");
  EXPECT_EQ(r.entities[1].text, "a\\U+0151\\U+20ACb");  // left to CAD programs
  EXPECT_EQ(r.entities[0].style, "北京");
  EXPECT_EQ(r.entities[1].style, "Standard");
  ASSERT_EQ(r.styles.size(), 2u);
  EXPECT_EQ(r.styles[1].name, "北京");
}

TEST_F(Dxf, ControlCharactersCannotBreakTheFile) {
  // The in-process drawing refuses them; a drawing made directly may still hold them.
  DrawingData d;
  TextData t;
  t.height = 1;
  t.string = "a\nb\r\tc";
  d.entities.push_back(t);
  d.entities.push_back(PolylineData{{0, 0, 1, 1}, 3});
  writeDxf(d, path("control.dxf"));
  EXPECT_NE(readBytes(path("control.dxf")).find("\r\n  1\r\na^Jb^M^Ic\r\n"), std::string::npos);
  const DxfReadback r = readDxf(path("control.dxf"));
  expectCleanAudit(r);
  ASSERT_EQ(r.entities.size(), 2u);
  EXPECT_EQ(r.entities[1].color, 3);
}

TEST_F(Dxf, HeaderAndPolylineBytes) {
  DrawingData d;
  d.styles.push_back({"Standard", "txt", {}});
  d.entities.push_back(PolylineData{{0.5, -1.25, 3, 4, 0.1, 1e-7}, 6});
  writeDxf(d, path("bytes.dxf"));
  const std::string bytes = readBytes(path("bytes.dxf"));
  const auto has = [&](const char* part) { return bytes.find(part) != std::string::npos; };
  EXPECT_TRUE(has("  9\r\n$ACADVER\r\n  1\r\nAC1015\r\n"));
  EXPECT_TRUE(has(
      "  9\r\n$DWGCODEPAGE\r\n  3\r\nANSI_936\r\n"
      "  9\r\n$INSBASE\r\n 10\r\n0.0\r\n 20\r\n0.0\r\n 30\r\n0.0\r\n"
      "  9\r\n$EXTMIN\r\n 10\r\n0.1\r\n 20\r\n-1.25\r\n 30\r\n0.0\r\n"
      "  9\r\n$EXTMAX\r\n 10\r\n3.0\r\n 20\r\n4.0\r\n 30\r\n0.0\r\n"
      "  9\r\n$MEASUREMENT\r\n 70\r\n1\r\n"
      "  9\r\n$INSUNITS\r\n 70\r\n6\r\n"
      "  0\r\nENDSEC\r\n"));
  // Colour, layer "0", and every coordinate in its shortest exact form.
  EXPECT_TRUE(has("  0\r\nLWPOLYLINE\r\n"));
  EXPECT_TRUE(has("  8\r\n0\r\n 62\r\n6\r\n"));
  EXPECT_TRUE(has(
      " 90\r\n3\r\n 70\r\n0\r\n 10\r\n0.5\r\n 20\r\n-1.25\r\n 10\r\n3.0\r\n 20\r\n4.0\r\n"
      " 10\r\n0.1\r\n 20\r\n0.0000001\r\n  0\r\nENDSEC\r\n"));
  // The view: centred on the extents, 1.1 times their larger side high.
  EXPECT_TRUE(has("  2\r\n*Active\r\n"));
  EXPECT_TRUE(has(" 12\r\n1.55\r\n 22\r\n1.375\r\n"));
  EXPECT_TRUE(has(" 40\r\n5.775\r\n"));
}

TEST_F(Dxf, EmptyDrawing) {
  DrawingData d;
  d.styles.push_back({"Standard", "txt", {}});
  writeDxf(d, path("empty.dxf"));
  expectSameDrawing(readDxf(path("empty.dxf")), d);
}

TEST_F(Dxf, StandardIsWrittenEvenWhenTheDrawingLacksIt) {
  DrawingData d;
  TextData t;
  t.string = "x";
  t.height = 1;
  t.styleName = "missing";
  d.entities.push_back(t);
  writeDxf(d, path("nostyle.dxf"));
  const DxfReadback r = readDxf(path("nostyle.dxf"));
  expectCleanAudit(r);
  ASSERT_EQ(r.styles.size(), 1u);
  EXPECT_EQ(r.styles[0].name, "Standard");
  ASSERT_EQ(r.entities.size(), 1u);
  EXPECT_EQ(r.entities[0].style, "Standard");
}

TEST_F(Dxf, HandleSeedStaysAboveEveryHandlePastFFFF) {
  DrawingData d;
  d.styles.push_back({"Standard", "txt", {}});
  for (int i = 0; i < 70000; ++i) d.entities.push_back(PolylineData{{0.0 + i, 0, 1.0 + i, 1}, 6});
  writeDxf(d, path("large.dxf"));
  const DxfReadback r = readDxf(path("large.dxf"), true);
  EXPECT_GT(r.maxHandle, 0xFFFFu);
  EXPECT_TRUE(r.uniqueHandles);
  EXPECT_EQ(r.handleSeed, static_cast<long>(r.maxHandle) + 1);
}

TEST_F(Dxf, SameDrawingSameBytes) {
  auto app = graticuleApp();
  writeDxf(*drawingOf(*app->ActiveDocument()), path("a.dxf"));
  writeDxf(*drawingOf(*app->ActiveDocument()), path("b.dxf"));
  const std::string a = readBytes(path("a.dxf"));
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(a, readBytes(path("b.dxf")));
  EXPECT_TRUE(a.ends_with("  0\r\nEOF\r\n"));
}

TEST_F(Dxf, AFileWithChineseCharactersInItsNameReplacesTheOldOne) {
  const std::string target = path("经纬网 1.dxf");
  DrawingData d;
  writeDxf(d, target);
  auto app = graticuleApp();
  app->ActiveDocument()->SaveAs(target);
  expectSameDrawing(readDxf(target), *drawingOf(*app->ActiveDocument()));
  EXPECT_EQ(app->ActiveDocument()->Get("Name"), Variant(std::string("经纬网 1.dxf")));
  EXPECT_EQ(testing::entries(dir.path()), std::vector<std::string>{"经纬网 1.dxf"});
}

struct BadTarget {
  const char* label;
  std::string path;
  const char* reason;  // the system's words, in the description
};

TEST_F(Dxf, UnwritableTargetsAreFileErrors) {
  ASSERT_TRUE(testing::writeBytes(path("plain.txt"), ""));
  ASSERT_TRUE(testing::makeDirectory(path("sub")));
  const BadTarget rows[] = {
      {"missing folder", path("none/x.dxf"), "No such file or directory"},
      {"folder is a file", path("plain.txt/x.dxf"), "Not a directory"},
      {"target is a folder", path("sub"), "directory"},
  };
  auto doc = makeInProcessDocument("Drawing1.dxf");
  for (const BadTarget& r : rows) {
    try {
      doc->SaveAs(r.path);
      ADD_FAILURE() << r.label;
    } catch (const CadError& e) {
      EXPECT_EQ(e.number(), errc::FileError) << r.label;
      EXPECT_NE(e.description().find(r.path), std::string::npos) << e.what();
      EXPECT_NE(e.description().find(r.reason), std::string::npos) << e.what();
    }
    EXPECT_EQ(doc->Get("Name"), Variant(std::string("Drawing1.dxf"))) << r.label;
  }
  EXPECT_EQ(testing::entries(dir.path()), (std::vector<std::string>{"plain.txt", "sub"}));
}

TEST_F(Dxf, FailedWriteLeavesTheOldFileAndNoTemporary) {
  DrawingData small;
  small.styles.push_back({"Standard", "txt", {}});
  writeDxf(small, path("drawing.dxf"));
  const std::string old = readBytes(path("drawing.dxf"));
  ASSERT_FALSE(old.empty());

  auto app = graticuleApp();
  std::int32_t number = 0;
  std::string description;
  {
    // The file system refuses anything past 4 KiB: the write breaks off half-way.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limited);
    try {
      app->ActiveDocument()->SaveAs(path("drawing.dxf"));
    } catch (const CadError& e) {
      number = e.number();
      description = e.description();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
  }
  EXPECT_EQ(number, errc::FileError);
  EXPECT_TRUE(description.starts_with("The drawing could not be saved as \"" + path("drawing.dxf") + "\": "))
      << description;
  EXPECT_TRUE(description.ends_with("File too large")) << description;
  EXPECT_EQ(readBytes(path("drawing.dxf")), old);
  EXPECT_EQ(testing::entries(dir.path()), std::vector<std::string>{"drawing.dxf"});
  EXPECT_EQ(app->ActiveDocument()->Get("Name"), Variant(std::string("Drawing1.dxf")));
}

TEST_F(Dxf, ReadOnlyFolderLeavesTheOldFile) {
  namespace fs = std::filesystem;
  DrawingData d;
  ASSERT_TRUE(testing::makeDirectory(path("ro")));
  writeDxf(d, path("ro/drawing.dxf"));
  const std::string old = readBytes(path("ro/drawing.dxf"));
  fs::permissions(path("ro"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  d.entities.push_back(PolylineData{{0, 0, 1, 1}, 1});
  const std::optional<std::string> report = testing::asNobody([&]() -> std::string {
    try {
      writeDxf(d, path("ro/drawing.dxf"));
      return "written";
    } catch (const CadError& e) {
      return e.description();
    }
  });
  fs::permissions(path("ro"), fs::perms::owner_write, fs::perm_options::add);
  ASSERT_TRUE(report) << "could not become nobody";
  EXPECT_TRUE(report->ends_with("Permission denied")) << *report;
  EXPECT_EQ(readBytes(path("ro/drawing.dxf")), old);
  EXPECT_EQ(testing::entries(path("ro")), std::vector<std::string>{"drawing.dxf"});
}

}  // namespace
}  // namespace veskar::cad
