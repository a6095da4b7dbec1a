#include "ui/mainwindow/aboutfrm.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <functional>

#include "ui/mainwindow/about_config.h"
#include "ui/mainwindow/fonts.h"
#include "ui/mainwindow/placement.h"
#include "ui/mainwindow/platform.h"
#include "ui/mainwindow/twips.h"

namespace veskar::ui {
namespace {

constexpr int kClientWidth = 5100;  // twips
constexpr int kClientHeight = 2160;

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

// A label or picture that reacts to a click (press and release inside it).
class ClickLabel final : public QLabel {
 public:
  explicit ClickLabel(QWidget* parent) : QLabel(parent) {}
  std::function<void()> onClick;

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) e->accept();
    else QLabel::mousePressEvent(e);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick) {
      onClick();
      return;
    }
    QLabel::mouseReleaseEvent(e);
  }
};

}  // namespace

AboutForm::AboutForm(Shell* shell, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      shell_(shell ? shell : &desktopShell()) {
  loadResources();
  setObjectName(QStringLiteral("aboutfrm"));
  setModal(true);
  setWindowTitle(about::kMakerName);
  installFontSubstitutes();
  setFont(namedFont(kTahomaFamily, 8.25));
  const double dpi = logicalDpi(*this);
  setFixedSize(twipsToPixels(kClientWidth, dpi), twipsToPixels(kClientHeight, dpi));
  auto at = [dpi](QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(twipsRect(left, top, width, height, dpi));
  };
  const auto openMaker = [this] { shell_->open(QUrl(about::kMakerUrl)); };

  // The white band across the top, wider than the window, with the icon and the header.
  auto* head = new ClickLabel(this);
  head->setObjectName(QStringLiteral("picBGHead"));
  head->setAutoFillBackground(true);
  QPalette white = head->palette();
  white.setColor(QPalette::Window, Qt::white);
  head->setPalette(white);
  at(head, 0, 0, 5790, 615);
  head->onClick = openMaker;

  auto* icon = new ClickLabel(head);
  icon->setObjectName(QStringLiteral("picBGHeadIcon"));
  icon->setPixmap(QPixmap(QStringLiteral(":/veskar/veskar.xpm")));
  at(icon, 240, 120, 480, 480);
  icon->onClick = openMaker;

  auto* info = new ClickLabel(head);
  info->setObjectName(QStringLiteral("lblBGHeadInfo1"));
  info->setText(about::kMakerName + QStringLiteral("－原创、专业、免费、无限制"));
  info->setFont(songFont(9, true));
  QPalette black = info->palette();
  black.setColor(QPalette::WindowText, Qt::black);
  info->setPalette(black);
  info->setToolTip(about::kOrganisationUrl);
  at(info, 960, 240, 3855, 255);
  info->onClick = openMaker;

  auto* border = new QFrame(this);
  border->setObjectName(QStringLiteral("linBorder"));
  border->setFrameShape(QFrame::NoFrame);
  border->setAutoFillBackground(true);
  QPalette grey = border->palette();
  grey.setColor(QPalette::Window, QColor(128, 128, 128));
  border->setPalette(grey);
  // A one-pixel line from (0, 615) to (5760, 615).
  border->setGeometry(0, twipsToPixels(615, dpi), twipsToPixels(5760, dpi), 1);

  auto label = [&](const char* name, const QString& text, const QColor& colour, const QFont& font,
                   int left, int top, int width, int height) {
    auto* l = new ClickLabel(this);
    l->setObjectName(QString::fromLatin1(name));
    l->setText(text);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    l->setFont(font);
    at(l, left, top, width, height);
    return l;
  };
  const QFont tahoma9 = namedFont(kTahomaFamily, 9);
  const QFont formFont = font();
  QFont tahomaLink = namedFont(kTahomaFamily, 8.25);
  tahomaLink.setUnderline(true);
  const QFont verdana = namedFont(kVerdanaFamily, 6.75);
  QFont verdanaLink = verdana;
  verdanaLink.setUnderline(true);

  label("Label2", QStringLiteral("作 者："), kRed, tahoma9, 600, 720, 600, 210);
  label("Label7", about::kAuthorName, kBlue, formFont, 1320, 720, 540, 195);
  label("Label3", QStringLiteral("单 位："), kRed, tahoma9, 600, 1080, 600, 210);
  // Looks like a link, but has no click of its own.
  ClickLabel* organisation =
      label("Label9", about::kOrganisationName, kBlue, tahomaLink, 1320, 1080, 1800, 195);
  organisation->setCursor(Qt::PointingHandCursor);
  organisation->setToolTip(about::kOrganisationUrl);
  label("Label5", QStringLiteral("E-mail："), kRed, tahoma9, 555, 1440, 645, 210);
  ClickLabel* mail =
      label("lblHomepage", about::kAuthorEmail, kBlue, verdana, 1320, 1440, 1950, 180);
  mail->setCursor(Qt::PointingHandCursor);
  mail->onClick = [this] {
    shell_->open(QUrl(QStringLiteral("mailto:") + about::kAuthorEmail));
  };
  label("Label6", QStringLiteral("软件下载："), kRed, tahoma9, 300, 1800, 900, 210);
  // The address as people write it: without the scheme and the closing "/".
  QString shown = about::kMakerUrl;
  if (const qsizetype scheme = shown.indexOf(QStringLiteral("://")); scheme >= 0)
    shown.remove(0, scheme + 3);
  if (shown.endsWith(QLatin1Char('/'))) shown.chop(1);
  ClickLabel* page = label("Label4", shown, kBlue, verdanaLink, 1320, 1800, 1395, 180);
  page->setCursor(Qt::PointingHandCursor);
  page->setToolTip(about::kMakerName);
  page->onClick = openMaker;

  auto* ok = new QPushButton(QStringLiteral("  确  定"), this);
  ok->setObjectName(QStringLiteral("Command1"));
  ok->setFont(songFont(9));
  at(ok, 3480, 1440, 1335, 375);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  ok->setFocus();

  CenterForm(*this);
}

}  // namespace veskar::ui
