// ReadArea and ReadPlaneArea (lines "x y", without and with a zone number) on arbitrary file
// contents. They must never crash or hang and must fail only with an AreaError naming the
// file; an area they accept must be valid: rings of at least three vertices within the sheets
// (the plane's from 0 to 10,000 km), each with its source numbers, that pass the checks again
// unchanged, and whose sheets (at 1:1,000,000; square sheets of 1:5,000) lie within the area's
// extent.
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

using Normalise = void (*)(Area&, const PlaceNamer&);

void checkRings(const Area& area, ArcUnits east, ArcUnits north, Normalise normalise) {
  if (area.polygons.empty()) fail("an area without polygons");
  for (const AreaPolygon& p : area.polygons) {
    if (p.rings.empty()) fail("a polygon without rings");
    for (const AreaRing& r : p.rings) {
      if (r.vertices.size() < 3 || r.source.size() != r.vertices.size()) fail("a ring of fewer than three vertices");
      for (const AreaPoint& v : r.vertices)
        if (v.latitude < 0 || v.latitude > north || v.longitude < 0 || v.longitude > east) fail("a vertex outside the sheets");
    }
  }
  Area again = area;
  normalise(again, [](std::size_t, std::size_t, std::optional<std::size_t>) { return std::string("again"); });
  if (!sameArea(again, area)) fail("the checks change an accepted area");
}

// The cover is not empty and its runs lie within the area's extent.
void checkCover(const Area& area, const SheetCover& cover) {
  const AreaBounds e = ExtentOf(area);
  if (cover.count == 0) fail("an accepted area touches no sheet");
  for (const SheetRun& r : cover.runs) {
    if (r.firstColumn > r.lastColumn) fail("an empty run");
    if ((r.lastColumn + 1) * cover.width <= e.west || r.firstColumn * cover.width >= e.east ||
        (r.row + 1) * cover.height <= e.south || r.row * cover.height >= e.north)
      fail("a sheet outside the extent");
  }
}

void checkAccepted(const Area& area) {
  constexpr ArcUnits deg = veskar::geodesy::kArcUnitsPerDegree;
  checkRings(area, 180 * deg, 88 * deg, NormaliseArea);
  checkCover(area, CoverArea(area, 1000000));
}

void checkPlane(const Area& area) {
  checkRings(area, kPlaneLimit, kPlaneLimit, NormalisePlaneArea);
  const SheetCover cover = CoverSquares(area, 5000, {40, 40});
  checkCover(area, cover);
  if (cover.count <= 1000 && ListSquareSheets(cover, {40, 40}).size() != cover.count) fail("a listing of another count");
}

template <typename Read, typename Check>
void tryRead(const Read& read, const Check& check) {
  Area area;
  try {
    area = read();
  } catch (const AreaError& e) {
    if (std::string(e.what()).rfind("fuzz.txt: ", 0) != 0) fail("a message without the file's name");
    return;
  }
  check(area);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  tryRead([&] { return ReadArea(text, "fuzz.txt"); }, checkAccepted);
  for (int zone : {0, 39}) tryRead([&] { return ReadPlaneArea(text, "fuzz.txt", zone); }, checkPlane);
  return 0;
}
