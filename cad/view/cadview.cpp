#include "cad/view/cadview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "cad/view/render.h"

namespace veskar::cad {

CadView::CadView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("cadView"));
  setFocusPolicy(Qt::StrongFocus);
  setAutoFillBackground(false);
  setMinimumSize(200, 150);
  settleTimer_.setSingleShot(true);
  settleTimer_.setInterval(kSettleMs);
  connect(&settleTimer_, &QTimer::timeout, this, &CadView::settle);
}

void CadView::setSource(std::function<const DrawingData*()> source) {
  source_ = std::move(source);
  drawingReplaced();
}

QTransform CadView::worldToDevice() const {
  const double cx = width() / 2.0;
  const double cy = height() / 2.0;
  return QTransform(scale_, 0, 0, -scale_, cx - center_.x() * scale_, cy + center_.y() * scale_);
}

void CadView::zoomExtents() {
  const DrawingData* d = drawing();
  const QRectF world = d ? extentsRect(*d) : QRectF();
  if (!d || d->entities.empty()) {
    scale_ = 1.0;
    center_ = QPointF();
  } else {
    const QTransform t = fitTransform(world, QRectF(rect()));
    scale_ = t.m11();
    center_ = world.center();
  }
  // A hidden view may not have its final size yet: fit again once it is shown.
  fitPending_ = !isVisible() || width() <= 0 || height() <= 0;
  update();
}

void CadView::zoomAt(double factor, QPointF devicePos) {
  if (!(factor > 0) || !std::isfinite(factor)) return;
  const QTransform before = worldToDevice();
  bool ok = false;
  const QPointF world = before.inverted(&ok).map(devicePos);
  if (!ok) return;
  scale_ *= factor;
  // Keep `world` under `devicePos`: devicePos = c + (world - center) * s (y flipped).
  const double cx = width() / 2.0;
  const double cy = height() / 2.0;
  center_ = QPointF(world.x() - (devicePos.x() - cx) / scale_, world.y() + (devicePos.y() - cy) / scale_);
  update();
}

void CadView::drawingChanged() {
  const DrawingData* d = drawing();
  if (!settleTimer_.isActive()) fitOnSettle_ = !hadEntities_;  // a stream begins
  hadEntities_ = d && !d->entities.empty();
  settleTimer_.start();
}

void CadView::settle() {
  settleTimer_.stop();
  if (fitOnSettle_ && hadEntities_) {
    zoomExtents();  // repaints
  } else {
    update();
  }
  fitOnSettle_ = false;
  emit settled();
}

void CadView::drawingReplaced() {
  const DrawingData* d = drawing();
  hadEntities_ = d && !d->entities.empty();
  zoomExtents();
}

void CadView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), backgroundColor());
  if (const DrawingData* d = drawing()) paintDrawing(painter, *d, worldToDevice());
}

void CadView::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps != 0) zoomAt(std::pow(1.25, steps), event->position());
  event->accept();
}

void CadView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
    dragging_ = true;
    lastDragPos_ = event->position();
    setCursor(Qt::ClosedHandCursor);
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void CadView::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return QWidget::mouseMoveEvent(event);
  const QPointF delta = event->position() - lastDragPos_;
  lastDragPos_ = event->position();
  center_ -= QPointF(delta.x() / scale_, -delta.y() / scale_);
  update();
}

void CadView::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_) {
    dragging_ = false;
    unsetCursor();
    event->accept();
    return;
  }
  QWidget::mouseReleaseEvent(event);
}

void CadView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (fitPending_) zoomExtents();
}

void CadView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (fitPending_) zoomExtents();
}

}  // namespace veskar::cad
