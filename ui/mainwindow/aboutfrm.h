// aboutfrm, the about window: who made the program and how to reach them. Modal; clicking the
// header opens the maker's web page, the e-mail address a new mail; OK closes it.
#pragma once

#include <QDialog>
#include <QFont>

#include "ui/layout/forms.h"

namespace veskar::ui {

class Shell;

class AboutForm : public QDialog {
  Q_OBJECT

 public:
  // Lays the window out and centres it with CenterForm. `shell` null: the desktop.
  explicit AboutForm(Shell* shell = nullptr, QWidget* parent = nullptr);

 private:
  QWidget* makeElement(const layout::AboutElement& e, QWidget* parent);
  QFont fontOf(const layout::Font& f) const;

  Shell* shell_;
};

}  // namespace veskar::ui
