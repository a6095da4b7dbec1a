#include "ui/mainwindow/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <map>
#include <vector>

#include "graticule/draw_messages.h"
#include "mapsheet/sheet_messages.h"
#include "settings/settings.h"
#include "settings/fields.h"
#include "ui/layout/forms.h"
#include "ui/mainwindow/aboutfrm.h"
#include "ui/mainwindow/cadlink.h"
#include "ui/mainwindow/drawprogress.h"
#include "ui/mainwindow/fonts.h"
#include "ui/mainwindow/placement.h"
#include "ui/mainwindow/platform.h"
#include "ui/mainwindow/twips.h"

namespace veskar::ui {
namespace {

QColor colourOf(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

QRect placeRect(const layout::Place& p, double dpi) { return twipsRect(p.left, p.top, p.width, p.height, dpi); }

// A click toggles between ticked and not ticked; a greyed box (value 2, only ever set from
// the settings file) becomes ticked.
class CheckBox final : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  void nextCheckState() override {
    const bool ticked = checkState() == Qt::Checked;
    setTristate(false);
    setCheckState(ticked ? Qt::Unchecked : Qt::Checked);
  }
};

// The system's window (field) background, COLOR_WINDOW.
QColor systemWindowColor() { return QApplication::palette().color(QPalette::Base); }

void setFieldBackground(QLineEdit* field, const QColor& color) {
  QPalette pal = field->palette();
  pal.setColor(QPalette::Base, color);
  field->setPalette(pal);
}

}  // namespace

Form1::Form1(Form1Options options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      options_(std::move(options)),
      appDir_(options_.appDir.isEmpty() ? QString::fromStdString(settings::applicationDirectory())
                                        : options_.appDir),
      shell_(options_.shell ? options_.shell : &desktopShell()),
      messages_(options_.messages ? options_.messages : &standardMessages()),
      connect_(options_.connectCad ? options_.connectCad : busConnection(options_.cadProgramDir)) {
  loadResources();
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromUtf8(layout::kForm1Title));
  setWindowIcon(QIcon(QStringLiteral(":/veskar/veskar.xpm")));
  buildControls();
  loadSequence();
}

Form1::~Form1() = default;

void Form1::buildControls() {
  installFontSubstitutes();
  const double dpi = logicalDpi(*this);
  // Fixed single border: no resizing, no maximising.
  setFixedSize(twipsToPixels(layout::kForm1Width, dpi), twipsToPixels(layout::kForm1Height, dpi));
  QPalette blue = palette();
  blue.setColor(QPalette::WindowText, colourOf(layout::kBlue));

  // Created in tab order, so the focus chain is the tab order.
  std::vector<QWidget*> chain;
  for (const layout::Control& c : layout::kForm1) {
    QWidget* w = makeControl(c, blue);
    w->setObjectName(QString::fromLatin1(c.name));
    w->setGeometry(placeRect(c.place, dpi));
    if (c.kind != layout::Kind::Label) chain.push_back(w);
  }
  // Tab order: Text1 .. Text7, Check1, Draw, More software, Help, Exit, back to Text1.
  for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);

  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  f1->setContext(Qt::WindowShortcut);
  connect(f1, &QShortcut::activated, this, &Form1::help);

  menu_ = new QMenu(this);
  menu_->setObjectName(QStringLiteral("form1Menu"));
  menu_->addAction(QString::fromUtf8(layout::kSheetMenuItem), this, &Form1::openSheetWindow);
}

