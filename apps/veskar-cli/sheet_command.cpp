// veskar-cli sheet: a national map sheet (GB/T 13989-2012) by its present or former number - its
// scale, corners, projection zone, the corners' plane coordinates, its former number and its
// neighbours - or the number of the sheet of a given scale that holds a point.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "cli.h"
#include "geodesy/sheets.h"

namespace veskar::cli {

namespace {

// "1000000, 500000, ... 1000 or 500", from the sheets' own table, cut into lines of at most
// `width` characters.
std::string scaleChoices(std::string text, std::size_t width) {
  const std::span<const int> scales = geodesy::SheetScales();
  for (std::size_t i = 0; i < scales.size(); ++i)
    text += (i == 0 ? " " : i + 1 == scales.size() ? " or " : ", ") + std::to_string(scales[i]);
  for (std::size_t start = 0, space; text.size() - start > width; start = space + 1) {
    space = text.rfind(' ', start + width);
    text[space] = '\n';
  }
  return text;
}

}  // namespace

Command sheetCommand() {
  Command c;
  c.name = "sheet";
  c.prefix = "veskar-cli sheet";
  c.synopsis = "NUMBER [OPTIONS]\n       veskar-cli sheet --at B L --scale DENOMINATOR [OPTIONS]";
  c.summary =
      "National map sheets (GB/T 13989-2012), 1:1,000,000 (J50) to 1:500 (J50K00010001), northern\n"
      "and eastern hemispheres, by the present number or the former one (J-50-5-B, before 1992;\n"
      "1:1,000,000 to 1:5,000 except 1:250,000). With a NUMBER: the sheet's scale, its corners in\n"
      "D°M′S″, its projection zone (3° zones at 1:10,000 and larger, 6° zones at smaller scales),\n"
      "the corners' plane coordinates x (northing) and y (easting with 500000 m), its former\n"
      "number and its eight neighbours, north up. With --at: the number of the sheet of that\n"
      "scale holding the point (a sheet holds its south and west edges).\n";
  c.options = {{"--at", "", "B L", "a point: latitude and longitude, packed DMS", 2},
               {"--scale", "", "DENOMINATOR", scaleChoices("with --at:", 52)},
               {"--json", "", "", "one JSON object: number, scale, west, south, east, north\n"
                                  "(degrees), zone_width, zone, central_meridian,\n"
                                  "coordinate_system, corners (sw, se, ne, nw: [x, y], metres),\n"
                                  "old_number (null where none), neighbours (n, ne, e, se,\n"
                                  "s, sw, w, nw: numbers, null where none), corners_prefixed\n"
                                  "(as corners, y with the zone number in front)"}};
  for (Option& o : systemOptions(geodesy::CoordinateSystem::CGCS2000)) c.options.push_back(std::move(o));
  c.notes = std::string(kAngleNotes) +
            "\nExamples:\n"
            "  veskar-cli sheet J50E001010\n"
            "  veskar-cli sheet J-50-5-B\n"
            "  veskar-cli sheet --at 39.543 116.2825 --scale 50000\n";
  return c;
}

namespace {

std::string number(double v) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string fixed4(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4f", v);
  return buf;
}

struct Corner {
  const char* key;   // "sw"
  const char* name;  // "south-west"
  geodesy::ArcUnits latitude, longitude;
  geodesy::PlanePoint plane;
};

std::vector<Corner> cornersOf(const geodesy::SheetBounds& b, int centralMeridian, const geodesy::ProjectionParameters& p) {
  std::vector<Corner> corners = {{"sw", "south-west", b.south, b.west, {}},
                                 {"se", "south-east", b.south, b.east, {}},
                                 {"ne", "north-east", b.north, b.east, {}},
                                 {"nw", "north-west", b.north, b.west, {}}};
  for (Corner& c : corners) {
    c.plane = geodesy::XY(geodesy::ArcUnitsToPacked(c.latitude), geodesy::ArcUnitsToPacked(c.longitude),
                          centralMeridian, p);
  }
  return corners;
}

// The neighbours in the order of the JSON keys, n first, clockwise.
std::vector<std::pair<const char*, std::optional<geodesy::MapSheet>>> around(const geodesy::MapSheet& s) {
  const geodesy::SheetNeighbours n = geodesy::NeighboursOf(s);
  return {{"n", n.n}, {"ne", n.ne}, {"e", n.e}, {"se", n.se}, {"s", n.s}, {"sw", n.sw}, {"w", n.w}, {"nw", n.nw}};
}

std::string jsonString(const std::optional<std::string>& text) { return text ? "\"" + *text + "\"" : "null"; }

void jsonCorners(const std::vector<Corner>& corners, int zonePrefix, std::ostream& out) {
  out << "{";
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const double y = zonePrefix ? geodesy::PrefixedEasting(corners[i].plane.y, zonePrefix) : corners[i].plane.y;
    out << (i ? "," : "") << "\"" << corners[i].key << "\":[" << number(corners[i].plane.x) << "," << number(y) << "]";
  }
  out << "}";
}

void json(const geodesy::MapSheet& s, geodesy::CoordinateSystem system, std::ostream& out) {
  const geodesy::SheetBounds b = geodesy::BoundsOf(s);
  const geodesy::ProjectionZone z = geodesy::ZoneOf(s);
  out << "{\"number\":\"" << geodesy::FormatSheetNumber(s) << "\",\"scale\":" << s.scaleDenominator
      << ",\"west\":" << number(geodesy::ArcUnitsToDegrees(b.west)) << ",\"south\":" << number(geodesy::ArcUnitsToDegrees(b.south))
      << ",\"east\":" << number(geodesy::ArcUnitsToDegrees(b.east)) << ",\"north\":" << number(geodesy::ArcUnitsToDegrees(b.north))
      << ",\"zone_width\":" << z.width << ",\"zone\":" << z.number << ",\"central_meridian\":" << z.centralMeridian
      << ",\"coordinate_system\":\"" << geodesy::CoordinateSystemName(system) << "\",\"corners\":";
  const auto corners = cornersOf(b, z.centralMeridian, geodesy::LoadProjectionParameters(system));
  jsonCorners(corners, 0, out);
  out << ",\"old_number\":" << jsonString(geodesy::FormerSheetNumber(s)) << ",\"neighbours\":{";
  const char* separator = "";
  for (const auto& [key, sheet] : around(s)) {
    out << separator << "\"" << key << "\":"
        << jsonString(sheet ? std::optional(geodesy::FormatSheetNumber(*sheet)) : std::nullopt);
    separator = ",";
  }
  out << "},\"corners_prefixed\":";
  jsonCorners(corners, z.number, out);
  out << "}\n";
}

// The former number, and the neighbours as they lie around the sheet, north up.
void textAround(const geodesy::MapSheet& s, std::ostream& out) {
  const std::optional<std::string> former = geodesy::FormerSheetNumber(s);
  out << "  former number  " << (former ? *former : "none at " + scaleText(s.scaleDenominator)) << "\n";
  const auto n = around(s);
  const std::string self = geodesy::FormatSheetNumber(s);
  const auto cell = [&](std::size_t i) {  // index into n, clockwise from the north
    return n[i].second ? geodesy::FormatSheetNumber(*n[i].second) : "-";
  };
  const auto row = [&](const std::string& a, const std::string& b, const std::string& c) {
    return a + std::string(self.size() + 2 - a.size(), ' ') + b + std::string(self.size() + 2 - b.size(), ' ') + c;
  };
  out << "  neighbours     " << row(cell(7), cell(0), cell(1)) << "\n"
      << "                 " << row(cell(6), self, cell(2)) << "\n"
      << "                 " << row(cell(5), cell(4), cell(3)) << "\n";
}

void text(const geodesy::MapSheet& s, geodesy::CoordinateSystem system, std::ostream& out) {
  const geodesy::SheetBounds b = geodesy::BoundsOf(s);
  const geodesy::ProjectionZone z = geodesy::ZoneOf(s);
  out << geodesy::FormatSheetNumber(s) << "  " << scaleText(s.scaleDenominator) << "\n";
  for (const Corner& c : cornersOf(b, z.centralMeridian, geodesy::LoadProjectionParameters(system))) {
    out << "  " << c.name << std::string(12 - std::string(c.name).size(), ' ') << geodesy::FormatDms(c.latitude)
        << " N  " << geodesy::FormatDms(c.longitude) << " E  x " << fixed4(c.plane.x) << "  y " << fixed4(c.plane.y)
        << "\n";
  }
  out << "  " << z.width << "° zone " << z.number << ", central meridian " << z.centralMeridian << "° E; x northing, "
      << "y easting with 500000 m, " << geodesy::CoordinateSystemName(system) << "\n";
  textAround(s, out);
}

// The sheet the options name: by number, or by a point and a scale.
std::optional<geodesy::MapSheet> sheetOf(const Parsed& p, std::ostream& err) {
  if (p.has("--at") == !p.operands().empty() || p.operands().size() > 1) {
    err << "veskar-cli sheet: give a sheet number, or --at B L --scale DENOMINATOR\n";
    return std::nullopt;
  }
  if (!p.has("--at")) return geodesy::ParseAnySheetNumber(p.operands()[0]);
  const std::optional<double> B = parseNumber(p.values("--at")[0]), L = parseNumber(p.values("--at")[1]);
  const std::optional<double> scale = parseNumber(p.value("--scale"));
  if (!B || !L || !scale || !(std::fabs(*scale) < 1e9) || *scale != static_cast<int>(*scale)) {
    err << "veskar-cli sheet: --at takes two numbers and --scale a whole denominator\n";
    return std::nullopt;
  }
  return geodesy::SheetAtPacked(*B, *L, static_cast<int>(*scale));
}

}  // namespace

int runSheet(const Args& args, std::ostream& out, std::ostream& err) {
  const Command c = sheetCommand();
  int status = 0;
  const std::optional<Parsed> p = parseOrAnswer(c, args, out, err, status);
  if (!p) return status;
  const geodesy::CoordinateSystem system = systemOf(*p, geodesy::CoordinateSystem::CGCS2000);
  try {
    const std::optional<geodesy::MapSheet> s = sheetOf(*p, err);
    if (!s) {
      usage(c, err);
      return 2;
    }
    if (p->has("--json")) {
      json(*s, system, out);
    } else if (p->has("--at")) {
      out << geodesy::FormatSheetNumber(*s) << "\n";
    } else {
      text(*s, system, out);
    }
    return 0;
  } catch (const geodesy::GeodesyError& e) {
    err << "veskar-cli sheet: " << e.what() << "\n";
    return 1;
  }
}

void writeSheetJson(const geodesy::MapSheet& sheet, geodesy::CoordinateSystem system, std::ostream& out) {
  json(sheet, system, out);
}

}  // namespace veskar::cli
