// The window's seven input fields, Text1 to Text7, once for everything that names them: the
// settings file (line by line), the Draw command (its messages), both windows (controls and
// labels) and the command line (options and usage).
#pragma once

#include <array>
#include <cstddef>

namespace veskar::settings {

struct Field {
  const char* control;             // "Text1"
  const char* label;               // the label beside it in the window, "起始经度"
  const char* english;             // "start longitude"
  const char* option;              // veskar-cli draw's option, "--start-longitude"
  const char* missingFileDefault;  // when there is no settings file
  const char* readFailureDefault;  // when the file cannot be read whole
  bool angle;                      // packed DMS (the tooltip explains it); false for the counts
  bool tooltip;                    // the window explains packed DMS in the field's tooltip
};

// In the order Text1 .. Text7, which is the settings file's line order.
inline constexpr std::array<Field, 7> kFields = {{
    {"Text1", "起始经度", "start longitude", "--start-longitude", "114.00", "113.00", true, true},
    {"Text2", "经线根数", "number of meridians", "--meridians", "3", "3", false, true},
    {"Text3", "起始纬度", "start latitude", "--start-latitude", "29.00", "29.00", true, true},
    {"Text4", "纬线根数", "number of parallels", "--parallels", "5", "5", false, true},
    {"Text5", "经度间距", "longitude spacing", "--longitude-spacing", "0.15", "0.15", true, false},
    {"Text6", "纬度间距", "latitude spacing", "--latitude-spacing", "0.10", "0.10", true, false},
    {"Text7", "中央子午线", "central meridian", "--central-meridian", "115.15", "115.15", true, true},
}};

// The fields by what they hold.
enum FieldIndex : std::size_t {
  kStartLongitude, kMeridians, kStartLatitude, kParallels, kLongitudeSpacing, kLatitudeSpacing,
  kCentralMeridian
};

// The check box Check1 and its caption; ticked chooses Beijing 1954.
inline constexpr const char* kCheckControl = "Check1";
inline constexpr const char* kCheckCaption = "北京54坐标系";

// The angle notation, as the window's tooltips explain it.
inline constexpr const char* kAngleTip = "用°′″表示，如：140.022866为140°02′28.66″";

}  // namespace veskar::settings
