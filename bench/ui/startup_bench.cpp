// Start-up of the program veskar, whole process: exec, Qt and the platform plugin, Form1 laid
// out, placed and filled from vesk.ini, shown and painted once, then quit and reaped.
// The program quits at its first paint when given --quit-when-shown.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Runs veskar once on `platform`; false when it did not exit with 0.
bool startAndQuit(const std::string& platform) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string kv = *e;
    if (kv.rfind("QT_QPA_PLATFORM=", 0) != 0) env.push_back(kv);
  }
  env.push_back("QT_QPA_PLATFORM=" + platform);
  std::vector<char*> envp;
  for (std::string& kv : env) envp.push_back(kv.data());
  envp.push_back(nullptr);
  std::string program = VESKAR_PROGRAM;
  std::string flag = "--quit-when-shown";
  char* argv[] = {program.data(), flag.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_VeskarStartAndQuit(benchmark::State& state, const char* platform) {
  if (std::string(platform) == "xcb" && !std::getenv("DISPLAY")) {
    state.SkipWithError("no DISPLAY");
    return;
  }
  for (auto _ : state) {
    if (!startAndQuit(platform)) {
      state.SkipWithError("veskar did not start and quit cleanly");
      return;
    }
  }
}

BENCHMARK_CAPTURE(BM_VeskarStartAndQuit, offscreen, "offscreen")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_VeskarStartAndQuit, xcb, "xcb")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
