// veskar-cli forward / inverse: Gauss-Krüger coordinates line by line, like the converters of
// the geodesy toolkits. Input and output numbers always use "." whatever the locale.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli.h"
#include "geodesy/geodesy.h"
#include "geodesy/sheets.h"

namespace veskar::cli {
namespace {

// A number of an input line: the whole field, "." as the decimal point.
std::optional<double> lineNumber(std::string_view s) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

// Two numbers separated by blanks and/or one comma; nothing else on the line.
std::optional<std::pair<double, double>> parsePair(std::string_view line, std::string& why) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  int commas = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == ',') {
      if (++commas > 1) break;
      ++i;
    } else {
      const std::size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
             line[i] != ',') {
        ++i;
      }
      fields.push_back(line.substr(start, i - start));
    }
  }
  if (fields.size() != 2 || commas > 1) {
    why = "expected two numbers separated by blanks or a comma";
    return std::nullopt;
  }
  const auto a = lineNumber(fields[0]);
  const auto b = lineNumber(fields[1]);
  if (!a || !b) {
    why = "\"" + std::string(!a ? fields[0] : fields[1]) + "\" is not a number";
    return std::nullopt;
  }
  return std::make_pair(*a, *b);
}

std::string fixed(double v, int precision) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
  if (r.ec != std::errc()) return "*";
  std::string s(buf, r.ptr);
  if (s.rfind("-0", 0) == 0 && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

}  // namespace

Command convertCommand(Direction d) {
  const bool forward = d == Direction::Forward;
  Command c;
  c.name = forward ? "forward" : "inverse";
  c.prefix = "veskar-cli";
  c.synopsis = "(--central-meridian L0 | --zone N --zone-width 3|6) [OPTIONS]";
  c.summary = forward ? "Gauss-Krüger forward: reads lines \"B L\" (latitude, longitude in packed DMS) and writes\n"
                        "\"x y\" (northing, easting in metres, the easting with the 500000 m false easting).\n"
                      : "Gauss-Krüger inverse: reads lines \"x y\" (northing, easting in metres, the easting with\n"
                        "the 500000 m false easting) and writes \"B L\" (latitude, longitude in packed DMS).\n";
  c.options = {{"--central-meridian", "", "L0", "the zone's central meridian, packed DMS"},
               {"--zone", "", "N", "instead, the zone's number: 6° zone N (1-60) has the\n"
                                   "central meridian 6N - 3, 3° zone N (1-120) has 3N"},
               {"--zone-width", "", "3|6", "with --zone: the zones' width in degrees"},
               {"--zone-prefix", "", "", forward ? "with --zone: write y with the zone number in front,\n"
                                                   "20435798.8376 for 435798.8376 in zone 20"
                                                 : "with --zone: read y with the zone number in front,\n"
                                                   "20435798.8376 for 435798.8376 in zone 20; a line\n"
                                                   "with another zone's number is refused"},
               {"--precision", "", "N", std::string("decimals of the output, 0 to 17 (default ") + (forward ? "4" : "8") + ")"}};
  for (Option& o : systemOptions(geodesy::CoordinateSystem::Beijing54)) c.options.push_back(std::move(o));
  c.notes = std::string(kAngleNotes) +
            "Numbers on a line are separated by blanks or a comma. One output line per input line; a\n"
            "line that cannot be read or converted is named on standard error by its number and\n"
            "written as \"* *\" (exit status 1). Points more than 3° from the central meridian are\n"
            "warned about once, with how far the projection may be off there; points more than 20°\n"
            "away are refused, line by line.\n";
  return c;
}

