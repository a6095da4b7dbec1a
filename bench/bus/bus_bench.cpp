// Graticules drawn into veskar-cad, whole process: veskar-cli draw --cad from its start to its
// exit - attach, the labels and polylines over the bus (20,200 entities for 100 x 100) - into a
// freshly started veskar-cad with its empty drawing (restarted, untimed, before each run). Run
// under dbus-run-session with QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

namespace {

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
  p.setStandardErrorFile(QProcess::nullDevice());
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

// veskar-cli draw --cad of an n x n graticule (0.01' apart), the median of the repetitions.
void BM_VeskarCliDrawCad(benchmark::State& state) {
  const QString n = QString::number(state.range(0));
  const QStringList args = {QStringLiteral("draw"), QStringLiteral("--central-meridian"), QStringLiteral("114"),
                            QStringLiteral("--start-longitude"), QStringLiteral("115.15"),
                            QStringLiteral("--start-latitude"), QStringLiteral("29.2"), QStringLiteral("--meridians"),
                            n, QStringLiteral("--parallels"), n, QStringLiteral("--longitude-spacing"),
                            QStringLiteral("0.01"), QStringLiteral("--latitude-spacing"), QStringLiteral("0.01"),
                            QStringLiteral("--beijing54"), QStringLiteral("--cad")};
  runProcess(state, binDir() + QStringLiteral("/veskar-cli"), args);
  state.counters["entities"] = double(2 * state.range(0) * state.range(0) + 2 * state.range(0));
}
BENCHMARK(BM_VeskarCliDrawCad)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(9);
BENCHMARK(BM_VeskarCliDrawCad)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
