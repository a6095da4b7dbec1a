// veskar: the program. It loads the main window Form1, whose load sequence places it and fills
// it from vesk.ini, shows it and waits for the user.
#include <QApplication>

#include "ui/mainwindow/form1.h"
#include "ui/mainwindow/platform.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QString::fromUtf8(veskar::ui::layout::kProgramName));
  QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

  veskar::ui::Form1 form;
  veskar::ui::quitWhenShown(argc, argv, form);
  form.show();
  return QApplication::exec();
}
