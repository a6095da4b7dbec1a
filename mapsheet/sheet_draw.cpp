#include "mapsheet/sheet_draw.h"

#include <algorithm>
#include <initializer_list>
#include <variant>

namespace veskar::mapsheet {
namespace {

// What is drawn: a finished frame's sketch or the bare frame's graticule.
using Prepared = std::variant<Sketch, graticule::GraticuleGrid>;

std::size_t entityCount(const Prepared& p) {
  if (const auto* s = std::get_if<Sketch>(&p)) return s->shapes.size();
  return std::get<graticule::GraticuleGrid>(p).entityCount();
}

graticule::PlaneBox boxOf(std::initializer_list<PlaneVertex> corners) {
  graticule::PlaneBox b;
  for (const PlaneVertex& v : corners) {
    b = b.empty ? graticule::PlaneBox{false, v.easting, v.northing, v.easting, v.northing}
                : graticule::PlaneBox{false, std::min(b.minEasting, v.easting), std::min(b.minNorthing, v.northing),
                                      std::max(b.maxEasting, v.easting), std::max(b.maxNorthing, v.northing)};
  }
  return b;
}

Prepared prepare(const SheetDrawRequest& r, SheetOutcome& out) {
  out.number = geodesy::FormatSheetNumber(r.frame.sheet);
  out.zone = geodesy::ZoneOf(r.frame.sheet);
  if (!r.finished) {
    graticule::GraticuleGrid g = buildBareFrame(r.frame, r.labelHeight);
    out.extents = g.box();
    return g;
  }
  FinishedFrame f = buildFinishedFrame(r.frame);
  out.gridLines = f.grid.size();
  out.extents = boxOf({f.inner.sw, f.inner.se, f.inner.ne, f.inner.nw});
  return std::move(f.sketch);
}

// Builds what is drawn (a refusal when `build` throws: the part at fault named), connects and
// draws it.
template <typename Build>
SheetOutcome draw(const Build& build, const std::string& step, const graticule::ConnectCadFn& connect,
                  const graticule::ProgressFn& progress) {
  SheetOutcome out;
  std::optional<Prepared> prepared;
  try {
    prepared = build(out);
  } catch (const std::exception& e) {  // FrameError, GeodesyError
    out.status = SheetOutcome::Status::Refused;
    out.message = e.what();
    return out;
  }
  out.entities = entityCount(*prepared);

  graticule::CadLink link;
  std::string error;
  if (!connect || !connect(link, error) || !link.CadApp) {
    out.status = SheetOutcome::Status::ConnectFailed;
    out.message = error;
    return out;
  }
  const graticule::CadRun run = graticule::RunOnCad(link, step, [&](cad::CadApplication& app, cad::CadDocument& doc) {
    if (const auto* s = std::get_if<Sketch>(&*prepared)) {
      emitSketch(doc, *s, progress);
    } else {
      graticule::emitGraticule(app, std::get<graticule::GraticuleGrid>(*prepared), progress);
    }
  });
  if (!run.ok) {
    out.status = SheetOutcome::Status::FailedAfterAttach;
    out.message = run.message;
    out.failedStep = run.failedStep;
  }
  out.entitiesAdded = run.entitiesAdded;
  return out;
}

}  // namespace

SheetOutcome DrawSheet(const SheetDrawRequest& r, const graticule::ConnectCadFn& connect,
                       const graticule::ProgressFn& progress) {
  return draw([&](SheetOutcome& out) { return prepare(r, out); }, r.finished ? "绘制图廓" : "绘制经纬网", connect,
              progress);
}

SheetOutcome DrawIndexMap(const IndexMap& map, const graticule::ConnectCadFn& connect,
                          const graticule::ProgressFn& progress) {
  return draw([&](SheetOutcome&) -> Prepared { return IndexMapSketch(map); }, "绘制索引图", connect, progress);
}

SheetOutcome DrawSquareSheet(const SquareFrameRequest& r, const graticule::ConnectCadFn& connect,
                             const graticule::ProgressFn& progress) {
  return draw(
      [&](SheetOutcome& out) -> Prepared {
        SquareFrame f = buildSquareFrame(r);
        out.number = geodesy::FormatSquareNumber(r.sheet, r.zone);
        out.extents = boxOf({f.sw, f.se, f.ne, f.nw});
        return std::move(f.sketch);
      },
      "绘制图廓", connect, progress);
}

}  // namespace veskar::mapsheet
