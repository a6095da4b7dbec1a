// The cost of a 100 x 100 graticule (10,000 intersections, 20,000 labels, 200 polylines):
// `veskar-cli draw` as a whole process (start, draw, DXF written, exit), and its parts in
// process: projecting the intersections, drawing into the in-process drawing, saving as DXF.
//   build/bin/graticule_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "cad/inprocess.h"
#include "geodesy/geodesy.h"
#include "graticule/draw_command.h"
#include "graticule/graticule.h"

extern char** environ;

namespace {

using namespace veskar;

const std::array<std::string, 7> kFields = {"114", "100", "29", "100", "0.01", "0.01", "114.30"};

std::string scratchFile(const char* name) {
  return std::filesystem::temp_directory_path().string() + "/veskar-bench-" + std::to_string(getpid()) + "-" + name;
}

#ifdef VESKAR_CLI
void BM_CliDraw100x100(benchmark::State& state) {
  const std::string out = scratchFile("cli.dxf");
  const char* argv[] = {VESKAR_CLI, "draw", "--start-longitude", "114", "--meridians", "100",
                        "--start-latitude", "29", "--parallels", "100", "--longitude-spacing",
                        "0.01", "--latitude-spacing", "0.01", "--central-meridian", "114.30",
                        "-o", out.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, VESKAR_CLI, &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
      state.SkipWithError("cannot start veskar-cli");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("veskar-cli draw failed");
      break;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  std::remove(out.c_str());
}
BENCHMARK(BM_CliDraw100x100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
#endif

graticule::GraticuleParameters parameters() {
  graticule::GraticuleParameters g;
  g.startLongitude = 114;
  g.meridianCount = 100;
  g.startLatitude = 29;
  g.parallelCount = 100;
  g.longitudeSpacing = 1 / 60.0;
  g.latitudeSpacing = 1 / 60.0;
  g.centralMeridian = 114.30;
  return g;
}

void BM_Project100x100(benchmark::State& state) {
  const auto g = parameters();
  const auto p = geodesy::LoadProjectionParameters(true);
  const auto lon = graticule::meridianLongitudes(g), lat = graticule::parallelLatitudes(g);
  for (auto _ : state) benchmark::DoNotOptimize(graticule::projectGraticule(g, p, lon, lat));
}
BENCHMARK(BM_Project100x100)->Unit(benchmark::kMillisecond);

// The whole Draw command into the in-process drawing, without the file.
void BM_DrawCommandInProcess100x100(benchmark::State& state) {
  graticule::DrawInputs in;
  in.texts = kFields;
  for (auto _ : state) {
    const auto outcome = graticule::RunDrawCommand(
        in, {}, [](graticule::CadLink& link, std::string&) {
          link.CadApp = cad::makeInProcessApplication();
          link.CadDoc = link.CadApp->ActiveDocument();
          return true;
        });
    benchmark::DoNotOptimize(outcome.entitiesAdded);
  }
}
BENCHMARK(BM_DrawCommandInProcess100x100)->Unit(benchmark::kMillisecond);

void BM_SaveDxf100x100(benchmark::State& state) {
  graticule::DrawInputs in;
  in.texts = kFields;
  std::shared_ptr<cad::CadDocument> doc;
  graticule::RunDrawCommand(in, {}, [&](graticule::CadLink& link, std::string&) {
    link.CadApp = cad::makeInProcessApplication();
    link.CadDoc = doc = link.CadApp->ActiveDocument();
    return true;
  });
  const std::string path = scratchFile("save.dxf");
  for (auto _ : state) doc->SaveAs(path);
  std::remove(path.c_str());
}
BENCHMARK(BM_SaveDxf100x100)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
