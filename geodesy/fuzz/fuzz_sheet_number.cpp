// ParseAnySheetNumber on arbitrary text. It must never crash or hang and throw nothing but
// GeodesyError; whatever it reads must be written back exactly as it was given (the present
// and the former forms are both canonical), both forms must read back as the same sheet, and
// the sheet's corners, neighbours and zone must agree with it without throwing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "geodesy/sheets.h"

namespace {

using namespace veskar::geodesy;

[[noreturn]] void fail(const char* what, std::string_view text) {
  std::fprintf(stderr, "sheet number: %s for \"%.*s\"\n", what, static_cast<int>(text.size()), text.data());
  std::abort();
}

// The sheet holds its south-west corner and the point just inside its north-east corner.
void checkBounds(const MapSheet& s, std::string_view text) {
  const SheetBounds b = BoundsOf(s);
  if (!(SheetAt(b.south, b.west, s.scaleDenominator) == s)) fail("the south-west corner", text);
  if (!(SheetAt(b.north - 1, b.east - 1, s.scaleDenominator) == s)) fail("the north-east corner", text);
}

// Each neighbour has the same size and lies one sheet away in its direction.
void checkNeighbours(const MapSheet& s, std::string_view text) {
  const SheetBounds b = BoundsOf(s);
  const SheetNeighbours n = NeighboursOf(s);
  const struct {
    const std::optional<MapSheet>& sheet;
    int north, east;
  } around[] = {{n.n, 1, 0},   {n.ne, 1, 1},   {n.e, 0, 1},  {n.se, -1, 1},
                {n.s, -1, 0},  {n.sw, -1, -1}, {n.w, 0, -1}, {n.nw, 1, -1}};
  for (const auto& a : around) {
    if (!a.sheet) continue;
    const SheetBounds o = BoundsOf(*a.sheet);
    if (o.south != b.south + a.north * (b.north - b.south) || o.west != b.west + a.east * (b.east - b.west) ||
        o.north - o.south != b.north - b.south || o.east - o.west != b.east - b.west)
      fail("a neighbour out of place", text);
  }
}

void check(const MapSheet& s, std::string_view text) {
  const std::string present = FormatSheetNumber(s);
  const std::optional<std::string> former = FormerSheetNumber(s);
  const bool formerGiven = text.find('-') != std::string_view::npos;
  if (formerGiven && former != std::optional<std::string>(text)) fail("a former number not written back", text);
  if (!formerGiven && present != text) fail("a present number not written back", text);
  if (!(ParseAnySheetNumber(present) == s)) fail("the present number reads another sheet", text);
  if (former && !(ParseAnySheetNumber(*former) == s)) fail("the former number reads another sheet", text);
  checkBounds(s, text);
  checkNeighbours(s, text);
  const ProjectionZone z = ZoneOf(s);
  if (ZoneByNumber(z.width, z.number).centralMeridian != z.centralMeridian) fail("the zone's number", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<MapSheet> s;
  try {
    s = ParseAnySheetNumber(text);
  } catch (const GeodesyError&) {
    return 0;  // refused, as anything that is not a sheet number must be
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sheet number: %s\n", e.what());
    fail("an exception other than GeodesyError", text);
  }
  try {
    check(*s, text);  // a sheet that was read throws nothing further
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sheet number: %s\n", e.what());
    fail("an exception after the number was read", text);
  }
  return 0;
}
