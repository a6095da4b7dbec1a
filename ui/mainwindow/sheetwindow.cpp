#include "ui/mainwindow/sheetwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <map>
#include <optional>

#include "mapsheet/sheet_messages.h"
#include "settings/sheet_settings.h"
#include "ui/mainwindow/cadlink.h"
#include "ui/mainwindow/drawprogress.h"
#include "ui/mainwindow/fonts.h"
#include "ui/mainwindow/placement.h"
#include "ui/mainwindow/platform.h"
#include "ui/mainwindow/twips.h"

namespace veskar::ui {
namespace {

QColor colourOf(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

QString qs(const std::string& s) { return QString::fromStdString(s); }

void setFieldBackground(QLineEdit* field, const QColor& color) {
  QPalette pal = field->palette();
  pal.setColor(QPalette::Base, color);
  field->setPalette(pal);
}

// The file dialog of 保存DXF, in the user's documents.
QString dialogPath(QWidget* owner, const QString& suggestedName) {
  const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QFileDialog::getSaveFileName(owner, QString::fromUtf8(mapsheet::kSaveDxfTitle), QDir(dir).filePath(suggestedName),
                                      QString::fromUtf8(mapsheet::kDxfFileType) + QStringLiteral(" (") +
                                          QString::fromUtf8(mapsheet::kDxfPattern) + QStringLiteral(")"));
}

}  // namespace

SheetWindow::SheetWindow(SheetWindowOptions options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      options_(std::move(options)),
      appDir_(options_.appDir.isEmpty() ? qs(settings::applicationDirectory()) : options_.appDir),
      shell_(options_.shell ? options_.shell : &desktopShell()),
      messages_(options_.messages ? options_.messages : &standardMessages()),
      connect_(options_.connectCad ? options_.connectCad : busConnection(options_.cadProgramDir)) {
  loadResources();
  setObjectName(QStringLiteral("SheetWindow"));
  setWindowTitle(QString::fromUtf8(layout::kSheetTitle));
  setWindowIcon(QIcon(QStringLiteral(":/veskar/veskar.xpm")));
  buildControls();
  loadSequence();
}

SheetWindow::~SheetWindow() = default;

void SheetWindow::buildControls() {
  installFontSubstitutes();
  const double dpi = logicalDpi(*this);
  setFixedSize(twipsToPixels(layout::kSheetWidth, dpi), twipsToPixels(layout::kSheetHeight, dpi));
  QPalette blue = palette();
  blue.setColor(QPalette::WindowText, colourOf(layout::kBlue));
  // Created in tab order, so the focus chain is the tab order.
  QWidget* previous = nullptr;
  for (std::size_t i = 0; i < layout::kSheet.size(); ++i) {
    const layout::Control& c = layout::kSheet[i];
    QWidget* w = controls_[i] = makeControl(c, blue);
    w->setObjectName(QString::fromLatin1(c.name));
    const layout::Place& p = c.place;
    w->setGeometry(twipsRect(p.left, p.top, p.width, p.height, dpi));
    if (c.kind == layout::Kind::Label || c.kind == layout::Kind::Note) continue;
    if (previous) setTabOrder(previous, w);
    previous = w;
  }
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  f1->setContext(Qt::WindowShortcut);
  connect(f1, &QShortcut::activated, this, &SheetWindow::help);
  built_ = true;
}

QWidget* SheetWindow::makeControl(const layout::Control& c, const QPalette& blue) {
  switch (c.kind) {
    case layout::Kind::Label: {
      auto* label = new QLabel(QString::fromUtf8(c.caption), this);
      label->setPalette(blue);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case layout::Kind::Note:
      note_ = new QLabel(this);
      note_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      note_->setWordWrap(true);
      return note_;
    case layout::Kind::Button: return makeButton(c);
    case layout::Kind::Field:
    case layout::Kind::CheckBox:
    case layout::Kind::Choice:
    case layout::Kind::TextChoice: break;
  }
  QWidget* input = inputs_[static_cast<std::size_t>(c.field)] = makeInput(c);
  if (auto* check = qobject_cast<QCheckBox*>(input)) check->setPalette(blue);
  return input;
}

// A field's control; every change of it refreshes the window.
QWidget* SheetWindow::makeInput(const layout::Control& c) {
  const auto field = static_cast<settings::SheetFieldIndex>(c.field);
  if (c.kind == layout::Kind::Field) {
    auto* line = new QLineEdit(this);
    line->installEventFilter(this);
    connect(line, &QLineEdit::textChanged, this, &SheetWindow::refresh);
    return line;
  }
  if (c.kind == layout::Kind::CheckBox) {
    auto* check = new QCheckBox(QString::fromUtf8(c.caption), this);
    connect(check, &QCheckBox::toggled, this, &SheetWindow::refresh);
    return check;
  }
  auto* box = new QComboBox(this);
  for (const mapsheet::ChoiceItem& item : mapsheet::choiceItems(field)) box->addItem(qs(item.title), qs(item.value));
  if (c.kind == layout::Kind::TextChoice) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);  // the text as typed, not completed to a listed one
    box->installEventFilter(this);
  }
  connect(box, &QComboBox::currentIndexChanged, this, &SheetWindow::refresh);
  return box;
}

QPushButton* SheetWindow::makeButton(const layout::Control& c) {
  auto* b = new QPushButton(QString::fromUtf8(c.caption), this);
  b->setFont(songFont(layout::kButtonFont.points));
  b->setAutoDefault(false);
  static const std::map<layout::Action, void (SheetWindow::*)()> reactions = {
      {layout::Action::Find, &SheetWindow::find}, {layout::Action::Draw, &SheetWindow::draw},
      {layout::Action::SaveDxf, &SheetWindow::saveDxf}, {layout::Action::Help, &SheetWindow::help},
      {layout::Action::Exit, &SheetWindow::exitProgram}};
  connect(b, &QPushButton::clicked, this, reactions.at(c.action));
  if (c.action == layout::Action::Draw) {
    b->setDefault(true);
    draw_ = b;
  }
  return b;
}

// Placed on the screen, then the fields from veskar-sheet.ini (the first start's without a
// screen), the focus in the division's 图号.
void SheetWindow::loadSequence() {
  const bool placed = CenterOnScreen(*this);
  setFields(mapsheet::fieldsOf(placed ? settings::LoadSheetSettings(appDir_.toStdString()) : settings::sheetDefaults()));
  inputs_[mapsheet::numberField(fields())]->setFocus(Qt::OtherFocusReason);
}

settings::SheetSettings SheetWindow::values() const {
  settings::SheetSettings s;
  for (std::size_t i = 0; i < inputs_.size(); ++i) {
    if (const auto* line = qobject_cast<const QLineEdit*>(inputs_[i])) {
      s.values[i] = line->text().toStdString();
    } else if (const auto* check = qobject_cast<const QCheckBox*>(inputs_[i])) {
      s.values[i] = std::string(1, check->isChecked() ? '1' : '0');
    } else if (const auto* box = qobject_cast<const QComboBox*>(inputs_[i])) {
      s.values[i] = (box->isEditable() ? box->currentText() : box->currentData().toString()).toStdString();
    }
  }
  return s;
}

void SheetWindow::setFields(const mapsheet::SheetFields& f) {
  const settings::SheetSettings s = mapsheet::settingsOf(f);
  for (std::size_t i = 0; i < inputs_.size(); ++i) {
    const QString value = qs(s.values[i]);
    if (auto* line = qobject_cast<QLineEdit*>(inputs_[i])) {
      line->setText(value);
    } else if (auto* check = qobject_cast<QCheckBox*>(inputs_[i])) {
      check->setChecked(value == QLatin1String("1"));
    } else if (auto* box = qobject_cast<QComboBox*>(inputs_[i]); box && box->isEditable()) {
      box->setEditText(value);
    } else if (box) {
      box->setCurrentIndex(box->findData(value));
    }
  }
  refresh();
}

mapsheet::SheetFields SheetWindow::fields() const { return mapsheet::fieldsOf(values()); }

void SheetWindow::refresh() {
  if (!built_) return;  // the lists' first items, while the controls are made
  const mapsheet::SheetFields f = fields();
  for (std::size_t i = 0; i < layout::kSheet.size(); ++i)
    controls_[i]->setVisible(layout::shownIn(layout::kSheet[i].shown, f.division == mapsheet::Division::Square));
  for (std::size_t i = 0; i < inputs_.size(); ++i)
    inputs_[i]->setEnabled(mapsheet::counts(f, static_cast<settings::SheetFieldIndex>(i)));
  // The line under 图号, black or in red; 方里网间距's hint for the scale.
  const mapsheet::NumberNote n = mapsheet::numberNote(f);
  QPalette pal = note_->palette();
  pal.setColor(QPalette::WindowText, colourOf(n.fault ? layout::kRed : layout::kBlack));
  note_->setPalette(pal);
  note_->setText(qs(n.text));
  qobject_cast<QLineEdit*>(inputs_[settings::kSheetGrid])->setPlaceholderText(qs(mapsheet::gridHint(f)));
}

// The field that has the focus light green, its text selected; an editable drop-down list's
// field too.
bool SheetWindow::eventFilter(QObject* watched, QEvent* event) {
  auto* field = qobject_cast<QLineEdit*>(watched);
  if (auto* box = qobject_cast<QComboBox*>(watched)) field = box->lineEdit();
  if (field && event->type() == QEvent::FocusIn) {
    field->selectAll();
    setFieldBackground(field, colourOf(layout::kFocusBackground));
  } else if (field && event->type() == QEvent::FocusOut) {
    setFieldBackground(field, QApplication::palette().color(QPalette::Base));
  }
  return QWidget::eventFilter(watched, event);
}

void SheetWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return QWidget::keyPressEvent(event);
  if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget()); button && isAncestorOf(button)) {
    button->click();
  } else {
    draw_->click();
  }
}

