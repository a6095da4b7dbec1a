#include "ui/cadapp/cadwindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeySequence>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

namespace veskar::cadapp {

using cad::bus::CadSession;

CadWindow::CadWindow(CadSession& session, QWidget* parent) : QMainWindow(parent), session_(session) {
  setObjectName(QStringLiteral("cadWindow"));
  view_ = new cad::CadView(this);
  setCentralWidget(view_);
  view_->setSource([s = &session_] { return s->activeDrawing(); });
  createFileMenu();
  createViewMenu();
  setDefaultDialogs();
  connectSignals();
  resize(1000, 700);
  updateState();
}

void CadWindow::createFileMenu() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  QAction* a = file->addAction(tr("&New"), this, [this] { newDrawing(); });
  a->setObjectName(QStringLiteral("actionNew"));
  a->setShortcut(QKeySequence::New);
  saveAction_ = file->addAction(tr("&Save"), this, [this] { save(); });
  saveAction_->setObjectName(QStringLiteral("actionSave"));
  saveAction_->setShortcut(QKeySequence::Save);
  saveAsAction_ = file->addAction(tr("Save &As..."), this, [this] { saveAs(); });
  saveAsAction_->setObjectName(QStringLiteral("actionSaveAs"));
  saveAsAction_->setShortcut(QKeySequence::SaveAs);
  closeAction_ = file->addAction(tr("&Close"), this, [this] { closeDrawing(); });
  closeAction_->setObjectName(QStringLiteral("actionClose"));
  closeAction_->setShortcut(QKeySequence::Close);
  file->addSeparator();
  a = file->addAction(tr("&Quit"), this, [this] { quit(); });
  a->setObjectName(QStringLiteral("actionQuit"));
  a->setShortcut(QKeySequence::Quit);
}

void CadWindow::createViewMenu() {
  QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
  QAction* a = viewMenu->addAction(tr("Zoom &Extents"), view_, &cad::CadView::zoomExtents);
  a->setObjectName(QStringLiteral("actionZoomExtents"));
  a->setShortcuts({QKeySequence(Qt::Key_Home), QKeySequence(Qt::Key_E)});
  a = viewMenu->addAction(tr("Zoom &In"), this, [this] {
    view_->zoomAt(1.25, QPointF(view_->width() / 2.0, view_->height() / 2.0));
  });
  a->setObjectName(QStringLiteral("actionZoomIn"));
  a->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::Key_Plus)});
  a = viewMenu->addAction(tr("Zoom &Out"), this, [this] {
    view_->zoomAt(0.8, QPointF(view_->width() / 2.0, view_->height() / 2.0));
  });
  a->setObjectName(QStringLiteral("actionZoomOut"));
  a->setShortcuts({QKeySequence::ZoomOut, QKeySequence(Qt::Key_Minus)});
}

// The question about unsaved changes and the file chooser, as message box and file dialog.
void CadWindow::setDefaultDialogs() {
  asker_ = [this](const QString& name) {
    const auto b = QMessageBox::question(
        this, CadSession::applicationName(),
        tr("The drawing \"%1\" has changes that are not saved. Save them?").arg(name),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (b == QMessageBox::Save) return Answer::Save;
    if (b == QMessageBox::Discard) return Answer::Discard;
    return Answer::Cancel;
  };
  chooser_ = [this](const QString& name) {
    return QFileDialog::getSaveFileName(this, tr("Save Drawing As"), name, tr("DXF drawings (*.dxf)"));
  };
}

// The session's changes and requests, and the view's, reach the window.
void CadWindow::connectSignals() {
  connect(&session_, &CadSession::captionChanged, this, &CadWindow::updateState);
  connect(&session_, &CadSession::activeDocumentChanged, this, [this] {
    view_->drawingReplaced();
    updateState();
  });
  connect(&session_, &CadSession::drawingChanged, this, [this] {
    view_->drawingChanged();
    updateState();
  });
  connect(view_, &cad::CadView::settled, this, &CadWindow::updateState);
  connect(&session_, &CadSession::visibleChanged, this, &CadWindow::applyVisible);
  connect(&session_, &CadSession::activateRequested, this, [this] {
    if (!isVisible()) return;
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
  });
  connect(&session_, &CadSession::quitRequested, this, &CadWindow::quit);
}

void CadWindow::updateState() {
  setWindowTitle(session_.caption());
  const CadSession::Document* d = session_.active();
  saveAction_->setEnabled(d != nullptr);
  saveAsAction_->setEnabled(d != nullptr);
  closeAction_->setEnabled(d != nullptr);
  const cad::DrawingData* data = session_.activeDrawing();
  // While entities stream in, the count goes up with them.
  const int count = data ? int(data->entities.size()) : 0;
  statusBar()->showMessage(!data                ? tr("No drawing is open.")
                           : view_->receiving() ? tr("Receiving: %n entities", nullptr, count)
                                                : tr("%n entities", nullptr, count));
}

void CadWindow::applyVisible(bool visible) {
  if (visible == isVisible()) return;
  if (visible) {
    show();
  } else {
    hide();
  }
}

void CadWindow::showError(const QString& title, const QString& text) {
  if (reporter_) {
    reporter_(title, text);
  } else {
    QMessageBox::warning(this, title, text);
  }
}

bool CadWindow::saveTo(const QString& path) {
  CadSession::Document* d = session_.active();
  if (!d) return false;
  try {
    session_.saveDocument(d->id, path);
    return true;
  } catch (const cad::CadError& e) {
    showError(tr("Save"), QString::fromStdString(e.description()));
    return false;
  }
}

bool CadWindow::save() {
  CadSession::Document* d = session_.active();
  if (!d) return false;
  if (d->filePath.isEmpty()) return saveAs();
  return saveTo(d->filePath);
}

bool CadWindow::saveAs() {
  const cad::DrawingData* data = session_.activeDrawing();
  if (!data) return false;
  const QString path = chooser_ ? chooser_(QString::fromStdString(data->name)) : QString();
  if (path.isEmpty()) return false;
  return saveTo(path);
}

bool CadWindow::maybeSave() {
  CadSession::Document* d = session_.active();
  if (!d || !d->modified) return true;
  if (!isVisible()) show();  // never ask from a hidden window
  const cad::DrawingData* data = session_.activeDrawing();
  switch (asker_(data ? QString::fromStdString(data->name) : QString())) {
    case Answer::Save: return save();
    case Answer::Discard: return true;
    case Answer::Cancel: return false;
  }
  return false;
}

bool CadWindow::newDrawing() {
  if (!maybeSave()) return false;
  if (CadSession::Document* d = session_.active()) session_.closeDocument(d->id);
  session_.newDocument();
  return true;
}

bool CadWindow::closeDrawing() {
  CadSession::Document* d = session_.active();
  if (!d) return true;
  if (!maybeSave()) return false;
  session_.closeDocument(d->id);
  return true;
}

void CadWindow::quit() {
  if (!maybeSave()) return;
  quitting_ = true;
  close();
  QCoreApplication::quit();
}

void CadWindow::closeEvent(QCloseEvent* event) {
  if (quitting_ || maybeSave()) {
    quitting_ = true;
    event->accept();
    QCoreApplication::quit();
    return;
  }
  event->ignore();
}

}  // namespace veskar::cadapp
