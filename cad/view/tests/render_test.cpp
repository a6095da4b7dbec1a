// The painting shared by the drawing application's view and the image export.
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QRawFont>
#include <cstdlib>
#include <numbers>

#include "cad/inprocess.h"
#include "cad/view/render.h"
#include "graticule/draw_command.h"

namespace veskar::cad {
namespace {

struct AciCase {
  int index;
  QRgb rgb;
};

TEST(AciColor, StandardPaletteWithForegroundForSevenAndByLayer) {
  const AciCase cases[] = {
      {1, 0xffff0000}, {2, 0xffffff00}, {3, 0xff00ff00}, {4, 0xff00ffff}, {5, 0xff0000ff},
      {6, 0xffff00ff}, {7, 0xff000000}, {8, 0xff808080}, {9, 0xffc0c0c0}, {10, 0xffff0000},
      {11, 0xffff7f7f}, {12, 0xffa50000}, {20, 0xffff3f00}, {23, 0xffa56752}, {249, 0xff261317},
      {250, 0xff333333}, {254, 0xffbebebe}, {255, 0xffffffff},
      {0, 0xff000000}, {256, 0xff000000}, {-3, 0xff000000}, {999, 0xff000000},
  };
  for (const auto& c : cases) EXPECT_EQ(aciColor(c.index).rgba(), c.rgb) << "index " << c.index;
}

struct FitCase {
  QRectF world;
  QRectF viewport;
  double margin;
  QPointF worldPoint;
  QPointF devicePoint;
};

TEST(FitTransform, CentresKeepsAspectAndTurnsYUp) {
  const FitCase cases[] = {
      // 200 x 100 world into 400 x 400: width governs, scale 2, centred vertically.
      {{0, 0, 200, 100}, {0, 0, 400, 400}, 0, {0, 0}, {0, 300}},
      {{0, 0, 200, 100}, {0, 0, 400, 400}, 0, {200, 100}, {400, 100}},
      {{0, 0, 200, 100}, {0, 0, 400, 400}, 0, {100, 50}, {200, 200}},
      // Height governs; 10 % margins leave 80 x 80 for a 10 x 40 world: scale 2.
      {{500000, 3000000, 10, 40}, {0, 0, 100, 100}, 0.1, {500005, 3000020}, {50, 50}},
      {{500000, 3000000, 10, 40}, {0, 0, 100, 100}, 0.1, {500000, 3000040}, {40, 10}},
      // A single point: scale 1, the point at the centre.
      {{7, 9, 0, 0}, {0, 0, 50, 30}, 0, {8, 9}, {26, 15}},
  };
  for (const auto& c : cases) {
    const QPointF p = fitTransform(c.world, c.viewport, c.margin).map(c.worldPoint);
    EXPECT_DOUBLE_EQ(p.x(), c.devicePoint.x()) << c.worldPoint.x() << "," << c.worldPoint.y();
    EXPECT_DOUBLE_EQ(p.y(), c.devicePoint.y()) << c.worldPoint.x() << "," << c.worldPoint.y();
  }
}

TEST(DrawingFont, HasTheGlyphsOfTheLabels) {
  const QRawFont raw = QRawFont::fromFont(drawingFont());
  ASSERT_TRUE(raw.isValid());
  for (const char32_t c : {U'°', U'′', U'″', U'0', U'9', U'北'}) {
    EXPECT_TRUE(raw.supportsCharacter(c)) << "U+" << std::hex << unsigned(c);
  }
}

// Counts pixels of a colour, and gives their bounding box.
struct Ink {
  int count = 0;
  QRect box;
};

Ink inkOf(const QImage& image, const std::function<bool(QRgb)>& match) {
  Ink ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (match(image.pixel(x, y))) {
        ++ink.count;
        ink.box = ink.box.united(QRect(x, y, 1, 1));
      }
    }
  }
  return ink;
}

