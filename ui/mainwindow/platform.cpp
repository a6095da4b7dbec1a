#include "ui/mainwindow/platform.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

// The windows' icon lives in the library's resources, which a static library must load.
static void initMainwindowResources() { Q_INIT_RESOURCE(mainwindow); }

namespace veskar::ui {
namespace {

class DesktopShell final : public Shell {
 public:
  void open(const QUrl& address) override { QDesktopServices::openUrl(address); }
  void showHelp(const QString& helpFile) override {
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
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

}  // namespace

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
