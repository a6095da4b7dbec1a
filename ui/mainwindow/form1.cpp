#include "ui/mainwindow/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>

#include "graticule/draw_messages.h"
#include "settings/settings.h"
#include "ui/mainwindow/about_config.h"
#include "ui/mainwindow/aboutfrm.h"
#include "ui/mainwindow/fonts.h"
#include "ui/mainwindow/placement.h"
#include "ui/mainwindow/platform.h"
#include "ui/mainwindow/twips.h"

#ifdef VESKAR_HAVE_BUS
#include "cad/bus/cadbas.h"
#endif

namespace veskar::ui {
namespace {

// Client area in twips.
constexpr int kClientWidth = 4530;
constexpr int kClientHeight = 2850;

// Labels and the check box caption: 0x00FF0000, pure blue.
const QColor kCaptionBlue(0, 0, 255);

struct Place {
  int left, top, width, height;
};

// Text1 .. Text7, in tab order.
constexpr std::array<Place, 7> kTextPlaces{{
    {1260, 240, 855, 270},   // Text1 start longitude
    {1260, 960, 855, 270},   // Text2 number of meridians
    {3420, 240, 855, 270},   // Text3 start latitude
    {3420, 960, 855, 270},   // Text4 number of parallels
    {1260, 600, 855, 270},   // Text5 longitude spacing
    {3420, 600, 855, 270},   // Text6 latitude spacing
    {1260, 1320, 855, 270},  // Text7 central meridian
}};

struct LabelSpec {
  const char* name;
  const char16_t* caption;
  Place place;
};

// In the window's tab order (labels take no focus; the order only keeps the layout's).
const LabelSpec kLabels[] = {
    {"Label6", u"纬度间距", {2580, 645, 720, 180}},
    {"Label5", u"经度间距", {420, 645, 720, 180}},
    {"Label4", u"纬线根数", {2580, 1005, 720, 180}},
    {"Label3", u"起始纬度", {2580, 285, 720, 180}},
    {"Label2", u"经线根数", {420, 1005, 720, 180}},
    {"Label1", u"起始经度", {420, 285, 720, 180}},
    {"Label9", u"中央子午线", {240, 1365, 900, 180}},
};

struct ButtonSpec {
  const char* name;
  const char16_t* caption;
  Place place;
};

const ButtonSpec kButtons[] = {
    {"Command1", u"  绘  图", {720, 1800, 1335, 375}},
    {"xpcmdbutton3", u"  更多软件", {720, 2280, 1335, 375}},
    {"xpcmdbutton4", u"  帮  助", {2640, 1800, 1335, 375}},
    {"xpcmdbutton5", u"  退  出", {2640, 2280, 1335, 375}},
};

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

QRect placeRect(const Place& p, double dpi) {
  return twipsRect(p.left, p.top, p.width, p.height, dpi);
}

// The system's window (field) background, COLOR_WINDOW.
QColor systemWindowColor() { return QApplication::palette().color(QPalette::Base); }

void setFieldBackground(QLineEdit* field, const QColor& color) {
  QPalette pal = field->palette();
  pal.setColor(QPalette::Base, color);
  field->setPalette(pal);
}

}  // namespace

struct Form1::Bus {
#ifdef VESKAR_HAVE_BUS
  explicit Bus(const QString& dir) : cadbas(dir) {}
  cad::Cadbas cadbas;
#else
  explicit Bus(const QString&) {}
#endif
};

Form1::Form1(Form1Options options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      options_(std::move(options)),
      appDir_(options_.appDir.isEmpty() ? QString::fromStdString(settings::applicationDirectory())
                                        : options_.appDir),
      shell_(options_.shell ? options_.shell : &desktopShell()),
      messages_(options_.messages ? options_.messages : &standardMessages()) {
  loadResources();
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(text::kTitle);
  setWindowIcon(QIcon(QStringLiteral(":/veskar/veskar.xpm")));
  buildControls();
  loadSequence();
}

Form1::~Form1() = default;

void Form1::buildControls() {
  installFontSubstitutes();
  const double dpi = logicalDpi(*this);
  // Fixed single border: no resizing, no maximising.
  setFixedSize(twipsToPixels(kClientWidth, dpi), twipsToPixels(kClientHeight, dpi));

  QPalette blue = palette();
  blue.setColor(QPalette::WindowText, kCaptionBlue);

  // Created in tab order, so the focus chain is the tab order.
  for (std::size_t i = 0; i < text_.size(); ++i) {
    auto* field = new QLineEdit(this);
    field->setObjectName(QStringLiteral("Text%1").arg(i + 1));
    field->setGeometry(placeRect(kTextPlaces[i], dpi));
    // Text5 and Text6, the spacings, have no tooltip.
    if (i != 4 && i != 5) field->setToolTip(text::kAngleTip);
    field->installEventFilter(this);
    text_[i] = field;
  }
  for (const LabelSpec& l : kLabels) {
    auto* label = new QLabel(QString::fromUtf16(l.caption), this);
    label->setObjectName(QString::fromLatin1(l.name));
    label->setGeometry(placeRect(l.place, dpi));
    label->setPalette(blue);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }
  check1_ = new CheckBox(QStringLiteral("北京54坐标系"), this);
  check1_->setObjectName(QStringLiteral("Check1"));
  check1_->setGeometry(placeRect({2640, 1320, 1455, 375}, dpi));
  check1_->setPalette(blue);
  check1_->setCheckState(Qt::Checked);

  const QFont buttonFont = songFont(9);
  std::array<QPushButton*, 4> buttons{};
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    auto* b = new QPushButton(QString::fromUtf16(kButtons[i].caption), this);
    b->setObjectName(QString::fromLatin1(kButtons[i].name));
    b->setGeometry(placeRect(kButtons[i].place, dpi));
    b->setFont(buttonFont);
    b->setAutoDefault(false);
    buttons[i] = b;
  }
  connect(buttons[0], &QPushButton::clicked, this, &Form1::draw);
  connect(buttons[1], &QPushButton::clicked, this, &Form1::moreSoftware);
  connect(buttons[2], &QPushButton::clicked, this, &Form1::help);
  connect(buttons[3], &QPushButton::clicked, this, &Form1::exitProgram);

  // Tab order: Text1 .. Text7, Check1, Draw, More software, Help, Exit, back to Text1.
  QWidget* previous = text_[0];
  auto chain = [&previous](QWidget* next) {
    setTabOrder(previous, next);
    previous = next;
  };
  for (std::size_t i = 1; i < text_.size(); ++i) chain(text_[i]);
  chain(check1_);
  for (QPushButton* b : buttons) chain(b);

  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  f1->setContext(Qt::WindowShortcut);
  connect(f1, &QShortcut::activated, this, &Form1::help);
}

void Form1::loadSequence() {
  // 1. The help file, for the Help button and F1.
  helpFile_ = QString::fromStdString(settings::AppFilePath(appDir_.toStdString(), "vesk.chm"));
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
        setFieldBackground(field, QColor::fromRgb(kFocusRgb));
      } else {
        setFieldBackground(field, systemWindowColor());
      }
      break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool Form1::connectOverBus(graticule::CadLink& link, std::string& error) {
#ifdef VESKAR_HAVE_BUS
  if (!bus_) bus_ = std::make_unique<Bus>(options_.cadProgramDir);
  const bool ok = bus_->cadbas.ConnectCad(error);
  link.CadApp = bus_->cadbas.CadApp;
  link.CadDoc = bus_->cadbas.CadDoc;
  link.documentError = bus_->cadbas.documentError;
  return ok;
#else
  (void)link;
  error = "本程序构建时未包含与绘图程序 veskar-cad 的连接。";
  return false;
#endif
}

void Form1::draw() {
  graticule::DrawInputs in;
  for (std::size_t i = 0; i < text_.size(); ++i) in.texts[i] = text_[i]->text().toStdString();
  in.check = checkValue();
  const std::string dir = appDir_.toStdString();
  const graticule::SaveSettingsFn save = [dir](const settings::SettingsRecord& record) {
    return settings::SaveSettings(dir, record);
  };
  const graticule::ConnectCadFn connect =
      options_.connectCad ? options_.connectCad
                          : graticule::ConnectCadFn([this](graticule::CadLink& link,
                                                           std::string& error) {
                              return connectOverBus(link, error);
                            });

  QApplication::setOverrideCursor(Qt::WaitCursor);
  // Let the window system show the cursor now; no input reaches the window until Draw ends.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  graticule::DrawOutcome outcome;
  try {
    outcome = graticule::RunDrawCommand(in, save, connect);
  } catch (...) {
    QApplication::restoreOverrideCursor();
    throw;
  }
  QApplication::restoreOverrideCursor();
  showOutcome(outcome);
}

void Form1::showOutcome(const graticule::DrawOutcome& outcome) {
  for (const std::string& text : graticule::drawMessages(outcome))
    messages_->show(this, QString::fromStdString(text));
}

void Form1::moreSoftware() {
  shell_->open(QUrl(about::kMakerUrl));
  AboutForm about(shell_, this);
  about.exec();
}

void Form1::help() {
  shell_->showHelp(QString::fromStdString(settings::AppFilePath(appDir_.toStdString(), "vesk.chm")));
}

void Form1::exitProgram() {
  // Ends the program: Form1 is its only window. Nothing is saved, the drawing application
  // is left running.
  close();
  QCoreApplication::exit(0);
}

}  // namespace veskar::ui