mapsheet::SaveSheetSettingsFn SheetWindow::saver() const {
  const std::string dir = appDir_.toStdString();
  return [dir](const settings::SheetSettings& s) { return settings::SaveSheetSettings(dir, s); };
}

void SheetWindow::showMessages(const std::vector<std::string>& texts) {
  for (const std::string& text : texts) messages_->show(this, qs(text));
}

void SheetWindow::find() {
  const mapsheet::SheetFields f = fields();
  const mapsheet::Found found = mapsheet::findSheet(f);
  if (!found.refusal.empty()) return showMessages({found.refusal});
  qobject_cast<QLineEdit*>(inputs_[mapsheet::numberField(f)])->setText(qs(found.number));
}

void SheetWindow::draw() {
  mapsheet::SheetPress run;
  {
    DrawGuard guard(this, options_.progressAfterMs, mapsheet::kSheetProgressTitle);
    run = mapsheet::drawSheet(fields(), saver(), connect_, guard.progressFn());
  }
  showMessages(mapsheet::sheetMessages(run));
}

// The window takes input while its save dialog is open, and none from the choice to the end.
void SheetWindow::saveDxf() {
  std::optional<DrawGuard> guard;
  const mapsheet::ChooseFileFn choose = [&](const std::string& name) -> std::optional<std::string> {
    const QString path = options_.chooseFile ? options_.chooseFile(this, qs(name)) : dialogPath(this, qs(name));
    if (path.isEmpty()) return std::nullopt;
    guard.emplace(this, options_.progressAfterMs, mapsheet::kSheetProgressTitle);
    return path.toStdString();
  };
  const mapsheet::SheetPress run = mapsheet::saveSheetDxf(fields(), saver(), choose, [&](const graticule::EmissionProgress& p) {
    if (guard) guard->progressFn()(p);
  });
  guard.reset();
  showMessages(mapsheet::sheetMessages(run));
}

void SheetWindow::help() {
  shell_->showHelp(qs(settings::AppFilePath(appDir_.toStdString(), layout::kHelpFile)),
                   QString::fromUtf8(layout::kSheetHelpTopic));
}

void SheetWindow::exitProgram() {
  close();
  QCoreApplication::exit(0);
}

}  // namespace veskar::ui
