// Window geometry is kept in twips (1440 to the inch), as the windows' layouts are written.
// A twip becomes a pixel at the screen's logical DPI: at 96 dpi one pixel is 15 twips.
#pragma once

#include <QRect>
#include <cmath>

class QWidget;

namespace veskar::ui {

inline constexpr double kTwipsPerInch = 1440.0;

inline int twipsToPixels(double twips, double dpi) {
  return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

inline double pixelsToTwips(double pixels, double dpi) { return pixels * kTwipsPerInch / dpi; }

// left, top, width, height in twips -> a rectangle in pixels.
inline QRect twipsRect(double left, double top, double width, double height, double dpi) {
  return QRect(twipsToPixels(left, dpi), twipsToPixels(top, dpi), twipsToPixels(width, dpi),
               twipsToPixels(height, dpi));
}

// The logical DPI of the screen the widget is on (the primary screen before it has one).
double logicalDpi(const QWidget& widget);

}  // namespace veskar::ui
