// How a finished map sheet looks: every size on paper, every default that depends on the scale
// and every text the frame writes, in one place. Sizes are millimetres on paper; a sheet of
// scale 1:n turns them into metres on the ground with n / 1000.
//
//            接图表                 图名
//         ┌──┬──┬──┐            J50G015010
//         ├──┼╳╳┼──┤
//         └──┴──┴──┘
//   ┏━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━┓ outer frame, 1 mm wide, 12 mm out
//   ┃    114°33′45″                 114°37′30″ ┃
//   ┃    39°25′00″                   39°25′00″ ┃ corner coordinates
//   ┃          38549     50     51     38552   ┃ grid numbers
//   ┃   ┌──────┴──┬──────┬──────┬──────┴──┐    ┃ inner frame with minute ticks
//   ┃4364 ─┼──────────┼──────┼──────┼──────────┼─ 4364
//   ┃   │          │      │      │          │    ┃ kilometre grid (方里网)
//   ┃  63 ─┼──────────┼──────┼──────┼──────────┼─ 63 ┃
//   ┃   └──────┬──┴──────┴──────┴──────┬──┘    ┃
//   ┗━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━┛
//   2000国家大地坐标系            1∶10 000
//   高斯-克吕格投影 3°分带 第38带
#pragma once

#include <optional>
#include <string>

#include "geodesy/geodesy.h"
#include "geodesy/sheets.h"

namespace veskar::mapsheet {

struct FrameSizes {
  double chord = 0.05;  // the inner frame keeps every chord this close to the true line
  // Minute ticks outward from the inner frame; every fifth one longer.
  double tick = 1.0, longTick = 2.0;
  int longTickEvery = 5;
  // Grid numbers: height, and their distance from the inner frame.
  double gridTextHeight = 2.5, gridTextOut = 2.5;
  // Corner coordinates, two lines between the frames from the corner towards the middle of the
  // edge: the latitude's line nearer the inner frame, the longitude's beyond it, both beyond the
  // grid numbers (distances to each line's near side).
  double cornerTextHeight = 2.0, cornerLatitudeOut = 5.4, cornerLongitudeOut = 7.9;
  // The outer frame: its middle line this far outside the inner frame's corner chords.
  double outerDistance = 12.0, outerWidth = 1.0;
  // Above the outer frame: the sheet number, the sheet name above it.
  double numberHeight = 5.0, numberGap = 3.0, titleHeight = 8.0, titleGap = 2.0;
  // The adjoining-sheet diagram above the outer frame's north-west corner: 3 x 3 cells.
  double cellWidth = 18.0, cellHeight = 6.0, cellTextHeight = 2.0, diagramGap = 3.0;
  // Below the outer frame: the scale in the middle, the coordinate system and zone at the left.
  double scaleHeight = 4.0, noteHeight = 3.0, belowGap = 3.0, noteLineGap = 1.5;
  // Square sheets: grid crosses every `gridStep`, each stroke 2 x `crossArm` long, ticks
  // `edgeTick` long inward from the inner frame; the corners' coordinates this far outside it.
  double gridStep = 100.0, crossArm = 5.0, edgeTick = 5.0, cornerCoordinateGap = 1.5;
};
inline constexpr FrameSizes kFrameSizes{};

// The kilometre grid: at most this many lines in all.
inline constexpr int kMaxGridLines = 1000;

// The defaults of a scale: minute ticks every `tickStep`, the kilometre grid every `gridKm`
// (0: no grid; at 1:2,000 and larger every 10 cm on paper, as large-scale sheets have it).
struct ScaleDefaults {
  int denominator;
  geodesy::ArcUnits tickStep;
  double gridKm;
};
const ScaleDefaults& scaleDefaults(int denominator);

// "2000国家大地坐标系", "1954年北京坐标系", "1980西安坐标系".
const char* systemTitle(geodesy::CoordinateSystem system);
// "高斯-克吕格投影 3°分带 第39带"
std::string zoneTitle(const geodesy::ProjectionZone& zone);
// "1∶10 000": the ratio sign and a space every three digits.
std::string scaleTitle(int denominator);

}  // namespace veskar::mapsheet
