// Form1's Draw end to end over the session bus: the window reaches veskar-cad through
// ConnectCad, and the drawing application receives the worked example. Runs on a bus of its
// own (dbus-run-session), with veskar-cad from the build's program directory.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "cad/bus/cadbas.h"
#include "cad/tests/readback.h"
#include "cad/bus/protocol.h"
#include "cad/inprocess.h"
#include "ui/mainwindow/form1.h"
#include "ui/mainwindow/platform.h"

using namespace veskar;

namespace {

struct FakeMessages final : ui::Messages {
  QStringList shown;
  void show(QWidget*, const QString& text) override { shown << text; }
};

struct NoShell final : ui::Shell {
  void open(const QUrl&) override {}
  void showHelp(const QString&, const QString&) override {}
  bool start(const QString&, QString&) override { return false; }
};

const QStringList kWorkedExample{"114", "5", "29.2", "10", "0.15", "0.1", "115.15"};

bool cadOnBus() {
  return QDBusConnection::sessionBus()
      .interface()
      ->isServiceRegistered(QLatin1String(cad::bus::kServiceName))
      .value();
}

void call(const char* path, const char* iface, const char* member) {
  QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
      QLatin1String(cad::bus::kServiceName), QLatin1String(path), QLatin1String(iface),
      QLatin1String(member)));
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// ezdxf, an independent reader: "<errors> <TEXT count> <LWPOLYLINE count>" after its audit.
// The reader's audit errors, and how many texts and polylines it found.
QString auditWithEzdxf(const QString& path) {
  const veskar::testing::DxfReadback r = veskar::testing::readDxf(path.toStdString());
  if (!r.error.empty()) return QString::fromStdString(r.error);
  std::size_t texts = 0, polylines = 0;
  for (const auto& e : r.entities) (e.type == "TEXT" ? texts : polylines) += 1;
  return QStringLiteral("%1 %2 %3").arg(r.auditErrors.size()).arg(texts).arg(polylines);
}

}  // namespace

class Form1BusTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  FakeMessages messages_;
  NoShell shell_;

  void press(ui::Form1& form, const QStringList& texts) {
    for (int n = 1; n <= 7; ++n)
      form.findChild<QLineEdit*>(QStringLiteral("Text%1").arg(n))->setText(texts[n - 1]);
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
  }

 private slots:
  void initTestCase() {
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
    QVERIFY2(!cadOnBus(), "needs a bus of its own");
    QVERIFY(QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/veskar-cad")));
  }

  void init() { messages_.shown.clear(); }

  // Before anything runs on this bus: veskar-cad cannot be found.
  void connectionFailureShowsThePlatformsDescriptionOnly() {
    QTemporaryDir empty;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", empty.path().toLocal8Bit());
    ui::Form1Options o;
    o.appDir = dir_.path();
    o.cadProgramDir = empty.path();
    o.messages = &messages_;
    o.shell = &shell_;
    ui::Form1 form(o);
    press(form, kWorkedExample);
    // What the platform says when the program cannot be started, and nothing else.
    cad::Cadbas direct(empty.path());
    std::string why;
    QVERIFY(!direct.ConnectCad(why));
    const QString description = QString::fromStdString(why);
    qputenv("PATH", oldPath);
    QCOMPARE(messages_.shown, QStringList{description});
    QVERIFY2(description.contains(QStringLiteral("No such file or directory")),
             qPrintable(description));
    QVERIFY(!cadOnBus());
  }

  void drawingApplicationReceivesTheWorkedExample() {
    ui::Form1Options o;
    o.appDir = dir_.path();
    o.messages = &messages_;
    o.shell = &shell_;
    ui::Form1 form(o);
    press(form, kWorkedExample);
    QVERIFY2(messages_.shown.isEmpty(), qPrintable(messages_.shown.join('|')));
    QVERIFY(cadOnBus());
    QCOMPARE(readFile(dir_.filePath("vesk.ini")),
             QByteArray("114\r\n5\r\n29.2\r\n10\r\n0.15\r\n0.1\r\n115.15\r\n1\r\n"));

    // What the same press draws into a drawing of this process.
    std::shared_ptr<cad::CadApplication> local = cad::makeInProcessApplication();
    ui::Form1Options lo = o;
    lo.connectCad = [&](graticule::CadLink& link, std::string&) {
      link.CadApp = local;
      link.CadDoc = local->ActiveDocument();
      return true;
    };
    ui::Form1 reference(lo);
    press(reference, kWorkedExample);
    QCOMPARE(cad::drawingOf(*local->ActiveDocument())->entities.size(), std::size_t(115));

    // Attach to the drawing application the window started, and compare the drawings as
    // saved, byte for byte.
    cad::Cadbas viewer;
    std::string error;
    QVERIFY2(viewer.ConnectCad(error), error.c_str());
    QCOMPARE(cad::toInt16(viewer.CadDoc->ModelSpace()->Get("Count"), "Count"), 115);
    QVERIFY(QDir(dir_.path()).mkpath("bus") && QDir(dir_.path()).mkpath("local"));
    viewer.CadDoc->SaveAs(dir_.filePath("bus/Drawing1.dxf").toStdString());
    local->ActiveDocument()->SaveAs(dir_.filePath("local/Drawing1.dxf").toStdString());
    const QByteArray expected = readFile(dir_.filePath("local/Drawing1.dxf"));
    QVERIFY(expected.size() > 0);
    QVERIFY(readFile(dir_.filePath("bus/Drawing1.dxf")) == expected);
    QCOMPARE(auditWithEzdxf(dir_.filePath("bus/Drawing1.dxf")), QStringLiteral("0 100 15"));

    // A second press attaches to the same application and adds a second graticule.
    press(form, kWorkedExample);
    QVERIFY(messages_.shown.isEmpty());
    QCOMPARE(cad::toInt16(viewer.CadDoc->ModelSpace()->Get("Count"), "Count"), 230);

    // Exit ends the window; the drawing application stays, with its drawing.
    form.findChild<QPushButton*>(QStringLiteral("xpcmdbutton5"))->click();
    QVERIFY(!form.isVisible());
    QVERIFY(cadOnBus());
    QCOMPARE(cad::toInt16(viewer.CadDoc->ModelSpace()->Get("Count"), "Count"), 230);
  }

  void cleanupTestCase() {
    if (!cadOnBus()) return;
    call("/Application/Documents/1", cad::bus::kDocumentInterface, "Close");
    call(cad::bus::kApplicationPath, cad::bus::kApplicationInterface, "Quit");
  }
};

QTEST_MAIN(Form1BusTest)
#include "form1_bus_test.moc"
