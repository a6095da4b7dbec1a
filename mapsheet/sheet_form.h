// The sheet window (图幅整饰) without its windows, for the Linux and the Windows window alike:
// what its fields hold and how they are remembered, which of them count, the line under 图号
// as the user types, what 查找 finds, and what 绘图 and 保存DXF do. 分幅 chooses between the
// national sheets (经纬度分幅) and the square sheets of large-scale surveys (正方形分幅). Both
// draw through the command line's own core, so that the window draws what `veskar-cli draw`
// draws for the same fields. National sheets (DrawSheet):
//   图号 N              --sheet N
//   坐标系              --cgcs2000 (the first start) | --beijing54 | --iag75
//   方里网间距 G        --grid G (empty: the scale's interval, no option)
//   图名 T              --title T (empty: no option)
//   完整图廓整饰 off    --frame-only (方里网间距 and 图名 then do not count)
//   通用坐标 on         --zone-prefix
// Square sheets (DrawSquareSheet):
//   图号 N, 比例尺 S    --square N --scale S
//   图幅尺寸 WxH        --sheet-size WxH (按比例尺: no option)
//   图名 T              --title T (empty: no option)
//   坐标系 T            --system T (empty: no option)
// 方里网间距, 完整图廓整饰 and 通用坐标 do not count for square sheets: the zone number in front
// of y is the command line's (--zone N --zone-width W --zone-prefix).
// Everything that can be refused is refused before anything is drawn or written.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geodesy/geodesy.h"
#include "geodesy/square.h"
#include "mapsheet/sheet_draw.h"
#include "mapsheet/sheet_messages.h"
#include "settings/sheet_settings.h"

namespace veskar::mapsheet {

enum class Division { National, Square };

// What the window's fields hold: the texts as typed, the choices as values.
struct SheetFields {
  std::string number, latitude, longitude;
  int scale = 10000;  // 查找's scale, one of geodesy::SheetScales()
  geodesy::CoordinateSystem system = geodesy::CoordinateSystem::CGCS2000;
  std::string grid, title;
  bool finished = true, zonePrefix = false;
  Division division = Division::National;
  std::string squareNumber, northing, easting;  // 图号, x and y (metres) on square sheets
  int squareScale = 1000;                        // one of geodesy::SquareScales()
  std::optional<geodesy::SquareSize> sheetSize;  // nothing: the scale's
  std::string squareSystem;                      // the lower left line's text; empty: none
};

// 分幅's choices in the order it lists them, with their word in the settings file.
struct DivisionChoice {
  Division division;
  const char* key;
  const char* title;
};
inline constexpr std::array<DivisionChoice, 2> kDivisionChoices = {{
    {Division::National, "national", kNationalDivisionTitle},
    {Division::Square, "square", kSquareDivisionTitle},
}};

// 坐标系's choices in the order it lists them (titled by systemTitle), with their word in the
// settings file.
struct SystemChoice {
  geodesy::CoordinateSystem system;
  const char* key;
};
inline constexpr std::array<SystemChoice, 3> kSystemChoices = {{
    {geodesy::CoordinateSystem::CGCS2000, "CGCS2000"},
    {geodesy::CoordinateSystem::Beijing54, "Beijing54"},
    {geodesy::CoordinateSystem::IAG75, "IAG75"},
}};

// The fields from the settings file: a value the window cannot show (a scale without sheets, an
// unknown system or division, a box other than "0" or "1", a size other than 50x50, 50x40 and
// 40x40) gives that field's default.
SheetFields fieldsOf(const settings::SheetSettings& settings);
settings::SheetSettings settingsOf(const SheetFields& fields);

// What a drop-down field lists, in order: each item's title and its value in the settings file
// (the windows show the titles and hand the values to fieldsOf). 坐标系 on square sheets is
// typed; its items offer the national systems' names.
struct ChoiceItem {
  std::string title, value;
};
std::vector<ChoiceItem> choiceItems(settings::SheetFieldIndex field);

// Whether a field counts for the sheet the fields draw; the windows grey out the others (each
// division's own fields they show only in it). 图幅尺寸 counts on square sheets only, 完整图廓整饰
// and 通用坐标 on national ones, 方里网间距 on national sheets with the finished frame, 图名 but
// on the bare frame.
bool counts(const SheetFields& fields, settings::SheetFieldIndex field);
// 图号's field in the division: kSheetNumber or kSheetSquareNumber. The focus starts there and
// 查找 fills it.
settings::SheetFieldIndex numberField(const SheetFields& fields);

// The line under 图号 for its text (blanks around it do not count): the sheet (sheetLine), or
// what is wrong with the number (`fault`, shown in red), or the example for an empty field.
struct NumberNote {
  bool fault = false;
  std::string text;
};
NumberNote numberNote(std::string_view number);
// The line for the division's 图号: on square sheets the sheet's scale, size and corners
// (squareLine) at 比例尺 and 图幅尺寸, what is wrong with the number or the size, or the example.
NumberNote numberNote(const SheetFields& fields);
// 方里网间距's hint: the default interval of the scale 图号 names (gridHintText), else
// kGridHintNoSheet.
std::string gridHint(std::string_view number);
// The hint for the division: gridHint(number) for national sheets, none for square ones (where
// 方里网间距 does not count).
std::string gridHint(const SheetFields& fields);

// 查找: the number of the sheet of the chosen scale that holds the point 纬度, 经度 (packed DMS),
// on square sheets x, y (metres) in sheets of 图幅尺寸, or the refusal naming the field at fault.
struct Found {
  std::string number;
  std::string refusal;
};
Found findSheet(const SheetFields& fields);

// The request the fields make (a national or a square sheet's), or the refusal naming the
// field at fault.
struct SheetRequest {
  std::optional<SheetDrawRequest> request;
  std::optional<SquareFrameRequest> square;
  std::string refusal;
};
SheetRequest requestOf(const SheetFields& fields);

// One press of 绘图 or 保存DXF.
struct SheetPress {
  settings::SaveResult settingsSave;  // the fields are saved first, refused or not
  std::string refusal;                // non-empty: nothing drawn, no file written
  bool cancelled = false;             // 保存DXF: no file chosen
  SheetOutcome outcome;               // the draw, when there was one
  std::string path;                   // 保存DXF: the file
  std::string writeError;             // 保存DXF: the file could not be written
};
using SaveSheetSettingsFn = std::function<settings::SaveResult(const settings::SheetSettings&)>;
// The save dialog: a path for the suggested file name, or nothing when the user cancels.
using ChooseFileFn = std::function<std::optional<std::string>(const std::string& suggestedName)>;

// 绘图: saves the fields, then draws into the CAD program that `connect` reaches.
SheetPress drawSheet(const SheetFields& fields, const SaveSheetSettingsFn& save, const graticule::ConnectCadFn& connect,
                   const graticule::ProgressFn& progress = {});
// 保存DXF: saves the fields; unless refused, asks `choose` for the file ("J50G015010.dxf",
// "3810.5-525.5.dxf" suggested), draws into a drawing of this process and writes it there, as
// `veskar-cli draw --sheet ... -o FILE` and `veskar-cli draw --square ... -o FILE` do.
SheetPress saveSheetDxf(const SheetFields& fields, const SaveSheetSettingsFn& save, const ChooseFileFn& choose,
                      const graticule::ProgressFn& progress = {});

// The message boxes after a press, in order: the settings file that could not be saved, then
// the refusal, the failed connection as the platform describes it, the interrupted drawing, or
// the file that could not be written. A sheet drawn or written shows nothing.
std::vector<std::string> sheetMessages(const SheetPress& run);

}  // namespace veskar::mapsheet
