#include "ui/mainwindow/platform.h"

#include <QDesktopServices>
#include <QEvent>
#include <QWidget>
#include <cstring>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QPushButton>

// The windows' icon lives in the library's resources, which a static library must load.
static void initMainwindowResources() { Q_INIT_RESOURCE(mainwindow); }

namespace veskar::ui {
namespace {

class DesktopShell final : public Shell {
 public:
  void open(const QUrl& address) override { QDesktopServices::openUrl(address); }
  void showHelp(const QString& helpFile, const QString& topic) override {
    // xchm opens a page of the file given as "file:FILE#xchm:/PAGE"; other viewers the file.
    const QString xchm = QStandardPaths::findExecutable(QStringLiteral("xchm"));
    if (!topic.isEmpty() && !xchm.isEmpty()) {
      QString error;
      if (startDetached(xchm, {QStringLiteral("file:") + helpFile + QStringLiteral("#xchm:/") + topic}, error)) return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
  }
  bool start(const QString& program, QString& error) override { return startDetached(program, {}, error); }

 private:
  // Its output to nowhere, so that nothing reading this program's output waits for the other.
  static bool startDetached(const QString& program, const QStringList& args, QString& error) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (process.startDetached()) return true;
    error = process.errorString();
    return false;
  }
};

class StandardMessages final : public Messages {
 public:
  void show(QWidget* owner, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, owner);
    if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setText(QStringLiteral("确定"));
    box.exec();
  }
};

// Ends the event loop at the window's first paint: the whole start, measured from outside.
class QuitOnFirstPaint final : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Quit once the painted window has been handed to the platform.
    if (event->type() == QEvent::Paint)
      QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

bool quitWhenShown(int argc, char** argv, QWidget& window) {
  if (argc != 2 || std::strcmp(argv[1], "--quit-when-shown") != 0) return false;
  window.installEventFilter(new QuitOnFirstPaint(&window));
  return true;
}

Shell& desktopShell() {
  static DesktopShell shell;
  return shell;
}

Messages& standardMessages() {
  static StandardMessages messages;
  return messages;
}

void loadResources() {
  static const bool done = (initMainwindowResources(), true);
  (void)done;
}

}  // namespace veskar::ui
