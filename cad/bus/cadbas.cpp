#include "cad/bus/cadbas.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <csignal>

#include "cad/bus/client.h"
#include "cad/bus/protocol.h"

namespace veskar::cad {

namespace {

constexpr int kStartTimeoutMs = 10000;

// The veskar-cad to start: the one in `dir` when there is one, else the one on PATH; empty
// when neither exists.
QString findProgram(const QString& dir) {
  const QString local = QDir(dir).filePath(QLatin1String(bus::kProgramName));
  const QFileInfo fi(local);
  if (fi.isFile() && fi.isExecutable()) return fi.absoluteFilePath();
  return QStandardPaths::findExecutable(QLatin1String(bus::kProgramName));
}

// Whether the process `pid` has ended (gone, or a zombie nobody has reaped yet).
bool hasEnded(qint64 pid) {
  if (pid <= 0) return false;
  if (::kill(pid_t(pid), 0) != 0) return errno == ESRCH;
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return false;
  const QByteArray line = stat.readAll();
  const qsizetype close = line.lastIndexOf(')');  // the state follows the command name
  return close >= 0 && line.size() > close + 2 && (line[close + 2] == 'Z' || line[close + 2] == 'X');
}

// Starts veskar-cad detached from this process (it outlives us) and waits for it to own the
// bus name. Returns the owner's unique name, or empty with the failure in `error`.
QString startAndWait(QDBusConnection bus, const QString& dir, QString& error) {
  const QString service = QLatin1String(bus::kServiceName);
  QDBusServiceWatcher watcher(service, bus, QDBusServiceWatcher::WatchForRegistration);
  QEventLoop loop;
  QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop, &QEventLoop::quit);

  QString program = findProgram(dir);
  QProcess process;
  // Not found anywhere: let the system try the bare name, so that its own words say why not.
  process.setProgram(program.isEmpty() ? QLatin1String(bus::kProgramName) : program);
  process.setArguments({QLatin1String(bus::kAutomationArgument)});
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  if (program.isEmpty()) {
    // QProcess would search PATH once more; give it a path that cannot exist so that the
    // description is the system's "No such file or directory" for veskar-cad.
    process.setProgram(QDir(dir).filePath(QLatin1String(bus::kProgramName)));
  }
  qint64 pid = 0;
  if (!process.startDetached(&pid)) {
    error = process.errorString();
    return {};
  }

  QDBusConnectionInterface* iface = bus.interface();
  QElapsedTimer clock;
  clock.start();
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  while (!iface->isServiceRegistered(service).value()) {
    if (hasEnded(pid)) {
      error = QStringLiteral("%1 ended before it registered %2 on the session bus.").arg(process.program(), service);
      return {};
    }
    const qint64 left = kStartTimeoutMs - clock.elapsed();
    if (left <= 0) {
      error = QStringLiteral("%1 was started but did not register %2 on the session bus within %3 seconds.")
                  .arg(process.program(), service)
                  .arg(kStartTimeoutMs / 1000);
      return {};
    }
    deadline.start(int(std::min<qint64>(left, 100)));  // re-check now and then as well
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  return iface->serviceOwner(service).value();
}

}  // namespace

Cadbas::Cadbas(QString programDirectory) : programDirectory_(std::move(programDirectory)) {}

bool Cadbas::ConnectCad(std::string& error) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    error = bus.lastError().message().toStdString();
    if (error.empty()) error = "Cannot connect to the D-Bus session bus.";
    return false;
  }
  const QString service = QLatin1String(bus::kServiceName);

  // 1. Attach to the running instance.
  QString owner;
  const QDBusReply<QString> current = bus.interface()->serviceOwner(service);
  if (current.isValid()) owner = current.value();

  // 2. Else start one and wait for its name.
  if (owner.isEmpty()) {
    const QString dir =
        programDirectory_.isEmpty() ? QCoreApplication::applicationDirPath() : programDirectory_;
    QString why;
    owner = startAndWait(bus, dir, why);
    error = why.toStdString();
    // 3. Neither gave an application: the references keep what they held.
    if (owner.isEmpty()) return false;
  }
  std::shared_ptr<CadApplication> app = bus::makeBusApplication(bus, owner);
  CadApp = app;

  // 4 to 6: each may fail; a failure leaves its reference as it was and the next step runs.
  try {
    app->Put("Visible", true);
    app->Flush();
  } catch (const CadError&) {
  }
  try {
    std::shared_ptr<CadDocument> doc = app->ActiveDocument();
    app->Flush();  // learns whether there is an open drawing
    CadDoc = std::move(doc);
    documentError.reset();
  } catch (const CadError& e) {
    documentError = e;
  }
  try {
    (void)app->Get("Caption");  // the window of that title is ours to raise
    app->Activate();
  } catch (const CadError&) {
  }
  return true;
}

}  // namespace veskar::cad
