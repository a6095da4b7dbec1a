// What the windows ask of the desktop, behind small interfaces that tests replace: opening a
// web page, a mail or the help file with the user's default program, starting another of the
// programs, and a message box.
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
  // Opens the help file in the desktop's viewer at `topic` (a page of the file, "sheet.html"),
  // at its default topic when `topic` is empty or the viewer cannot be told one. Whether the file
  // exists is the viewer's business.
  virtual void showHelp(const QString& helpFile, const QString& topic) = 0;
  // Starts `program` (a path) on its own, not waited for; false with the system's description
  // in `error` when it cannot be started.
  virtual bool start(const QString& program, QString& error) = 0;
};

class Messages {
 public:
  virtual ~Messages() = default;
  // A message box with an OK button only, owned by `owner`; returns when it is closed.
  virtual void show(QWidget* owner, const QString& text) = 0;
};

// The programs take no command line but this, for the start-up benchmark: with the single
// argument "--quit-when-shown" the event loop ends at `window`'s first paint. True when given.
bool quitWhenShown(int argc, char** argv, QWidget& window);

// Makes the windows' resources (the icon ":/veskar/veskar.xpm") available; once per process.
void loadResources();

// QDesktopServices::openUrl; the help viewer xchm at the topic where it is installed; a detached
// process.
Shell& desktopShell();
// QMessageBox, titled with the application's display name, OK captioned "确定".
Messages& standardMessages();

}  // namespace veskar::ui
