// The sheets an area touches, by a sweep from south to north over each polygon (see area.h):
// national sheets in ArcUnits, square sheets in plane millimetres, on the same grid of cells.
#include <algorithm>

#include "mapsheet/area.h"
#include "mapsheet/exact.h"

namespace veskar::mapsheet {
namespace {

using exact::Ratio;

// An edge that is not horizontal, from its southern to its northern end.
struct Slant {
  AreaPoint south, north;
  // Its longitude at latitude y, exactly.
  Ratio at(ArcUnits y) const {
    const exact::Int128 den = north.latitude - south.latitude;
    return {exact::Int128{south.longitude} * den + exact::Int128{north.longitude - south.longitude} * (y - south.latitude),
            den};
  }
};

// Where an active edge crosses the slab's southern and northern parallels.
struct Crossing {
  Ratio low, high;
};

bool westOf(const Crossing& a, const Crossing& b) {
  if (exact::less(a.low, b.low)) return true;
  if (exact::less(b.low, a.low)) return false;
  return exact::less(a.high, b.high);
}

const Ratio& smaller(const Ratio& a, const Ratio& b) { return exact::less(b, a) ? b : a; }
const Ratio& larger(const Ratio& a, const Ratio& b) { return exact::less(a, b) ? b : a; }

// The slab from ya to yb (no vertex strictly between, inside one row): the active edges, in
// order from west to east, bound the polygon's interior in pairs; each pair is a trapezoid
// whose longitudes reach from the western edge's westernmost to the eastern edge's easternmost
// end, open at both. The columns that open interval meets are touched.
void coverSlab(const std::vector<const Slant*>& active, ArcUnits ya, ArcUnits yb, const SheetCover& grid,
               std::vector<SheetRun>& runs) {
  std::vector<Crossing> xs;
  xs.reserve(active.size());
  for (const Slant* e : active) xs.push_back({e->at(ya), e->at(yb)});
  std::sort(xs.begin(), xs.end(), westOf);
  const std::int64_t row = ya / grid.height;
  for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
    const Ratio& west = smaller(xs[i].low, xs[i].high);
    const Ratio& east = larger(xs[i + 1].low, xs[i + 1].high);
    const auto first = static_cast<std::int64_t>(exact::floorDiv(west.num, west.den * grid.width));
    const auto last = static_cast<std::int64_t>(exact::ceilDiv(east.num, east.den * grid.width)) - 1;
    if (first <= last) runs.push_back({row, first, last});
  }
}

// The polygon's edges and the latitudes where the sweep stops: every vertex's and every row
// boundary between the southernmost and northernmost vertex.
void sweepInputs(const AreaPolygon& polygon, ArcUnits rowHeight, std::vector<Slant>& edges, std::vector<ArcUnits>& levels) {
  for (const AreaRing& ring : polygon.rings) {
    const std::vector<AreaPoint>& v = ring.vertices;
    for (std::size_t i = 0; i < v.size(); ++i) {
      const AreaPoint& a = v[i];
      const AreaPoint& b = v[(i + 1) % v.size()];
      levels.push_back(a.latitude);
      if (a.latitude != b.latitude) edges.push_back(a.latitude < b.latitude ? Slant{a, b} : Slant{b, a});
    }
  }
  const auto [lowest, highest] = std::minmax_element(levels.begin(), levels.end());
  const ArcUnits south = *lowest, north = *highest;
  for (ArcUnits y = (south / rowHeight + 1) * rowHeight; y < north; y += rowHeight) levels.push_back(y);
  std::sort(levels.begin(), levels.end());
  levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
  std::sort(edges.begin(), edges.end(), [](const Slant& x, const Slant& y) { return x.south.latitude < y.south.latitude; });
}

void coverPolygon(const AreaPolygon& polygon, const SheetCover& grid, std::vector<SheetRun>& runs) {
  std::vector<Slant> edges;
  std::vector<ArcUnits> levels;
  sweepInputs(polygon, grid.height, edges, levels);
  std::vector<const Slant*> active;
  std::size_t next = 0;
  for (std::size_t k = 0; k + 1 < levels.size(); ++k) {
    const ArcUnits ya = levels[k], yb = levels[k + 1];
    std::erase_if(active, [ya](const Slant* e) { return e->north.latitude <= ya; });
    for (; next < edges.size() && edges[next].south.latitude <= ya; ++next) active.push_back(&edges[next]);
    coverSlab(active, ya, yb, grid, runs);
  }
}

// Runs sorted north to south, west to east, overlapping and adjoining ones joined.
std::vector<SheetRun> joined(std::vector<SheetRun> runs) {
  std::sort(runs.begin(), runs.end(), [](const SheetRun& a, const SheetRun& b) {
    return a.row != b.row ? a.row > b.row : a.firstColumn < b.firstColumn;
  });
  std::vector<SheetRun> out;
  for (const SheetRun& r : runs) {
    if (!out.empty() && out.back().row == r.row && r.firstColumn <= out.back().lastColumn + 1) {
      out.back().lastColumn = std::max(out.back().lastColumn, r.lastColumn);
    } else {
      out.push_back(r);
    }
  }
  return out;
}

}  // namespace

SheetCover CoverGrid(const Area& area, ArcUnits width, ArcUnits height) {
  SheetCover cover;
  cover.width = width;
  cover.height = height;
  std::vector<SheetRun> runs;
  for (const AreaPolygon& polygon : area.polygons) coverPolygon(polygon, cover, runs);
  cover.runs = joined(std::move(runs));
  for (const SheetRun& r : cover.runs) cover.count += static_cast<std::uint64_t>(r.lastColumn - r.firstColumn + 1);
  return cover;
}

SheetCover CoverArea(const Area& area, int scaleDenominator) {
  const geodesy::SheetBounds first = geodesy::BoundsOf(geodesy::SheetAt(0, 0, scaleDenominator));
  SheetCover cover = CoverGrid(area, first.east - first.west, first.north - first.south);
  cover.scaleDenominator = scaleDenominator;
  return cover;
}

SheetCover CoverSquares(const Area& planeArea, int scaleDenominator, geodesy::SquareSize size) {
  const geodesy::SquareSheet first = geodesy::SquareSheetAt(0, 0, scaleDenominator, size);
  SheetCover cover = CoverGrid(planeArea, first.width() * kPlaneUnitsPerMetre, first.height() * kPlaneUnitsPerMetre);
  cover.scaleDenominator = scaleDenominator;
  return cover;
}

std::vector<geodesy::MapSheet> ListSheets(const SheetCover& cover) {
  std::vector<geodesy::MapSheet> sheets;
  sheets.reserve(cover.count);
  for (const SheetRun& r : cover.runs) {
    for (std::int64_t c = r.firstColumn; c <= r.lastColumn; ++c)
      sheets.push_back(geodesy::SheetAt(r.row * cover.height, c * cover.width, cover.scaleDenominator));
  }
  return sheets;
}

std::vector<geodesy::SquareSheet> ListSquareSheets(const SheetCover& cover, geodesy::SquareSize size) {
  std::vector<geodesy::SquareSheet> sheets;
  sheets.reserve(cover.count);
  const std::int64_t width = cover.width / kPlaneUnitsPerMetre, height = cover.height / kPlaneUnitsPerMetre;
  for (const SheetRun& r : cover.runs) {
    for (std::int64_t c = r.firstColumn; c <= r.lastColumn; ++c)
      sheets.push_back({cover.scaleDenominator, size, r.row * height, c * width});
  }
  return sheets;
}

}  // namespace veskar::mapsheet
