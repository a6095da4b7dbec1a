// The sheet window on the offscreen platform: layout and tab order from its table, the line
// under 图号 as a number is typed, 查找, 绘图 and 保存DXF against what veskar-cli draws for the
// same fields, refusals, the remembered fields, Enter, Help and F1.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "cad/inprocess.h"
#include "ui/mainwindow/drawprogress.h"
#include "ui/mainwindow/sheetwindow.h"
#include "ui/mainwindow/tests/fakes.h"
#include "ui/mainwindow/twips.h"

using namespace veskar;
using veskar::testing::FakeMessages;
using veskar::testing::FakeShell;
using veskar::ui::SheetWindow;

namespace {

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

template <typename T = QWidget>
T* child(SheetWindow& w, const char* name) {
  T* found = w.findChild<T*>(QString::fromLatin1(name));
  if (!found) qFatal("no control %s", name);
  return found;
}

void type(SheetWindow& w, const char* name, const QString& text) {
  auto* field = child<QLineEdit>(w, name);
  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, text);
}

// The fields of a case, and the options veskar-cli draw takes for them.
struct Case {
  QString number, grid, title;
  int system = 0;  // 坐标系's row
  bool finished = true, zonePrefix = false;
  QStringList cli;
};

Case numbered(const QString& number, const QString& grid = {}) {
  Case c;
  c.number = number, c.grid = grid;
  return c;
}

void fill(SheetWindow& w, const Case& c) {
  child<QLineEdit>(w, "txtNumber")->setText(c.number);
  child<QLineEdit>(w, "txtGrid")->setText(c.grid);
  child<QLineEdit>(w, "txtTitle")->setText(c.title);
  child<QComboBox>(w, "cboSystem")->setCurrentIndex(c.system);
  child<QCheckBox>(w, "chkFinished")->setChecked(c.finished);
  child<QCheckBox>(w, "chkZonePrefix")->setChecked(c.zonePrefix);
}

// What `veskar-cli draw --sheet ... -o FILE` writes.
QByteArray cliDxf(const QStringList& options, const QString& path) {
  QProcess cli;
  cli.start(QStringLiteral(VESKAR_CLI), QStringList{"draw"} + options + QStringList{"-o", path});
  if (!cli.waitForFinished(60000) || cli.exitCode() != 0) qWarning() << cli.readAllStandardError();
  return readFile(path);
}

}  // namespace

Q_DECLARE_METATYPE(Case)

class SheetWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  FakeShell shell_;
  FakeMessages messages_;
  int connects_ = 0;
  std::shared_ptr<cad::CadApplication> app_;  // what 绘图 draws into
  QStringList chosen_;                          // 保存DXF's dialog: the suggested names
  QString answer_;                              // and what it answers

  ui::SheetWindowOptions options() {
    ui::SheetWindowOptions o;
    o.appDir = dir_.path();
    o.shell = &shell_;
    o.messages = &messages_;
    o.connectCad = [this](graticule::CadLink& link, std::string&) {
      ++connects_;
      link.CadApp = app_;
      link.CadDoc = app_->ActiveDocument();
      return true;
    };
    o.chooseFile = [this](QWidget*, const QString& name) { return chosen_ << name, answer_; };
    return o;
  }
  QString path(const QString& name) const { return dir_.filePath(name); }

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    QDir(dir_.path()).removeRecursively();
    QVERIFY(QDir().mkpath(dir_.path()));
    shell_ = FakeShell();
    messages_.shown.clear();
    connects_ = 0;
    app_ = cad::makeInProcessApplication("sheet.dxf");
    chosen_.clear();
    answer_.clear();
  }

  void layoutFromTheTableAndTheFirstStart() {
    SheetWindow w(options());
    QCOMPARE(w.size(), QSize(480, 257));
    QCOMPARE(w.windowTitle(), QStringLiteral("图幅整饰"));
    QCOMPARE(child(w, "txtNumber")->geometry(), QRect(84, 16, 380, 18));
    for (const ui::layout::Control& c : ui::layout::kSheet) {
      QWidget* control = child(w, c.name);
      QCOMPARE(control->geometry(), ui::twipsRect(c.place.left, c.place.top, c.place.width, c.place.height, 96));
      if (auto* b = qobject_cast<QAbstractButton*>(control)) QCOMPARE(b->text(), QString::fromUtf8(c.caption));
      if (c.kind == ui::layout::Kind::Label || c.kind == ui::layout::Kind::CheckBox)
        QCOMPARE(control->palette().color(QPalette::WindowText), QColor(0, 0, 255));
      if (c.kind == ui::layout::Kind::Button) QCOMPARE(control->font().family(), QStringLiteral("宋体"));
    }
    QCOMPARE(child<QLabel>(w, "lblGrid")->text(), QStringLiteral("方里网间距"));
    // The first start: what `veskar-cli draw --sheet N` draws without options.
    QVERIFY(child<QCheckBox>(w, "chkFinished")->isChecked() && !child<QCheckBox>(w, "chkZonePrefix")->isChecked());
    QCOMPARE(child<QComboBox>(w, "cboSystem")->currentText(), QStringLiteral("2000国家大地坐标系"));
    QCOMPARE(child<QComboBox>(w, "cboScale")->currentText(), QStringLiteral("1:10,000"));
    QCOMPARE(child<QLineEdit>(w, "txtGrid")->text(), QString());
  }

  void tabOrderTopLeftToBottomRight() {
    SheetWindow w(options());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 14; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"txtNumber", "txtLatitude", "txtLongitude", "cboScale", "cmdFind", "cboSystem",
                                   "txtGrid", "txtTitle", "chkFinished", "chkZonePrefix", "cmdDraw", "cmdSaveDxf",
                                   "cmdHelp", "cmdExit", "txtNumber"}));
  }

  void typingANumberUpdatesTheLine_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("gridHint");
    QTest::newRow("former") << "J-50-5-B"
                            << "J50E001010 = J-50-5-B  1:50,000  6°带 第20带\n经度 116°15′00″—116°30′00″  "
                               "纬度 39°50′00″—40°00′00″"
                            << QColor(0, 0, 0) << "1（默认）";
    QTest::newRow("wrong") << "J50G097001" << "sheet number \"J50G097001\": row 097 is outside 001-096 at 1:10,000"
                           << QColor(255, 0, 0) << "按比例尺";
  }
  void typingANumberUpdatesTheLine() {
    QFETCH(QString, typed);
    QFETCH(QString, line);
    QFETCH(QColor, colour);
    QFETCH(QString, gridHint);
    SheetWindow w(options());
    type(w, "txtNumber", typed);
    auto* note = child<QLabel>(w, "lblNote");
    QCOMPARE(note->text(), line);
    QCOMPARE(note->palette().color(QPalette::WindowText), colour);
    QCOMPARE(child<QLineEdit>(w, "txtGrid")->placeholderText(), gridHint);
  }

  void findFillsTheNumberOrNamesTheField() {
    SheetWindow w(options());
    type(w, "txtLatitude", "39.543");
    type(w, "txtLongitude", "116.2825");
    child<QComboBox>(w, "cboScale")->setCurrentIndex(child<QComboBox>(w, "cboScale")->findData(50000));
    child<QPushButton>(w, "cmdFind")->click();
    QCOMPARE(child<QLineEdit>(w, "txtNumber")->text(), QStringLiteral("J50E001010"));
    QVERIFY(child<QLabel>(w, "lblNote")->text().startsWith(QStringLiteral("J50E001010 = J-50-5-B")));
    type(w, "txtLongitude", "190");
    child<QPushButton>(w, "cmdFind")->click();
    QCOMPARE(messages_.shown, QStringList{QStringLiteral("经度：point 39°54′30″ N, 190°00′00″ E: no sheets from 180° E on "
                                                         "(column 60 ends there)\n未绘图，未写文件。")});
    QCOMPARE(child<QLineEdit>(w, "txtNumber")->text(), QStringLiteral("J50E001010"));
  }

  // 绘图 into a drawing of this process and 保存DXF give the bytes veskar-cli writes.
  void drawAndSaveAsTheCommandLine_data() {
    QTest::addColumn<Case>("c");
    QTest::newRow("first start") << Case{"J50G015010", "", "", 0, true, false, {"--sheet", "J50G015010"}};
    QTest::newRow("former, all options")
        << Case{" J-50-5-(24) ", "0.5", "北京东郊", 1, true, true,
                {"--sheet", "J-50-5-(24)", "--grid", "0.5", "--title", "北京东郊", "--beijing54", "--zone-prefix"}};
    QTest::newRow("frame only") << Case{"J50E001010", "abc", "x", 2, false, false,
                                        {"--sheet", "J50E001010", "--frame-only", "--iag75"}};
  }
  void drawAndSaveAsTheCommandLine() {
    QFETCH(Case, c);
    const QByteArray expected = cliDxf(c.cli, path("sheet.dxf"));
    QVERIFY(expected.contains("ENTITIES"));
    SheetWindow w(options());
    fill(w, c);
    child<QPushButton>(w, "cmdDraw")->click();
    QCOMPARE(connects_, 1);
    answer_ = path("saved/sheet.dxf");
    QVERIFY(QDir(dir_.path()).mkpath("drawn") && QDir(dir_.path()).mkpath("saved"));
    app_->ActiveDocument()->SaveAs(path("drawn/sheet.dxf").toStdString());
    child<QPushButton>(w, "cmdSaveDxf")->click();
    QVERIFY2(messages_.shown.isEmpty(), qPrintable(messages_.shown.join('|')));
    QVERIFY(readFile(path("drawn/sheet.dxf")) == expected);
    QVERIFY(readFile(path("saved/sheet.dxf")) == expected);
    QCOMPARE(chosen_.size(), 1);  // the dialog, once
  }

  // A refusal names the field: nothing reaches the CAD program, no file is written.
  void refusalsLeaveNoFile_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("message");
    QTest::newRow("number") << "J50G097001" << ""
                            << "图号：sheet number \"J50G097001\": row 097 is outside 001-096 at 1:10,000";
    QTest::newRow("grid text") << "J50G015010" << "1km" << "方里网间距：“1km”不是数（km，0 为不绘方里网）";
    QTest::newRow("grid lines") << "J50G015010" << "0.004"
                                << "方里网间距：grid interval 0.004 km: 2519 grid lines, more than 1000";
  }
  void refusalsLeaveNoFile() {
    QFETCH(QString, number);
    QFETCH(QString, grid);
    QFETCH(QString, message);
    SheetWindow w(options());
    fill(w, numbered(number, grid));
    answer_ = path("refused.dxf");
    child<QPushButton>(w, "cmdDraw")->click();
    child<QPushButton>(w, "cmdSaveDxf")->click();
    const QString shown = message + QStringLiteral("\n未绘图，未写文件。");
    QCOMPARE(messages_.shown, (QStringList{shown, shown}));
    QCOMPARE(connects_, 0);
    QVERIFY(!QFile::exists(answer_));
  }

  void fieldsSurviveARestartAndVeskIniIsUntouched() {
    const QByteArray vesk = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n0\r\n";
    QFile ini(path("vesk.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(vesk) == vesk.size());
    ini.close();
    const Case c{"J-50-5-(24)", "2", "北京东郊", 2, false, true, {}};
    {
      SheetWindow w(options());
      fill(w, c);
      type(w, "txtLatitude", "39.543");
      child<QComboBox>(w, "cboScale")->setCurrentIndex(0);
      child<QPushButton>(w, "cmdDraw")->click();
    }
    QCOMPARE(readFile(path("veskar-sheet.ini")),
             QByteArray("number=J-50-5-(24)\r\nlatitude=39.543\r\nlongitude=\r\nscale=1000000\r\nsystem=IAG75\r\n"
                        "grid=2\r\ntitle=北京东郊\r\nfinished=0\r\nzone_prefix=1\r\ndivision=national\r\nsquare_number=\r\n"
                        "northing=\r\neasting=\r\nsquare_scale=1000\r\nsheet_size=\r\nsquare_system=\r\n"));
    SheetWindow again(options());
    QCOMPARE(child<QLineEdit>(again, "txtNumber")->text(), c.number);
    QCOMPARE(child<QLineEdit>(again, "txtLatitude")->text(), QStringLiteral("39.543"));
    QCOMPARE(child<QLineEdit>(again, "txtTitle")->text(), c.title);
    QCOMPARE(child<QComboBox>(again, "cboScale")->currentData().toInt(), 1000000);
    QCOMPARE(child<QComboBox>(again, "cboSystem")->currentIndex(), 2);
    QVERIFY(!child<QCheckBox>(again, "chkFinished")->isChecked() && child<QCheckBox>(again, "chkZonePrefix")->isChecked());
    QVERIFY(!child(again, "txtGrid")->isEnabled() && !child(again, "txtTitle")->isEnabled());
    QCOMPARE(readFile(path("vesk.ini")), vesk);
  }

  // Enter draws, unless a button has the focus; 帮助 and F1 open the window's topic.
  void enterDrawsAndHelpOpensTheTopic() {
    SheetWindow w(options());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    type(w, "txtNumber", "J50G015010");
    QTest::keyClick(child(w, "txtNumber"), Qt::Key_Return);
    QCOMPARE(connects_, 1);
    child(w, "cmdHelp")->setFocus();
    QTest::keyClick(child(w, "cmdHelp"), Qt::Key_Return);
    QTest::keyClick(child(w, "txtTitle"), Qt::Key_F1);
    QCOMPARE(connects_, 1);
    const QString topic = path("vesk.chm") + QStringLiteral("::/sheet.html");
    QCOMPARE(shell_.helpFiles, (QStringList{topic, topic}));
  }

  // A long draw shows the sheet's progress window and takes no input meanwhile.
  void longDrawShowsItsProgress() {
    ui::SheetWindowOptions o = options();
    o.progressAfterMs = 0;
    SheetWindow w(o);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    fill(w, numbered("J50G015010"));
    QString title;
    QTimer poll;
    poll.setInterval(0);
    connect(&poll, &QTimer::timeout, [&] {
      auto* progress = w.findChild<ui::DrawProgressWindow*>(QStringLiteral("drawProgress"));
      if (!progress || !progress->isVisible() || !title.isEmpty()) return;
      title = progress->windowTitle();
      QTest::mouseClick(child(w, "cmdDraw"), Qt::LeftButton);
    });
    poll.start();
    child<QPushButton>(w, "cmdDraw")->click();
    poll.stop();
    QCOMPARE(title, QStringLiteral("正在绘制图廓"));
    QCOMPARE(connects_, 1);
  }
};

QTEST_MAIN(SheetWindowTest)
#include "sheetwindow_test.moc"
