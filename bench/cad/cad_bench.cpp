// A large graticule through the in-process drawing: 20,000 labels and 200 polylines of 100
// vertices, built through the automation surface as the Draw command builds it, then written
// as DXF. The whole must take well under a second.
//   build/bin/cad_bench
#include <benchmark/benchmark.h>

#include <filesystem>

#include "cad/dxf.h"
#include "cad/inprocess.h"

using namespace veskar::cad;

namespace {

constexpr int kLabels = 20000;
constexpr int kPolylines = 200;
constexpr int kVertices = 100;

std::shared_ptr<CadApplication> build() {
  auto app = makeInProcessApplication();
  auto style = app->ActiveDocument()->TextStyles()->Add("ksev");
  style->Put("fontFile", std::string("fsdb_e.shx"));
  style->Put("BigFontFile", std::string("fsdb.shx"));
  const std::string lon = "118°30′", lat = "29°20′";
  for (int i = 0; i < kLabels; ++i) {
    const double x = 39431234.5678 + (i % 100) * 1234.567, y = 3245678.9012 + (i / 100) * 1851.852;
    const bool longitude = i % 2 == 0;
    auto t = app->ActiveDocument()->ModelSpace()->AddText(longitude ? lon : lat, {x, y, 0}, std::int16_t{1000});
    t->Put("Color", std::int16_t{1});
    t->Put("ScaleFactor", 0.7);
    t->Put("StyleName", std::string("ksev"));
    t->Put("Rotation", longitude ? Variant(3.14159265358979 / 2) : Variant(std::int16_t{0}));
    t->Put("VerticalAlignment", std::int16_t{1});
    t->Put("HorizontalAlignment", std::int16_t{0});
    t->Put("TextAlignmentPoint", std::vector<double>{x, y, 0});
  }
  for (int p = 0; p < kPolylines; ++p) {
    std::vector<double> vertices;
    vertices.reserve(2 * kVertices);
    for (int v = 0; v < kVertices; ++v) {
      vertices.push_back(39431234.5678 + v * 1234.567);
      vertices.push_back(3245678.9012 + p * 925.926 + v * 0.125);
    }
    auto l = app->ActiveDocument()->ModelSpace()->AddLightWeightPolyline(vertices);
    l->Put("Color", std::int16_t(p % 2 ? 1 : 6));
  }
  return app;
}

std::string target() { return (std::filesystem::temp_directory_path() / "veskar_cad_bench.dxf").string(); }

void BM_BuildAndWrite(benchmark::State& state) {
  for (auto _ : state) {
    auto app = build();
    app->ActiveDocument()->SaveAs(target());
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(target()));
}
BENCHMARK(BM_BuildAndWrite)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_Build(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(build());
}
BENCHMARK(BM_Build)->Unit(benchmark::kMillisecond);

void BM_Write(benchmark::State& state) {
  auto app = build();
  const DrawingData& drawing = *drawingOf(*app->ActiveDocument());
  for (auto _ : state) writeDxf(drawing, target());
}
BENCHMARK(BM_Write)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
