// What the main window does while Draw runs: the wait cursor, no input to the window (no second
// press, no typing, no closing), and after a while a small window over it that shows how far
// the draw has got and keeps the windows painted.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include "graticule/draw_messages.h"
#include "graticule/graticule.h"

class QLabel;
class QProgressBar;

namespace veskar::ui {

// The small progress window, titled `title` (the graticule's, or the sheet window's). It cannot
// be closed; it goes when the draw ends.
class DrawProgressWindow final : public QDialog {
  Q_OBJECT
 public:
  explicit DrawProgressWindow(QWidget* over, const char* title = graticule::kProgressTitle);
  void setProgress(const graticule::EmissionProgress& p);
  QString text() const;

  void reject() override {}  // Esc

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* label_;
  QProgressBar* bar_;
};

// For the time of one Draw on `window`: swallows every input event meant for it or its
// controls, shows the wait cursor, and gives the progress callback for the draw.
class DrawGuard final : public QObject {
  Q_OBJECT
 public:
  DrawGuard(QWidget* window, int progressAfterMs, const char* title = graticule::kProgressTitle);
  ~DrawGuard() override;  // takes in what input arrived meanwhile (and drops it), then lets go

  graticule::ProgressFn progressFn();
  DrawProgressWindow* progressWindow() const { return progress_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void report(const graticule::EmissionProgress& p);

  QWidget* window_;
  int progressAfterMs_;
  const char* title_;
  QElapsedTimer sinceStart_, sincePaint_;
  QPointer<DrawProgressWindow> progress_;
};

}  // namespace veskar::ui
