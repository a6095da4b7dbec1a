// Former sheet numbers (J-50-5-B): the present sheet's row and column, read as places in the
// chain of larger sheets the former number names, and back.
#include <string>
#include <string_view>
#include <vector>

#include "sheet_table.h"
#include "sheets.h"

namespace veskar::geodesy {

using namespace sheet_table;

namespace {

// How many sheets of `sc` lie along one side of the sheet its former number subdivides.
int perSide(const Scale& sc) { return sc.count() / scaleByDenominator(sc.formerParent).count(); }

// The part naming the sheet at `index` (from 0, row by row from the north-west).
std::string partText(FormerPart part, int index) {
  switch (part) {
    case FormerPart::Capital:
      return std::string(1, static_cast<char>('A' + index));
    case FormerPart::Small:
      return std::string(1, static_cast<char>('a' + index));
    case FormerPart::Bracketed:
      return "(" + std::to_string(index + 1) + ")";
    default:
      return std::to_string(index + 1);
  }
}

std::string formerOf(const Scale& sc, char millionRow, int millionColumn, int row, int column) {
  if (sc.former == FormerPart::Million)
    return std::string(1, millionRow) + "-" + padded(millionColumn, 2);
  const Scale& parent = scaleByDenominator(sc.formerParent);
  const int k = perSide(sc);
  const int index = (row - 1) % k * k + (column - 1) % k;
  return formerOf(parent, millionRow, millionColumn, (row - 1) / k + 1, (column - 1) / k + 1) +
         "-" + partText(sc.former, index);
}

// --- Reading ---------------------------------------------------------------------------------

struct Part {
  FormerPart kind;  // None: no part of a former number
  int value;        // from 1
};

// 1 to 4 digits, no zero in front (but "0" itself, which is then out of range).
bool readCount(std::string_view s, int& v) {
  if (s.empty() || s.size() > 4 || (s[0] == '0' && s.size() > 1)) return false;
  v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  return true;
}

Part readPart(std::string_view s) {
  int v = 0;
  if (s.size() == 1 && s[0] >= 'A' && s[0] <= 'Z') return {FormerPart::Capital, s[0] - 'A' + 1};
  if (s.size() == 1 && s[0] >= 'a' && s[0] <= 'z') return {FormerPart::Small, s[0] - 'a' + 1};
  if (s.size() > 2 && s.front() == '(' && s.back() == ')' &&
      readCount(s.substr(1, s.size() - 2), v))
    return {FormerPart::Bracketed, v};
  if (readCount(s, v)) return {FormerPart::Number, v};
  return {FormerPart::None, 0};
}

// The scale whose former part of this kind subdivides a sheet of `parent`.
const Scale* childOf(const Scale& parent, FormerPart kind) {
  for (const Scale& sc : kScales)
    if (sc.formerParent == parent.denominator && sc.former == kind) return &sc;
  return nullptr;
}

// "A to D (1:50,000) or (1) to (64) (1:10,000)"; empty when the former scheme goes no further.
std::string partsUnder(const Scale& parent) {
  std::string s;
  for (const Scale& sc : kScales) {
    if (sc.formerParent != parent.denominator) continue;
    const int n = perSide(sc) * perSide(sc);
    s += (s.empty() ? "" : " or ") + partText(sc.former, 0) + " to " + partText(sc.former, n - 1) +
         " (" + sc.name + ")";
  }
  return s;
}

std::string shown(std::string_view part) {
  return part.empty() ? std::string("an empty part") : "\"" + std::string(part) + "\"";
}

// The sheet one part further down the chain: `s` (of scale `sc`) becomes the sheet `part`
// names in it. `before` is the number up to the part, for messages.
void descend(MapSheet& s, const Scale*& sc, std::string_view part, const std::string& before) {
  if (!part.empty() && part.front() == '[')
    fail(before +
         "the former 1:200,000 sheets ([1] to [36]) have no counterpart in the present scheme");
  const std::string under = partsUnder(*sc);
  if (under.empty())
    fail(before + shown(part) + " follows a " + sc->name +
         " sheet, which the former scheme does not divide");
  const Part p = readPart(part);
  const Scale* child = childOf(*sc, p.kind);
  if (!child) fail(before + shown(part) + " is not " + under);
  const int k = perSide(*child);
  if (p.value < 1 || p.value > k * k)
    fail(before + std::string(part) + " is outside " + partText(p.kind, 0) + " to " +
         partText(p.kind, k * k - 1) + " (" + child->name + ")");
  s.scaleDenominator = child->denominator;
  s.row = (s.row - 1) * k + (p.value - 1) / k + 1;
  s.column = (s.column - 1) * k + (p.value - 1) % k + 1;
  sc = child;
}

std::vector<std::string_view> dashParts(std::string_view text) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t dash = text.find('-', start);
    parts.push_back(text.substr(start, dash == std::string_view::npos ? dash : dash - start));
    if (dash == std::string_view::npos) return parts;
    start = dash + 1;
  }
}

MapSheet parseFormer(std::string_view text) {
  const std::string context = quoted(text);
  const std::vector<std::string_view> parts = dashParts(text);
  if (parts[0].size() != 1)
    fail(context + "a former number starts with the row letter and a dash, as J-50");
  checkRowLetter(parts[0][0], context);
  const std::string_view column = parts[1];
  if (column.size() != 2 || column[0] < '0' || column[0] > '9' || column[1] < '0' ||
      column[1] > '9')
    fail(context + "the column after the first dash must be two digits, 01 to 60");
  MapSheet s{1000000, parts[0][0], (column[0] - '0') * 10 + (column[1] - '0'), 1, 1};
  const Scale* sc = &kScales[0];
  checkRanges(s, *sc, context);
  std::size_t read = 4;  // "J-50"
  for (std::size_t i = 2; i < parts.size(); ++i) {
    descend(s, sc, parts[i], context + "after " + std::string(text.substr(0, read)) + ": ");
    read += 1 + parts[i].size();
  }
  return s;
}

}  // namespace

std::optional<std::string> FormerSheetNumber(const MapSheet& s) {
  const Scale& sc = checked(s);
  if (sc.former == FormerPart::None) return std::nullopt;
  return formerOf(sc, s.millionRow, s.millionColumn, s.row, s.column);
}

MapSheet ParseAnySheetNumber(std::string_view number) {
  if (number.find('-') == std::string_view::npos) return ParseSheetNumber(number);
  return parseFormer(number);
}

}  // namespace veskar::geodesy
