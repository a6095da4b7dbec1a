// What the window tests put in place of the desktop: a shell that records what it was asked to
// open, show and start, and message boxes that record their texts.
#pragma once

#include <QApplication>
#include <QList>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include "ui/mainwindow/platform.h"

namespace veskar::testing {

struct FakeShell final : veskar::ui::Shell {
  QList<QUrl> opened;
  QStringList helpFiles;  // "FILE" or "FILE::/TOPIC"
  QStringList started;
  QString startError;  // when not empty, start() fails with it
  QStringList modalWhenOpened;  // the active modal window's name at each open()
  void open(const QUrl& address) override {
    opened << address;
    QWidget* modal = QApplication::activeModalWidget();
    modalWhenOpened << (modal ? modal->objectName() : QString());
  }
  void showHelp(const QString& helpFile, const QString& topic) override {
    helpFiles << (topic.isEmpty() ? helpFile : helpFile + QStringLiteral("::/") + topic);
  }
  bool start(const QString& program, QString& error) override {
    started << program;
    error = startError;
    return startError.isEmpty();
  }
};

struct FakeMessages final : veskar::ui::Messages {
  QStringList shown;
  void show(QWidget*, const QString& text) override { shown << text; }
};

}  // namespace veskar::testing
