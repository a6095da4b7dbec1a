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

// The fields by what they hold.
enum SheetFieldIndex : std::size_t {
  kSheetNumber, kSheetLatitude, kSheetLongitude, kSheetScale, kSheetSystem, kSheetGrid, kSheetTitle,
  kSheetFinished, kSheetZonePrefix
};

// In the settings file's line order. The first start draws what `veskar-cli draw --sheet N`
// draws without options: the finished frame, eastings without the zone number, CGCS2000, the
// scale's grid interval (an empty 方里网间距), no name.
inline constexpr std::array<SheetField, 9> kSheetFields = {{
    {"number", "图号", ""},
    {"latitude", "纬度", ""},
    {"longitude", "经度", ""},
    {"scale", "比例尺", "10000"},  // 查找's scale, a denominator
    {"system", "坐标系", "CGCS2000"},
    {"grid", "方里网间距", ""},     // km; empty: the scale's default
    {"title", "图名", ""},
    {"finished", "完整图廓整饰", "1"},
    {"zone_prefix", "通用坐标", "0"},
}};

}  // namespace veskar::settings
