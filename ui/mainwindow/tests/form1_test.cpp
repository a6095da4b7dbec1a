// Form1 and aboutfrm on the offscreen platform: layout at 96 dpi, tab order, focus colours, the
// load sequence, placement, Help, More software, Exit and Draw with an in-process drawing.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

#include "cad/inprocess.h"
#include "ui/layout/about_config.h"
#include "ui/mainwindow/aboutfrm.h"
#include "ui/mainwindow/drawprogress.h"
#include "ui/mainwindow/form1.h"
#include "ui/mainwindow/placement.h"
#include "ui/mainwindow/platform.h"
#include "ui/mainwindow/tests/fakes.h"

using namespace veskar;
using veskar::ui::Form1;
using veskar::testing::FakeMessages;
using veskar::testing::FakeShell;

namespace {

const QStringList kMissingDefaults{"114.00", "3", "29.00", "5", "0.15", "0.10", "115.15"};
const QStringList kReadFailureDefaults{"113.00", "3", "29.00", "5", "0.15", "0.10", "115.15"};
const QStringList kWorkedExample{"114", "5", "29.2", "10", "0.15", "0.1", "115.15"};

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QLineEdit* field(Form1& form, int n) {
  return form.findChild<QLineEdit*>(QStringLiteral("Text%1").arg(n));
}

QStringList fieldTexts(Form1& form) {
  QStringList texts;
  for (int n = 1; n <= 7; ++n) texts << field(form, n)->text();
  return texts;
}

void setFieldTexts(Form1& form, const QStringList& texts) {
  for (int n = 1; n <= 7; ++n) field(form, n)->setText(texts[n - 1]);
}

const QColor kGreen(0xC0, 0xFF, 0xC0);

QColor background(QLineEdit* f) { return f->palette().color(QPalette::Base); }

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  FakeShell shell_;
  FakeMessages messages_;

