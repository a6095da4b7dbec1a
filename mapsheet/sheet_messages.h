// Every text of the sheet window (图幅整饰) that is not a caption of its layout, once for the
// Linux and the Windows window: the line under 图号, the hint in 方里网间距, the refusals and
// the other message boxes, the progress window's title, the save dialog's words. The refusals
// carry the command line's own words (the sheet arithmetic's and the frame's messages) after
// the field they name.
#pragma once

#include <cstddef>
#include <string>

#include "geodesy/sheets.h"
#include "geodesy/square.h"

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
// 分幅's choices: the national sheets by latitude and longitude, the square sheets of large-scale
// surveys.
inline constexpr const char* kNationalDivisionTitle = "经纬度分幅";
inline constexpr const char* kSquareDivisionTitle = "正方形分幅";
// 图幅尺寸's first choice: the scale's size (40x40 cm at 1:5,000, else 50x50 cm).
inline constexpr const char* kSizeByScale = "按比例尺";
// The line under an empty 图号 on square sheets.
inline constexpr const char* kSquareNumberExample = "正方形图幅以西南角 x-y 的公里数编号，如 1:1,000 的 3810.5-525.5";

// "1:10,000"
std::string scaleText(int denominator);
// The line under 图号 for a sheet, two lines:
//   "J50G003040 = J-50-5-(24)  1:10,000  3°带 第39带"
//   "经度 116°26′15″—116°30′00″  纬度 39°52′30″—39°55′00″"
std::string sheetLine(const geodesy::MapSheet& sheet);
// The line under 图号 for a square sheet, two lines:
//   "3810.5-525.5  1:1,000  50x50 cm  实地 500 × 500 m"
//   "西南角 x 3810500  y 525500    东北角 x 3811000  y 526000"
std::string squareLine(const geodesy::SquareSheet& sheet);
// 图幅尺寸's choice for a size: "50x40 cm".
std::string sizeText(geodesy::SquareSize size);
// 方里网间距's hint, the scale's interval in km: "1（默认）", "0.05（默认）", "0（默认，无方里网）".
std::string gridHintText(double km);

// A refusal: "图号：<why>\n未绘图，未写文件。"
std::string refusalText(const char* caption, const std::string& why);
// Why a field is not a number: "“abc”不是数（压缩度分秒，如 39.543 为 39°54′30″）" for an angle,
// "“abc”不是数（km，0 为不绘方里网）" for the grid.
std::string notAnAngle(const std::string& text);
std::string notAGridInterval(const std::string& text);
// Why x or y is not a number: "“abc”不是数（m）".
std::string notACoordinate(const std::string& text);
// 保存DXF could not write the file.
std::string dxfWriteText(const std::string& path, const std::string& why);
// The main window could not start the sheet window's program.
std::string startFailedText(const std::string& program, const std::string& why);

}  // namespace veskar::mapsheet
