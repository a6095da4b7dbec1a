#include "ui/mainwindow/drawprogress.h"

#include <QApplication>
#include <algorithm>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "graticule/draw_messages.h"

namespace veskar::ui {
namespace {

// How often a running draw lets the windows paint themselves.
constexpr int kPaintEveryMs = 50;

bool isInput(QEvent::Type t) {
  switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
      return true;
    default:
      return false;
  }
}

}  // namespace

DrawProgressWindow::DrawProgressWindow(QWidget* over, const char* title) : QDialog(over) {
  setObjectName(QStringLiteral("drawProgress"));
  setWindowTitle(QString::fromUtf8(title));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);  // no close box
  setWindowModality(Qt::WindowModal);
  label_ = new QLabel(this);
  bar_ = new QProgressBar(this);
  bar_->setTextVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  layout->addWidget(bar_);
  setFixedWidth(280);
}

void DrawProgressWindow::setProgress(const graticule::EmissionProgress& p) {
  label_->setText(QString::fromStdString(graticule::progressText(p.done, p.total)));
  bar_->setRange(0, int(std::min<std::size_t>(p.total, 1u << 30)));
  bar_->setValue(int(std::min(p.done, p.total)));
}

QString DrawProgressWindow::text() const { return label_->text(); }

void DrawProgressWindow::closeEvent(QCloseEvent* event) { event->ignore(); }

DrawGuard::DrawGuard(QWidget* window, int progressAfterMs, const char* title)
    : window_(window), progressAfterMs_(progressAfterMs), title_(title) {
  sinceStart_.start();
  sincePaint_.start();
  qApp->installEventFilter(this);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // Let the window system show the cursor now.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

DrawGuard::~DrawGuard() {
  delete progress_.data();
  // Input that came during the draw reaches the filter now and goes no further.
  QCoreApplication::processEvents();
  qApp->removeEventFilter(this);
  QApplication::restoreOverrideCursor();
}

graticule::ProgressFn DrawGuard::progressFn() {
  return [this](const graticule::EmissionProgress& p) { report(p); };
}

void DrawGuard::report(const graticule::EmissionProgress& p) {
  if (sincePaint_.elapsed() < kPaintEveryMs && p.done != p.total) return;
  if (!progress_ && sinceStart_.elapsed() >= progressAfterMs_) {
    progress_ = new DrawProgressWindow(window_, title_);
    progress_->setProgress(p);
    progress_->adjustSize();
    progress_->move(window_->geometry().center() - progress_->rect().center());
    progress_->show();
  }
  if (progress_) progress_->setProgress(p);
  sincePaint_.restart();
  QCoreApplication::processEvents();
}

bool DrawGuard::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Close) {
    event->ignore();  // the close box: the window stays
    return true;
  }
  if (isInput(event->type()) && watched->isWidgetType()) {
    const auto* w = static_cast<QWidget*>(watched);
    if (w == window_ || window_->isAncestorOf(w)) return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace veskar::ui
