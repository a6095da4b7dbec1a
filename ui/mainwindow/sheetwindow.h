// The sheet window (图幅整饰) on Linux, in Qt: a national or a square map sheet by its number
// (or the sheet at a point), finished into the drawing application veskar-cad or into a DXF
// file. Built from layout::kSheet as Form1 is from its table, with Form1's look: the same fonts,
// blue captions, the light green of the field that has the focus, the tab order of the table,
// CenterOnScreen. Each division (分幅) shows its own controls; which fields count, what the
// drop-down lists hold and what its buttons do are mapsheet/sheet_form's, shared with the
// Windows window.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "graticule/draw_command.h"
#include "graticule/draw_messages.h"
#include "mapsheet/sheet_form.h"
#include "settings/sheet_fields.h"
#include "ui/layout/forms.h"

class QLabel;
class QPushButton;

namespace veskar::ui {

class Shell;
class Messages;

struct SheetWindowOptions {
  // Where veskar-sheet.ini and vesk.chm live; empty: the directory of the running executable.
  QString appDir;
  // Where veskar-cad is looked for first; empty: the running executable's directory.
  QString cadProgramDir;
  Shell* shell = nullptr;        // null: the desktop
  Messages* messages = nullptr;  // null: message boxes
  // How 绘图 reaches the drawing application; empty: over the session bus.
  graticule::ConnectCadFn connectCad;
  // 保存DXF's save dialog: the chosen path, empty when cancelled; empty: Qt's file dialog.
  std::function<QString(QWidget* owner, const QString& suggestedName)> chooseFile;
  // A draw running longer than this shows its progress.
  int progressAfterMs = graticule::kProgressAfterMs;
};

class SheetWindow : public QWidget {
  Q_OBJECT

 public:
  // Lays out the window, places it and fills it from veskar-sheet.ini; not shown.
  explicit SheetWindow(SheetWindowOptions options = {}, QWidget* parent = nullptr);
  ~SheetWindow() override;

  // What the fields hold now.
  mapsheet::SheetFields fields() const;

  // The buttons' reactions.
  void find();     // 查  找
  void draw();     // 绘  图, and Enter
  void saveDxf();  // 保存DXF…
  void help();     // 帮  助 and F1
  void exitProgram();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Enter presses the button that has the focus, else 绘  图, the default button.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildControls();
  QWidget* makeControl(const layout::Control& c, const QPalette& blue);
  QWidget* makeInput(const layout::Control& c);
  QPushButton* makeButton(const layout::Control& c);
  void loadSequence();
  // Every field's text or value as the settings file holds it, and back.
  settings::SheetSettings values() const;
  void setFields(const mapsheet::SheetFields& f);
  // The division's controls shown, the fields that count enabled, the line under 图号 and
  // 方里网间距's hint: after every change of a field.
  void refresh();
  mapsheet::SaveSheetSettingsFn saver() const;
  void showMessages(const std::vector<std::string>& texts);

  SheetWindowOptions options_;
  QString appDir_;
  Shell* shell_;
  Messages* messages_;
  graticule::ConnectCadFn connect_;

  std::array<QWidget*, layout::kSheet.size()> controls_{};  // by their place in the table
  // Each field's control (a line, a drop-down list, a check box) by settings::SheetFieldIndex.
  std::array<QWidget*, settings::kSheetFields.size()> inputs_{};
  QLabel* note_ = nullptr;
  QPushButton* draw_ = nullptr;
  bool built_ = false;
};

}  // namespace veskar::ui
