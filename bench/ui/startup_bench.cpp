// Start-up of the programs veskar and veskar-sheet, whole process: exec, Qt and the platform
// plugin, the window laid out, placed and filled from its settings file, shown and painted
// once, then quit and reaped. The programs quit at their first paint when given
// --quit-when-shown.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Runs `program` once on `platform`; false when it did not exit with 0. Adds the child's CPU
// time (user + system) to `cpuSeconds`.
bool startAndQuit(std::string program, const std::string& platform, double& cpuSeconds) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string kv = *e;
    if (kv.rfind("QT_QPA_PLATFORM=", 0) != 0) env.push_back(kv);
  }
  env.push_back("QT_QPA_PLATFORM=" + platform);
  std::vector<char*> envp;
  for (std::string& kv : env) envp.push_back(kv.data());
  envp.push_back(nullptr);
  std::string flag = "--quit-when-shown";
  char* argv[] = {program.data(), flag.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return false;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  cpuSeconds += usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                usage.ru_stime.tv_usec / 1e6;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void startAndQuitBench(benchmark::State& state, const char* program, const char* platform) {
  if (std::string(platform) == "xcb" && !std::getenv("DISPLAY")) {
    state.SkipWithError("no DISPLAY");
    return;
  }
  double cpu = 0;
  for (auto _ : state) {
    if (!startAndQuit(program, platform, cpu)) {
      state.SkipWithError("the program did not start and quit cleanly");
      return;
    }
  }
  // The program's own CPU time per start, in ms: what the machine's load does not change.
  state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000.0 / static_cast<double>(state.iterations()));
}

void BM_VeskarStartAndQuit(benchmark::State& state, const char* platform) {
  startAndQuitBench(state, VESKAR_PROGRAM, platform);
}

void BM_SheetStartAndQuit(benchmark::State& state, const char* platform) {
  startAndQuitBench(state, VESKAR_SHEET_PROGRAM, platform);
}

BENCHMARK_CAPTURE(BM_VeskarStartAndQuit, offscreen, "offscreen")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_VeskarStartAndQuit, xcb, "xcb")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_SheetStartAndQuit, offscreen, "offscreen")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_SheetStartAndQuit, xcb, "xcb")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
