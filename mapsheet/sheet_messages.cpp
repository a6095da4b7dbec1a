#include "mapsheet/sheet_messages.h"

#include <cstdio>

namespace veskar::mapsheet {

std::string scaleText(int denominator) {
  const std::string digits = std::to_string(denominator);
  std::string out = "1:";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string sheetLine(const geodesy::MapSheet& sheet) {
  const std::optional<std::string> former = geodesy::FormerSheetNumber(sheet);
  const geodesy::ProjectionZone zone = geodesy::ZoneOf(sheet);
  const geodesy::SheetBounds b = geodesy::BoundsOf(sheet);
  return geodesy::FormatSheetNumber(sheet) + (former ? " = " + *former : std::string()) + "  " +
         scaleText(sheet.scaleDenominator) + "  " + std::to_string(zone.width) + "°带 第" +
         std::to_string(zone.number) + "带\n经度 " + geodesy::FormatDms(b.west) + "—" + geodesy::FormatDms(b.east) +
         "  纬度 " + geodesy::FormatDms(b.south) + "—" + geodesy::FormatDms(b.north);
}

std::string squareLine(const geodesy::SquareSheet& sheet) {
  const auto m = [](std::int64_t metres) { return std::to_string(metres); };
  return geodesy::FormatSquareNumber(sheet) + "  " + scaleText(sheet.scaleDenominator) + "  " + sizeText(sheet.size) +
         "  实地 " + m(sheet.width()) + " × " + m(sheet.height()) + " m\n西南角 x " + m(sheet.south) + "  y " +
         m(sheet.west) + "    东北角 x " + m(sheet.north()) + "  y " + m(sheet.east());
}

std::string sizeText(geodesy::SquareSize size) { return geodesy::FormatSquareSize(size) + " cm"; }

std::string gridHintText(double km) {
  if (km == 0) return "0（默认，无方里网）";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", km);
  return std::string(buf) + "（默认）";
}

std::string refusalText(const char* caption, const std::string& why) {
  return std::string(caption) + "：" + why + "\n未绘图，未写文件。";
}

std::string notAnAngle(const std::string& text) {
  return "“" + text + "”不是数（压缩度分秒，如 39.543 为 39°54′30″）";
}

std::string notAGridInterval(const std::string& text) { return "“" + text + "”不是数（km，0 为不绘方里网）"; }

std::string notACoordinate(const std::string& text) { return "“" + text + "”不是数（m）"; }

std::string dxfWriteText(const std::string& path, const std::string& why) {
  return "DXF 文件 " + path + " 未能写入：" + why;
}

std::string startFailedText(const std::string& program, const std::string& why) {
  return "未能启动 " + program + "：" + why;
}

}  // namespace veskar::mapsheet
