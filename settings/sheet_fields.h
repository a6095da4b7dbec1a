// The sheet window's fields (图幅整饰), once for everything that names them: its settings file
// (one "key=value" line each), both windows (captions, and the refusals that name a field) and
// their tests.
#pragma once

#include <array>
#include <cstddef>

namespace veskar::settings {

struct SheetField {
  const char* key;           // in the settings file
  const char* caption;       // the window's caption, which its refusals name
  const char* defaultValue;  // on the first start, and for a key the file lacks
};

// The fields by what they hold. The national sheets' fields first, then the division (经纬度分幅
// or 正方形分幅) and the square sheets' own fields: their number, the point x (northing) and y
// (easting) for 查找, the scale, the sheet size and the coordinate system's free text. 图名 is
// both kinds'.
enum SheetFieldIndex : std::size_t {
  kSheetNumber, kSheetLatitude, kSheetLongitude, kSheetScale, kSheetSystem, kSheetGrid, kSheetTitle,
  kSheetFinished, kSheetZonePrefix,
  kSheetDivision, kSheetSquareNumber, kSheetNorthing, kSheetEasting, kSheetSquareScale, kSheetSize,
  kSheetSquareSystem
};

// In the settings file's line order (a file written before the square sheets' fields came ends
// after zone_prefix: theirs are the defaults then). The first start is on national sheets and
// draws what `veskar-cli draw --sheet N` draws without options: the finished frame, eastings
// without the zone number, CGCS2000, the scale's grid interval (an empty 方里网间距), no name;
// on square sheets what `veskar-cli draw --square N --scale 1000` draws: the scale's size, no
// coordinate system's line.
inline constexpr std::array<SheetField, 16> kSheetFields = {{
    {"number", "图号", ""},
    {"latitude", "纬度", ""},
    {"longitude", "经度", ""},
    {"scale", "比例尺", "10000"},  // 查找's scale, a denominator
    {"system", "坐标系", "CGCS2000"},
    {"grid", "方里网间距", ""},     // km; empty: the scale's default
    {"title", "图名", ""},
    {"finished", "完整图廓整饰", "1"},
    {"zone_prefix", "通用坐标", "0"},
    {"division", "分幅", "national"},  // national | square
    {"square_number", "图号", ""},
    {"northing", "x（北）", ""},         // metres
    {"easting", "y（东）", ""},
    {"square_scale", "比例尺", "1000"},  // a denominator
    {"sheet_size", "图幅尺寸", ""},      // 50x50, 50x40 or 40x40; empty: the scale's
    {"square_system", "坐标系", ""},     // the line at the lower left, as typed; empty: none
}};

}  // namespace veskar::settings
