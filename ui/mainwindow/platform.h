// What the windows ask of the desktop, behind small interfaces that tests replace: opening a
// web page, a mail or the help file with the user's default program, and a message box.
#pragma once

#include <QString>
#include <QUrl>

class QWidget;

namespace veskar::ui {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a web address or a "mailto:" address with the user's default program. The outcome
  // is not examined and nothing is shown when it fails.
  virtual void open(const QUrl& address) = 0;
  // Opens the help file at its default topic in the desktop's viewer. Whether the file exists
  // is the viewer's business.
  virtual void showHelp(const QString& helpFile) = 0;
};

class Messages {
 public:
  virtual ~Messages() = default;
  // A message box with an OK button only, owned by `owner`; returns when it is closed.
  virtual void show(QWidget* owner, const QString& text) = 0;
};

// Makes the windows' resources (the icon ":/veskar/veskar.xpm") available; once per process.
void loadResources();

// QDesktopServices::openUrl.
Shell& desktopShell();
// QMessageBox, titled with the application's display name, OK captioned "确定".
Messages& standardMessages();

}  // namespace veskar::ui
