// A 100 x 100 graticule drawn into a running veskar-cad, whole process: start of the drawing
// program (veskar-cli draw --cad, or the equivalent driver where veskar-cli has no --cad) to
// its exit, attach, 20,000 labels and 200 polylines over the bus. veskar-cad is started once,
// before the first iteration, and keeps every drawing (it grows from run to run, as when a
// user presses Draw again). Run under dbus-run-session.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace {

const QStringList kFields = {QStringLiteral("114"),  QStringLiteral("100"),  QStringLiteral("29.2"),
                             QStringLiteral("100"),  QStringLiteral("0.01"), QStringLiteral("0.01"),
                             QStringLiteral("115.15")};

QString binDir() { return QCoreApplication::applicationDirPath(); }

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
  if (!ensureCadRunning()) {
    state.SkipWithError("veskar-cad is not on the session bus (run under dbus-run-session)");
    return;
  }
  for (auto _ : state) {
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
