// Form1, the main window: seven input fields, the coordinate-system check box and the four
// buttons Draw, More software, Help and Exit.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <memory>

#include "graticule/draw_command.h"
#include "graticule/draw_messages.h"
#include "ui/layout/forms.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace veskar::ui {

class Shell;
class Messages;

struct Form1Options {
  // Where vesk.ini and vesk.chm live; empty: the directory of the running executable.
  QString appDir;
  // Where the drawing application veskar-cad is looked for first; empty: the running
  // executable's directory.
  QString cadProgramDir;
  Shell* shell = nullptr;        // null: the desktop
  Messages* messages = nullptr;  // null: message boxes
  // How Draw reaches the drawing application; empty: over the session bus (Cadbas).
  graticule::ConnectCadFn connectCad;
  // A Draw running longer than this shows its progress.
  int progressAfterMs = graticule::kProgressAfterMs;
};

class Form1 : public QWidget {
  Q_OBJECT

 public:
  // Lays out the window and runs the load sequence: help file path, placement on the screen,
  // the settings file. The window is not shown.
  explicit Form1(Form1Options options = {}, QWidget* parent = nullptr);
  ~Form1() override;

  // AppFilePath of "vesk.chm", registered by the load sequence; F1 opens it.
  const QString& helpFile() const { return helpFile_; }
  // Check1's value: 0 not ticked, 1 ticked, 2 greyed.
  int checkValue() const;

  // The buttons' reactions.
  void draw();          // Command1
  void moreSoftware();  // xpcmdbutton3
  void help();          // xpcmdbutton4 and F1
  void exitProgram();   // xpcmdbutton5
  // The context menu's 图幅整饰…: starts veskar-sheet from the application directory.
  void openSheetWindow();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // On the window's background and its labels: the menu with 图幅整饰….
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void buildControls();
  QWidget* makeControl(const layout::Control& c, const QPalette& blue);
  void loadSequence();
  void showOutcome(const graticule::DrawOutcome& outcome);

  Form1Options options_;
  QString appDir_;
  QString helpFile_;
  Shell* shell_;
  Messages* messages_;
  graticule::ConnectCadFn connect_;  // options.connectCad, or the bus to veskar-cad
  QMenu* menu_ = nullptr;

  std::array<QLineEdit*, 7> text_{};
  QCheckBox* check1_ = nullptr;
};

}  // namespace veskar::ui