  ui::Form1Options options(graticule::ConnectCadFn connect = {}) {
    ui::Form1Options o;
    o.appDir = dir_.path();
    o.shell = &shell_;
    o.messages = &messages_;
    o.connectCad = std::move(connect);
    return o;
  }
  QString iniPath() const { return dir_.path() + QStringLiteral("/vesk.ini"); }

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    QFile::remove(iniPath());
    shell_ = FakeShell();
    messages_.shown.clear();
  }

  void screenIs96Dpi() {
    QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInch(), 96.0);
  }

  void clientAreaIsFixed302x190() {
    Form1 form(options());
    QCOMPARE(form.size(), QSize(302, 190));
    QCOMPARE(form.minimumSize(), QSize(302, 190));
    QCOMPARE(form.maximumSize(), QSize(302, 190));
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QCOMPARE(form.windowTitle(), QStringLiteral("Veskar V1.0"));
    QVERIFY(!form.windowIcon().isNull());
  }

  void controlGeometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");  // twips / 15
    QTest::newRow("Text1") << "Text1" << QRect(84, 16, 57, 18);
    QTest::newRow("Text2") << "Text2" << QRect(84, 64, 57, 18);
    QTest::newRow("Text3") << "Text3" << QRect(228, 16, 57, 18);
    QTest::newRow("Text4") << "Text4" << QRect(228, 64, 57, 18);
    QTest::newRow("Text5") << "Text5" << QRect(84, 40, 57, 18);
    QTest::newRow("Text6") << "Text6" << QRect(228, 40, 57, 18);
    QTest::newRow("Text7") << "Text7" << QRect(84, 88, 57, 18);
    QTest::newRow("Label6") << "Label6" << QRect(172, 43, 48, 12);
    QTest::newRow("Label5") << "Label5" << QRect(28, 43, 48, 12);
    QTest::newRow("Label4") << "Label4" << QRect(172, 67, 48, 12);
    QTest::newRow("Label3") << "Label3" << QRect(172, 19, 48, 12);
    QTest::newRow("Label2") << "Label2" << QRect(28, 67, 48, 12);
    QTest::newRow("Label1") << "Label1" << QRect(28, 19, 48, 12);
    QTest::newRow("Label9") << "Label9" << QRect(16, 91, 60, 12);
    QTest::newRow("Check1") << "Check1" << QRect(176, 88, 97, 25);
    QTest::newRow("Command1") << "Command1" << QRect(48, 120, 89, 25);
    QTest::newRow("xpcmdbutton3") << "xpcmdbutton3" << QRect(48, 152, 89, 25);
    QTest::newRow("xpcmdbutton4") << "xpcmdbutton4" << QRect(176, 120, 89, 25);
    QTest::newRow("xpcmdbutton5") << "xpcmdbutton5" << QRect(176, 152, 89, 25);
  }
  void controlGeometry() {
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    Form1 form(options());
    QWidget* w = form.findChild<QWidget*>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->geometry(), pixels);
  }

  void captionsAndTooltips_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    const QString tip = QStringLiteral("用°′″表示，如：140.022866为140°02′28.66″");
    QTest::newRow("Text1") << "Text1" << QString() << tip;
    QTest::newRow("Text2") << "Text2" << QString() << tip;
    QTest::newRow("Text3") << "Text3" << QString() << tip;
    QTest::newRow("Text4") << "Text4" << QString() << tip;
    QTest::newRow("Text5") << "Text5" << QString() << QString();
    QTest::newRow("Text6") << "Text6" << QString() << QString();
    QTest::newRow("Text7") << "Text7" << QString() << tip;
    QTest::newRow("Label1") << "Label1" << QStringLiteral("起始经度") << QString();
    QTest::newRow("Label2") << "Label2" << QStringLiteral("经线根数") << QString();
    QTest::newRow("Label3") << "Label3" << QStringLiteral("起始纬度") << QString();
    QTest::newRow("Label4") << "Label4" << QStringLiteral("纬线根数") << QString();
    QTest::newRow("Label5") << "Label5" << QStringLiteral("经度间距") << QString();
    QTest::newRow("Label6") << "Label6" << QStringLiteral("纬度间距") << QString();
    QTest::newRow("Label9") << "Label9" << QStringLiteral("中央子午线") << QString();
    QTest::newRow("Check1") << "Check1" << QStringLiteral("北京54坐标系") << QString();
    QTest::newRow("Command1") << "Command1" << QStringLiteral("  绘  图") << QString();
    QTest::newRow("xpcmdbutton3") << "xpcmdbutton3" << QStringLiteral("  更多软件") << QString();
    QTest::newRow("xpcmdbutton4") << "xpcmdbutton4" << QStringLiteral("  帮  助") << QString();
    QTest::newRow("xpcmdbutton5") << "xpcmdbutton5" << QStringLiteral("  退  出") << QString();
  }
  void captionsAndTooltips() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    Form1 form(options());
    QWidget* w = form.findChild<QWidget*>(name);
    QVERIFY(w);
    if (auto* l = qobject_cast<QLabel*>(w)) QCOMPARE(l->text(), caption);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) QCOMPARE(b->text(), caption);
    QCOMPARE(w->toolTip(), tooltip);
  }

  void captionsAreBlueAndButtonsSong9pt() {
    Form1 form(options());
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label9",
                             "Check1"}) {
      QWidget* w = form.findChild<QWidget*>(QString::fromLatin1(name));
      QCOMPARE(w->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    }
    for (const char* name : {"Command1", "xpcmdbutton3", "xpcmdbutton4", "xpcmdbutton5"}) {
      auto* b = form.findChild<QPushButton*>(QString::fromLatin1(name));
      QCOMPARE(b->font().family(), QStringLiteral("宋体"));
      QCOMPARE(b->font().pointSizeF(), 9.0);
      QCOMPARE(b->font().weight(), QFont::Normal);
      // The family resolves to an installed Song/Ming face with the Chinese glyphs.
      const QString resolved = QFontInfo(b->font()).family();
      QVERIFY2(resolved.startsWith(QStringLiteral("AR PL UMing")) ||
                   resolved.contains(QStringLiteral("Serif CJK")) ||
                   resolved == QStringLiteral("SimSun"),
               qPrintable(resolved));
      QVERIFY(QFontMetrics(b->font()).inFontUcs4(U'绘'));
    }
    // The other controls keep the window's font.
    QCOMPARE(field(form, 1)->font(), form.font());
  }

  void tabOrderRunsByFieldNumberThenCheckAndButtons() {
    Form1 form(options());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 12; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7",
                                   "Check1", "Command1", "xpcmdbutton3", "xpcmdbutton4",
                                   "xpcmdbutton5", "Text1"}));
  }

  void focusedFieldIsLightGreenWithItsTextSelected() {
    Form1 form(options());
    const QColor window = QApplication::palette().color(QPalette::Base);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    // First start: Text1 has the focus, light green, "114.00" selected.
    QCOMPARE(QApplication::focusWidget(), field(form, 1));
    QCOMPARE(background(field(form, 1)), kGreen);
    QCOMPARE(field(form, 1)->selectedText(), QStringLiteral("114.00"));
    for (int n = 2; n <= 7; ++n) QCOMPARE(background(field(form, n)), window);

    // Leaving a field restores its background even when it no longer holds a number.
    QTest::keyClicks(field(form, 1), "abc");
    QCOMPARE(field(form, 1)->text(), QStringLiteral("abc"));
    QTest::keyClick(field(form, 1), Qt::Key_Tab);
    QCOMPARE(background(field(form, 1)), window);
    QCOMPARE(background(field(form, 2)), kGreen);
    QCOMPARE(field(form, 2)->selectedText(), QStringLiteral("3"));

    // A click into a field selects all of it too.
    field(form, 6)->setFocus(Qt::MouseFocusReason);
    QCOMPARE(field(form, 6)->selectedText(), QStringLiteral("0.10"));

    // A button with the focus: no field is green.
    form.findChild<QPushButton*>("Command1")->setFocus(Qt::TabFocusReason);
    for (int n = 1; n <= 7; ++n) QCOMPARE(background(field(form, n)), window);
    QCOMPARE(field(form, 1)->text(), QStringLiteral("abc"));  // no reformatting
  }

  void loadSequenceFillsFieldsAndCheckBox_data() {
    QTest::addColumn<std::optional<QByteArray>>("file");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<Qt::CheckState>("check");
    QTest::addColumn<int>("value");
    QTest::newRow("no file") << std::optional<QByteArray>() << kMissingDefaults << Qt::Checked
                             << 1;
    QTest::newRow("seven lines")
        << std::optional<QByteArray>("120.00\r\n4\r\n30.00\r\n6\r\n0.30\r\n0.20\r\n121.00\r\n")
        << kReadFailureDefaults << Qt::Checked << 1;
    QTest::newRow("empty file") << std::optional<QByteArray>("") << kReadFailureDefaults
                                << Qt::Checked << 1;
    QTest::newRow("line 8 is 0")
        << std::optional<QByteArray>(
               "120.00\r\n4\r\n30.00\r\n6\r\n0.30\r\n0.20\r\n121.00\r\n0\r\n")
        << QStringList{"120.00", "4", "30.00", "6", "0.30", "0.20", "121.00"} << Qt::Unchecked
        << 0;
    QTest::newRow("line 8 is 2, blanks kept")
        << std::optional<QByteArray>(" 120.00 \r\n4\r\nabc\r\n6\r\n0.30\r\n0.20\r\n121.00\r\n2\r\n")
        << QStringList{" 120.00 ", "4", "abc", "6", "0.30", "0.20", "121.00"}
        << Qt::PartiallyChecked << 2;
    QTest::newRow("line 8 is 3")
        << std::optional<QByteArray>(
               "120.00\r\n4\r\n30.00\r\n6\r\n0.30\r\n0.20\r\n121.00\r\n3\r\n")
        << kReadFailureDefaults << Qt::Checked << 1;
  }
  void loadSequenceFillsFieldsAndCheckBox() {
    QFETCH(std::optional<QByteArray>, file);
    QFETCH(QStringList, texts);
    QFETCH(Qt::CheckState, check);
    QFETCH(int, value);
    if (file) writeFile(iniPath(), *file);
    Form1 form(options());
    QCOMPARE(fieldTexts(form), texts);
    QCOMPARE(form.findChild<QCheckBox*>("Check1")->checkState(), check);
    QCOMPARE(form.checkValue(), value);
    QCOMPARE(form.helpFile(), dir_.path() + QStringLiteral("/vesk.chm"));
    QVERIFY(messages_.shown.isEmpty());
  }

  void greyedBoxClickedBecomesTickedThenToggles() {
    writeFile(iniPath(), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n2\r\n");
    Form1 form(options());
    auto* box = form.findChild<QCheckBox*>("Check1");
    QCOMPARE(form.checkValue(), 2);
    QList<int> values;
    for (int i = 0; i < 3; ++i) {
      box->click();
      values << form.checkValue();
    }
    QCOMPARE(values, (QList<int>{1, 0, 1}));
  }

  void centeredPosition_data() {
    QTest::addColumn<float>("screenW");
    QTest::addColumn<float>("screenH");
    QTest::addColumn<float>("windowW");
    QTest::addColumn<float>("windowH");
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("top");
    QTest::newRow("1024x768") << 15360.f << 11520.f << 4620.f << 3315.f << 5370.f << 2735.f;
    QTest::newRow("third, not half") << 15360.f << 11520.f << 4530.f << 2850.f << 5415.f << 2890.f;
    QTest::newRow("larger than screen") << 15360.f << 11520.f << 20000.f << 12000.f << -2320.f
                                        << -160.f;
    // Single precision: 10000/3 rounds to the float nearest 3333.3333.
    QTest::newRow("single precision") << 0.f << 10000.f << 0.f << 0.f << 0.f << 3333.3333f;
  }
  void centeredPosition() {
    QFETCH(float, screenW);
    QFETCH(float, screenH);
    QFETCH(float, windowW);
    QFETCH(float, windowH);
    QFETCH(float, left);
    QFETCH(float, top);
    const ui::TwipsPosition p = ui::centeredPosition(screenW, screenH, windowW, windowH);
    QCOMPARE(p.left, left);
    QCOMPARE(p.top, top);
  }

  void centerOnScreenPlacesTheOuterFrame() {
    // 1024 x 768 pixels at 96 dpi is 15360 x 11520 twips; a window of 4620 x 3315 twips
    // (308 x 221 pixels) goes to 5370, 2735 twips: 358, 182.33 pixels.
    QWidget window;
    window.resize(308, 221);
    ui::placeOnScreen(window, QRect(0, 0, 1024, 768), 96);
    QCOMPARE(window.pos(), QPoint(358, 182));
    // On a screen that does not start at the origin, relative to the screen.
    ui::placeOnScreen(window, QRect(1024, 0, 1024, 768), 96);
    QCOMPARE(window.pos(), QPoint(1382, 182));
  }

  void loadSequencePlacesForm1OnItsScreen() {
    Form1 form(options());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect outer = form.frameGeometry();
    QCOMPARE(form.pos().x(), qRound((screen.width() - outer.width()) / 2.0));
    QCOMPARE(form.pos().y(), qRound((screen.height() - outer.height()) / 3.0));
  }

  void helpButtonAndF1OpenTheHelpFile() {
    Form1 form(options());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.findChild<QPushButton*>("xpcmdbutton4")->click();
    QTest::keyClick(field(form, 3), Qt::Key_F1);
    const QString chm = dir_.path() + QStringLiteral("/vesk.chm");
    QCOMPARE(shell_.helpFiles, (QStringList{chm, chm}));
    // The file is missing: nothing of ours is shown.
    QVERIFY(!QFile::exists(chm));
    QVERIFY(messages_.shown.isEmpty());
  }

  void moreSoftwareOpensThePageThenTheModalAboutWindow() {
    Form1 form(options());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QString modalName;
    bool formBlocked = false;
    QPoint aboutPos;
    QSize aboutClient, aboutSize;
    QTimer::singleShot(0, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      modalName = modal->objectName();
      formBlocked = !form.isEnabled() || QApplication::activeModalWidget() != &form;
      aboutPos = modal->pos();
      aboutClient = modal->size();
      aboutSize = modal->frameGeometry().size();
      modal->findChild<QPushButton*>("Command1")->click();
    });
    form.findChild<QPushButton*>("xpcmdbutton3")->click();
    QCOMPARE(modalName, QStringLiteral("aboutfrm"));
    QVERIFY(formBlocked);
    // Placed by CenterForm: centred, a third of the free height above it.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(aboutClient, QSize(340, 144));
    QCOMPARE(aboutPos, QPoint(qRound((screen.width() - aboutSize.width()) / 2.0),
                              qRound((screen.height() - aboutSize.height()) / 3.0)));
    QCOMPARE(shell_.opened, (QList<QUrl>{QUrl(QString::fromUtf8(ui::about::kMakerUrl))}));
    QCOMPARE(shell_.modalWhenOpened, (QStringList{QString()}));  // before the about window
    QVERIFY(messages_.shown.isEmpty());
  }

  void aboutWindowLayout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("picBGHead") << "picBGHead" << QRect(0, 0, 386, 41) << QColor();
    QTest::newRow("picBGHeadIcon") << "picBGHeadIcon" << QRect(16, 8, 32, 32) << QColor();
    QTest::newRow("lblBGHeadInfo1") << "lblBGHeadInfo1" << QRect(64, 16, 257, 17)
                                    << QColor(0, 0, 0);
    QTest::newRow("linBorder") << "linBorder" << QRect(0, 41, 384, 1) << QColor();
    QTest::newRow("Label2") << "Label2" << QRect(40, 48, 40, 14) << QColor(255, 0, 0);
    QTest::newRow("Label7") << "Label7" << QRect(88, 48, 36, 13) << QColor(0, 0, 255);
    QTest::newRow("Label3") << "Label3" << QRect(40, 72, 40, 14) << QColor(255, 0, 0);
    QTest::newRow("Label9") << "Label9" << QRect(88, 72, 120, 13) << QColor(0, 0, 255);
    QTest::newRow("Label5") << "Label5" << QRect(37, 96, 43, 14) << QColor(255, 0, 0);
    QTest::newRow("lblHomepage") << "lblHomepage" << QRect(88, 96, 130, 12) << QColor(0, 0, 255);
    QTest::newRow("Label6") << "Label6" << QRect(20, 120, 60, 14) << QColor(255, 0, 0);
    QTest::newRow("Label4") << "Label4" << QRect(88, 120, 93, 12) << QColor(0, 0, 255);
    QTest::newRow("Command1") << "Command1" << QRect(232, 96, 89, 25) << QColor();
  }
  void aboutWindowLayout() {
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QFETCH(QColor, colour);
    ui::AboutForm about(&shell_);
    QCOMPARE(about.size(), QSize(340, 144));
    QCOMPARE(about.windowTitle(), QString::fromUtf8(ui::about::kMakerName));
    QWidget* w = about.findChild<QWidget*>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->geometry(), pixels);
    if (colour.isValid()) QCOMPARE(w->palette().color(QPalette::WindowText), colour);
  }

  void aboutWindowTexts() {
    ui::AboutForm about(&shell_);
    auto text = [&](const char* name) {
      return about.findChild<QLabel*>(QString::fromLatin1(name))->text();
    };
    QCOMPARE(text("lblBGHeadInfo1"), QString::fromUtf8(ui::about::kMakerName) + QStringLiteral("－原创、专业、免费、无限制"));
    QCOMPARE(text("Label2"), QStringLiteral("作 者："));
    QCOMPARE(text("Label3"), QStringLiteral("单 位："));
    QCOMPARE(text("Label5"), QStringLiteral("E-mail："));
    QCOMPARE(text("Label6"), QStringLiteral("软件下载："));
    QCOMPARE(text("Label7"), QString::fromUtf8(ui::about::kAuthorName));
    QCOMPARE(text("Label9"), QString::fromUtf8(ui::about::kOrganisationName));
    QCOMPARE(text("lblHomepage"), QString::fromUtf8(ui::about::kAuthorEmail));
    // The maker's address without scheme and closing slash: "https://a.example/" reads a.example.
    QVERIFY(!text("Label4").contains(QStringLiteral("://")));
    QVERIFY(!text("Label4").endsWith(QLatin1Char('/')));
    QVERIFY(QString::fromUtf8(ui::about::kMakerUrl).contains(text("Label4")));
    QCOMPARE(about.findChild<QPushButton*>("Command1")->text(), QStringLiteral("  确  定"));
    QCOMPARE(about.findChild<QWidget*>("Label4")->toolTip(), QString::fromUtf8(ui::about::kMakerName));
    QCOMPARE(about.findChild<QWidget*>("Label9")->toolTip(), QString::fromUtf8(ui::about::kOrganisationUrl));
    QCOMPARE(about.findChild<QWidget*>("Label9")->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(about.findChild<QWidget*>("Label2")->font().pointSizeF(), 9.0);
    QCOMPARE(about.findChild<QWidget*>("Label4")->font().pointSizeF(), 6.75);
    QVERIFY(about.findChild<QWidget*>("Label4")->font().underline());
    QVERIFY(about.findChild<QWidget*>("lblBGHeadInfo1")->font().bold());
  }

  void aboutWindowClicks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("opened");
    const QString page = QString::fromUtf8(ui::about::kMakerUrl);
    QTest::newRow("band") << "picBGHead" << page;
    QTest::newRow("icon") << "picBGHeadIcon" << page;
    QTest::newRow("header") << "lblBGHeadInfo1" << page;
    QTest::newRow("Label4") << "Label4" << page;
    QTest::newRow("e-mail") << "lblHomepage"
                            << QStringLiteral("mailto:") + QString::fromUtf8(ui::about::kAuthorEmail);
    QTest::newRow("Label9 does nothing") << "Label9" << QString();
    QTest::newRow("Label2 does nothing") << "Label2" << QString();
  }
  void aboutWindowClicks() {
    QFETCH(QString, name);
    QFETCH(QString, opened);
    ui::AboutForm about(&shell_);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTest::mouseClick(about.findChild<QWidget*>(name), Qt::LeftButton, {}, QPoint(2, 2));
    if (opened.isEmpty()) QVERIFY(shell_.opened.isEmpty());
    else QCOMPARE(shell_.opened, (QList<QUrl>{QUrl(opened)}));
    QVERIFY(about.isVisible());  // stays open
  }

  // The context menu of the background and the labels starts veskar-sheet beside the program;
  // a program that does not start is told. Form1's client area stays as it is.
  void contextMenuStartsTheSheetWindow() {
    Form1 form(options());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QStringList items;
    const auto pick = [&] {
      QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* a : menu->actions()) items << a->text();
        menu->actions().front()->trigger();
        menu->close();
      });
    };
    for (QWidget* target : {static_cast<QWidget*>(&form), form.findChild<QWidget*>("Label9")}) {
      pick();
      QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), target->mapToGlobal(QPoint(2, 2)));
      QApplication::sendEvent(target, &event);
    }
    QCOMPARE(items, (QStringList{QStringLiteral("图幅整饰…"), QStringLiteral("图幅整饰…")}));
    const QString program = dir_.path() + QStringLiteral("/veskar-sheet");
    QCOMPARE(shell_.started, (QStringList{program, program}));
    QVERIFY(messages_.shown.isEmpty());
    shell_.startError = QStringLiteral("No such file or directory");
    form.openSheetWindow();
    QCOMPARE(messages_.shown, QStringList{QStringLiteral("未能启动 ") + program + QStringLiteral("：No such file or directory")});
    QCOMPARE(form.size(), QSize(302, 190));
  }

  void exitClosesAndLeavesTheSettingsFile() {
    writeFile(iniPath(), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n0\r\n");
    Form1 form(options());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    field(form, 1)->setText(QStringLiteral("99"));
    form.findChild<QPushButton*>("xpcmdbutton5")->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(readFile(iniPath()), QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n0\r\n"));
    QVERIFY(messages_.shown.isEmpty());
  }

  // --- Draw, through the Draw command into an in-process drawing ---

  void drawWorkedExampleShowsNoMessageAndWaitCursor() {
    std::shared_ptr<cad::CadApplication> app = cad::makeInProcessApplication();
    std::optional<Qt::CursorShape> cursorDuringConnect;
    Form1 form(options([&](graticule::CadLink& link, std::string&) {
      const QCursor* c = QApplication::overrideCursor();
      cursorDuringConnect = c ? c->shape() : Qt::ArrowCursor;
      link.CadApp = app;
      link.CadDoc = app->ActiveDocument();
      return true;
    }));
    setFieldTexts(form, kWorkedExample);
    form.findChild<QPushButton*>("Command1")->click();
    QCOMPARE(cursorDuringConnect, std::optional<Qt::CursorShape>(Qt::WaitCursor));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY2(messages_.shown.isEmpty(), qPrintable(messages_.shown.join('|')));
    // Saved first, as typed, with the box.
    QCOMPARE(readFile(iniPath()), QByteArray("114\r\n5\r\n29.2\r\n10\r\n0.15\r\n0.1\r\n115.15\r\n1\r\n"));
    // 10 parallels x 5 meridians x 2 labels, 10 + 5 polylines.
    const cad::DrawingData* drawing = cad::drawingOf(*app->ActiveDocument());
    QVERIFY(drawing);
    QCOMPARE(drawing->entities.size(), std::size_t(115));
    // The first polyline is the parallel 29°20′ from 114° to 115°, about 115°15′ on Beijing
    // 1954: easting first, then northing.
    const cad::PolylineData* first = nullptr;
    for (const cad::EntityData& e : drawing->entities)
      if ((first = std::get_if<cad::PolylineData>(&e))) break;
    QVERIFY(first);
    QCOMPARE(first->coordinates.size(), std::size_t(10));
    QVERIFY(qAbs(first->coordinates[0] - 378587.1020) < 1e-4);
    QVERIFY(qAbs(first->coordinates[1] - 3246922.0904) < 1e-4);
    bool ksev = false;
    for (const cad::TextStyleData& s : drawing->styles) ksev = ksev || s.name == "ksev";
    QVERIFY(ksev);
  }

  void drawConnectionFailureShowsOnlyThePlatformsDescription() {
    const QString description = QStringLiteral("无法启动绘图程序 veskar-cad：找不到文件。");
    int connects = 0;
    Form1 form(options([&](graticule::CadLink&, std::string& error) {
      ++connects;
      error = description.toStdString();
      return false;
    }));
    form.findChild<QPushButton*>("Command1")->click();
    QCOMPARE(connects, 1);
    QCOMPARE(messages_.shown, QStringList{description});
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    // The settings were saved before the attempt.
    QCOMPARE(readFile(iniPath()),
             QByteArray("114.00\r\n3\r\n29.00\r\n5\r\n0.15\r\n0.10\r\n115.15\r\n1\r\n"));
  }

  void drawFailureAfterAttachSaysWhatFailedAndHowManyWereDrawn() {
    std::shared_ptr<cad::CadApplication> app = cad::makeInProcessApplication();
    std::shared_ptr<cad::CadDocument> doc = app->ActiveDocument();
    doc->Close();  // no open drawing: the text style cannot be made
    Form1 form(options([&](graticule::CadLink& link, std::string&) {
      link.CadApp = app;
      link.CadDoc = doc;
      return true;
    }));
    form.findChild<QPushButton*>("Command1")->click();
    QCOMPARE(messages_.shown.size(), 1);
    const QString m = messages_.shown.front();
    QVERIFY2(m.contains(QStringLiteral("已绘制图元：0 个")), qPrintable(m));
    QVERIFY2(m.contains(QStringLiteral("失败的操作：")), qPrintable(m));
  }

  // A draw that has run long enough shows how far it has got; meanwhile a click on Draw, typing
  // and the close box do nothing.
  void drawShowsProgressAndTakesNoInputUntilItEnds() {
    std::shared_ptr<cad::CadApplication> app = cad::makeInProcessApplication();
    int connects = 0;
    ui::Form1Options o = options([&](graticule::CadLink& link, std::string&) {
      ++connects;
      link.CadApp = app;
      link.CadDoc = app->ActiveDocument();
      return true;
    });
    o.progressAfterMs = 0;
    Form1 form(o);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    setFieldTexts(form, kWorkedExample);
    QPushButton* draw = form.findChild<QPushButton*>("Command1");
    QStringList seen;
    bool closed = true;
    QTimer poll;
    poll.setInterval(0);
    connect(&poll, &QTimer::timeout, [&] {
      auto* progress = form.findChild<ui::DrawProgressWindow*>(QStringLiteral("drawProgress"));
      if (!progress || !progress->isVisible() || !seen.isEmpty()) return;
      seen << progress->windowTitle() << progress->text();
      QTest::mouseClick(draw, Qt::LeftButton);
      QTest::keyClicks(field(form, 1), QStringLiteral("9"));
      closed = form.close();
    });
    poll.start();
    draw->click();
    poll.stop();
    QCOMPARE(seen, (QStringList{QStringLiteral("正在绘制经纬网"), QStringLiteral("已发送 115 / 115 个图元")}));
    QVERIFY(!closed);
    QVERIFY(form.isVisible());
    QCOMPARE(connects, 1);
    QCOMPARE(field(form, 1)->text(), QStringLiteral("114"));
    QCOMPARE(cad::drawingOf(*app->ActiveDocument())->entities.size(), std::size_t(115));
    QVERIFY(!form.findChild<ui::DrawProgressWindow*>(QStringLiteral("drawProgress")));
    QVERIFY2(messages_.shown.isEmpty(), qPrintable(messages_.shown.join('|')));
    // Afterwards the window takes input again.
    QVERIFY(form.close());
  }

  void drawWithoutMeridiansNamesTheField() {
    std::shared_ptr<cad::CadApplication> app = cad::makeInProcessApplication();
    Form1 form(options([&](graticule::CadLink& link, std::string&) {
      link.CadApp = app;
      link.CadDoc = app->ActiveDocument();
      return true;
    }));
    setFieldTexts(form, {"114", "abc", "29.2", "10", "0.15", "0.1", "115.15"});
    form.findChild<QPushButton*>("Command1")->click();
    QCOMPARE(messages_.shown.size(), 1);
    QVERIFY2(messages_.shown.front().contains(QStringLiteral("经线根数")),
             qPrintable(messages_.shown.front()));
    QCOMPARE(cad::drawingOf(*app->ActiveDocument())->entities.size(), std::size_t(0));
  }

  void drawSettingsSaveFailureIsShownAndDrawingGoesOn() {
    std::shared_ptr<cad::CadApplication> app = cad::makeInProcessApplication();
    ui::Form1Options o = options([&](graticule::CadLink& link, std::string&) {
      link.CadApp = app;
      link.CadDoc = app->ActiveDocument();
      return true;
    });
    o.appDir = dir_.path() + QStringLiteral("/no/such/dir");
    Form1 form(o);
    setFieldTexts(form, kWorkedExample);
    form.findChild<QPushButton*>("Command1")->click();
    QCOMPARE(messages_.shown.size(), 1);
    QVERIFY2(messages_.shown.front().contains(QStringLiteral("vesk.ini")),
             qPrintable(messages_.shown.front()));
    QCOMPARE(cad::drawingOf(*app->ActiveDocument())->entities.size(), std::size_t(115));
  }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