// Antialiasing may split a one-pixel line over two rows at half strength.
bool isMagenta(QRgb c) { return qRed(c) > 200 && qGreen(c) < 200 && qBlue(c) > 200; }
bool isReddish(QRgb c) { return qRed(c) > 150 && qGreen(c) < 150 && qBlue(c) < 150; }
bool isNotWhite(QRgb c) { return qRed(c) < 250 || qGreen(c) < 250 || qBlue(c) < 250; }

TextData label(const std::string& s, double x, double y, double rotation) {
  TextData t;
  t.string = s;
  t.insertionPoint = {x, y, 0};
  t.alignmentPoint = {x, y, 0};
  t.height = 10;
  t.color = 1;
  t.widthFactor = 0.7;
  t.rotation = rotation;
  t.verticalAlignment = 1;
  t.horizontalAlignment = 0;
  return t;
}

TEST(RenderToImage, EmptyDrawingIsBlankOfTheAskedSize) {
  const QImage image = renderToImage(DrawingData{}, QSize(320, 200));
  EXPECT_EQ(image.size(), QSize(320, 200));
  EXPECT_EQ(inkOf(image, isNotWhite).count, 0);
}

TEST(RenderToImage, PolylineInItsColourAcrossTheFittedImage) {
  DrawingData d;
  PolylineData pl;
  pl.coordinates = {500000, 3000000, 501000, 3000000};
  pl.color = 6;
  d.entities.push_back(pl);
  PolylineData frame;  // gives the drawing a height
  frame.coordinates = {500000, 2999500, 500000, 3000500};
  frame.color = 5;
  d.entities.push_back(frame);
  const QImage image = renderToImage(d, QSize(200, 200));
  const Ink magenta = inkOf(image, isMagenta);
  ASSERT_GT(magenta.count, 150);
  // Horizontal line through the middle, spanning the width less the 3 % margins.
  EXPECT_NEAR(magenta.box.center().y(), 100, 1);
  EXPECT_NEAR(magenta.box.left(), 6, 1);
  EXPECT_NEAR(magenta.box.right(), 194, 1);
}

// A closed polyline 10 units wide: every corner square, the first vertex's as well, and a
// line across it in its colour.
TEST(RenderToImage, ClosedWidePolylineHasFourFullCornersAndLinesShow) {
  DrawingData d;
  PolylineData square;
  square.coordinates = {0, 0, 100, 0, 100, 100, 0, 100};
  square.constantWidth = 10;
  square.closed = true;
  square.color = 5;
  d.entities.push_back(square);
  LineData line;
  line.start = {0, 50, 0};
  line.end = {100, 50, 0};
  line.color = 6;
  d.entities.push_back(line);
  const QSize size(220, 220);
  const QImage image = renderToImage(d, size);
  const QTransform w2d = fitTransform(extentsRect(d), QRectF(QPointF(0, 0), QSizeF(size)));
  const auto isBlue = [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; };
  for (const QPointF corner : {QPointF(-4, -4), QPointF(104, -4), QPointF(104, 104), QPointF(-4, 104)}) {
    const QPoint p = w2d.map(corner).toPoint();
    EXPECT_TRUE(isBlue(image.pixel(p))) << corner.x() << ", " << corner.y();
  }
  EXPECT_FALSE(isBlue(image.pixel(w2d.map(QPointF(50, 20)).toPoint())));  // an outline, not filled
  const Ink magenta = inkOf(image, isMagenta);
  EXPECT_NEAR(magenta.box.center().y(), w2d.map(QPointF(50, 50)).y(), 1);
  EXPECT_GT(magenta.box.width(), 150);
}

