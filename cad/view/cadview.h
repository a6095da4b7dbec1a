// The drawing application's view of a drawing: pan by dragging, zoom with the wheel about the
// cursor, zoom to extents. It paints through paintDrawing, the code the image export uses.
#pragma once

#include <QPointF>
#include <QTimer>
#include <QTransform>
#include <QWidget>
#include <functional>

#include "cad/drawing.h"

namespace veskar::cad {

class CadView : public QWidget {
  Q_OBJECT
 public:
  explicit CadView(QWidget* parent = nullptr);

  // Where the view reads the drawing from on every paint; it may give nullptr (no drawing
  // open). The view never keeps the data itself.
  void setSource(std::function<const DrawingData*()> source);

  // Call after the drawing changed. While entities stream in (changes less than
  // kSettleMs apart) the view stands still; when they stop it repaints once, and fits the
  // view when the drawing had no entities before the stream began (a new drawing's entities
  // are brought into view once, not jumped after).
  void drawingChanged();
  static constexpr int kSettleMs = 300;
  // Whether entities are streaming in; settle() ends that at once (tests, and the timer).
  bool receiving() const { return settleTimer_.isActive(); }
  void settle();
  // Call when another drawing is shown: fits it.
  void drawingReplaced();

  // Device pixels per drawing unit, and the drawing point at the view's centre.
  double scale() const { return scale_; }
  QPointF center() const { return center_; }
  QTransform worldToDevice() const;

 signals:
  // The stream of changes has ended (see drawingChanged).
  void settled();

 public slots:
  void zoomExtents();
  // Zooms by `factor` (> 1 enlarges) keeping the drawing point under `devicePos` in place.
  void zoomAt(double factor, QPointF devicePos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  const DrawingData* drawing() const { return source_ ? source_() : nullptr; }

  std::function<const DrawingData*()> source_;
  double scale_ = 1.0;
  QPointF center_;
  bool hadEntities_ = false;
  bool fitOnSettle_ = false;  // the stream began on a drawing without entities
  bool fitPending_ = true;  // fit once the widget has its size
  bool dragging_ = false;
  QTimer settleTimer_;
  QPointF lastDragPos_;
};

}  // namespace veskar::cad
