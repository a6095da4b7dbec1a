// The sheet window's 绘图 end to end over the session bus: the window reaches veskar-cad by
// itself, and the drawing there saves to the bytes `veskar-cli draw --sheet ... -o` writes for
// the same fields. Runs on a bus of its own (dbus-run-session).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "cad/bus/cadbas.h"
#include "cad/bus/protocol.h"
#include "ui/mainwindow/sheetwindow.h"
#include "ui/mainwindow/tests/fakes.h"

using namespace veskar;

namespace {

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void call(const char* path, const char* iface, const char* member) {
  QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
      QLatin1String(cad::bus::kServiceName), QLatin1String(path), QLatin1String(iface), QLatin1String(member)));
}

}  // namespace

class SheetWindowBusTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  void drawReachesVeskarCadAsTheCommandLineDraws() {
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
    testing::FakeShell shell;
    testing::FakeMessages messages;
    ui::SheetWindowOptions o;
    o.appDir = dir_.path();
    o.shell = &shell;
    o.messages = &messages;
    ui::SheetWindow window(o);
    window.findChild<QLineEdit*>("txtNumber")->setText(QStringLiteral("J-50-5-(24)"));
    window.findChild<QLineEdit*>("txtTitle")->setText(QStringLiteral("北京东郊"));
    window.findChild<QCheckBox*>("chkZonePrefix")->setChecked(true);
    window.findChild<QPushButton*>("cmdDraw")->click();
    QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.join('|')));

    cad::Cadbas viewer;
    std::string error;
    QVERIFY2(viewer.ConnectCad(error), error.c_str());
    viewer.CadDoc->SaveAs(dir_.filePath("bus.dxf").toStdString());
    QProcess cli;
    cli.start(QStringLiteral(VESKAR_CLI), {"draw", "--sheet", "J-50-5-(24)", "--title", "北京东郊", "--zone-prefix", "-o",
                                           dir_.filePath("cli.dxf")});
    QVERIFY(cli.waitForFinished(60000) && cli.exitCode() == 0);
    QVERIFY(readFile(dir_.filePath("cli.dxf")).contains("ENTITIES"));
    QVERIFY(readFile(dir_.filePath("bus.dxf")) == readFile(dir_.filePath("cli.dxf")));
  }

  void cleanupTestCase() {
    call("/Application/Documents/1", cad::bus::kDocumentInterface, "Close");
    call(cad::bus::kApplicationPath, cad::bus::kApplicationInterface, "Quit");
  }
};

QTEST_MAIN(SheetWindowBusTest)
#include "sheetwindow_bus_test.moc"
