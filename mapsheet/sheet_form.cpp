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

bool isSheetScale(int denominator) {
  const std::span<const int> scales = geodesy::SheetScales();
  return std::find(scales.begin(), scales.end(), denominator) != scales.end();
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
  const std::optional<double> scale = numberOf(s.values[kSheetScale]);
  if (scale && std::fabs(*scale) < 1e9 && isSheetScale(static_cast<int>(*scale)) &&
      *scale == static_cast<int>(*scale))
    f.scale = static_cast<int>(*scale);
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
  return s;
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

Found findSheet(const SheetFields& f) {
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

// The fields saved, then the request; the draw itself by `draw`.
template <typename Draw>
SheetPress press(const SheetFields& f, const SaveSheetSettingsFn& save, Draw draw) {
  SheetPress run;
  if (save) run.settingsSave = save(settingsOf(f));
  const SheetRequest r = requestOf(f);
  if (!r.request) {
    run.refusal = r.refusal;
    return run;
  }
  draw(*r.request, run);
  // What the checks before could not see: more grid lines than a sheet may have.
  if (run.outcome.status == SheetOutcome::Status::Refused)
    run.refusal = refusalText(caption(settings::kSheetGrid), run.outcome.message);
  return run;
}

}  // namespace

SheetPress drawSheet(const SheetFields& f, const SaveSheetSettingsFn& save, const graticule::ConnectCadFn& connect,
                   const graticule::ProgressFn& progress) {
  return press(f, save, [&](const SheetDrawRequest& r, SheetPress& run) { run.outcome = DrawSheet(r, connect, progress); });
}

SheetPress saveSheetDxf(const SheetFields& f, const SaveSheetSettingsFn& save, const ChooseFileFn& choose,
                      const graticule::ProgressFn& progress) {
  return press(f, save, [&](const SheetDrawRequest& r, SheetPress& run) {
    const std::optional<std::string> path = choose(geodesy::FormatSheetNumber(r.frame.sheet) + ".dxf");
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
    run.outcome = DrawSheet(r, inProcess, progress);
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
