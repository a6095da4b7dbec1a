// What `sheets` and `draw --index` share: the options that name a survey area and a scale, and
// the area's sheets from them, refused when there are too many.
#include <ostream>

#include "cli.h"
#include "geodesy/sheets.h"
#include "mapsheet/area_reader.h"

namespace veskar::cli {

Option sheetScaleOption() {
  std::string text = "the sheets' scale:";
  const std::span<const int> scales = geodesy::SheetScales();
  for (std::size_t i = 0; i < scales.size(); ++i)
    text += (i == 0 ? " " : i + 1 == scales.size() ? " or " : ", ") + std::to_string(scales[i]) + (i == 4 ? "\n" : "");
  return {"--scale", "", "DENOMINATOR", text};
}

std::vector<Option> areaOptions() {
  return {{"--within", "", "S W N E", "the area as a rectangle: its south, west, north and\n"
                                      "east edges, packed DMS", 4},
          {"--area", "", "FILE", "the area as a polygon: GeoJSON (Polygon, MultiPolygon,\n"
                                 "Feature, FeatureCollection; degrees) or lines \"B L\"\n"
                                 "in packed DMS, one vertex a line"}};
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

std::optional<SurveyArea> surveyAreaOf(const Parsed& p, const std::string& prefix, std::ostream& err, int& status) {
  status = 2;
  if (p.has("--within") == p.has("--area")) {
    err << prefix << ": give the area, either --within S W N E or --area FILE\n";
    return std::nullopt;
  }
  const std::optional<int> scale = scaleOf(p, prefix, err);
  if (!scale) return std::nullopt;
  status = 1;
  try {
    SurveyArea s;
    s.area = p.has("--area") ? mapsheet::ReadAreaFile(p.value("--area")) : withinArea(p.values("--within"));
    s.cover = mapsheet::CoverArea(s.area, *scale);
    if (s.cover.count > kMaxSheets) {
      err << prefix << ": the area touches " << grouped(s.cover.count) << " sheets of 1:" << grouped(*scale) << "; at most "
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
