// Painting a drawing: model space in AutoCAD Color Index colours, texts at their height, width
// factor, rotation and alignment in a CJK-capable font. The drawing application's view and the
// image export of veskar-cli share this code, so what one shows the other writes.
//
// World coordinates are drawing units (metres) with y pointing north; the device has y pointing
// down. A text smaller than about a pixel is drawn as a short stroke along its baseline instead
// of glyphs, so a graticule of thousands of labels stays quick to paint when seen whole.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QTransform>

#include "cad/drawing.h"

class QPainter;

namespace veskar::cad {

// The colour of an AutoCAD Color Index: 1 red, 2 yellow, 3 green, 4 cyan, 5 blue, 6 magenta,
// 7 the foreground (black on the light background used here), 8 to 255 the standard palette.
// 0 (by block), 256 (by layer) and anything outside 0..256 give the foreground as well, since
// the drawing has the one layer "0" of colour 7.
QColor aciColor(int index);

// The font texts are drawn in: a CJK-capable family (AR PL UMing where installed), so that
// labels such as 114°15′ show every glyph.
QFont drawingFont();

// The transform that shows `world` (drawing units) centred in `viewport` (device pixels) with
// a margin of `marginFraction` of the viewport on each side, keeping the aspect ratio and
// turning y up. An empty or degenerate `world` is shown at a scale of one unit per pixel.
QTransform fitTransform(const QRectF& world, const QRectF& viewport, double marginFraction = 0.03);

// The drawing's extents as a rectangle (empty QRectF when there are no entities).
QRectF extentsRect(const DrawingData& drawing);

// Paints every entity of `drawing` in creation order, mapped by `worldToDevice`. The painter's
// own transform is left as it was.
void paintDrawing(QPainter& painter, const DrawingData& drawing, const QTransform& worldToDevice);

// The background the drawing is painted on.
QColor backgroundColor();

// An image of `size` showing the whole drawing (fitted to its extents) on the background.
// Needs a QGuiApplication (offscreen platform is enough). An empty drawing gives a blank image.
QImage renderToImage(const DrawingData& drawing, QSize size);

}  // namespace veskar::cad
