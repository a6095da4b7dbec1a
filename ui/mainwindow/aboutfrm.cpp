#include "ui/mainwindow/aboutfrm.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <functional>

#include "ui/layout/forms.h"
#include "ui/mainwindow/fonts.h"
#include "ui/mainwindow/placement.h"
#include "ui/mainwindow/platform.h"
#include "ui/mainwindow/twips.h"

namespace veskar::ui {
namespace {

QColor colourOf(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

QString q(const std::string& s) { return QString::fromStdString(s); }

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

QFont AboutForm::fontOf(const layout::Font& f) const {
  if (!f.family) return font();
  QFont font = namedFont(QString::fromUtf8(f.family), f.points, f.bold);
  font.setUnderline(f.underline);
  return font;
}

AboutForm::AboutForm(Shell* shell, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      shell_(shell ? shell : &desktopShell()) {
  loadResources();
  setObjectName(QStringLiteral("aboutfrm"));
  setModal(true);
  setWindowTitle(q(layout::aboutTitle()));
  installFontSubstitutes();
  setFont(namedFont(QString::fromUtf8(layout::kAboutFont.family), layout::kAboutFont.points));
  const double dpi = logicalDpi(*this);
  setFixedSize(twipsToPixels(layout::kAboutWidth, dpi), twipsToPixels(layout::kAboutHeight, dpi));
  QWidget* band = this;
  for (const layout::AboutElement& e : layout::kAbout) {
    QWidget* w = makeElement(e, e.inBand ? band : this);
    if (e.kind == layout::AboutElement::Kind::Band) band = w;
    const auto& p = e.place;
    if (e.kind == layout::AboutElement::Kind::Line) {
      w->setGeometry(twipsToPixels(p.left, dpi), twipsToPixels(p.top, dpi), twipsToPixels(p.width, dpi), 1);
    } else {
      w->setGeometry(twipsRect(p.left, p.top, p.width, p.height, dpi));
    }
  }
  CenterForm(*this);
}

QWidget* AboutForm::makeElement(const layout::AboutElement& e, QWidget* parent) {
  using Kind = layout::AboutElement::Kind;
  if (e.kind == Kind::Button) {
    auto* ok = new QPushButton(q(layout::aboutText(e)), this);
    ok->setObjectName(QString::fromLatin1(e.name));
    ok->setFont(fontOf(e.font));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
    return ok;
  }
  if (e.kind == Kind::Line) {
    auto* line = new QFrame(this);
    line->setObjectName(QString::fromLatin1(e.name));
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, colourOf(e.colour));
    line->setPalette(pal);
    return line;
  }
  auto* l = new ClickLabel(parent);
  l->setObjectName(QString::fromLatin1(e.name));
  QPalette pal = l->palette();
  if (e.kind == Kind::Band) {
    l->setAutoFillBackground(true);
    pal.setColor(QPalette::Window, colourOf(e.colour));
  } else if (e.kind == Kind::Icon) {
    l->setPixmap(QPixmap(QStringLiteral(":/veskar/veskar.xpm")));
  } else {
    l->setText(q(layout::aboutText(e)));
    pal.setColor(QPalette::WindowText, colourOf(e.colour));
    l->setFont(fontOf(e.font));
  }
  l->setPalette(pal);
  if (const std::string tip = layout::aboutTip(e); !tip.empty()) l->setToolTip(q(tip));
  if (e.handPointer) l->setCursor(Qt::PointingHandCursor);
  switch (e.click) {
    case layout::AboutClick::MakerPage:
      l->onClick = [this] { shell_->open(QUrl(q(layout::makerPage()))); };
      break;
    case layout::AboutClick::Mail:
      l->onClick = [this] { shell_->open(QUrl(q(layout::mailTo()))); };
      break;
    default:
      break;
  }
  return l;
}

}  // namespace veskar::ui
