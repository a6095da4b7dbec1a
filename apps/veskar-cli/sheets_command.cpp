// veskar-cli sheets: the map sheets of one scale that a survey area touches, as a list, as the
// JSON objects of `sheet --json` or as GeoJSON polygons for GIS programs; with --square the
// square sheets of a plane area, as a list or the JSON objects of `square --json`.
#include <algorithm>
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
  c.synopsis = "[--square] --scale DENOMINATOR (--within S W N E | --area FILE) [OPTIONS]";
  c.summary =
      "The national map sheets (GB/T 13989-2012) of one scale that a survey area touches, row\n"
      "by row from the north-west: each sheet's number, its former number (\"-\" where there is\n"
      "none) and its extent. A sheet that meets the area only along an edge or at a corner, or\n"
      "lies wholly in a hole of it, is not listed. The area's edges are straight lines in\n"
      "longitude and latitude between its vertices; the test is exact.\n"
      "With --square, the square sheets of a large-scale survey that an area in plane\n"
      "coordinates touches (metres, read to the millimetre): each sheet's number and its x and y\n"
      "from edge to edge.\n";
  c.options = {{"--square", "", "", "square sheets (see `square`) of a plane area: --within\n"
                                    "XS YW XN YE, --area of lines \"x y\" (x northing, y\n"
                                    "easting, metres, blanks or a comma between)"},
               sheetScaleOption()};
  for (Option& o : areaOptions()) c.options.push_back(std::move(o));
  c.options.push_back({"--json", "", "", "a JSON array of the objects `sheet --json` prints\n"
                                         "(`square --json` with --square)"});
  c.options.push_back({"--geojson", "", "", "a GeoJSON FeatureCollection of the sheets as polygons\n"
                                            "(longitude, latitude; vertices at most 1′ apart) with\n"
                                            "the properties number, old_number and scale"});
  c.options.push_back({"--sheet-size", "", "WxH", "with --square: 50x50, 50x40 or 40x40 cm (default 40x40\n"
                                                  "at 1:5,000, 50x50 at the larger scales)"});
  c.options.push_back({"--zone", "", "N", "with --square and --zone-prefix: the zone number y\n"
                                         "carries in front"});
  c.options.push_back({"--zone-width", "", "3|6", "with --zone: the zones' width in degrees"});
  c.options.push_back({"--zone-prefix", "", "", "with --square: y read and written with the zone number\n"
                                                "in front (39525500 for 525500 m in zone 39)"});
  c.options.push_back({"--output", "-o", "FILE", "write into FILE instead of standard output"});
  for (Option& o : systemOptions(geodesy::CoordinateSystem::CGCS2000)) c.options.push_back(std::move(o));
  c.notes = std::string(kAngleNotes) +
            "GeoJSON degrees are rounded to the nearest 1/10000″. At most 100,000 sheets; a larger\n"
            "area, a malformed file (named with its line or GeoJSON path) and a polygon that\n"
            "crosses itself, has fewer than three distinct vertices or leaves the sheets are\n"
            "refused, and nothing is written; so are a scale without square sheets and a plane\n"
            "vertex below x 0 or y 0. Exit status: 0 listed, 1 refused, 2 usage error.\n"
            "\n"
            "Examples:\n"
            "  veskar-cli sheets --scale 10000 --within 39.2 116 39.3 116.1\n"
            "  veskar-cli sheets --scale 5000 --area county.geojson --geojson -o sheets.geojson\n"
            "  veskar-cli sheets --square --scale 500 --within 10100 27600 10900 28300\n";
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

// A JSON array of the objects `write` gives, one a line.
template <typename Sheet, typename Write>
void jsonArray(const std::vector<Sheet>& sheets, const Write& write, std::ostream& out) {
  out << "[";
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    std::ostringstream object;
    write(sheets[i], object);
    std::string text = object.str();
    if (!text.empty() && text.back() == '\n') text.pop_back();
    out << (i ? ",\n" : "\n") << text;
  }
  out << "\n]\n";
}

// One line per square sheet: its number, x from the south to the north edge, y from the west
// to the east edge (metres, y with the zone number when there is one).
void squareLines(const std::vector<geodesy::SquareSheet>& sheets, int zone, std::ostream& out) {
  std::size_t width = 0;
  for (const geodesy::SquareSheet& s : sheets) width = std::max(width, geodesy::FormatSquareNumber(s, zone).size());
  const std::int64_t offset = zone > 0 ? zone * std::int64_t{1000000} : 0;
  for (const geodesy::SquareSheet& s : sheets) {
    const std::string number = geodesy::FormatSquareNumber(s, zone);
    out << number << std::string(width + 2 - number.size(), ' ') << "x " << s.south << "–" << s.north() << "  y "
        << offset + s.west << "–" << offset + s.east() << "\n";
  }
}

// The listing the options ask for.
std::string listing(const Parsed& p, const SurveyArea& survey) {
  std::ostringstream text;
  if (survey.square) {
    const std::vector<geodesy::SquareSheet> sheets = mapsheet::ListSquareSheets(survey.cover, survey.size);
    if (p.has("--json")) {
      jsonArray(sheets, [&](const geodesy::SquareSheet& s, std::ostream& o) { writeSquareJson(s, survey.zone, o); }, text);
    } else {
      squareLines(sheets, survey.zone, text);
    }
    return text.str();
  }
  const geodesy::CoordinateSystem system = systemOf(p, geodesy::CoordinateSystem::CGCS2000);
  const std::vector<geodesy::MapSheet> sheets = mapsheet::ListSheets(survey.cover);
  if (p.has("--json")) {
    jsonArray(sheets, [&](const geodesy::MapSheet& s, std::ostream& o) { writeSheetJson(s, system, o); }, text);
  } else if (p.has("--geojson")) {
    mapsheet::WriteSheetsGeoJson(sheets, system, text);
  } else {
    lines(sheets, text);
  }
  return text.str();
}

// A usage error in the combination of options, or nothing.
std::optional<std::string> misfit(const Parsed& p) {
  if (!p.operands().empty()) return "unexpected " + p.operands()[0];
  if (p.has("--json") && p.has("--geojson")) return "give --json or --geojson, not both";
  if (p.has("--square") && p.has("--geojson"))
    return "--geojson writes longitude and latitude; square sheets are in plane coordinates: give --json or no form";
  return std::nullopt;
}

}  // namespace

int runSheets(const Args& args, std::ostream& out, std::ostream& err) {
  const Command c = sheetsCommand();
  int status = 0;
  const std::optional<Parsed> p = parseOrAnswer(c, args, out, err, status);
  if (!p) return status;
  if (const std::optional<std::string> error = misfit(*p)) {
    err << c.prefix << ": " << *error << "\n";
    usage(c, err);
    return 2;
  }
  const std::optional<SurveyArea> survey = surveyAreaOf(*p, c.prefix, err, status);
  if (!survey) {
    if (status == 2) usage(c, err);
    return status;
  }
  const std::string text = listing(*p, *survey);
  if (!p->has("--output")) {
    out << text << std::flush;
    return 0;
  }
  if (const std::optional<std::string> error = platform::replaceFile(p->value("--output"), text)) {
    err << c.prefix << ": " << p->value("--output") << ": " << *error << "\n";
    return 1;
  }
  return 0;
}

}  // namespace veskar::cli
