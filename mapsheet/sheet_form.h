// The sheet window (图幅整饰) without its windows, for the Linux and the Windows window alike:
// what its fields hold and how they are remembered, the line under 图号 as the user types, what
// 查找 finds, and what 绘图 and 保存DXF do. Both draw through DrawSheet, the command line's own
// core, so that the window draws what `veskar-cli draw --sheet` draws for the same fields:
//   图号 N              --sheet N
//   坐标系              --cgcs2000 (the first start) | --beijing54 | --iag75
//   方里网间距 G        --grid G (empty: the scale's interval, no option)
//   图名 T              --title T (empty: no option)
//   完整图廓整饰 off    --frame-only (方里网间距 and 图名 then do not count)
//   通用坐标 on         --zone-prefix
// Everything that can be refused is refused before anything is drawn or written.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geodesy/geodesy.h"
#include "mapsheet/sheet_draw.h"
#include "settings/sheet_settings.h"

namespace veskar::mapsheet {

// What the window's fields hold: the texts as typed, the choices as values.
struct SheetFields {
  std::string number, latitude, longitude;
  int scale = 10000;  // 查找's scale, one of geodesy::SheetScales()
  geodesy::CoordinateSystem system = geodesy::CoordinateSystem::CGCS2000;
  std::string grid, title;
  bool finished = true, zonePrefix = false;
};

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
// unknown system, a box other than "0" or "1") gives that field's default.
SheetFields fieldsOf(const settings::SheetSettings& settings);
settings::SheetSettings settingsOf(const SheetFields& fields);

// The line under 图号 for its text (blanks around it do not count): the sheet (sheetLine), or
// what is wrong with the number (`fault`, shown in red), or the example for an empty field.
struct NumberNote {
  bool fault = false;
  std::string text;
};
NumberNote numberNote(std::string_view number);
// 方里网间距's hint: the default interval of the scale 图号 names (gridHintText), else
// kGridHintNoSheet.
std::string gridHint(std::string_view number);

// 查找: the number of the sheet of the chosen scale that holds the point 纬度, 经度 (packed DMS),
// or the refusal naming the field at fault.
struct Found {
  std::string number;
  std::string refusal;
};
Found findSheet(const SheetFields& fields);

// The request the fields make, or the refusal naming the field at fault.
struct SheetRequest {
  std::optional<SheetDrawRequest> request;
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
// 保存DXF: saves the fields; unless refused, asks `choose` for the file ("J50G015010.dxf"
// suggested), draws into a drawing of this process and writes it there, as `veskar-cli draw
// --sheet ... -o FILE` does.
SheetPress saveSheetDxf(const SheetFields& fields, const SaveSheetSettingsFn& save, const ChooseFileFn& choose,
                      const graticule::ProgressFn& progress = {});

// The message boxes after a press, in order: the settings file that could not be saved, then
// the refusal, the failed connection as the platform describes it, the interrupted drawing, or
// the file that could not be written. A sheet drawn or written shows nothing.
std::vector<std::string> sheetMessages(const SheetPress& run);

}  // namespace veskar::mapsheet
