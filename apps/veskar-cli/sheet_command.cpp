// veskar-cli sheet: a national map sheet (GB/T 13989-2012) by its number - its scale, corners,
// projection zone and the corners' plane coordinates - or the number of the sheet of a given
// scale that holds a point.
#include <charconv>
#include <cstdio>
#include <ostream>

#include "cli.h"
#include "geodesy/sheets.h"

namespace veskar::cli {

Command sheetCommand() {
  Command c;
  c.name = "sheet";
  c.prefix = "veskar-cli sheet";
  c.synopsis = "NUMBER [OPTIONS]\n       veskar-cli sheet --at B L --scale DENOMINATOR [OPTIONS]";
  c.summary =
      "National map sheets (GB/T 13989-2012), 1:1,000,000 (J50) to 1:5,000 (J50H001001), northern\n"
      "and eastern hemispheres. With a NUMBER: the sheet's scale, its corners in D°M′S″, its\n"
      "projection zone (3° zones at 1:10,000 and 1:5,000, 6° zones at smaller scales) and the\n"
      "corners' plane coordinates x (northing) and y (easting with 500000 m). With --at: the\n"
      "number of the sheet of that scale holding the point (a sheet holds its south and west\n"
      "edges).\n";
  c.options = {{"--at", "", "B L", "a point: latitude and longitude, packed DMS", 2},
               {"--scale", "", "DENOMINATOR", "with --at: 1000000, 500000, 250000, 100000, 50000,\n"
                                              "25000, 10000 or 5000"},
               {"--json", "", "", "one JSON object: number, scale, west, south, east, north\n"
                                  "(degrees), zone_width, zone, central_meridian,\n"
                                  "coordinate_system, corners (sw, se, ne, nw: [x, y], metres)"}};
  for (Option& o : systemOptions(geodesy::CoordinateSystem::CGCS2000)) c.options.push_back(std::move(o));
  c.notes = std::string(kAngleNotes) +
            "\nExamples:\n"
            "  veskar-cli sheet J50E001010\n"
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

std::string scaleText(int denominator) {
  std::string digits = std::to_string(denominator);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), ",");
  return "1:" + digits;
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

void json(const geodesy::MapSheet& s, geodesy::CoordinateSystem system, std::ostream& out) {
  const geodesy::SheetBounds b = geodesy::BoundsOf(s);
  const geodesy::ProjectionZone z = geodesy::ZoneOf(s);
  out << "{\"number\":\"" << geodesy::FormatSheetNumber(s) << "\",\"scale\":" << s.scaleDenominator
      << ",\"west\":" << number(geodesy::ArcUnitsToDegrees(b.west)) << ",\"south\":" << number(geodesy::ArcUnitsToDegrees(b.south))
      << ",\"east\":" << number(geodesy::ArcUnitsToDegrees(b.east)) << ",\"north\":" << number(geodesy::ArcUnitsToDegrees(b.north))
      << ",\"zone_width\":" << z.width << ",\"zone\":" << z.number << ",\"central_meridian\":" << z.centralMeridian
      << ",\"coordinate_system\":\"" << geodesy::CoordinateSystemName(system) << "\",\"corners\":{";
  const auto corners = cornersOf(b, z.centralMeridian, geodesy::LoadProjectionParameters(system));
  for (std::size_t i = 0; i < corners.size(); ++i) {
    out << (i ? "," : "") << "\"" << corners[i].key << "\":[" << number(corners[i].plane.x) << ","
        << number(corners[i].plane.y) << "]";
  }
  out << "}}\n";
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
}

// The sheet the options name: by number, or by a point and a scale.
std::optional<geodesy::MapSheet> sheetOf(const Parsed& p, std::ostream& err) {
  if (p.has("--at") == !p.operands().empty() || p.operands().size() > 1) {
    err << "veskar-cli sheet: give a sheet number, or --at B L --scale DENOMINATOR\n";
    return std::nullopt;
  }
  if (!p.has("--at")) return geodesy::ParseSheetNumber(p.operands()[0]);
  const std::optional<double> B = parseNumber(p.values("--at")[0]), L = parseNumber(p.values("--at")[1]);
  const std::optional<double> scale = parseNumber(p.value("--scale"));
  if (!B || !L || !scale || *scale != static_cast<int>(*scale)) {
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
