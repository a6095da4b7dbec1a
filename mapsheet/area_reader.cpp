#include "mapsheet/area_reader.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>

#include "platform/files.h"

namespace veskar::mapsheet {
namespace {

using Json = nlohmann::json;

constexpr double kUnitsPerDegree = static_cast<double>(geodesy::kArcUnitsPerDegree);

[[noreturn]] void fail(const std::string& file, const std::string& place, const std::string& what) {
  throw AreaError(file + ": " + place + ": " + what);
}

// NormaliseArea (or another such check), its messages starting with the file's name.
void normalise(Area& area, const std::string& file, const PlaceNamer& name,
               void (*check)(Area&, const PlaceNamer&) = NormaliseArea) {
  try {
    check(area, name);
  } catch (const AreaError& e) {
    throw AreaError(file + ": " + e.what());
  }
}

// --- Lines "B L" -----------------------------------------------------------------------------

std::vector<std::string_view> fieldsOf(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  const auto separator = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r'; };
  while (i < line.size()) {
    while (i < line.size() && separator(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !separator(line[i])) ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

// A packed-DMS field as exact units; the line's place names what is wrong.
ArcUnits packedField(std::string_view field, const std::string& file, const std::string& place) {
  std::string_view digits = field;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty() || !std::isfinite(v))
    fail(file, place, "\"" + std::string(field) + "\" is not a number");
  try {
    return geodesy::PackedToArcUnits(v);
  } catch (const geodesy::GeodesyError& e) {
    fail(file, place, e.what());
  }
}

// How one kind of line file reads: its two fields as a vertex, and the checks of its area.
struct LineForm {
  const char* fields;     // what a line holds, for the message on a wrong count
  const char* noVertex;   // what to give, for an empty file
  std::function<AreaPoint(std::string_view, std::string_view, const std::string& place)> vertex;
  void (*normalise)(Area&, const PlaceNamer&);
};

Area readLines(std::string_view text, const std::string& file, const LineForm& form) {
  AreaRing ring;
  std::size_t number = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    const std::vector<std::string_view> fields = fieldsOf(line);
    if (fields.empty() || fields.front().front() == '#') continue;
    const std::string place = "line " + std::to_string(number);
    if (fields.size() != 2)
      fail(file, place, std::string("expected two numbers, ") + form.fields + "; found " + std::to_string(fields.size()) + " fields");
    ring.vertices.push_back(form.vertex(fields[0], fields[1], place));
    ring.source.push_back(number);
  }
  if (ring.vertices.empty()) throw AreaError(file + ": no vertices: " + form.noVertex);
  const std::string lines = "lines " + std::to_string(ring.source.front()) + "-" + std::to_string(ring.source.back());
  Area area{{AreaPolygon{{std::move(ring)}}}};
  normalise(
      area, file,
      [&](std::size_t, std::size_t, std::optional<std::size_t> line) { return line ? "line " + std::to_string(*line) : lines; },
      form.normalise);
  return area;
}

Area readPackedLines(std::string_view text, const std::string& file) {
  const LineForm form{"B and L (latitude and longitude in packed DMS)",
                      "give lines \"B L\" (packed DMS) or a GeoJSON polygon",
                      [&](std::string_view b, std::string_view l, const std::string& place) {
                        const ArcUnits latitude = packedField(b, file, place);
                        return AreaPoint{packedField(l, file, place), latitude};
                      },
                      NormaliseArea};
  return readLines(text, file, form);
}

// --- Lines "x y" -----------------------------------------------------------------------------

// A coordinate in metres as exact millimetres; the line's place names what is wrong.
std::int64_t metresField(std::string_view field, const std::string& file, const std::string& place) {
  const std::optional<std::int64_t> mm = MetresToMillimetres(field);
  if (!mm) fail(file, place, "\"" + std::string(field) + "\" is not a number of metres");
  return *mm;
}

Area readPlaneLines(std::string_view text, const std::string& file, int zone) {
  const LineForm form{"x and y (northing and easting in metres)", "give lines \"x y\" (metres)",
                      [&](std::string_view x, std::string_view y, const std::string& place) {
                        const std::int64_t north = metresField(x, file, place), east = metresField(y, file, place);
                        try {
                          return AreaPoint{geodesy::UnprefixedEasting(east, zone, "y " + std::string(y), kPlaneUnitsPerMetre),
                                           north};
                        } catch (const geodesy::GeodesyError& e) {
                          fail(file, place, e.what());
                        }
                      },
                      NormalisePlaneArea};
  return readLines(text, file, form);
}

// --- GeoJSON ---------------------------------------------------------------------------------

// The coordinate systems whose GeoJSON coordinates are longitude and latitude in degrees.
constexpr const char* kGeographicCrs[] = {"4326", "4490", "4214", "4610", "CRS84"};

class GeoJsonReader {
 public:
  explicit GeoJsonReader(const std::string& file) : file_(file) {}

  Area read(const Json& root) {
    if (!root.is_object()) fail("$", "a GeoJSON object expected");
    checkCrs(root);
    const std::string type = typeOf(root, "$");
    if (type == "FeatureCollection") {
      const Json& features = member(root, "features", "$");
      if (!features.is_array()) fail("$.features", "an array of features expected");
      for (std::size_t i = 0; i < features.size(); ++i) feature(features[i], "$.features[" + std::to_string(i) + "]");
    } else if (type == "Feature") {
      feature(root, "$");
    } else {
      geometry(root, "$");
    }
    if (area_.polygons.empty()) throw AreaError(file_ + ": no polygon in the file");
    normalise(area_, file_, [&](std::size_t p, std::size_t r, std::optional<std::size_t> v) {
      return paths_[p] + "[" + std::to_string(r) + "]" + (v ? "[" + std::to_string(*v) + "]" : "");
    });
    return std::move(area_);
  }

 private:
  [[noreturn]] void fail(const std::string& path, const std::string& what) const { mapsheet::fail(file_, path, what); }

  const Json& member(const Json& object, const char* key, const std::string& path) const {
    const auto it = object.find(key);
    if (it == object.end()) fail(path, std::string("\"") + key + "\" missing");
    return *it;
  }

  std::string typeOf(const Json& object, const std::string& path) const {
    const Json& type = member(object, "type", path);
    if (!type.is_string()) fail(path + ".type", "a string expected");
    return type.get<std::string>();
  }

  void checkCrs(const Json& root) const {
    const auto crs = root.find("crs");
    if (crs == root.end() || crs->is_null()) return;
    const auto properties = crs->find("properties");
    const Json* name = crs->is_object() && properties != crs->end() && properties->is_object() && properties->contains("name")
                           ? &(*properties)["name"] : nullptr;
    const std::string text = name && name->is_string() ? name->get<std::string>() : "";
    for (const char* code : kGeographicCrs) {
      const std::string tail = std::string(":") + code;
      if (text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0) return;
    }
    fail("$.crs", "the coordinates must be longitude and latitude in degrees (EPSG 4326, 4490, 4214, 4610 or CRS84)");
  }

  void feature(const Json& f, const std::string& path) {
    if (!f.is_object()) fail(path, "a Feature object expected");
    const std::string type = typeOf(f, path);
    if (type != "Feature") fail(path + ".type", "a Feature expected, not " + type);
    const Json& g = member(f, "geometry", path);
    if (g.is_null()) fail(path + ".geometry", "a feature without a geometry holds no area");
    geometry(g, path + ".geometry");
  }

  void geometry(const Json& g, const std::string& path) {
    if (!g.is_object()) fail(path, "a geometry object expected");
    const std::string type = typeOf(g, path);
    if (type == "Polygon") return polygon(member(g, "coordinates", path), path + ".coordinates");
    if (type == "MultiPolygon") {
      const Json& parts = member(g, "coordinates", path);
      if (!parts.is_array()) fail(path + ".coordinates", "an array of polygons expected");
      for (std::size_t i = 0; i < parts.size(); ++i) polygon(parts[i], path + ".coordinates[" + std::to_string(i) + "]");
      return;
    }
    const bool known = type == "Point" || type == "MultiPoint" || type == "LineString" || type == "MultiLineString" ||
                       type == "GeometryCollection" || type == "Feature" || type == "FeatureCollection";
    fail(path + ".type", (known ? "a " + type + " is no area" : "unknown type \"" + type + "\"") +
                             "; give a Polygon or MultiPolygon");
  }

  void polygon(const Json& rings, const std::string& path) {
    if (!rings.is_array() || rings.empty()) fail(path, "a polygon's rings expected (at least the outer ring)");
    AreaPolygon p;
    for (std::size_t r = 0; r < rings.size(); ++r) {
      const std::string ringPath = path + "[" + std::to_string(r) + "]";
      if (!rings[r].is_array()) fail(ringPath, "a ring (an array of positions) expected");
      AreaRing& ring = p.rings.emplace_back();
      for (std::size_t i = 0; i < rings[r].size(); ++i) {
        ring.vertices.push_back(position(rings[r][i], ringPath + "[" + std::to_string(i) + "]"));
        ring.source.push_back(i);
      }
    }
    area_.polygons.push_back(std::move(p));
    paths_.push_back(path);
  }

  AreaPoint position(const Json& p, const std::string& path) const {
    if (!p.is_array() || p.size() < 2) fail(path, "a position [longitude, latitude] expected");
    for (std::size_t k = 0; k < p.size(); ++k) {
      if (!p[k].is_number()) fail(path + "[" + std::to_string(k) + "]", "a number expected");
    }
    return {degrees(p[0].get<double>(), path + "[0]"), degrees(p[1].get<double>(), path + "[1]")};
  }

  ArcUnits degrees(double v, const std::string& path) const {
    if (!(std::fabs(v) <= 360.0)) fail(path, "an angle in degrees expected, not " + Json(v).dump());
    return static_cast<ArcUnits>(std::llround(v * kUnitsPerDegree));
  }

  const std::string& file_;
  Area area_;
  std::vector<std::string> paths_;  // of each polygon's coordinates
};

// "line 3, column 7" of a byte offset (counted from 1, as the parser counts).
std::string lineAndColumn(std::string_view text, std::size_t byte) {
  const std::size_t end = std::min(byte > 0 ? byte - 1 : 0, text.size());
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < end; ++i) {
    column = text[i] == '\n' ? 1 : column + 1;
    line += text[i] == '\n' ? 1 : 0;
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

Area readGeoJson(std::string_view text, const std::string& file) {
  Json root;
  try {
    root = Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& e) {
    // The parser's words after its own "parse error at line L, column C: ".
    const std::string what = e.what();
    const std::size_t at = what.find(": ", what.find("column"));
    fail(file, lineAndColumn(text, e.byte), "not valid JSON: " + (at == std::string::npos ? what : what.substr(at + 2)));
  } catch (const Json::exception& e) {
    const std::string what = e.what();
    const std::size_t at = what.find("] ");
    throw AreaError(file + ": not valid JSON: " + (at == std::string::npos ? what : what.substr(at + 2)));
  }
  return GeoJsonReader(file).read(root);
}

// The text without a byte order mark; whether it holds JSON (an object or array first).
bool isJson(std::string_view& text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && (text[first] == '{' || text[first] == '[');
}

std::string readText(const std::string& path) {
  std::string error;
  std::optional<std::string> text = platform::readFile(path, error);
  if (!text) throw AreaError(path + ": " + error);
  return std::move(*text);
}

}  // namespace

std::optional<std::int64_t> MetresToMillimetres(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  const std::size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot), fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
  const auto digits = [](std::string_view d) { return d.find_first_not_of("0123456789") == std::string_view::npos; };
  if (whole.size() > 12 || !digits(whole) || !digits(fraction) || (whole.empty() && fraction.empty())) return std::nullopt;
  std::int64_t mm = 0;
  for (char c : whole) mm = mm * 10 + (c - '0');
  for (std::size_t k = 0; k < 3; ++k) mm = mm * 10 + (k < fraction.size() ? fraction[k] - '0' : 0);
  if (fraction.size() > 3 && fraction[3] >= '5') ++mm;  // to the nearest millimetre, halves away from 0
  return negative ? -mm : mm;
}

Area ReadArea(std::string_view text, const std::string& fileName) {
  return isJson(text) ? readGeoJson(text, fileName) : readPackedLines(text, fileName);
}

Area ReadAreaFile(const std::string& path) { return ReadArea(readText(path), path); }

Area ReadPlaneArea(std::string_view text, const std::string& fileName, int zone) {
  if (isJson(text))
    throw AreaError(fileName + ": GeoJSON holds longitude and latitude; square sheets take lines \"x y\" (plane "
                    "coordinates in metres)");
  return readPlaneLines(text, fileName, zone);
}

Area ReadPlaneAreaFile(const std::string& path, int zone) { return ReadPlaneArea(readText(path), path, zone); }

}  // namespace veskar::mapsheet