TEST(RenderToImage, TextsSitOnTheirAlignmentPointAndTurnWithRotation) {
  // Two labels at the same point, as at a graticule intersection, and a frame that fixes the
  // scale at 2 px per unit: 200 x 200 units in a 400 x 400 image without margin effects.
  const double pi = std::numbers::pi;
  for (const bool upright : {false, true}) {
    DrawingData d;
    PolylineData frame;
    frame.coordinates = {0, 0, 200, 0, 200, 200, 0, 200, 0, 0};
    frame.color = 5;
    d.entities.push_back(frame);
    d.entities.push_back(label("114°15′", 100, 100, upright ? pi / 2 : 0));
    const QImage image = renderToImage(d, QSize(424, 424));  // 3 % margins: scale 2
    const Ink red = inkOf(image, isReddish);
    ASSERT_GT(red.count, 50) << "upright " << upright;
    // The alignment point (100, 100) is the image centre (212, 212). Bottom-left alignment:
    // the text lies right of and above the point, or, turned a quarter left, above and left.
    if (!upright) {
      EXPECT_GE(red.box.left(), 211);
      EXPECT_LE(red.box.bottom(), 213);
      EXPECT_GT(red.box.width(), red.box.height());
      EXPECT_NEAR(red.box.height(), 2 * 10 * 1.2, 8);  // cap height 20 px, with descenders
    } else {
      EXPECT_LE(red.box.right(), 213);
      EXPECT_LE(red.box.bottom(), 213);
      EXPECT_GT(red.box.height(), red.box.width());
    }
  }
}

TEST(RenderToImage, WidthFactorNarrowsTheText) {
  int widths[2] = {};
  for (int i = 0; i < 2; ++i) {
    DrawingData d;
    PolylineData frame;
    frame.coordinates = {0, 0, 200, 0};
    frame.color = 5;
    d.entities.push_back(frame);
    TextData t = label("29°20′", 50, 0, 0);
    t.widthFactor = i == 0 ? 1.0 : 0.5;
    d.entities.push_back(t);
    widths[i] = inkOf(renderToImage(d, QSize(424, 424)), isReddish).box.width();
  }
  EXPECT_NEAR(double(widths[1]) / widths[0], 0.5, 0.06);
}


// The Draw command's worked example (5 meridians, 10 parallels, 100 labels), as the image
// export shows it.
TEST(RenderToImage, WorkedExampleShowsParallelsMeridiansAndLabels) {
  auto app = makeInProcessApplication();
  graticule::DrawInputs in;
  in.texts = {"114", "5", "29.2", "10", "0.15", "0.1", "115.15"};
  const auto out = graticule::RunDrawCommand(
      in, [](const settings::SettingsRecord&) { return settings::SaveResult{}; },
      [&](graticule::CadLink& link, std::string&) {
        link.CadApp = app;
        link.CadDoc = app->ActiveDocument();
        return true;
      });
  ASSERT_EQ(out.status, graticule::DrawOutcome::Status::Drawn);
  const DrawingData& d = *drawingOf(*app->ActiveDocument());
  ASSERT_EQ(d.entities.size(), 115u);
  const QImage image = renderToImage(d, QSize(800, 600));
  ASSERT_EQ(image.size(), QSize(800, 600));
  const Ink any = inkOf(image, isNotWhite);
  const Ink magenta = inkOf(image, isMagenta);
  const Ink red = inkOf(image, isReddish);
  // The net is taller (1°30′ of latitude) than wide (1° of longitude): its height fills the
  // image less the 3 % margins (18 px), centred across. Ten magenta parallels, red meridians
  // and labels.
  if (const char* out = std::getenv("VESKAR_RENDER_OUT")) image.save(QString::fromLocal8Bit(out));
  EXPECT_NEAR(any.box.top(), 18, 4);  // the extents allow a little more than the glyphs need
  EXPECT_NEAR(any.box.bottom(), 600 - 18, 4);
  EXPECT_NEAR(any.box.center().x(), 400, 3);
  EXPECT_GT(any.box.width(), 250);
  EXPECT_GT(magenta.count, 10 * 250);
  EXPECT_GT(red.count, 5 * 450);
  EXPECT_LT(any.count, 800 * 600 / 4);
}

}  // namespace
}  // namespace veskar::cad

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
