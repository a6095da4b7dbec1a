#include "ui/mainwindow/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "ui/mainwindow/twips.h"

namespace veskar::ui {

double logicalDpi(const QWidget& widget) {
  const QScreen* screen = widget.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->logicalDotsPerInch() : 96.0;
}

TwipsPosition centeredPosition(float screenWidth, float screenHeight, float windowWidth,
                               float windowHeight) {
  TwipsPosition p;
  p.left = (screenWidth - windowWidth) / 2.0f;
  p.top = (screenHeight - windowHeight) / 3.0f;
  return p;
}

void placeOnScreen(QWidget& form, const QRect& screenArea, double dpi) {
  const QRect outer = form.frameGeometry();
  const TwipsPosition p =
      centeredPosition(static_cast<float>(pixelsToTwips(screenArea.width(), dpi)),
                       static_cast<float>(pixelsToTwips(screenArea.height(), dpi)),
                       static_cast<float>(pixelsToTwips(outer.width(), dpi)),
                       static_cast<float>(pixelsToTwips(outer.height(), dpi)));
  // move() places a window's frame, as the twips position means.
  form.move(screenArea.left() + twipsToPixels(p.left, dpi),
            screenArea.top() + twipsToPixels(p.top, dpi));
}

bool CenterOnScreen(QWidget& form) {
  // With its native window made, the platform may already know the frame (title bar and
  // border) that the outer size includes.
  if (form.isWindow()) (void)form.winId();
  const QScreen* screen = form.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return false;
  placeOnScreen(form, screen->geometry(), screen->logicalDotsPerInch());
  return true;
}

bool CenterForm(QWidget& form) { return CenterOnScreen(form); }

}  // namespace veskar::ui
