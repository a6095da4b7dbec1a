// veskar-sheet: the sheet window (图幅整饰). It places the window, fills it from
// veskar-sheet.ini, shows it with the focus in 图号 and waits for the user.
#include <QApplication>

#include "ui/mainwindow/platform.h"
#include "ui/mainwindow/sheetwindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QString::fromUtf8(veskar::ui::layout::kSheetProgram));
  QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

  veskar::ui::SheetWindow window;
  veskar::ui::quitWhenShown(argc, argv, window);
  window.show();
  return QApplication::exec();
}
