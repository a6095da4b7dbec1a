#include "mapsheet/sheet_form.h"

#include <algorithm>
#include <cmath>

#include "cad/inprocess.h"
#include "graticule/draw_messages.h"
#include "mapsheet/frame_style.h"
#include "mapsheet/sheet_messages.h"
#include "platform/files.h"
#include "settings/decimal_text.h"

namespace veskar::mapsheet {
namespace {

using settings::kSheetFields;

const char* caption(settings::SheetFieldIndex i) { return kSheetFields[i].caption; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && settings::isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && settings::isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The whole text (blanks around it allowed) as a finite decimal number.
std::optional<double> numberOf(std::string_view text) {
  const settings::DecimalScan s = settings::scanDecimal(text);
  if (!s.found || !std::isfinite(s.value) || !trimmed(text.substr(s.end)).empty()) return std::nullopt;
  return s.value;
}

bool isOneOf(std::span<const int> scales, int denominator) {
  return std::find(scales.begin(), scales.end(), denominator) != scales.end();
}

// A remembered scale: one of `scales`, else `fallback`.
int scaleOf(const std::string& text, std::span<const int> scales, int fallback) {
  const std::optional<double> scale = numberOf(text);
  if (scale && std::fabs(*scale) < 1e9 && *scale == static_cast<int>(*scale) && isOneOf(scales, static_cast<int>(*scale)))
    return static_cast<int>(*scale);
  return fallback;
}

std::optional<geodesy::MapSheet> sheetOf(std::string_view number) {
  try {
    return geodesy::ParseAnySheetNumber(trimmed(number));
  } catch (const geodesy::GeodesyError&) {
    return std::nullopt;
  }
}

// A packed-DMS field in exact units, or the refusal naming it.
std::optional<geodesy::ArcUnits> angleOf(const std::string& text, settings::SheetFieldIndex field,
                                         std::string& refusal) {
  const std::optional<double> packed = numberOf(text);
  if (!packed) {
    refusal = refusalText(caption(field), notAnAngle(text));
    return std::nullopt;
  }
  try {
    return geodesy::PackedToArcUnits(*packed);
  } catch (const geodesy::GeodesyError& e) {
    refusal = refusalText(caption(field), e.what());
    return std::nullopt;
  }
}

}  // namespace

SheetFields fieldsOf(const settings::SheetSettings& s) {
  using namespace settings;
  SheetFields f;
  f.number = s.values[kSheetNumber];
  f.latitude = s.values[kSheetLatitude];
  f.longitude = s.values[kSheetLongitude];
  f.scale = scaleOf(s.values[kSheetScale], geodesy::SheetScales(), f.scale);
  for (const SystemChoice& c : kSystemChoices) {
    if (s.values[kSheetSystem] == c.key) f.system = c.system;
  }
  f.grid = s.values[kSheetGrid];
  f.title = s.values[kSheetTitle];
  const auto box = [&](SheetFieldIndex i, bool fallback) {
    return s.values[i] == "1" ? true : s.values[i] == "0" ? false : fallback;
  };
  f.finished = box(kSheetFinished, f.finished);
  f.zonePrefix = box(kSheetZonePrefix, f.zonePrefix);
  for (const DivisionChoice& c : kDivisionChoices) {
    if (s.values[kSheetDivision] == c.key) f.division = c.division;
  }
  f.squareNumber = s.values[kSheetSquareNumber];
  f.northing = s.values[kSheetNorthing];
  f.easting = s.values[kSheetEasting];
  f.squareScale = scaleOf(s.values[kSheetSquareScale], geodesy::SquareScales(), f.squareScale);
  for (const geodesy::SquareSize size : geodesy::SquareSizes()) {
    if (s.values[kSheetSize] == geodesy::FormatSquareSize(size)) f.sheetSize = size;
  }
  f.squareSystem = s.values[kSheetSquareSystem];
  return f;
}

settings::SheetSettings settingsOf(const SheetFields& f) {
  using namespace settings;
  SheetSettings s;
  s.values[kSheetNumber] = f.number;
  s.values[kSheetLatitude] = f.latitude;
  s.values[kSheetLongitude] = f.longitude;
  s.values[kSheetScale] = std::to_string(f.scale);
  for (const SystemChoice& c : kSystemChoices) {
    if (c.system == f.system) s.values[kSheetSystem] = c.key;
  }
  s.values[kSheetGrid] = f.grid;
  s.values[kSheetTitle] = f.title;
  s.values[kSheetFinished] = f.finished ? "1" : "0";
  s.values[kSheetZonePrefix] = f.zonePrefix ? "1" : "0";
  for (const DivisionChoice& c : kDivisionChoices) {
    if (c.division == f.division) s.values[kSheetDivision] = c.key;
  }
  s.values[kSheetSquareNumber] = f.squareNumber;
  s.values[kSheetNorthing] = f.northing;
  s.values[kSheetEasting] = f.easting;
  s.values[kSheetSquareScale] = std::to_string(f.squareScale);
  s.values[kSheetSize] = f.sheetSize ? geodesy::FormatSquareSize(*f.sheetSize) : "";
  s.values[kSheetSquareSystem] = f.squareSystem;
  return s;
}

std::vector<ChoiceItem> choiceItems(settings::SheetFieldIndex field) {
  using namespace settings;
  std::vector<ChoiceItem> items;
  const auto scales = [&](std::span<const int> denominators) {
    for (const int d : denominators) items.push_back({scaleText(d), std::to_string(d)});
  };
  switch (field) {
    case kSheetScale: scales(geodesy::SheetScales()); break;
    case kSheetSquareScale: scales(geodesy::SquareScales()); break;
    case kSheetSystem:
    case kSheetSquareSystem:
      for (const SystemChoice& c : kSystemChoices)
        items.push_back({systemTitle(c.system), field == kSheetSystem ? c.key : systemTitle(c.system)});
      break;
    case kSheetDivision:
      for (const DivisionChoice& c : kDivisionChoices) items.push_back({c.title, c.key});
      break;
    case kSheetSize:
      items.push_back({kSizeByScale, ""});
      for (const geodesy::SquareSize size : geodesy::SquareSizes())
        items.push_back({sizeText(size), geodesy::FormatSquareSize(size)});
      break;
    default: break;
  }
  return items;
}

bool counts(const SheetFields& f, settings::SheetFieldIndex field) {
  using namespace settings;
  const bool square = f.division == Division::Square;
  switch (field) {
    case kSheetSize: return square;
    case kSheetFinished:
    case kSheetZonePrefix: return !square;
    case kSheetGrid: return !square && f.finished;
    case kSheetTitle: return square || f.finished;
    default: return true;
  }
}

settings::SheetFieldIndex numberField(const SheetFields& f) {
  return f.division == Division::Square ? settings::kSheetSquareNumber : settings::kSheetNumber;
}

namespace {

// A plane coordinate field (metres), or the refusal naming it.
std::optional<double> coordinateOf(const std::string& text, settings::SheetFieldIndex field, std::string& refusal) {
  const std::optional<double> metres = numberOf(text);
  if (!metres) refusal = refusalText(caption(field), notACoordinate(text));
  return metres;
}

// The square sheets' size at 比例尺, or why there are none (the core's words) and the field
// at fault.
struct SquareChoice {
  std::optional<geodesy::SquareSize> size;
  settings::SheetFieldIndex field = settings::kSheetSize;
  std::string why;
};
SquareChoice squareChoice(const SheetFields& f) {
  SquareChoice c;
  if (!isOneOf(geodesy::SquareScales(), f.squareScale)) c.field = settings::kSheetSquareScale;
  try {
    const geodesy::SquareSize size = f.sheetSize.value_or(geodesy::DefaultSquareSize(f.squareScale));
    (void)geodesy::SquareSheetAt(0, 0, f.squareScale, size);  // refuses what the scale's numbers cannot hold
    c.size = size;
  } catch (const geodesy::GeodesyError& e) {
    c.why = e.what();
  }
  return c;
}

NumberNote squareNote(const SheetFields& f) {
  const SquareChoice c = squareChoice(f);
  if (!c.size) return {true, c.why};
  if (trimmed(f.squareNumber).empty()) return {false, kSquareNumberExample};
  try {
    return {false, squareLine(geodesy::ParseSquareNumber(trimmed(f.squareNumber), f.squareScale, *c.size))};
  } catch (const geodesy::GeodesyError& e) {
    return {true, e.what()};
  }
}

Found findSquare(const SheetFields& f) {
  Found found;
  const std::optional<double> x = coordinateOf(f.northing, settings::kSheetNorthing, found.refusal);
  if (!x) return found;
  const std::optional<double> y = coordinateOf(f.easting, settings::kSheetEasting, found.refusal);
  if (!y) return found;
  const SquareChoice c = squareChoice(f);
  if (!c.size) {
    found.refusal = refusalText(caption(c.field), c.why);
    return found;
  }
  try {
    found.number = geodesy::FormatSquareNumber(geodesy::SquareSheetAt(*x, *y, f.squareScale, *c.size));
  } catch (const geodesy::GeodesyError& e) {
    // x is at fault when it has no sheet even at y 0, else y.
    bool northingHasSheets = true;
    try {
      (void)geodesy::SquareSheetAt(*x, 0, f.squareScale, *c.size);
    } catch (const geodesy::GeodesyError&) {
      northingHasSheets = false;
    }
    found.refusal = refusalText(caption(northingHasSheets ? settings::kSheetEasting : settings::kSheetNorthing), e.what());
  }
  return found;
}

SheetRequest squareRequestOf(const SheetFields& f) {
  SheetRequest out;
  const SquareChoice c = squareChoice(f);
  if (!c.size) {
    out.refusal = refusalText(caption(c.field), c.why);
    return out;
  }
  SquareFrameRequest r;
  try {
    r.sheet = geodesy::ParseSquareNumber(trimmed(f.squareNumber), f.squareScale, *c.size);
  } catch (const geodesy::GeodesyError& e) {
    out.refusal = refusalText(caption(settings::kSheetSquareNumber), e.what());
    return out;
  }
  r.title = f.title;
  r.system = f.squareSystem;
  out.square = r;
  return out;
}

}  // namespace

NumberNote numberNote(const SheetFields& f) {
  return f.division == Division::Square ? squareNote(f) : numberNote(f.number);
}

NumberNote numberNote(std::string_view number) {
  if (trimmed(number).empty()) return {false, kNumberExample};
  try {
    return {false, sheetLine(geodesy::ParseAnySheetNumber(trimmed(number)))};
  } catch (const geodesy::GeodesyError& e) {
    return {true, e.what()};
  }
}

std::string gridHint(std::string_view number) {
  const std::optional<geodesy::MapSheet> sheet = sheetOf(number);
  return sheet ? gridHintText(scaleDefaults(sheet->scaleDenominator).gridKm) : kGridHintNoSheet;
}

std::string gridHint(const SheetFields& f) { return f.division == Division::Square ? "" : gridHint(f.number); }

Found findSheet(const SheetFields& f) {
  if (f.division == Division::Square) return findSquare(f);
  Found found;
  const std::optional<geodesy::ArcUnits> latitude = angleOf(f.latitude, settings::kSheetLatitude, found.refusal);
  if (!latitude) return found;
  const std::optional<geodesy::ArcUnits> longitude = angleOf(f.longitude, settings::kSheetLongitude, found.refusal);
  if (!longitude) return found;
  try {
    found.number = geodesy::FormatSheetNumber(geodesy::SheetAt(*latitude, *longitude, f.scale));
  } catch (const geodesy::GeodesyError& e) {
    // The latitude is at fault when it has no sheet even at 0° E, else the longitude.
    bool latitudeHasSheets = true;
    try {
      (void)geodesy::SheetAt(*latitude, 0, f.scale);
    } catch (const geodesy::GeodesyError&) {
      latitudeHasSheets = false;
    }
    found.refusal = refusalText(caption(latitudeHasSheets ? settings::kSheetLongitude : settings::kSheetLatitude),
                                e.what());
  }
  return found;
}

SheetRequest requestOf(const SheetFields& f) {
  if (f.division == Division::Square) return squareRequestOf(f);
  SheetRequest out;
  SheetDrawRequest r;
  try {
    r.frame.sheet = geodesy::ParseAnySheetNumber(trimmed(f.number));
  } catch (const geodesy::GeodesyError& e) {
    out.refusal = refusalText(caption(settings::kSheetNumber), e.what());
    return out;
  }
  r.frame.system = f.system;
  r.frame.zonePrefix = f.zonePrefix;
  r.finished = f.finished;
  if (f.finished) {
    r.frame.title = f.title;
    if (!trimmed(f.grid).empty()) {
      r.frame.gridKm = numberOf(f.grid);
      if (!r.frame.gridKm) {
        out.refusal = refusalText(caption(settings::kSheetGrid), notAGridInterval(f.grid));
        return out;
      }
    }
    try {
      (void)gridIntervalMetres(r.frame);
    } catch (const FrameError& e) {
      out.refusal = refusalText(caption(settings::kSheetGrid), e.what());
      return out;
    }
  }
  out.request = r;
  return out;
}

namespace {

SheetOutcome drawRequest(const SheetRequest& r, const graticule::ConnectCadFn& connect,
                         const graticule::ProgressFn& progress) {
  return r.square ? DrawSquareSheet(*r.square, connect, progress) : DrawSheet(*r.request, connect, progress);
}

std::string sheetNumberOf(const SheetRequest& r) {
  return r.square ? geodesy::FormatSquareNumber(r.square->sheet, r.square->zone) : geodesy::FormatSheetNumber(r.request->frame.sheet);
}

// The fields saved, then the request; the draw itself by `draw`.
template <typename Draw>
SheetPress press(const SheetFields& f, const SaveSheetSettingsFn& save, Draw draw) {
  SheetPress run;
  if (save) run.settingsSave = save(settingsOf(f));
  const SheetRequest r = requestOf(f);
  if (!r.request && !r.square) {
    run.refusal = r.refusal;
    return run;
  }
  draw(r, run);
  // What the checks before could not see: more grid lines than a sheet may have.
  if (run.outcome.status == SheetOutcome::Status::Refused)
    run.refusal = refusalText(caption(r.square ? settings::kSheetSquareNumber : settings::kSheetGrid), run.outcome.message);
  return run;
}

}  // namespace

SheetPress drawSheet(const SheetFields& f, const SaveSheetSettingsFn& save, const graticule::ConnectCadFn& connect,
                   const graticule::ProgressFn& progress) {
  return press(f, save, [&](const SheetRequest& r, SheetPress& run) { run.outcome = drawRequest(r, connect, progress); });
}

SheetPress saveSheetDxf(const SheetFields& f, const SaveSheetSettingsFn& save, const ChooseFileFn& choose,
                      const graticule::ProgressFn& progress) {
  return press(f, save, [&](const SheetRequest& r, SheetPress& run) {
    const std::optional<std::string> path = choose(sheetNumberOf(r) + ".dxf");
    if (!path) {
      run.cancelled = true;
      return;
    }
    run.path = *path;
    // The drawing named after the file, as the command line names it.
    std::shared_ptr<cad::CadDocument> drawing;
    const graticule::ConnectCadFn inProcess = [&](graticule::CadLink& link, std::string&) {
      link.CadApp = cad::makeInProcessApplication(platform::fileName(*path));
      link.CadDoc = drawing = link.CadApp->ActiveDocument();
      return true;
    };
    run.outcome = drawRequest(r, inProcess, progress);
    if (run.outcome.status != SheetOutcome::Status::Drawn) return;
    try {
      drawing->SaveAs(*path);
    } catch (const cad::CadError& e) {
      run.writeError = e.description();
    }
  });
}

std::vector<std::string> sheetMessages(const SheetPress& run) {
  std::vector<std::string> out;
  if (!run.settingsSave.ok) out.push_back(graticule::settingsSaveText(settings::kSheetSettingsFile, run.settingsSave.error));
  if (!run.refusal.empty()) {
    out.push_back(run.refusal);
  } else if (run.outcome.status == SheetOutcome::Status::ConnectFailed) {
    out.push_back(run.outcome.message);  // the platform's description, as it comes
  } else if (run.outcome.status == SheetOutcome::Status::FailedAfterAttach) {
    out.push_back(graticule::interruptionText(run.outcome.failedStep, run.outcome.message, run.outcome.entitiesAdded));
  } else if (!run.writeError.empty()) {
    out.push_back(dxfWriteText(run.path, run.writeError));
  }
  return out;
}

}  // namespace veskar::mapsheet
