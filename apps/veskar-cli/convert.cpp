// veskar-cli forward / inverse: Gauss-Krüger coordinates line by line, like the converters of
// the geodesy toolkits. Input and output numbers always use "." whatever the locale.
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

std::optional<double> parseNumber(std::string_view s) {
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
  const auto a = parseNumber(fields[0]);
  const auto b = parseNumber(fields[1]);
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

void usage(std::ostream& os, Direction d) {
  if (d == Direction::Forward) {
    os << "usage: veskar-cli forward --central-meridian L0 [--beijing54|--iag75] [--precision N]\n"
          "  reads \"B L\" lines (latitude, longitude in packed DMS) and writes \"x y\"\n"
          "  (northing, easting with 500000 m false easting, metres; N decimals, default 4)\n";
  } else {
    os << "usage: veskar-cli inverse --central-meridian L0 [--beijing54|--iag75] [--precision N]\n"
          "  reads \"x y\" lines (northing, easting in metres) and writes \"B L\"\n"
          "  (latitude, longitude in packed DMS; N decimals, default 8)\n";
  }
  os << "Angles are packed DMS: 140.022866 = 140°02′28.66″. Run veskar-cli --help for more.\n";
}

}  // namespace

int runConvert(Direction direction, const Args& args, std::istream& in, std::ostream& out,
               std::ostream& err) {
  std::optional<double> L0;
  bool beijing54 = true;
  int precision = direction == Direction::Forward ? 4 : 8;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i];
    std::string value;
    const bool takesValue = a.rfind("--central-meridian", 0) == 0 || a.rfind("--precision", 0) == 0;
    if (takesValue) {
      const std::size_t eq = a.find('=');
      if (eq != std::string::npos) {
        value = a.substr(eq + 1);
        a = a.substr(0, eq);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        err << "veskar-cli: " << a << " needs a value\n";
        usage(err, direction);
        return 2;
      }
    }
    if (a == "--central-meridian") {
      L0 = parseNumber(value);
      if (!L0 || !std::isfinite(*L0)) {
        err << "veskar-cli: --central-meridian: \"" << value << "\" is not a number\n";
        return 2;
      }
    } else if (a == "--precision") {
      const std::optional<int> n = parseInt(value);
      if (!n || *n < 0 || *n > 17) {
        err << "veskar-cli: --precision takes a whole number from 0 to 17\n";
        return 2;
      }
      precision = *n;
    } else if (a == "--beijing54") {
      beijing54 = true;
    } else if (a == "--iag75") {
      beijing54 = false;
    } else if (a == "--help" || a == "-h") {
      usage(out, direction);
      return 0;
    } else {
      err << "veskar-cli: unknown option " << a << "\n";
      usage(err, direction);
      return 2;
    }
  }
  if (!L0) {
    err << "veskar-cli: --central-meridian is required\n";
    usage(err, direction);
    return 2;
  }

  const auto p = geodesy::LoadProjectionParameters(beijing54);
  int status = 0;
  std::string line;
  for (long lineNo = 1; std::getline(in, line); ++lineNo) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) {
      out << '\n';  // blank lines stay blank, so output lines match input lines
      continue;
    }
    std::string why;
    const auto pair = parsePair(line, why);
    if (!pair) {
      err << "veskar-cli: line " << lineNo << ": " << why << "\n";
      out << "* *\n";
      status = 1;
      continue;
    }
    try {
      double a, b;
      if (direction == Direction::Forward) {
        a = geodesy::X(pair->first, pair->second, *L0, p);
        b = geodesy::Y(pair->first, pair->second, *L0, p);
      } else {
        a = geodesy::B(pair->first, pair->second, *L0, p);
        b = geodesy::L(pair->first, pair->second, *L0, p);
      }
      out << fixed(a, precision) << ' ' << fixed(b, precision) << '\n';
    } catch (const geodesy::GeodesyError& e) {
      err << "veskar-cli: line " << lineNo << ": " << e.what() << "\n";
      out << "* *\n";
      status = 1;
    }
  }
  out.flush();
  return status;
}

}  // namespace veskar::cli
