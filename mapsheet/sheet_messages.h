// Every text of the sheet window (图幅整饰) that is not a caption of its layout, once for the
// Linux and the Windows window: the line under 图号, the hint in 方里网间距, the refusals and
// the other message boxes, the progress window's title, the save dialog's words. The refusals
// carry the command line's own words (the sheet arithmetic's and the frame's messages) after
// the field they name.
#pragma once

#include <cstddef>
#include <string>

#include "geodesy/sheets.h"

namespace veskar::mapsheet {

// The progress window of a long 绘图.
inline constexpr const char* kSheetProgressTitle = "正在绘制图廓";
// The save dialog of 保存DXF: its title, the kind of file and its pattern.
inline constexpr const char* kSaveDxfTitle = "保存DXF";
inline constexpr const char* kDxfFileType = "DXF 文件（AutoCAD 2000）";
inline constexpr const char* kDxfPattern = "*.dxf";
// The line under an empty 图号.
inline constexpr const char* kNumberExample = "新图号如 J50G015010，旧图号如 J-50-5-(24)";
// 方里网间距's hint while 图号 names no sheet.
inline constexpr const char* kGridHintNoSheet = "按比例尺";

// "1:10,000"
std::string scaleText(int denominator);
// The line under 图号 for a sheet, two lines:
//   "J50G003040 = J-50-5-(24)  1:10,000  3°带 第39带"
//   "经度 116°26′15″—116°30′00″  纬度 39°52′30″—39°55′00″"
std::string sheetLine(const geodesy::MapSheet& sheet);
// 方里网间距's hint, the scale's interval in km: "1（默认）", "0.05（默认）", "0（默认，无方里网）".
std::string gridHintText(double km);

// A refusal: "图号：<why>\n未绘图，未写文件。"
std::string refusalText(const char* caption, const std::string& why);
// Why a field is not a number: "“abc”不是数（压缩度分秒，如 39.543 为 39°54′30″）" for an angle,
// "“abc”不是数（km，0 为不绘方里网）" for the grid.
std::string notAnAngle(const std::string& text);
std::string notAGridInterval(const std::string& text);
// 保存DXF could not write the file.
std::string dxfWriteText(const std::string& path, const std::string& why);
// The main window could not start the sheet window's program.
std::string startFailedText(const std::string& program, const std::string& why);

}  // namespace veskar::mapsheet
