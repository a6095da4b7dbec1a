// A 100 x 100 graticule drawn into a running veskar-cad, whole process: start of the drawing
// program (veskar-cli draw --cad, or the equivalent driver where veskar-cli has no --cad) to
// its exit, attach, 20,000 labels and 200 polylines over the bus, into a veskar-cad that is
// already running with an empty drawing (restarted, untimed, before each run). Run under
// dbus-run-session with QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace {

const QStringList kFields = {QStringLiteral("114"),  QStringLiteral("100"),  QStringLiteral("29.2"),
                             QStringLiteral("100"),  QStringLiteral("0.01"), QStringLiteral("0.01"),
                             QStringLiteral("115.15")};

QString binDir() { return QCoreApplication::applicationDirPath(); }

// Ends the running veskar-cad (its drawing closed first, so that it does not ask) and waits
// until the name is free.
void quitCad() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  const QString service = QStringLiteral("org.veskar.Cad");
  if (!bus.interface()->isServiceRegistered(service).value()) return;
  bus.call(QDBusMessage::createMethodCall(service, QStringLiteral("/Application/Documents/1"),
                                          QStringLiteral("org.veskar.Cad.Document"), QStringLiteral("Close")));
  bus.call(QDBusMessage::createMethodCall(service, QStringLiteral("/Application"),
                                          QStringLiteral("org.veskar.Cad.Application"), QStringLiteral("Quit")));
  QElapsedTimer t;
  t.start();
  while (bus.interface()->isServiceRegistered(service).value() && t.elapsed() < 10000) QThread::msleep(10);
}

bool ensureCadRunning() {
  QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  if (!bus) return false;
  if (bus->isServiceRegistered(QStringLiteral("org.veskar.Cad")).value()) return true;
  QProcess p;
  p.setProgram(binDir() + QStringLiteral("/veskar-cad"));
  p.setArguments({QStringLiteral("--automation")});
  p.setStandardOutputFile(QProcess::nullDevice());
  if (!p.startDetached()) return false;
  QElapsedTimer t;
  t.start();
  while (!bus->isServiceRegistered(QStringLiteral("org.veskar.Cad")).value()) {
    if (t.elapsed() > 10000) return false;
    QThread::msleep(10);
  }
  return true;
}

void runProcess(benchmark::State& state, const QString& program, const QStringList& args) {
  for (auto _ : state) {
    // Each run draws into a freshly started veskar-cad with its empty drawing (not timed).
    state.PauseTiming();
    quitCad();
    const bool running = ensureCadRunning();
    state.ResumeTiming();
    if (!running) {
      state.SkipWithError("veskar-cad is not on the session bus (run under dbus-run-session)");
      return;
    }
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
      state.SkipWithError(qPrintable(QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(p.readAllStandardError()))));
      return;
    }
  }
}

void BM_Graticule100x100_Driver(benchmark::State& state) {
  runProcess(state, binDir() + QStringLiteral("/bus_draw_driver"), kFields);
}
BENCHMARK(BM_Graticule100x100_Driver)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_Graticule100x100_VeskarCli(benchmark::State& state) {
  const QString cli = binDir() + QStringLiteral("/veskar-cli");
  QProcess help;
  help.start(cli, {QStringLiteral("draw"), QStringLiteral("--help")});
  help.waitForFinished(10000);
  if (!QFileInfo(cli).isExecutable() ||
      !(help.readAllStandardOutput() + help.readAllStandardError()).contains("--cad")) {
    state.SkipWithError("veskar-cli has no draw --cad in this build");
    return;
  }
  const QStringList opts = {QStringLiteral("--start-longitude"), QStringLiteral("--meridians"),
                            QStringLiteral("--start-latitude"),  QStringLiteral("--parallels"),
                            QStringLiteral("--longitude-spacing"), QStringLiteral("--latitude-spacing"),
                            QStringLiteral("--central-meridian")};
  QStringList args{QStringLiteral("draw")};
  for (int i = 0; i < 7; ++i) args << opts[i] << kFields[i];
  args << QStringLiteral("--beijing54") << QStringLiteral("--cad");
  runProcess(state, cli, args);
}
BENCHMARK(BM_Graticule100x100_VeskarCli)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
