// What `sheets` and `draw --index` share: the options that name a survey area and a scale, and
// the area's sheets from them, national or (with --square) square sheets, refused when there
// are too many.
#include <ostream>

#include "cli.h"
#include "geodesy/sheets.h"
#include "mapsheet/area_reader.h"

namespace veskar::cli {

Option sheetScaleOption() {
  std::string text = "the sheets' scale:";
  const std::span<const int> scales = geodesy::SheetScales();
  for (std::size_t i = 0; i < scales.size(); ++i)
    text += (i == 0 ? " " : i + 1 == scales.size() ? " or " : i == 5 ? ",\n" : ", ") + std::to_string(scales[i]);
  return {"--scale", "", "DENOMINATOR", text + "; with --square\n5000, 2000, 1000 or 500"};
}

std::vector<Option> areaOptions() {
  return {{"--within", "", "S W N E", "the area as a rectangle: its south, west, north and\n"
                                      "east edges, packed DMS; with --square x of the south\n"
                                      "and north, y of the west and east edges, metres", 4},
          {"--area", "", "FILE", "the area as a polygon: GeoJSON (Polygon, MultiPolygon,\n"
                                 "Feature, FeatureCollection; degrees) or lines \"B L\"\n"
                                 "in packed DMS, one vertex a line; with --square lines\n"
                                 "\"x y\" in metres"}};
}

namespace {

// The rectangle of --within; throws AreaError or GeodesyError naming the option.
mapsheet::Area withinArea(const std::vector<std::string>& values) {
  geodesy::ArcUnits edge[4];
  for (std::size_t k = 0; k < 4; ++k) {
    const std::optional<double> v = parseNumber(values[k]);
    if (!v) throw mapsheet::AreaError("--within: \"" + values[k] + "\" is not a number");
    try {
      edge[k] = geodesy::PackedToArcUnits(*v);
    } catch (const geodesy::GeodesyError& e) {
      throw mapsheet::AreaError(std::string("--within: ") + e.what());
    }
  }
  const auto [south, west, north, east] = edge;
  if (south >= north)
    throw mapsheet::AreaError("--within: the south edge " + geodesy::FormatDms(south) + " is not south of the north edge " +
                              geodesy::FormatDms(north));
  if (west >= east)
    throw mapsheet::AreaError("--within: the west edge " + geodesy::FormatDms(west) + " is not west of the east edge " +
                              geodesy::FormatDms(east));
  mapsheet::Area area = mapsheet::RectangleArea(south, west, north, east);
  mapsheet::NormaliseArea(area, [](std::size_t, std::size_t, std::optional<std::size_t>) { return std::string("--within"); });
  return area;
}

// The plane rectangle of --within with --square, read as lines "x y" are: x of the south and
// north edges, y of the west and east edges (with the zone number when `zone` > 0).
mapsheet::Area withinPlane(const std::vector<std::string>& values, int zone) {
  std::int64_t edge[4];
  for (std::size_t k = 0; k < 4; ++k) {
    const std::optional<std::int64_t> mm = mapsheet::MetresToMillimetres(values[k]);
    if (!mm) throw mapsheet::AreaError("--within: \"" + values[k] + "\" is not a number of metres");
    edge[k] = k % 2 == 0 ? *mm : geodesy::UnprefixedEasting(*mm, zone, "--within: y " + values[k], mapsheet::kPlaneUnitsPerMetre);
  }
  const auto [south, west, north, east] = edge;
  if (south >= north)
    throw mapsheet::AreaError("--within: the south edge x " + values[0] + " is not south of the north edge x " + values[2]);
  if (west >= east)
    throw mapsheet::AreaError("--within: the west edge y " + values[1] + " is not west of the east edge y " + values[3]);
  mapsheet::Area area = mapsheet::RectangleArea(south, west, north, east);
  mapsheet::NormalisePlaneArea(area, [](std::size_t, std::size_t, std::optional<std::size_t>) { return std::string("--within"); });
  return area;
}

// The whole denominator of --scale; a usage error is told and gives nothing.
std::optional<int> scaleOf(const Parsed& p, const std::string& prefix, std::ostream& err) {
  const std::optional<double> scale = parseNumber(p.value("--scale"));
  if (!scale || !(*scale >= 1 && *scale <= 1e9) || *scale != static_cast<int>(*scale)) {
    err << prefix << ": --scale takes the whole denominator of a scale (--scale 10000 for 1:10,000)\n";
    return std::nullopt;
  }
  return static_cast<int>(*scale);
}

}  // namespace

namespace {

// The area and its cover from the options; throws AreaError or GeodesyError.
SurveyArea surveyOf(const Parsed& p, SurveyArea s, int scale) {
  if (!s.square) {
    s.area = p.has("--area") ? mapsheet::ReadAreaFile(p.value("--area")) : withinArea(p.values("--within"));
    s.cover = mapsheet::CoverArea(s.area, scale);
    return s;
  }
  s.size = p.has("--sheet-size") ? geodesy::ParseSquareSize(p.value("--sheet-size")) : geodesy::DefaultSquareSize(scale);
  s.area = p.has("--area") ? mapsheet::ReadPlaneAreaFile(p.value("--area"), s.zone) : withinPlane(p.values("--within"), s.zone);
  s.cover = mapsheet::CoverSquares(s.area, scale, s.size);
  return s;
}

// Options that go with --square only; a usage error told.
bool squareOptionsFit(const Parsed& p, const std::string& prefix, std::ostream& err) {
  for (const char* squareOnly : {"--sheet-size", "--zone", "--zone-width", "--zone-prefix"}) {
    if (!p.has("--square") && p.has(squareOnly)) {
      err << prefix << ": " << squareOnly << " goes with --square\n";
      return false;
    }
  }
  for (const char* system : {"--beijing54", "--iag75", "--cgcs2000"}) {
    if (p.has("--square") && p.has(system)) {
      err << prefix << ": square sheets are in plane coordinates, which no geodetic system turns into others; leave out "
          << system << "\n";
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<SurveyArea> surveyAreaOf(const Parsed& p, const std::string& prefix, std::ostream& err, int& status) {
  status = 2;
  if (p.has("--within") == p.has("--area")) {
    err << prefix << ": give the area, either --within S W N E or --area FILE\n";
    return std::nullopt;
  }
  const std::optional<int> scale = scaleOf(p, prefix, err);
  if (!scale || !squareOptionsFit(p, prefix, err)) return std::nullopt;
  SurveyArea s;
  s.square = p.has("--square");
  const std::optional<int> zone = s.square ? prefixZoneOf(p, prefix, err) : 0;
  if (!zone) return std::nullopt;
  s.zone = *zone;
  status = 1;
  try {
    s = surveyOf(p, std::move(s), *scale);
    if (s.cover.count > kMaxSheets) {
      err << prefix << ": the area touches " << grouped(s.cover.count) << (s.square ? " square sheets of " : " sheets of ")
          << scaleText(*scale) << (s.square ? " (" + geodesy::FormatSquareSize(s.size) + " cm)" : "") << "; at most "
          << grouped(kMaxSheets) << " are listed or drawn\n";
      return std::nullopt;
    }
    return s;
  } catch (const mapsheet::AreaError& e) {
    err << prefix << ": " << e.what() << "\n";
  } catch (const geodesy::GeodesyError& e) {
    err << prefix << ": " << e.what() << "\n";
  }
  return std::nullopt;
}

}  // namespace veskar::cli
