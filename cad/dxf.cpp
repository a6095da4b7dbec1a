// DXF output, AutoCAD 2000 (AC1015), through dxflib.
//
// dxflib lays out the file: header, tables, blocks, entities, objects. Its output goes through
// a writer of our own (a DL_WriterA that keeps the group codes in memory instead of a stream),
// which lets us
//   - write numbers in their shortest exact form, so every coordinate reads back bit for bit;
//   - put $HANDSEED above the last handle used once it is known (dxflib writes a fixed FFFF);
//   - give the objects dxflib writes the owner handles (330) CAD programs check;
//   - put the font files into the STYLE record of "Standard", which must come from dxflib's
//     style writer because the dimension style refers to its handle;
//   - write the finished file at once, atomically: a temporary file beside the target, renamed
//     over it only when everything was written and flushed.
// Text styles other than "Standard" and the active viewport are written record by record with
// the writer's primitives, as dxflib's own writers leave out the font files and fix the view.
#include "cad/dxf.h"

#include <dl_dxf.h>
#include <dl_writer_ascii.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <unordered_map>

#include "cad/automation.h"
#include "platform/files.h"
#include "platform/text.h"

namespace veskar::cad {
namespace {

// A handle as DXF writes it: upper-case hexadecimal.
std::string_view hex(unsigned long value, char (&buf)[24]) {
  auto r = std::to_chars(buf, buf + sizeof buf, value, 16);
  std::transform(buf, r.ptr, buf, [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
  return {buf, static_cast<std::size_t>(r.ptr - buf)};
}

// dxflib's writer interface is const throughout; the state it writes into is mutable.
class MemoryWriter final : public DL_WriterA {
 public:
  MemoryWriter() : DL_WriterA("", DL_Codes::AC1015) { out_.reserve(1 << 20); }

  void dxfReal(int gc, double value) const override {
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf - 2, value, std::chars_format::fixed);
    if (std::find(buf, r.ptr, '.') == r.ptr) {
      *r.ptr++ = '.';
      *r.ptr++ = '0';
    }
    value_(gc, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
  }

  void dxfInt(int gc, int value) const override {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    value_(gc, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
  }

  void dxfHex(int gc, int value) const override {
    char buf[24];
    value_(gc, hex(static_cast<unsigned>(value), buf));
  }

  void dxfString(int gc, const char* value) const override { value_(gc, std::string_view(value)); }
  void dxfString(int gc, const std::string& value) const override { value_(gc, value); }

  // The next STYLE record dxflib writes carries these font files (groups 3 and 4) and no
  // TrueType extended data.
  void setStyleFonts(std::string font, std::string bigFont) const {
    styleFont_ = std::move(font);
    styleBigFont_ = std::move(bigFont);
    patchStyle_ = true;
  }

  // The finished file: $HANDSEED set above every handle written.
  std::string finish() const {
    char buf[24];
    const std::string_view seed = hex(std::max(getNextHandle(), maxHandle_ + 1), buf);
    if (seedAt_ != std::string::npos) out_.replace(seedAt_, seedLength_, seed.data(), seed.size());
    return std::move(out_);
  }

 private:
  void code(int gc) const {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, gc);
    const auto width = static_cast<std::size_t>(r.ptr - buf);
    if (width < 3) out_.append(3 - width, ' ');
    out_.append(buf, r.ptr);
    out_.append("\r\n");
  }

  void line(int gc, std::string_view value) const {
    code(gc);
    out_.append(value);
    out_.append("\r\n");
  }

  static unsigned long hexValue(std::string_view v) {
    unsigned long h = 0;
    std::from_chars(v.data(), v.data() + v.size(), h, 16);
    return h;
  }

  void value_(int gc, std::string_view value) const {
    trackSection(gc, value);
    trackStylePatch(gc, value);
    if (patchingStyle_ && patchStyleValue(gc)) return;
    if (holdHandleSeed(gc, value)) return;
    line(gc, value);
    noteHandle(gc, value);
  }

  // Which section and which object the values belong to.
  void trackSection(int gc, std::string_view value) const {
    if (gc == 0) {
      objectType_.assign(value);
      firstInSection_ = sectionStarting_;
      if (value == "SECTION") {
        sectionStarting_ = true;
      } else {
        sectionStarting_ = false;
        if (value == "ENDSEC") section_.clear();
      }
    } else if (gc == 2 && objectType_ == "SECTION") {
      section_.assign(value);
      sectionStarting_ = true;
    }
  }

  // Whether the values now written belong to the STYLE record whose font files are replaced.
  void trackStylePatch(int gc, std::string_view value) const {
    if (gc != 0) return;
    if (patchingStyle_) patchingStyle_ = false;
    if (patchStyle_ && value == "STYLE") {
      patchStyle_ = false;
      patchingStyle_ = true;
    }
  }

  // In the patched STYLE record: the font files written instead of dxflib's, its extended
  // data left out. True when the value was dealt with here.
  bool patchStyleValue(int gc) const {
    if (gc == 3) {
      line(3, styleFont_);
      return true;
    }
    if (gc == 4) {
      line(4, styleBigFont_);
      return true;
    }
    return gc >= 1000;
  }

  // $HANDSEED's value is written as dxflib gives it and its place remembered, to be replaced
  // by finish(). True when the value was written here.
  bool holdHandleSeed(int gc, std::string_view value) const {
    if (gc == 9) {
      seedNext_ = value == "$HANDSEED";
      line(gc, value);
      return true;
    }
    if (gc != 5 || !seedNext_) return false;
    seedNext_ = false;
    code(gc);
    seedAt_ = out_.size();
    seedLength_ = value.size();
    out_.append(value);
    out_.append("\r\n");
    return true;
  }

  // After a handle (5) or a reference to one: the highest handle so far, and in OBJECTS the
  // owner of each object and the dictionary entries that name the owners to come.
  void noteHandle(int gc, std::string_view value) const {
    if (gc == 5 || gc == 105) {
      const unsigned long h = hexValue(value);
      maxHandle_ = std::max(maxHandle_, h);
      if (section_ == "OBJECTS" && gc == 5) writeOwner(h);
    } else if (gc == 350 && section_ == "OBJECTS" &&
               (objectType_ == "DICTIONARY" || objectType_ == "ACDBDICTIONARYWDFLT")) {
      owners_[hexValue(value)] = current_;
    }
  }

  // The first object is the root dictionary, owned by nothing; every other one belongs to the
  // dictionary that listed it.
  void writeOwner(unsigned long h) const {
    if (firstInSection_) {
      line(330, "0");
    } else if (auto it = owners_.find(h); it != owners_.end()) {
      char buf[24];
      line(330, hex(it->second, buf));
    }
    current_ = h;
  }

  mutable std::string out_;
  mutable std::string section_;
  mutable std::string objectType_;
  mutable bool sectionStarting_ = false;
  mutable bool firstInSection_ = false;
  mutable unsigned long current_ = 0;
  mutable std::unordered_map<unsigned long, unsigned long> owners_;
  mutable unsigned long maxHandle_ = 0;
  mutable bool seedNext_ = false;
  mutable std::size_t seedAt_ = std::string::npos;
  mutable std::size_t seedLength_ = 0;
  mutable bool patchStyle_ = false;
  mutable bool patchingStyle_ = false;
  mutable std::string styleFont_, styleBigFont_;
};

// Text in code page 936 (GBK), the drawing's $DWGCODEPAGE. A character GBK cannot hold is
// written as the CAD escape \U+XXXX (one per UTF-16 unit); a control character, which would
// break the line structure of the file, in DXF's caret form (^J for a line feed).
std::string caret(std::string bytes) {
  if (std::none_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
    return bytes;
  std::string out;
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) < 0x20) {
      out += '^';
      out += static_cast<char>(c + 0x40);
    } else {
      out += c;
    }
  }
  return out;
}

std::string encode936(const std::string& s) {
  if (std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return s;
  if (std::optional<std::string> bytes = platform::toCodePage936(s)) return *bytes;
  std::string out;
  for (char16_t unit : platform::utf8ToUtf16(s)) {
    const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
    std::optional<std::string> b;
    if (!surrogate) b = platform::toCodePage936(platform::utf16ToUtf8(std::u16string(1, unit)));
    if (b) {
      out += *b;
    } else {
      char buf[16];
      std::snprintf(buf, sizeof buf, "\\U+%04X", static_cast<unsigned>(unit));
      out += buf;
    }
  }
  return out;
}

std::string gbk(const std::string& s) { return caret(encode936(s)); }

constexpr double kDefaultHeight = 2.5;

void writeHeaderVariables(const MemoryWriter& w, const Extents& e) {
  w.dxfString(9, "$DWGCODEPAGE");
  w.dxfString(3, "ANSI_936");
  w.dxfString(9, "$INSBASE");
  w.coord(10, 0, 0, 0);
  w.dxfString(9, "$EXTMIN");
  w.coord(10, e.minX, e.minY, 0);
  w.dxfString(9, "$EXTMAX");
  w.coord(10, e.maxX, e.maxY, 0);
  w.dxfString(9, "$MEASUREMENT");
  w.dxfInt(70, 1);
  w.dxfString(9, "$INSUNITS");
  w.dxfInt(70, 6);  // metres
}

// The active viewport, looking at the whole drawing with a margin.
void writeViewport(const MemoryWriter& w, const Extents& e) {
  constexpr double aspect = 1.6;
  const double width = e.maxX - e.minX, height = e.maxY - e.minY;
  double viewHeight = 1.1 * std::max(height, width);
  if (!(viewHeight > 0)) viewHeight = 1;
  w.table("VPORT", 1, 0x8);
  w.dxfString(0, "VPORT");
  w.handle();
  w.dxfString(100, "AcDbSymbolTableRecord");
  w.dxfString(100, "AcDbViewportTableRecord");
  w.dxfString(2, "*Active");
  w.dxfInt(70, 0);
  w.dxfReal(10, 0.0);
  w.dxfReal(20, 0.0);
  w.dxfReal(11, 1.0);
  w.dxfReal(21, 1.0);
  w.dxfReal(12, (e.minX + e.maxX) / 2);  // view centre
  w.dxfReal(22, (e.minY + e.maxY) / 2);
  w.dxfReal(13, 0.0);
  w.dxfReal(23, 0.0);
  w.dxfReal(14, 10.0);
  w.dxfReal(24, 10.0);
  w.dxfReal(15, 10.0);
  w.dxfReal(25, 10.0);
  w.dxfReal(16, 0.0);  // view direction
  w.dxfReal(26, 0.0);
  w.dxfReal(36, 1.0);
  w.dxfReal(17, 0.0);  // view target
  w.dxfReal(27, 0.0);
  w.dxfReal(37, 0.0);
  w.dxfReal(40, viewHeight);
  w.dxfReal(41, aspect);
  w.dxfReal(42, 50.0);
  w.dxfReal(43, 0.0);
  w.dxfReal(44, 0.0);
  w.dxfReal(50, 0.0);
  w.dxfReal(51, 0.0);
  w.dxfInt(71, 0);
  w.dxfInt(72, 100);
  w.dxfInt(73, 1);
  w.dxfInt(74, 3);
  w.dxfInt(75, 0);
  w.dxfInt(76, 0);
  w.dxfInt(77, 0);
  w.dxfInt(78, 0);
  w.dxfInt(281, 0);
  w.dxfInt(65, 1);
  w.coord(110, 0, 0, 0);  // UCS origin
  w.coord(111, 1, 0, 0);  // UCS x axis
  w.coord(112, 0, 1, 0);  // UCS y axis
  w.dxfInt(79, 0);
  w.dxfReal(146, 0.0);
  w.tableEnd();
}

void writeStyleRecord(const MemoryWriter& w, const std::string& name, const std::string& font,
                      const std::string& bigFont) {
  w.dxfString(0, "STYLE");
  w.handle();
  w.dxfString(100, "AcDbSymbolTableRecord");
  w.dxfString(100, "AcDbTextStyleTableRecord");
  w.dxfString(2, name);
  w.dxfInt(70, 0);
  w.dxfReal(40, 0.0);  // no fixed height
  w.dxfReal(41, 1.0);
  w.dxfReal(50, 0.0);
  w.dxfInt(71, 0);
  w.dxfReal(42, kDefaultHeight);
  w.dxfString(3, font);
  w.dxfString(4, bigFont);
}

bool isStandard(const std::string& name) { return platform::equalIgnoringCase(name, "Standard"); }

void writeHeaderSection(DL_Dxf& dxf, MemoryWriter& w, const Extents& e) {
  dxf.writeHeader(w);
  writeHeaderVariables(w, e);
  w.sectionEnd();
}

void writeLinetypes(DL_Dxf& dxf, MemoryWriter& w) {
  w.tableLinetypes(3);
  dxf.writeLinetype(w, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
  dxf.writeLinetype(w, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
  dxf.writeLinetype(w, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
  w.tableEnd();
}

// A layer record as dxflib writes layer "0": colour 7, continuous, default lineweight. Written
// with the writer's primitives, since dxflib folds the name's case byte by byte, which is no
// way to treat a GBK name.
void writeLayerRecord(const MemoryWriter& w, const std::string& name) {
  w.tableLayerEntry();
  w.dxfString(2, name);
  w.dxfInt(70, 0);
  w.dxfInt(62, 7);
  w.dxfString(6, "CONTINUOUS");
  w.dxfInt(370, -3);
  w.dxfHex(390, 0xF);
}

// "0" first and always, then the drawing's other layers, each name once whatever its case.
// Folded layer name -> the name written for it.
using LayerNames = std::unordered_map<std::string, std::string>;

LayerNames writeLayers(DL_Dxf& dxf, MemoryWriter& w, const DrawingData& d) {
  LayerNames names;
  names.emplace("0", "0");
  std::vector<std::string> others;
  for (const LayerData& l : d.layers) {
    if (names.emplace(platform::foldCase(l.name), gbk(l.name)).second) others.push_back(gbk(l.name));
  }
  w.tableLayers(static_cast<int>(1 + others.size()));
  dxf.writeLayer(w, DL_LayerData("0", 0), DL_Attributes("0", 7, -3, "CONTINUOUS", 1.0));
  for (const std::string& name : others) writeLayerRecord(w, name);
  w.tableEnd();
  return names;
}

// The drawing's text styles as written: "Standard" (its first spelling, if the drawing holds
// it) and the others, each name once whatever its case.
struct StyleTable {
  const TextStyleData* standard = nullptr;
  std::vector<const TextStyleData*> others;
};

StyleTable styleTable(const DrawingData& d) {
  StyleTable t;
  for (const TextStyleData& s : d.styles) {
    if (isStandard(s.name)) {
      if (!t.standard) t.standard = &s;
    } else if (std::none_of(t.others.begin(), t.others.end(),
                            [&](const TextStyleData* o) { return platform::equalIgnoringCase(o->name, s.name); })) {
      t.others.push_back(&s);
    }
  }
  return t;
}

// Folded style name -> the name written for it.
using StyleNames = std::unordered_map<std::string, std::string>;

// "Standard" first and always; the others as the drawing holds them. Texts name the style's
// own spelling; a text naming a style the drawing lacks is written with "Standard".
StyleNames writeStyles(DL_Dxf& dxf, MemoryWriter& w, const DrawingData& d) {
  const StyleTable t = styleTable(d);
  w.tableStyle(static_cast<int>(1 + t.others.size()));
  w.setStyleFonts(t.standard ? gbk(t.standard->fontFile) : std::string("txt"),
                  t.standard ? gbk(t.standard->bigFontFile) : std::string());
  dxf.writeStyle(w, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, kDefaultHeight, "", ""));
  StyleNames styleNames;
  styleNames.emplace("standard", "Standard");
  for (const TextStyleData* s : t.others) {
    const std::string name = gbk(s->name);
    writeStyleRecord(w, name, gbk(s->fontFile), gbk(s->bigFontFile));
    styleNames.emplace(platform::foldCase(s->name), name);
  }
  w.tableEnd();
  return styleNames;
}

// The tables after the text styles, as dxflib writes them.
void writeRemainingTables(DL_Dxf& dxf, MemoryWriter& w) {
  dxf.writeView(w);
  dxf.writeUcs(w);
  w.tableAppid(1);
  dxf.writeAppid(w, "ACAD");
  w.tableEnd();
  dxf.writeDimStyle(w, 1, 1, 1, 1, 1);
  dxf.writeBlockRecord(w);
  w.tableEnd();
}

// The names entities refer to, as the tables spell them.
struct TableNames {
  StyleNames styles;
  LayerNames layers;

  const std::string& layer(const std::string& name) const {
    static const std::string zero = "0";
    auto it = layers.find(platform::foldCase(name));
    return it != layers.end() ? it->second : zero;
  }
};

TableNames writeTablesSection(DL_Dxf& dxf, MemoryWriter& w, const DrawingData& d, const Extents& e) {
  w.sectionTables();
  writeViewport(w, e);
  writeLinetypes(dxf, w);
  TableNames names;
  names.layers = writeLayers(dxf, w, d);
  names.styles = writeStyles(dxf, w, d);
  writeRemainingTables(dxf, w);
  w.sectionEnd();
  return names;
}

void writeBlocksSection(DL_Dxf& dxf, MemoryWriter& w) {
  w.sectionBlocks();
  for (const char* name : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
    dxf.writeBlock(w, DL_BlockData(name, 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(w, name);
  }
  w.sectionEnd();
}

void writeText(DL_Dxf& dxf, MemoryWriter& w, const TextData& t, const TableNames& names) {
  auto style = names.styles.find(platform::foldCase(t.styleName));
  const std::string styleName = style != names.styles.end() ? style->second : std::string("Standard");
  const DL_Attributes attributes(names.layer(t.layer), t.color, -1, "BYLAYER", 1.0);
  dxf.writeText(w,
                DL_TextData(t.insertionPoint[0], t.insertionPoint[1], t.insertionPoint[2],
                            t.alignmentPoint[0], t.alignmentPoint[1], t.alignmentPoint[2],
                            t.height, t.widthFactor, 0, t.horizontalAlignment,
                            t.verticalAlignment, gbk(t.string), styleName, t.rotation),
                attributes);
}

// A lightweight polyline; its constant width (group 43), which dxflib does not write, follows
// the flags as AutoCAD writes it.
void writePolyline(DL_Dxf& dxf, MemoryWriter& w, const PolylineData& l, const TableNames& names) {
  const DL_Attributes attributes(names.layer(l.layer), l.color, -1, "BYLAYER", 1.0);
  const auto n = static_cast<int>(l.coordinates.size() / 2);
  dxf.writePolyline(w, DL_PolylineData(n, 0, 0, l.closed ? 1 : 0), attributes);
  if (l.constantWidth != 0) w.dxfReal(43, l.constantWidth);
  for (int i = 0; i < n; ++i)
    dxf.writeVertex(w, DL_VertexData(l.coordinates[2 * i], l.coordinates[2 * i + 1], 0, 0));
  dxf.writePolylineEnd(w);
}

void writeLine(DL_Dxf& dxf, MemoryWriter& w, const LineData& l, const TableNames& names) {
  const DL_Attributes attributes(names.layer(l.layer), l.color, -1, "BYLAYER", 1.0);
  dxf.writeLine(w, DL_LineData(l.start[0], l.start[1], l.start[2], l.end[0], l.end[1], l.end[2]), attributes);
}

void writeEntitiesSection(DL_Dxf& dxf, MemoryWriter& w, const DrawingData& d, const TableNames& names) {
  w.sectionEntities();
  for (const EntityData& entity : d.entities) {
    if (const auto* t = std::get_if<TextData>(&entity)) {
      writeText(dxf, w, *t, names);
    } else if (const auto* l = std::get_if<PolylineData>(&entity)) {
      writePolyline(dxf, w, *l, names);
    } else if (const auto* line = std::get_if<LineData>(&entity)) {
      writeLine(dxf, w, *line, names);
    }
  }
  w.sectionEnd();
}

void writeObjectsSection(DL_Dxf& dxf, MemoryWriter& w) {
  dxf.writeObjects(w);
  dxf.writeObjectsEnd(w);
}

std::string dxfBytes(const DrawingData& d) {
  DL_Dxf dxf;
  MemoryWriter w;
  const Extents e = d.extents();
  writeHeaderSection(dxf, w, e);
  const TableNames names = writeTablesSection(dxf, w, d, e);
  writeBlocksSection(dxf, w);
  writeEntitiesSection(dxf, w, d, names);
  writeObjectsSection(dxf, w);
  w.dxfEOF();
  return w.finish();
}

}  // namespace

void writeDxf(const DrawingData& drawing, const std::string& path) {
  if (std::optional<std::string> error = platform::replaceFile(path, dxfBytes(drawing)))
    throw CadError(errc::FileError, "The drawing could not be saved as \"" + path + "\": " + *error);
}

}  // namespace veskar::cad
