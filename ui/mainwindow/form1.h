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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  QWidget* makeControl(const layout::Control& c, const QPalette& blue);
  void loadSequence();
  void showOutcome(const graticule::DrawOutcome& outcome);
  bool connectOverBus(graticule::CadLink& link, std::string& error);

  Form1Options options_;
  QString appDir_;
  QString helpFile_;
  Shell* shell_;
  Messages* messages_;
  struct Bus;
  std::unique_ptr<Bus> bus_;  // the link to veskar-cad, made at the first Draw

  std::array<QLineEdit*, 7> text_{};
  QCheckBox* check1_ = nullptr;
};

}  // namespace veskar::ui
