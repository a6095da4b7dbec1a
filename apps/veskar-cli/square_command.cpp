// veskar-cli square: the square (or rectangular) sheet of a large-scale survey holding a plane
// point, or named by its number: its number, corners and eight neighbours.
#include <cmath>
#include <cstdio>
#include <ostream>

#include "cli.h"
#include "geodesy/square.h"

namespace veskar::cli {

Command squareCommand() {
  Command c;
  c.name = "square";
  c.prefix = "veskar-cli square";
  c.synopsis = "--scale DENOMINATOR (NUMBER | --at X Y) [OPTIONS]";
  c.summary =
      "Square sheets of large-scale surveys: 50 x 50 cm on paper at 1:2,000, 1:1,000 and 1:500,\n"
      "40 x 40 cm at 1:5,000, aligned to whole multiples of their size from the origin of the\n"
      "plane coordinates (no projection), each named by its south-west corner, x (northing) then\n"
      "y (easting) in km: 3810.5-525.5, with no decimals at 1:5,000, one at 1:2,000 and 1:1,000,\n"
      "two at 1:500. Gives the sheet's number, corners and eight neighbours, north up.\n";
  c.options = {{"--scale", "", "DENOMINATOR", "5000, 2000, 1000 or 500 (required)"},
               {"--at", "", "X Y", "a point: x (northing) and y (easting), metres", 2},
               {"--sheet-size", "", "WxH", "50x50, 50x40 or 40x40 (cm east-west x north-south)"},
               {"--zone", "", "N", "with --zone-prefix: the zone number y carries in front"},
               {"--zone-width", "", "3|6", "with --zone: the zones' width in degrees"},
               {"--zone-prefix", "", "", "y read and written with the zone number in front\n"
                                         "(39525.5 for 525.5 km in zone 39)"},
               {"--json", "", "", "one JSON object: number, scale, south, west, north, east\n"
                                  "(metres: x of the south and north edges, y of the west\n"
                                  "and east edges), neighbours (n, ne, e, se, s, sw, w, nw:\n"
                                  "numbers, null where none)"}};
  c.notes =
      "A point on an edge belongs to the sheet north or east of it. Coordinates below 0 hold\n"
      "no sheet. Exit status: 0 done, 1 a number or point that is no sheet, 2 usage error.\n"
      "\nExamples:\n"
      "  veskar-cli square --scale 1000 3810.5-525.5\n"
      "  veskar-cli square --scale 500 --at 10260.3 27790.1 --json\n";
  return c;
}

namespace {

struct Choice {
  int scale = 0;
  geodesy::SquareSize size;
  int zone = 0;
};

// The scale, size and zone the options give; the usage error told (nothing).
std::optional<Choice> choiceOf(const Parsed& p, std::ostream& err) {
  Choice c;
  const std::optional<int> scale = parseInt(p.value("--scale"));
  if (!scale) {
    err << "veskar-cli square: --scale takes the scale's denominator: 5000, 2000, 1000 or 500\n";
    return std::nullopt;
  }
  c.scale = *scale;
  const std::optional<int> zone = prefixZoneOf(p, "veskar-cli square", err);
  if (!zone) return std::nullopt;
  c.zone = *zone;
  return c;
}

geodesy::SquareSheet sheetOf(const Parsed& p, const Choice& c) {
  const geodesy::SquareSize size =
      p.has("--sheet-size") ? geodesy::ParseSquareSize(p.value("--sheet-size")) : geodesy::DefaultSquareSize(c.scale);
  if (p.has("--at")) {
    const std::optional<double> x = parseNumber(p.values("--at")[0]), y = parseNumber(p.values("--at")[1]);
    if (!x || !y) throw geodesy::GeodesyError(geodesy::GeodesyError::Kind::InvalidInput, "--at takes two numbers, x and y in metres");
    return geodesy::SquareSheetAt(*x, *y, c.scale, size, c.zone);
  }
  return geodesy::ParseSquareNumber(p.operands()[0], c.scale, size, c.zone);
}

std::string metres(std::int64_t m, int zone) { return std::to_string(zone > 0 ? m + zone * 1000000LL : m); }

}  // namespace

void writeSquareJson(const geodesy::SquareSheet& s, int zone, std::ostream& out) {
  const geodesy::SquareNeighbours n = geodesy::NeighboursOf(s);
  out << "{\"number\":\"" << geodesy::FormatSquareNumber(s, zone) << "\",\"scale\":" << s.scaleDenominator
      << ",\"south\":" << s.south << ",\"west\":" << metres(s.west, zone) << ",\"north\":" << s.north()
      << ",\"east\":" << metres(s.east(), zone) << ",\"neighbours\":{";
  const std::pair<const char*, const std::optional<geodesy::SquareSheet>*> keys[] = {
      {"n", &n.n}, {"ne", &n.ne}, {"e", &n.e}, {"se", &n.se}, {"s", &n.s}, {"sw", &n.sw}, {"w", &n.w}, {"nw", &n.nw}};
  for (std::size_t k = 0; k < 8; ++k) {
    const auto& sheet = *keys[k].second;
    out << (k ? "," : "") << "\"" << keys[k].first << "\":"
        << (sheet ? "\"" + geodesy::FormatSquareNumber(*sheet, zone) + "\"" : std::string("null"));
  }
  out << "}}\n";
}

namespace {

void text(const geodesy::SquareSheet& s, int zone, std::ostream& out) {
  const std::string self = geodesy::FormatSquareNumber(s, zone);
  out << self << "  " << scaleText(s.scaleDenominator) << ", " << geodesy::FormatSquareSize(s.size) << " cm, "
      << s.width() << " x " << s.height() << " m\n"
      << "  south-west  x " << s.south << "  y " << metres(s.west, zone) << "\n"
      << "  north-east  x " << s.north() << "  y " << metres(s.east(), zone) << "\n";
  const geodesy::SquareNeighbours n = geodesy::NeighboursOf(s);
  const auto cell = [&](const std::optional<geodesy::SquareSheet>& c) {
    return c ? geodesy::FormatSquareNumber(*c, zone) : std::string("-");
  };
  const auto row = [&](const std::string& a, const std::string& b, const std::string& c) {
    const auto pad = [&](const std::string& t) { return t + std::string(t.size() < self.size() + 2 ? self.size() + 2 - t.size() : 1, ' '); };
    return pad(a) + pad(b) + c;
  };
  out << "  neighbours  " << row(cell(n.nw), cell(n.n), cell(n.ne)) << "\n"
      << "              " << row(cell(n.w), self, cell(n.e)) << "\n"
      << "              " << row(cell(n.sw), cell(n.s), cell(n.se)) << "\n";
}

}  // namespace

int runSquare(const Args& args, std::ostream& out, std::ostream& err) {
  const Command c = squareCommand();
  int status = 0;
  const std::optional<Parsed> p = parseOrAnswer(c, args, out, err, status);
  if (!p) return status;
  const std::optional<Choice> choice = choiceOf(*p, err);
  if (!choice || p->has("--at") == !p->operands().empty() || p->operands().size() > 1) {
    if (choice) err << "veskar-cli square: give a sheet number, or --at X Y\n";
    usage(c, err);
    return 2;
  }
  try {
    const geodesy::SquareSheet s = sheetOf(*p, *choice);
    if (p->has("--json")) {
      writeSquareJson(s, choice->zone, out);
    } else {
      text(s, choice->zone, out);
    }
    return 0;
  } catch (const geodesy::GeodesyError& e) {
    err << "veskar-cli square: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace veskar::cli
