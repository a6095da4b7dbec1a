// veskar-cli: the commands. Each takes the arguments after its name and returns the exit
// status: 0 success, 1 some input could not be converted or drawn, 2 usage error.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/drawing.h"
#include "geodesy/geodesy.h"
#include "geodesy/sheets.h"
#include "geodesy/square.h"
#include "graticule/draw_command.h"
#include "mapsheet/area.h"
#include "options.h"

namespace veskar::cli {

// What `draw` can draw into besides a DXF file; each build provides what its libraries allow
// (an empty function: this build cannot).
struct Backends {
  // --cad: attaches to or starts the CAD application; `cadHelp` says which, for the usage.
  graticule::ConnectCadFn connectCad;
  std::string cadHelp;
  // --progid PROGID with --cad: the CAD program of that ProgID (COM); empty: no such choice.
  std::function<graticule::ConnectCadFn(const std::string& progId)> cadWithProgId;
  // --png: paints the drawing into a PNG file; the failure's description, or nothing.
  std::function<std::optional<std::string>(const cad::DrawingData&, const std::string& path, int width, int height)>
      writePng;
};
Backends backends();

// The toolkit the backends need, for the life of the program (Qt's application object where
// there is one; a picture needs its GUI part, which then runs offscreen).
std::shared_ptr<void> startToolkit(int argc, char** argv, bool picture);

enum class Direction { Forward, Inverse };

// The commands, as their tables and as what runs them.
Command convertCommand(Direction direction);
int runConvert(Direction direction, const Args& args, std::istream& in, std::ostream& out, std::ostream& err);
Command drawCommand(const Backends& backends);
int runDraw(const Args& args, const Backends& backends, std::ostream& out, std::ostream& err);
Command sheetCommand();
int runSheet(const Args& args, std::ostream& out, std::ostream& err);
Command squareCommand();
int runSquare(const Args& args, std::ostream& out, std::ostream& err);
// The same JSON object as `sheet --json`, with its line end.
void writeSheetJson(const geodesy::MapSheet& sheet, geodesy::CoordinateSystem system, std::ostream& out);
// The same JSON object as `square --json`, with its line end; `zone` > 0: y with its number.
void writeSquareJson(const geodesy::SquareSheet& sheet, int zone, std::ostream& out);
Command sheetsCommand();
int runSheets(const Args& args, std::ostream& out, std::ostream& err);
// draw --index (or any of its options): the index map of a survey area.
std::vector<Option> indexOptions();
bool wantsIndex(const Parsed& p);
int runIndexDraw(const Parsed& p, const Command& c, const Backends& backends, std::ostream& out, std::ostream& err);

// --- Shared by the commands ------------------------------------------------------------------

// --beijing54, --iag75, --cgcs2000 (the last given counts), with `fallback` named the default.
std::vector<Option> systemOptions(geodesy::CoordinateSystem fallback);
geodesy::CoordinateSystem systemOf(const Parsed& p, geodesy::CoordinateSystem fallback);

// A number as the command line takes it: the whole text, "." as the decimal point, finite.
std::optional<double> parseNumber(std::string_view text);
// A whole number: blanks around it allowed, a sign, decimal digits.
std::optional<int> parseInt(std::string_view text);

// "1:10,000"
std::string scaleText(int denominator);

// --zone N --zone-width 3|6, instead of --central-meridian, and --zone-prefix, which needs
// --zone: the zone named (none without --zone), or why the options do not fit together
// (`usage`: a usage error, to be followed by the usage).
struct ZoneChoice {
  std::optional<geodesy::ProjectionZone> zone;
  std::string error;
  bool usage = false;
};
ZoneChoice zoneChoice(const Parsed& p);
// For square sheets: the zone number y carries, from --zone, --zone-width and --zone-prefix
// together (0: none); a usage error is told after `prefix` and gives nothing.
std::optional<int> prefixZoneOf(const Parsed& p, const std::string& prefix, std::ostream& err);

// How far from the central meridian the series serves: a warning beyond 3°, a refusal beyond
// 20°, where it means nothing.
inline constexpr double kWarnBeyondDegrees = 3.0;
inline constexpr double kRefuseBeyondDegrees = 20.0;
// "points lie up to 4.5° from the central meridian, where the projection may be off by up to
// 5 mm (about 2 mm within 3°)"
std::string reachWarning(double farthestDegrees);
// "7.25° from the central meridian: farther than 20°, where the projection means nothing"
std::string reachRefusal(double degrees);

// --within S W N E and --area FILE: a survey area; --scale: the scale of its sheets. With
// --square (and --sheet-size, --zone, --zone-width, --zone-prefix): a plane area, x y in metres,
// and its square sheets.
std::vector<Option> areaOptions();
Option sheetScaleOption();
struct SurveyArea {
  mapsheet::Area area;  // a plane area for square sheets
  mapsheet::SheetCover cover;
  bool square = false;
  geodesy::SquareSize size;  // of the square sheets
  int zone = 0;              // > 0: the square sheets' y carries this zone number
};
// The most sheets listed or drawn at once.
inline constexpr std::uint64_t kMaxSheets = 100000;
// The area and its sheets from those options. A usage error (status 2) or a refusal (status 1:
// a fault in the area or its file, an unknown scale or sheet size, more than kMaxSheets sheets) is told on
// `err` after `prefix` and gives nothing.
std::optional<SurveyArea> surveyAreaOf(const Parsed& p, const std::string& prefix, std::ostream& err, int& status);
// 1234567 as "1,234,567".
std::string grouped(std::uint64_t n);

// The packed-DMS notation and the coordinate systems, for the usage texts.
extern const char* const kAngleNotes;

}  // namespace veskar::cli
