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

#include "geodesy/sheets.h"
#include "mapsheet/frame_style.h"
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
  for (const layout::Control& c : layout::kSheet) {
    QWidget* w = makeControl(c, blue);
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
}

QWidget* SheetWindow::makeControl(const layout::Control& c, const QPalette& blue) {
  const auto field = static_cast<std::size_t>(c.field);
  switch (c.kind) {
    case layout::Kind::Field:
      lines_[field] = new QLineEdit(this);
      lines_[field]->installEventFilter(this);
      if (field == settings::kSheetNumber) connect(lines_[field], &QLineEdit::textChanged, this, &SheetWindow::numberChanged);
      return lines_[field];
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
    case layout::Kind::CheckBox:
      checks_[field] = new QCheckBox(QString::fromUtf8(c.caption), this);
      checks_[field]->setPalette(blue);
      if (field == settings::kSheetFinished) connect(checks_[field], &QCheckBox::toggled, this, &SheetWindow::finishedChanged);
      return checks_[field];
    case layout::Kind::Choice: {
      auto* box = choices_[field] = new QComboBox(this);
      if (field == settings::kSheetScale) {
        for (const int d : geodesy::SheetScales()) box->addItem(qs(mapsheet::scaleText(d)), d);
      } else {
        for (std::size_t i = 0; i < mapsheet::kSystemChoices.size(); ++i)
          box->addItem(QString::fromUtf8(mapsheet::systemTitle(mapsheet::kSystemChoices[i].system)), int(i));
      }
      return box;
    }
    case layout::Kind::Button: break;
  }
  return makeButton(c);
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
// screen), the focus in 图号.
void SheetWindow::loadSequence() {
  const bool placed = CenterOnScreen(*this);
  setFields(mapsheet::fieldsOf(placed ? settings::LoadSheetSettings(appDir_.toStdString()) : settings::sheetDefaults()));
  lines_[settings::kSheetNumber]->setFocus(Qt::OtherFocusReason);
}

void SheetWindow::setFields(const mapsheet::SheetFields& f) {
  using namespace settings;
  const std::pair<SheetFieldIndex, const std::string*> texts[] = {
      {kSheetNumber, &f.number}, {kSheetLatitude, &f.latitude}, {kSheetLongitude, &f.longitude},
      {kSheetGrid, &f.grid}, {kSheetTitle, &f.title}};
  for (const auto& [i, text] : texts) lines_[i]->setText(qs(*text));
  choices_[kSheetScale]->setCurrentIndex(choices_[kSheetScale]->findData(f.scale));
  for (std::size_t i = 0; i < mapsheet::kSystemChoices.size(); ++i)
    if (mapsheet::kSystemChoices[i].system == f.system) choices_[kSheetSystem]->setCurrentIndex(int(i));
  checks_[kSheetFinished]->setChecked(f.finished);
  checks_[kSheetZonePrefix]->setChecked(f.zonePrefix);
  numberChanged();
  finishedChanged();
}

mapsheet::SheetFields SheetWindow::fields() const {
  using namespace settings;
  mapsheet::SheetFields f;
  f.number = lines_[kSheetNumber]->text().toStdString();
  f.latitude = lines_[kSheetLatitude]->text().toStdString();
  f.longitude = lines_[kSheetLongitude]->text().toStdString();
  f.scale = choices_[kSheetScale]->currentData().toInt();
  f.system = mapsheet::kSystemChoices[std::size_t(choices_[kSheetSystem]->currentData().toInt())].system;
  f.grid = lines_[kSheetGrid]->text().toStdString();
  f.title = lines_[kSheetTitle]->text().toStdString();
  f.finished = checks_[kSheetFinished]->isChecked();
  f.zonePrefix = checks_[kSheetZonePrefix]->isChecked();
  return f;
}

// The line under 图号, black or in red; 方里网间距's hint for the scale.
void SheetWindow::numberChanged() {
  const std::string number = lines_[settings::kSheetNumber]->text().toStdString();
  const mapsheet::NumberNote n = mapsheet::numberNote(number);
  QPalette pal = note_->palette();
  pal.setColor(QPalette::WindowText, colourOf(n.fault ? layout::kRed : layout::kBlack));
  note_->setPalette(pal);
  note_->setText(qs(n.text));
  lines_[settings::kSheetGrid]->setPlaceholderText(qs(mapsheet::gridHint(number)));
}

// 方里网间距 and 图名 belong to the finished frame.
void SheetWindow::finishedChanged() {
  const bool finished = checks_[settings::kSheetFinished]->isChecked();
  lines_[settings::kSheetGrid]->setEnabled(finished);
  lines_[settings::kSheetTitle]->setEnabled(finished);
}

bool SheetWindow::eventFilter(QObject* watched, QEvent* event) {
  auto* field = qobject_cast<QLineEdit*>(watched);
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
  const mapsheet::Found found = mapsheet::findSheet(fields());
  if (!found.refusal.empty()) return showMessages({found.refusal});
  lines_[settings::kSheetNumber]->setText(qs(found.number));
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
