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

// The fields of a case on square sheets, and the options veskar-cli draw takes for them.
struct SquareCase {
  QString number, scale, size, title, system;  // scale and size: their values in the settings file
  QStringList cli;
};

void fillSquare(SheetWindow& w, const SquareCase& c) {
  child<QComboBox>(w, "cboDivision")->setCurrentIndex(1);
  child<QLineEdit>(w, "txtSquareNumber")->setText(c.number);
  for (const auto& [name, value] : {std::pair{"cboSquareScale", c.scale}, std::pair{"cboSize", c.size}}) {
    auto* box = child<QComboBox>(w, name);
    box->setCurrentIndex(box->findData(value));
  }
  child<QLineEdit>(w, "txtTitle")->setText(c.title);
  child<QComboBox>(w, "cboSquareSystem")->setEditText(c.system);
}

QStringList tabs(int count) {
  QStringList visited{QApplication::focusWidget()->objectName()};
  for (int i = 0; i < count; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  return visited;
}

}  // namespace

Q_DECLARE_METATYPE(Case)
Q_DECLARE_METATYPE(SquareCase)

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
    QCOMPARE(w.size(), QSize(480, 281));
    QCOMPARE(w.windowTitle(), QStringLiteral("图幅整饰"));
    QCOMPARE(child(w, "txtNumber")->geometry(), QRect(84, 40, 380, 18));
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
    for (int i = 0; i < 15; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"txtNumber", "txtLatitude", "txtLongitude", "cboScale", "cmdFind", "cboSystem",
                                   "txtGrid", "txtTitle", "chkFinished", "chkZonePrefix", "cmdDraw", "cmdSaveDxf",
                                   "cmdHelp", "cmdExit", "cboDivision", "txtNumber"}));
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

  // ---- Square sheets -------------------------------------------------------------------------

  // Each division shows its own controls in the same places; what does not count is greyed.
  void squareSheetsShowTheirOwnControls() {
    SheetWindow w(options());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* division = child<QComboBox>(w, "cboDivision");
    QCOMPARE(division->currentText(), QStringLiteral("经纬度分幅"));
    for (const bool square : {false, true}) {
      division->setCurrentIndex(square ? 1 : 0);
      for (const ui::layout::Control& c : ui::layout::kSheet)
        QVERIFY2(child(w, c.name)->isHidden() != ui::layout::shownIn(c.shown, square), c.name);
      QCOMPARE(child(w, "cboSize")->isEnabled(), square);
      for (const char* name : {"txtGrid", "chkFinished", "chkZonePrefix"}) QCOMPARE(child(w, name)->isEnabled(), !square);
    }
    QCOMPARE(child<QLabel>(w, "lblNorthing")->text() + child<QLabel>(w, "lblEasting")->text(), QStringLiteral("x（北）y（东）"));
    QCOMPARE(child<QComboBox>(w, "cboSize")->currentText(), QStringLiteral("按比例尺"));
    QCOMPARE(child<QComboBox>(w, "cboSquareScale")->currentText(), QStringLiteral("1:1,000"));
    QCOMPARE(child<QComboBox>(w, "cboSquareSystem")->currentText(), QString());
    QCOMPARE(child(w, "txtGrid")->property("placeholderText").toString(), QString());
    child(w, "txtSquareNumber")->setFocus();
    QCOMPARE(tabs(13), (QStringList{"txtSquareNumber", "txtNorthing", "txtEasting", "cboSquareScale", "cmdFind",
                                    "cboSquareSystem", "txtTitle", "cmdDraw", "cmdSaveDxf", "cmdHelp", "cmdExit",
                                    "cboDivision", "cboSize", "txtSquareNumber"}));
  }

  // The line under a square number at the chosen scale and size; 查找 at x, y fills it.
  void theLineAndFindOnSquareSheets() {
    SheetWindow w(options());
    fillSquare(w, {"", "500", "50x40", "", "", {}});
    auto* note = child<QLabel>(w, "lblNote");
    type(w, "txtSquareNumber", "10.25-27.75");
    QCOMPARE(note->text(), QStringLiteral("square sheet \"10.25-27.75\": x 10.25 km is not on a 200 m boundary at 1:500 "
                                          "with 50x40 cm sheets"));
    QCOMPARE(note->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    type(w, "txtNorthing", "10260.3");
    type(w, "txtEasting", "27790.1");
    child<QPushButton>(w, "cmdFind")->click();
    QCOMPARE(child<QLineEdit>(w, "txtSquareNumber")->text(), QStringLiteral("10.20-27.75"));
    QCOMPARE(note->text(), QStringLiteral("10.20-27.75  1:500  50x40 cm  实地 250 × 200 m\n"
                                          "西南角 x 10200  y 27750    东北角 x 10400  y 28000"));
    QCOMPARE(note->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    type(w, "txtEasting", "-1");
    child<QPushButton>(w, "cmdFind")->click();
    QCOMPARE(messages_.shown, QStringList{QStringLiteral("y（东）：square sheets start at x 0 and y 0: the point lies "
                                                         "south or west of them\n未绘图，未写文件。")});
    QCOMPARE(child<QLineEdit>(w, "txtSquareNumber")->text(), QStringLiteral("10.20-27.75"));
  }

  // 绘图 and 保存DXF give the bytes `veskar-cli draw --square` writes; a refusal names the field.
  void squareSheetsAsTheCommandLine_data() {
    QTest::addColumn<SquareCase>("c");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("first start") << SquareCase{"3810.5-525.5", "1000", "", "", "", {"--square", "3810.5-525.5", "--scale", "1000"}}
                                 << QString();
    QTest::newRow("all fields") << SquareCase{" 10.2-27.75 ", "500", "50x40", "某小区", "2000国家大地坐标系",
                                              {"--square", "10.2-27.75", "--scale", "500", "--sheet-size", "50x40",
                                               "--title", "某小区", "--system", "2000国家大地坐标系"}}
                                << QString();
    QTest::newRow("number") << SquareCase{"3810.3-525.5", "1000", "", "", "", {}}
                            << "图号：square sheet \"3810.3-525.5\": x 3810.3 km is not on a 500 m boundary at 1:1,000 with "
                               "50x50 cm sheets";
  }
  void squareSheetsAsTheCommandLine() {
    QFETCH(SquareCase, c);
    QFETCH(QString, refusal);
    const QByteArray expected = c.cli.isEmpty() ? QByteArray() : cliDxf(c.cli, path("sheet.dxf"));
    QVERIFY(c.cli.isEmpty() || expected.contains("ENTITIES"));
    SheetWindow w(options());
    fillSquare(w, c);
    QVERIFY(QDir(dir_.path()).mkpath("saved"));
    answer_ = path("saved/sheet.dxf");
    child<QPushButton>(w, "cmdDraw")->click();
    child<QPushButton>(w, "cmdSaveDxf")->click();
    if (!refusal.isEmpty()) {
      const QString shown = refusal + QStringLiteral("\n未绘图，未写文件。");
      QCOMPARE(messages_.shown, (QStringList{shown, shown}));
      QVERIFY(connects_ == 0 && chosen_.isEmpty() && !QFile::exists(answer_));
      return;
    }
    QVERIFY2(messages_.shown.isEmpty(), qPrintable(messages_.shown.join('|')));
    app_->ActiveDocument()->SaveAs(path("drawn.dxf").toStdString());
    QVERIFY(readFile(path("drawn.dxf")) == expected);
    QVERIFY(readFile(answer_) == expected);
    QCOMPARE(chosen_, QStringList{c.cli[1].replace("10.2-", "10.20-") + ".dxf"});
  }

  void squareFieldsSurviveARestart() {
    {
      SheetWindow w(options());
      fillSquare(w, {"10.2-27.75", "500", "50x40", "某小区", "城建坐标系", {}});
      type(w, "txtNorthing", "10260.3");
      child<QPushButton>(w, "cmdDraw")->click();
    }
    QVERIFY(readFile(path("veskar-sheet.ini"))
                .endsWith("title=某小区\r\nfinished=1\r\nzone_prefix=0\r\ndivision=square\r\nsquare_number=10.2-27.75\r\n"
                          "northing=10260.3\r\neasting=\r\nsquare_scale=500\r\nsheet_size=50x40\r\n"
                          "square_system=城建坐标系\r\n"));
    SheetWindow again(options());
    again.show();
    QVERIFY(QTest::qWaitForWindowActive(&again));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtSquareNumber"));
    QVERIFY(child(again, "txtNumber")->isHidden());
    QCOMPARE(child<QLineEdit>(again, "txtNorthing")->text(), QStringLiteral("10260.3"));
    QCOMPARE(child<QComboBox>(again, "cboSize")->currentText(), QStringLiteral("50x40 cm"));
    QCOMPARE(child<QComboBox>(again, "cboSquareScale")->currentText(), QStringLiteral("1:500"));
    QCOMPARE(child<QComboBox>(again, "cboSquareSystem")->currentText(), QStringLiteral("城建坐标系"));
    QVERIFY(child<QLabel>(again, "lblNote")->text().startsWith(QStringLiteral("10.20-27.75  1:500  50x40 cm")));
  }
};

QTEST_MAIN(SheetWindowTest)
#include "sheetwindow_test.moc"
