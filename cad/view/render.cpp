#include "cad/view/render.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QLineF>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <unordered_map>
#include <numbers>
#include <type_traits>

namespace veskar::cad {

namespace {

constexpr std::array<unsigned, 256> kPalette{
#include "palette.inc"
};

// Glyphs are laid out at this pixel size and scaled to the text's height on the device.
constexpr double kReferencePixelSize = 100.0;

// Below this height in pixels a text is drawn as a stroke along its baseline.
constexpr double kGreekingPixels = 2.0;

struct TextMetrics {
  QFont font;
  QFontMetricsF metrics;
  double capHeight;  // asked once: each question to the font looks its engine up
  double descent;
  struct Shaped {
    QString text;
    double advance;
  };
  std::unordered_map<std::string, Shaped> shaped;  // labels repeat: shape each text once per paint
  explicit TextMetrics(const QFont& f)
      : font(f),
        metrics(f),
        capHeight(metrics.capHeight() > 0 ? metrics.capHeight() : metrics.ascent()),
        descent(metrics.descent()) {}

  const Shaped& shape(const std::string& s) {
    auto it = shaped.find(s);
    if (it != shaped.end()) return it->second;
    const QString text = QString::fromStdString(s);
    return shaped.emplace(s, Shaped{text, metrics.horizontalAdvance(text)}).first->second;
  }
};

double uniformScale(const QTransform& t) { return std::sqrt(std::abs(t.determinant())); }

QPointF anchorOf(const TextData& t) {
  // Left on the baseline places the text by its insertion point; every other alignment by its
  // alignment point.
  const auto& p = (t.horizontalAlignment == 0 && t.verticalAlignment == 0) ? t.insertionPoint
                                                                             : t.alignmentPoint;
  return {p[0], p[1]};
}

// Texts too small to read are gathered as strokes along their baselines, per colour, and
// drawn together at the end: thousands of labels seen from afar cost little.
using Strokes = QHash<int, QList<QLineF>>;

void paintText(QPainter& painter, const TextData& t, const QTransform& w2d, TextMetrics& tm, Strokes& strokes) {
  if (t.string.empty() || !(t.height > 0)) return;
  const double s = uniformScale(w2d);
  const double heightPx = t.height * s;
  const QPointF anchor = w2d.map(anchorOf(t));
  const double capHeight = tm.capHeight;
  const double k = heightPx / capHeight;                 // reference pixels -> device pixels
  const double wf = t.widthFactor > 0 ? t.widthFactor : 1.0;
  const TextMetrics::Shaped& shaped = tm.shape(t.string);
  const double advance = shaped.advance;

  double dx = 0;
  double dy = 0;  // baseline offset in reference pixels, y down
  int vertical = t.verticalAlignment;
  switch (t.horizontalAlignment) {
    case 1: dx = -advance / 2; break;            // center
    case 2: dx = -advance; break;                // right
    case 4: dx = -advance / 2; vertical = 2; break;  // middle: centred both ways
    default: break;                              // left, aligned, fit
  }
  switch (vertical) {
    case 1: dy = -tm.descent; break;             // bottom
    case 2: dy = capHeight / 2; break;           // middle
    case 3: dy = capHeight; break;               // top
    default: break;                              // baseline
  }

  if (heightPx < kGreekingPixels) {
    // The text's frame on the device: x along the baseline, y down, turned by the rotation.
    const QPointF u(std::cos(t.rotation), -std::sin(t.rotation));
    const QPointF n(std::sin(t.rotation), std::cos(t.rotation));
    const QPointF start = anchor + u * (dx * k * wf) + n * (dy * k);
    strokes[t.color].append(QLineF(start, start + u * (advance * k * wf)));
    return;
  }
  painter.save();
  painter.translate(anchor);
  painter.rotate(-t.rotation * 180.0 / std::numbers::pi);  // device y points down
  painter.scale(k * wf, k);
  painter.setPen(QPen(aciColor(t.color), 0));
  painter.setFont(tm.font);
  painter.drawText(QPointF(dx, dy), shaped.text);
  painter.restore();
}

// A polyline with a constant width is drawn that wide (at least a pixel), with square joins
// as CAD programs draw wide polylines; a closed one as an outline, so that its first vertex is
// joined like the others.
void paintPolyline(QPainter& painter, const PolylineData& pl, const QTransform& w2d) {
  const auto& c = pl.coordinates;
  if (c.size() < 4) return;
  QPolygonF poly;
  poly.reserve(qsizetype(c.size() / 2));
  for (std::size_t i = 0; i + 1 < c.size(); i += 2) poly.append(w2d.map(QPointF(c[i], c[i + 1])));
  const double width = pl.constantWidth > 0 ? std::max(1.0, pl.constantWidth * uniformScale(w2d)) : 0.0;
  painter.setPen(QPen(aciColor(pl.color), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  if (pl.closed) {
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(poly);
  } else {
    painter.drawPolyline(poly);
  }
}

void paintLine(QPainter& painter, const LineData& l, const QTransform& w2d) {
  painter.setPen(QPen(aciColor(l.color), 0));
  painter.drawLine(w2d.map(QPointF(l.start[0], l.start[1])), w2d.map(QPointF(l.end[0], l.end[1])));
}

}  // namespace

QColor aciColor(int index) {
  if (index <= 0 || index >= 256 || index == 7) return QColor(Qt::black);
  return QColor::fromRgb(QRgb(0xff000000u | kPalette[std::size_t(index)]));
}

QColor backgroundColor() { return QColor(Qt::white); }

QFont drawingFont() {
  QFont font;
  font.setFamilies({QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                    QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
                    QStringLiteral("DejaVu Sans")});
  font.setPixelSize(int(kReferencePixelSize));
  font.setStyleStrategy(QFont::PreferOutline);
  return font;
}

QTransform fitTransform(const QRectF& world, const QRectF& viewport, double marginFraction) {
  const double availW = viewport.width() * (1 - 2 * marginFraction);
  const double availH = viewport.height() * (1 - 2 * marginFraction);
  double s = 1.0;
  const bool hasW = world.width() > 0 && std::isfinite(world.width());
  const bool hasH = world.height() > 0 && std::isfinite(world.height());
  if (hasW && hasH) {
    s = std::min(availW / world.width(), availH / world.height());
  } else if (hasW) {
    s = availW / world.width();
  } else if (hasH) {
    s = availH / world.height();
  }
  if (!(s > 0) || !std::isfinite(s)) s = 1.0;
  const QPointF cw = world.center();
  const QPointF cv = viewport.center();
  return QTransform(s, 0, 0, -s, cv.x() - cw.x() * s, cv.y() + cw.y() * s);
}

QRectF extentsRect(const DrawingData& drawing) {
  if (drawing.entities.empty()) return {};
  const Extents e = drawing.extents();
  if (e.empty) return {};
  return QRectF(QPointF(e.minX, e.minY), QPointF(e.maxX, e.maxY));
}

void paintDrawing(QPainter& painter, const DrawingData& drawing, const QTransform& worldToDevice) {
  TextMetrics tm(drawingFont());
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  Strokes strokes;
  for (const EntityData& e : drawing.entities) {
    std::visit(
        [&](const auto& d) {
          using T = std::decay_t<decltype(d)>;
          if constexpr (std::is_same_v<T, TextData>) {
            paintText(painter, d, worldToDevice, tm, strokes);
          } else if constexpr (std::is_same_v<T, LineData>) {
            paintLine(painter, d, worldToDevice);
          } else {
            paintPolyline(painter, d, worldToDevice);
          }
        },
        e);
  }
  for (auto it = strokes.cbegin(); it != strokes.cend(); ++it) {
    painter.setPen(QPen(aciColor(it.key()), 0));
    painter.drawLines(it.value());
  }
  painter.restore();
}

QImage renderToImage(const DrawingData& drawing, QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return image;
  image.fill(backgroundColor());
  const QRectF world = extentsRect(drawing);
  if (world.isNull() && drawing.entities.empty()) return image;
  QPainter painter(&image);
  paintDrawing(painter, drawing, fitTransform(world, QRectF(QPointF(0, 0), QSizeF(size))));
  painter.end();
  return image;
}

}  // namespace veskar::cad
