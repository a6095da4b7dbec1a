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

// A whole number: blanks around it allowed, a sign, decimal digits.
std::optional<int> parseInt(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  int v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
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
  c.synopsis = "--central-meridian L0 [OPTIONS]";
  c.summary = forward ? "Gauss-Krüger forward: reads lines \"B L\" (latitude, longitude in packed DMS) and writes\n"
                        "\"x y\" (northing, easting in metres, the easting with the 500000 m false easting).\n"
                      : "Gauss-Krüger inverse: reads lines \"x y\" (northing, easting in metres, the easting with\n"
                        "the 500000 m false easting) and writes \"B L\" (latitude, longitude in packed DMS).\n";
  c.options = {{"--central-meridian", "", "L0", "the zone's central meridian, packed DMS (required)"},
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

// Converts one line; false with `why` when it cannot. `reach` is set to the point's distance
// from the central meridian (degrees).
bool convertLine(Direction d, const std::pair<double, double>& in, double L0, const geodesy::ProjectionParameters& p,
                 int precision, std::string& text, double& reach, std::string& why) {
  try {
    double a, b;
    if (d == Direction::Forward) {
      a = geodesy::X(in.first, in.second, L0, p);
      b = geodesy::Y(in.first, in.second, L0, p);
      reach = std::abs(geodesy::DmsDeg(in.second) - geodesy::DmsDeg(L0));
    } else {
      a = geodesy::B(in.first, in.second, L0, p);
      b = geodesy::L(in.first, in.second, L0, p);
      reach = std::abs(geodesy::DmsDeg(b) - geodesy::DmsDeg(L0));
    }
    if (reach > kRefuseBeyondDegrees) {
      why = reachRefusal(reach);
      return false;
    }
    text = fixed(a, precision) + ' ' + fixed(b, precision);
    return true;
  } catch (const geodesy::GeodesyError& e) {
    why = e.what();
    return false;
  }
}

// The lines of `in`, converted to `out`; the exit status.
int convertLines(Direction d, double L0, const geodesy::ProjectionParameters& p, int precision, std::istream& in,
                 std::ostream& out, std::ostream& err) {
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
    if (pair && convertLine(d, *pair, L0, p, precision, text, reach, why)) {
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

}  // namespace

int runConvert(Direction direction, const Args& args, std::istream& in, std::ostream& out, std::ostream& err) {
  const Command c = convertCommand(direction);
  int status = 0;
  const std::optional<Parsed> p = parseOrAnswer(c, args, out, err, status);
  if (!p) return status;
  if (!p->has("--central-meridian")) {
    err << "veskar-cli: --central-meridian is required\n";
    usage(c, err);
    return 2;
  }
  const std::optional<double> L0 = parseNumber(p->value("--central-meridian"));
  if (!L0) {
    err << "veskar-cli: --central-meridian: \"" << p->value("--central-meridian") << "\" is not a number\n";
    return 2;
  }
  int precision = direction == Direction::Forward ? 4 : 8;
  if (p->has("--precision")) {
    const std::optional<int> n = parseInt(p->value("--precision"));
    if (!n || *n < 0 || *n > 17) {
      err << "veskar-cli: --precision takes a whole number from 0 to 17\n";
      return 2;
    }
    precision = *n;
  }
  const auto params = geodesy::LoadProjectionParameters(systemOf(*p, geodesy::CoordinateSystem::Beijing54));
  return convertLines(direction, *L0, params, precision, in, out, err);
}

}  // namespace veskar::cli
