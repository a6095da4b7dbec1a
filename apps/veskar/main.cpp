// veskar: the program. It loads the main window Form1, whose load sequence places it and fills
// it from vesk.ini, shows it and waits for the user.
#include <QApplication>
#include <QEvent>
#include <cstring>

#include "ui/mainwindow/form1.h"

namespace {

// Ends the event loop at the window's first paint: the whole start, measured from outside.
class QuitOnFirstPaint final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Quit once the painted window has been handed to the platform.
    if (event->type() == QEvent::Paint)
      QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QString::fromUtf8(veskar::ui::layout::kProgramName));
  QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

  veskar::ui::Form1 form;
  // The program takes no command line; the one exception serves the start-up benchmark.
  QuitOnFirstPaint quitter;
  if (argc == 2 && std::strcmp(argv[1], "--quit-when-shown") == 0) form.installEventFilter(&quitter);
  form.show();
  return QApplication::exec();
}