QWidget* Form1::makeControl(const layout::Control& c, const QPalette& blue) {
  const QString caption = QString::fromUtf8(c.caption);
  switch (c.kind) {
    case layout::Kind::Field: {
      auto* field = new QLineEdit(this);
      if (settings::kFields[static_cast<std::size_t>(c.field)].tooltip)
        field->setToolTip(QString::fromUtf8(settings::kAngleTip));
      field->installEventFilter(this);
      text_[static_cast<std::size_t>(c.field)] = field;
      return field;
    }
    case layout::Kind::Label: {
      auto* label = new QLabel(caption, this);
      label->setPalette(blue);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case layout::Kind::CheckBox:
      check1_ = new CheckBox(caption, this);
      check1_->setPalette(blue);
      check1_->setCheckState(Qt::Checked);
      return check1_;
    case layout::Kind::Button:
    case layout::Kind::Choice:  // not in Form1
    case layout::Kind::TextChoice:
    case layout::Kind::Note:
      break;
  }
  auto* b = new QPushButton(caption, this);
  b->setFont(songFont(layout::kButtonFont.points));
  b->setAutoDefault(false);
  static const std::map<layout::Action, void (Form1::*)()> reactions = {
      {layout::Action::Draw, &Form1::draw}, {layout::Action::MoreSoftware, &Form1::moreSoftware},
      {layout::Action::Help, &Form1::help}, {layout::Action::Exit, &Form1::exitProgram}};
  connect(b, &QPushButton::clicked, this, reactions.at(c.action));
  return b;
}

void Form1::loadSequence() {
  // 1. The help file, for the Help button and F1.
  helpFile_ = QString::fromStdString(settings::AppFilePath(appDir_.toStdString(), layout::kHelpFile));
  // 2. Placement; without a screen the rest is skipped and the fields get the read-failure
  // defaults.
  const bool placed = !helpFile_.isEmpty() && CenterOnScreen(*this);
  // 3. The settings file.
  const settings::SettingsRecord record =
      placed ? settings::LoadSettings(appDir_.toStdString()) : settings::readFailureDefaults();
  for (std::size_t i = 0; i < text_.size(); ++i) text_[i]->setText(QString::fromStdString(record.texts[i]));
  if (record.boxState) {
    switch (*record.boxState) {
      case 0: check1_->setCheckState(Qt::Unchecked); break;
      case 1: check1_->setCheckState(Qt::Checked); break;
      default: check1_->setCheckState(Qt::PartiallyChecked); break;
    }
  }
  // Shown with the focus in Text1.
  text_[0]->setFocus(Qt::OtherFocusReason);
}

int Form1::checkValue() const {
  switch (check1_->checkState()) {
    case Qt::Unchecked: return 0;
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
  }
  return 0;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
    for (QLineEdit* field : text_) {
      if (field != watched) continue;
      if (event->type() == QEvent::FocusIn) {
        field->selectAll();
        setFieldBackground(field, colourOf(layout::kFocusBackground));
      } else {
        setFieldBackground(field, systemWindowColor());
      }
      break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void Form1::draw() {
  graticule::DrawInputs in;
  for (std::size_t i = 0; i < text_.size(); ++i) in.texts[i] = text_[i]->text().toStdString();
  in.check = checkValue();
  const std::string dir = appDir_.toStdString();
  const graticule::SaveSettingsFn save = [dir](const settings::SettingsRecord& record) {
    return settings::SaveSettings(dir, record);
  };
  graticule::DrawOutcome outcome;
  {
    DrawGuard guard(this, options_.progressAfterMs);
    outcome = graticule::RunDrawCommand(in, save, connect_, guard.progressFn());
  }
  showOutcome(outcome);
}

void Form1::showOutcome(const graticule::DrawOutcome& outcome) {
  for (const std::string& text : graticule::drawMessages(outcome))
    messages_->show(this, QString::fromStdString(text));
}

void Form1::moreSoftware() {
  shell_->open(QUrl(QString::fromStdString(layout::makerPage())));
  AboutForm about(shell_, this);
  about.exec();
}

void Form1::help() {
  shell_->showHelp(QString::fromStdString(settings::AppFilePath(appDir_.toStdString(), layout::kHelpFile)), {});
}

void Form1::contextMenuEvent(QContextMenuEvent* event) { menu_->exec(event->globalPos()); }

void Form1::openSheetWindow() {
  const std::string program = settings::AppFilePath(appDir_.toStdString(), layout::kSheetProgram);
  QString error;
  if (!shell_->start(QString::fromStdString(program), error))
    messages_->show(this, QString::fromStdString(mapsheet::startFailedText(program, error.toStdString())));
}

void Form1::exitProgram() {
  // Ends the program: Form1 is its only window. Nothing is saved, the drawing application
  // is left running.
  close();
  QCoreApplication::exit(0);
}

}  // namespace veskar::ui
