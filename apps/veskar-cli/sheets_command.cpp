// veskar-cli sheets: the map sheets of one scale that a survey area touches, as a list, as the
// JSON objects of `sheet --json` or as GeoJSON polygons for GIS programs.
#include <ostream>
#include <sstream>

#include "cli.h"
#include "mapsheet/sheet_geojson.h"
#include "platform/files.h"

namespace veskar::cli {

Command sheetsCommand() {
  Command c;
  c.name = "sheets";
  c.prefix = "veskar-cli sheets";
  c.synopsis = "--scale DENOMINATOR (--within S W N E | --area FILE) [OPTIONS]";
  c.summary =
      "The national map sheets (GB/T 13989-2012) of one scale that a survey area touches, row\n"
      "by row from the north-west: each sheet's number, its former number (\"-\" where there is\n"
      "none) and its extent. A sheet that meets the area only along an edge or at a corner, or\n"
      "lies wholly in a hole of it, is not listed. The area's edges are straight lines in\n"
      "longitude and latitude between its vertices; the test is exact.\n";
  c.options = {sheetScaleOption()};
  for (Option& o : areaOptions()) c.options.push_back(std::move(o));
  c.options.push_back({"--json", "", "", "a JSON array of the objects `sheet --json` prints"});
  c.options.push_back({"--geojson", "", "", "a GeoJSON FeatureCollection of the sheets as polygons\n"
                                            "(longitude, latitude; vertices at most 1′ apart) with\n"
                                            "the properties number, old_number and scale"});
  c.options.push_back({"--output", "-o", "FILE", "write into FILE instead of standard output"});
  for (Option& o : systemOptions(geodesy::CoordinateSystem::CGCS2000)) c.options.push_back(std::move(o));
  c.notes = std::string(kAngleNotes) +
            "GeoJSON degrees are rounded to the nearest 1/10000″. At most 100,000 sheets; a larger\n"
            "area, a malformed file (named with its line or GeoJSON path) and a polygon that\n"
            "crosses itself, has fewer than three distinct vertices or leaves the sheets are\n"
            "refused, and nothing is written. Exit status: 0 listed, 1 refused, 2 usage error.\n"
            "\n"
            "Examples:\n"
            "  veskar-cli sheets --scale 10000 --within 39.2 116 39.3 116.1\n"
            "  veskar-cli sheets --scale 5000 --area county.geojson --geojson -o sheets.geojson\n";
  return c;
}

namespace {

void lines(const std::vector<geodesy::MapSheet>& sheets, std::ostream& out) {
  for (const geodesy::MapSheet& s : sheets) {
    const geodesy::SheetBounds b = geodesy::BoundsOf(s);
    const std::string number = geodesy::FormatSheetNumber(s), former = geodesy::FormerSheetNumber(s).value_or("-");
    out << number << std::string(12 - number.size(), ' ') << former
        << std::string(former.size() < 15 ? 15 - former.size() : 1, ' ') << geodesy::FormatDms(b.south) << "–"
        << geodesy::FormatDms(b.north) << " N  " << geodesy::FormatDms(b.west) << "–" << geodesy::FormatDms(b.east)
        << " E\n";
  }
}

void jsonArray(const std::vector<geodesy::MapSheet>& sheets, geodesy::CoordinateSystem system, std::ostream& out) {
  out << "[";
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    std::ostringstream object;
    writeSheetJson(sheets[i], system, object);
    std::string text = object.str();
    if (!text.empty() && text.back() == '\n') text.pop_back();
    out << (i ? ",\n" : "\n") << text;
  }
  out << "\n]\n";
}

}  // namespace

int runSheets(const Args& args, std::ostream& out, std::ostream& err) {
  const Command c = sheetsCommand();
  int status = 0;
  const std::optional<Parsed> p = parseOrAnswer(c, args, out, err, status);
  if (!p) return status;
  if ((p->has("--json") && p->has("--geojson")) || !p->operands().empty()) {
    err << c.prefix << ": " << (p->operands().empty() ? "give --json or --geojson, not both" : "unexpected " + p->operands()[0])
        << "\n";
    usage(c, err);
    return 2;
  }
  const std::optional<SurveyArea> survey = surveyAreaOf(*p, c.prefix, err, status);
  if (!survey) {
    if (status == 2) usage(c, err);
    return status;
  }
  const geodesy::CoordinateSystem system = systemOf(*p, geodesy::CoordinateSystem::CGCS2000);
  const std::vector<geodesy::MapSheet> sheets = mapsheet::ListSheets(survey->cover);
  std::ostringstream text;
  if (p->has("--json")) {
    jsonArray(sheets, system, text);
  } else if (p->has("--geojson")) {
    mapsheet::WriteSheetsGeoJson(sheets, system, text);
  } else {
    lines(sheets, text);
  }
  if (!p->has("--output")) {
    out << text.str() << std::flush;
    return 0;
  }
  if (const std::optional<std::string> error = platform::replaceFile(p->value("--output"), text.str())) {
    err << c.prefix << ": " << p->value("--output") << ": " << *error << "\n";
    return 1;
  }
  return 0;
}

}  // namespace veskar::cli
