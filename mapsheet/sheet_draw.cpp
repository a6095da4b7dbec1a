#include "mapsheet/sheet_draw.h"

#include <algorithm>
#include <variant>

namespace veskar::mapsheet {
namespace {

// What is drawn: the finished frame's sketch or the bare frame's graticule.
using Prepared = std::variant<FinishedFrame, graticule::GraticuleGrid>;

std::size_t entityCount(const Prepared& p) {
  if (const auto* f = std::get_if<FinishedFrame>(&p)) return f->sketch.shapes.size();
  return std::get<graticule::GraticuleGrid>(p).entityCount();
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
  for (const PlaneVertex& v : {f.inner.sw, f.inner.se, f.inner.ne, f.inner.nw}) {
    graticule::PlaneBox& b = out.extents;
    b = b.empty ? graticule::PlaneBox{false, v.easting, v.northing, v.easting, v.northing}
                : graticule::PlaneBox{false, std::min(b.minEasting, v.easting), std::min(b.minNorthing, v.northing),
                                      std::max(b.maxEasting, v.easting), std::max(b.maxNorthing, v.northing)};
  }
  return f;
}

}  // namespace

SheetOutcome DrawSheet(const SheetDrawRequest& r, const graticule::ConnectCadFn& connect,
                       const graticule::ProgressFn& progress) {
  SheetOutcome out;
  std::optional<Prepared> prepared;
  try {
    prepared = prepare(r, out);
  } catch (const std::exception& e) {  // FrameError, GeodesyError: the part at fault named
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
  const graticule::CadRun run =
      graticule::RunOnCad(link, r.finished ? "绘制图廓" : "绘制经纬网", [&](cad::CadApplication& app, cad::CadDocument& doc) {
        if (const auto* f = std::get_if<FinishedFrame>(&*prepared)) {
          emitSketch(doc, f->sketch, progress);
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

}  // namespace veskar::mapsheet
