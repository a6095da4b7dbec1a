// Per-point cost of the projection, ours against PROJ's transverse Mercator on the same points.
//   build/bin/geodesy_bench
#include <benchmark/benchmark.h>
#include <proj.h>

#include <vector>

#include "geodesy/geodesy.h"

using namespace veskar::geodesy;

namespace {

struct Point {
  double latDeg, lonDeg;  // decimal degrees
  double B, L;            // packed DMS
};

// A graticule's worth of points within 3° of the central meridian 117°.
const std::vector<Point>& points() {
  static const std::vector<Point> pts = [] {
    std::vector<Point> v;
    for (int lat = 0; lat < 60; lat += 3)
      for (int dl = -180; dl <= 180; dl += 20) {
        const double lon = 117 + dl / 60.0;
        v.push_back({double(lat), lon, Degdms(lat), Degdms(lon)});
      }
    return v;
  }();
  return pts;
}

void BM_Forward(benchmark::State& state) {
  const auto p = LoadProjectionParameters(true);
  const auto& pts = points();
  std::size_t i = 0;
  for (auto _ : state) {
    const Point& q = pts[i++ % pts.size()];
    benchmark::DoNotOptimize(X(q.B, q.L, 117, p));
    benchmark::DoNotOptimize(Y(q.B, q.L, 117, p));
  }
}
BENCHMARK(BM_Forward);

void BM_ForwardXY(benchmark::State& state) {
  const auto p = LoadProjectionParameters(true);
  const auto& pts = points();
  std::size_t i = 0;
  for (auto _ : state) {
    const Point& q = pts[i++ % pts.size()];
    benchmark::DoNotOptimize(XY(q.B, q.L, 117, p));
  }
}
BENCHMARK(BM_ForwardXY);

// The same points in a scattered order, so that no two neighbours share a latitude: the cost
// of a point computed from nothing.
void BM_ForwardXYScattered(benchmark::State& state) {
  const auto p = LoadProjectionParameters(true);
  std::vector<Point> pts = points();
  for (std::size_t k = 0; k < pts.size(); ++k) std::swap(pts[k], pts[(k * 7919) % pts.size()]);
  std::size_t i = 0;
  for (auto _ : state) {
    const Point& q = pts[i++ % pts.size()];
    benchmark::DoNotOptimize(XY(q.B, q.L, 117, p));
  }
}
BENCHMARK(BM_ForwardXYScattered);

void BM_Inverse(benchmark::State& state) {
  const auto p = LoadProjectionParameters(true);
  std::vector<std::pair<double, double>> xy;
  for (const auto& q : points()) xy.emplace_back(X(q.B, q.L, 117, p), Y(q.B, q.L, 117, p));
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& c = xy[i++ % xy.size()];
    benchmark::DoNotOptimize(B(c.first, c.second, 117, p));
    benchmark::DoNotOptimize(L(c.first, c.second, 117, p));
  }
}
BENCHMARK(BM_Inverse);

void projForward(benchmark::State& state, const char* def) {
  PJ_CONTEXT* ctx = proj_context_create();
  PJ* pj = proj_create(ctx, def);
  if (!pj) {
    state.SkipWithError("proj_create failed");
    proj_context_destroy(ctx);
    return;
  }
  const auto& pts = points();
  std::size_t i = 0;
  for (auto _ : state) {
    const Point& q = pts[i++ % pts.size()];
    PJ_COORD c = proj_coord(proj_torad(q.lonDeg), proj_torad(q.latDeg), 0, 0);
    benchmark::DoNotOptimize(proj_trans(pj, PJ_FWD, c));
  }
  proj_destroy(pj);
  proj_context_destroy(ctx);
}

void BM_ProjTmerc(benchmark::State& state) {
  projForward(state, "+proj=tmerc +lat_0=0 +lon_0=117 +k=1 +x_0=500000 +y_0=0 +ellps=krass");
}
BENCHMARK(BM_ProjTmerc);

void BM_ProjTmercApprox(benchmark::State& state) {
  projForward(state,
              "+proj=tmerc +approx +lat_0=0 +lon_0=117 +k=1 +x_0=500000 +y_0=0 +ellps=krass");
}
BENCHMARK(BM_ProjTmercApprox);

}  // namespace

BENCHMARK_MAIN();
