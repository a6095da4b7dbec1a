// ReadArea on arbitrary file contents. It must never crash or hang and must fail only with an
// AreaError naming the file; an area it accepts must be valid: rings of at least three vertices
// within the sheets, each with its source numbers, that pass the checks again unchanged, and
// whose sheets at 1:1,000,000 lie within the area's extent.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mapsheet/area_reader.h"

namespace {

using namespace veskar::mapsheet;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "ReadArea: %s\n", what);
  std::abort();
}

bool sameArea(const Area& a, const Area& b) {
  if (a.polygons.size() != b.polygons.size()) return false;
  for (std::size_t p = 0; p < a.polygons.size(); ++p) {
    const auto& x = a.polygons[p].rings;
    const auto& y = b.polygons[p].rings;
    if (x.size() != y.size()) return false;
    for (std::size_t r = 0; r < x.size(); ++r)
      if (x[r].vertices != y[r].vertices || x[r].source != y[r].source) return false;
  }
  return true;
}

void checkAccepted(const Area& area) {
  constexpr ArcUnits deg = veskar::geodesy::kArcUnitsPerDegree;
  if (area.polygons.empty()) fail("an area without polygons");
  for (const AreaPolygon& p : area.polygons) {
    if (p.rings.empty()) fail("a polygon without rings");
    for (const AreaRing& r : p.rings) {
      if (r.vertices.size() < 3 || r.source.size() != r.vertices.size()) fail("a ring of fewer than three vertices");
      for (const AreaPoint& v : r.vertices)
        if (v.latitude < 0 || v.latitude > 88 * deg || v.longitude < 0 || v.longitude > 180 * deg) fail("a vertex outside the sheets");
    }
  }
  Area again = area;
  NormaliseArea(again, [](std::size_t, std::size_t, std::optional<std::size_t>) { return std::string("again"); });
  if (!sameArea(again, area)) fail("the checks change an accepted area");
  const AreaBounds e = ExtentOf(area);
  const SheetCover cover = CoverArea(area, 1000000);
  if (cover.count == 0) fail("an accepted area touches no sheet");
  for (const veskar::geodesy::MapSheet& s : ListSheets(cover)) {
    const veskar::geodesy::SheetBounds b = veskar::geodesy::BoundsOf(s);
    if (b.east <= e.west || b.west >= e.east || b.north <= e.south || b.south >= e.north) fail("a sheet outside the extent");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Area area;
  try {
    area = ReadArea(text, "fuzz.txt");
  } catch (const AreaError& e) {
    if (std::string(e.what()).rfind("fuzz.txt: ", 0) != 0) fail("a message without the file's name");
    return 0;
  }
  checkAccepted(area);
  return 0;
}
