// veskar-cad: the drawing application. It opens one empty drawing, serves its automation as
// org.veskar.Cad on the session bus and shows the drawing in its window. Started with
// --automation (as ConnectCad starts it), the window stays hidden until a client sets Visible.
// It runs on its own after whoever started it has gone, and ends with its window or when the
// session bus goes away.
#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QTimer>
#include <cstdio>

#include "cad/bus/protocol.h"
#include "cad/bus/server.h"
#include "cad/bus/session.h"
#include "ui/cadapp/cadwindow.h"

namespace {

using namespace veskar::cad::bus;

// Another veskar-cad owns the name: show that one instead of a second.
bool showRunning(QDBusConnection bus) {
  QDBusMessage set = QDBusMessage::createMethodCall(
      QLatin1String(kServiceName), QLatin1String(kApplicationPath),
      QLatin1String(kPropertiesInterface), QStringLiteral("Set"));
  set << QLatin1String(kApplicationInterface) << QStringLiteral("Visible")
      << QVariant::fromValue(QDBusVariant(true));
  if (bus.call(set).type() != QDBusMessage::ReplyMessage) return false;
  bus.call(QDBusMessage::createMethodCall(QLatin1String(kServiceName), QLatin1String(kApplicationPath),
                                          QLatin1String(kApplicationInterface), QStringLiteral("Activate")));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("veskar-cad"));
  QApplication::setApplicationDisplayName(CadSession::applicationName());
  QApplication::setQuitOnLastWindowClosed(false);  // the window quits explicitly, after asking

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Veskar CAD, the drawing application."));
  parser.addHelpOption();
  const QCommandLineOption automation(QLatin1String(kAutomationArgument + 2),
                                      QStringLiteral("Started for automation: stay hidden until made visible."));
  parser.addOption(automation);
  parser.process(app);
  const bool automated = parser.isSet(automation);

  CadSession session;
  session.newDocument();
  veskar::cadapp::CadWindow window(session);
  CadServer server(session);

  QDBusConnection bus = QDBusConnection::sessionBus();
  QString error;
  if (!server.publish(bus, error)) {
    if (bus.isConnected() && bus.interface()->isServiceRegistered(QLatin1String(kServiceName)).value() &&
        !automated && showRunning(bus))
      return 0;
    std::fprintf(stderr, "veskar-cad: %s\n", qPrintable(error));
    if (automated || bus.isConnected()) return 1;
    // No session bus at all: still a drawing program, just not an automated one.
  }

  // A Qt application does not notice that its bus went away: look now and then.
  QTimer busWatch;
  if (bus.isConnected()) {
    QObject::connect(&busWatch, &QTimer::timeout, &app, [&] {
      if (!QDBusConnection::sessionBus().isConnected()) QCoreApplication::exit(0);
    });
    busWatch.start(500);
  }

  if (!automated) session.setVisible(true);
  return app.exec();
}
