// The main window of the drawing application veskar-cad: the active drawing's model space in
// a CadView, the File menu (New, Save, Save As, Close, Quit) and the View menu (zoom to
// extents, in, out). Its title is the application's Caption. Nothing unsaved is dropped
// without asking: New, Close, Quit and closing the window ask first when the drawing has
// changes since it was opened or last saved.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>

#include "cad/bus/session.h"
#include "cad/view/cadview.h"

class QAction;

namespace veskar::cadapp {

class CadWindow : public QMainWindow {
  Q_OBJECT
 public:
  enum class Answer { Save, Discard, Cancel };
  // Asks what to do with the unsaved drawing `name`.
  using Asker = std::function<Answer(const QString& name)>;
  // Asks where to save `name`; empty: cancelled.
  using FileChooser = std::function<QString(const QString& name)>;

  explicit CadWindow(cad::bus::CadSession& session, QWidget* parent = nullptr);

  // Tells the user that `what` failed, with the system's description.
  using ErrorReporter = std::function<void(const QString& what, const QString& description)>;

  // Replace the dialogs (tests, scripted use).
  void setAsker(Asker asker) { asker_ = std::move(asker); }
  void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
  void setErrorReporter(ErrorReporter reporter) { reporter_ = std::move(reporter); }

  cad::CadView* view() const { return view_; }

  // The File menu's commands. Each gives false when the user cancelled or saving failed.
  bool newDrawing();
  bool save();
  bool saveAs();
  bool closeDrawing();
  // Closes the window and ends the application, after asking about unsaved changes.
  void quit();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void createFileMenu();
  void createViewMenu();
  void setDefaultDialogs();
  void connectSignals();
  // True when the active drawing may be dropped: unchanged, saved now, or discarded.
  bool maybeSave();
  bool saveTo(const QString& path);
  void showError(const QString& title, const QString& text);
  void updateState();
  void applyVisible(bool visible);

  cad::bus::CadSession& session_;
  cad::CadView* view_ = nullptr;
  QAction* saveAction_ = nullptr;
  QAction* saveAsAction_ = nullptr;
  QAction* closeAction_ = nullptr;
  Asker asker_;
  FileChooser chooser_;
  ErrorReporter reporter_;
  bool quitting_ = false;
};

}  // namespace veskar::cadapp