namespace {

// What a run converts with.
struct Conversion {
  Direction direction;
  double L0;       // the central meridian, packed DMS
  int prefixZone;  // the zone number in front of y, 0 for none
  geodesy::ProjectionParameters parameters;
  int precision;
};

// Converts one line; false with `why` when it cannot. `reach` is set to the point's distance
// from the central meridian (degrees).
bool convertLine(const Conversion& c, const std::pair<double, double>& in, std::string& text, double& reach,
                 std::string& why) {
  try {
    double a, b;
    if (c.direction == Direction::Forward) {
      a = geodesy::X(in.first, in.second, c.L0, c.parameters);
      b = geodesy::Y(in.first, in.second, c.L0, c.parameters);
      reach = std::abs(geodesy::DmsDeg(in.second) - geodesy::DmsDeg(c.L0));
    } else {
      const double y = c.prefixZone ? geodesy::UnprefixedEasting(in.second, c.prefixZone) : in.second;
      a = geodesy::B(in.first, y, c.L0, c.parameters);
      b = geodesy::L(in.first, y, c.L0, c.parameters);
      reach = std::abs(geodesy::DmsDeg(b) - geodesy::DmsDeg(c.L0));
    }
    if (reach > kRefuseBeyondDegrees) {
      why = reachRefusal(reach);
      return false;
    }
    if (c.direction == Direction::Forward && c.prefixZone) b = geodesy::PrefixedEasting(b, c.prefixZone);
    text = fixed(a, c.precision) + ' ' + fixed(b, c.precision);
    return true;
  } catch (const geodesy::GeodesyError& e) {
    why = e.what();
    return false;
  }
}

// The lines of `in`, converted to `out`; the exit status.
int convertLines(const Conversion& c, std::istream& in, std::ostream& out, std::ostream& err) {
  int status = 0;
  double farthest = 0;
  std::string line;
  for (long lineNo = 1; std::getline(in, line); ++lineNo) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) {
      out << '\n';  // blank lines stay blank, so output lines match input lines
      continue;
    }
    std::string why, text;
    double reach = 0;
    const auto pair = parsePair(line, why);
    if (pair && convertLine(c, *pair, text, reach, why)) {
      out << text << '\n';
      farthest = std::max(farthest, reach);
      continue;
    }
    err << "veskar-cli: line " << lineNo << ": " << why << "\n";
    out << "* *\n";
    status = 1;
  }
  out.flush();
  if (farthest > kWarnBeyondDegrees) err << "veskar-cli: warning: " << reachWarning(farthest) << "\n";
  return status;
}

// The central meridian and the prefix zone the options name: --central-meridian, or --zone
// with --zone-width. Nothing after a usage error, told on `err`.
std::optional<Conversion> meridianOf(const Command& command, const Parsed& p, Conversion c, std::ostream& err) {
  const auto refuse = [&](const std::string& message, bool withUsage) -> std::optional<Conversion> {
    err << "veskar-cli: " << message << "\n";
    if (withUsage) usage(command, err);
    return std::nullopt;
  };
  const ZoneChoice z = zoneChoice(p);
  if (!z.error.empty()) return refuse(z.error, z.usage);
  if (!z.zone && !p.has("--central-meridian"))
    return refuse("--central-meridian is required (or --zone with --zone-width)", true);
  if (z.zone) {
    c.L0 = z.zone->centralMeridian;
    c.prefixZone = p.has("--zone-prefix") ? z.zone->number : 0;
    return c;
  }
  const std::optional<double> L0 = parseNumber(p.value("--central-meridian"));
  if (!L0) return refuse("--central-meridian: \"" + p.value("--central-meridian") + "\" is not a number", false);
  c.L0 = *L0;
  return c;
}

}  // namespace

int runConvert(Direction direction, const Args& args, std::istream& in, std::ostream& out, std::ostream& err) {
  const Command c = convertCommand(direction);
  int status = 0;
  const std::optional<Parsed> p = parseOrAnswer(c, args, out, err, status);
  if (!p) return status;
  Conversion conversion{direction, 0, 0, geodesy::LoadProjectionParameters(systemOf(*p, geodesy::CoordinateSystem::Beijing54)),
                        direction == Direction::Forward ? 4 : 8};
  const std::optional<Conversion> withMeridian = meridianOf(c, *p, conversion, err);
  if (!withMeridian) return 2;
  conversion = *withMeridian;
  if (p->has("--precision")) {
    const std::optional<int> n = parseInt(p->value("--precision"));
    if (!n || *n < 0 || *n > 17) {
      err << "veskar-cli: --precision takes a whole number from 0 to 17\n";
      return 2;
    }
    conversion.precision = *n;
  }
  return convertLines(conversion, in, out, err);
}

}  // namespace veskar::cli
