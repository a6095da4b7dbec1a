#include "graticule/draw_command.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <string>

#include "settings/decimal_text.h"
#include "settings/fields.h"

namespace veskar::graticule {

namespace {

using namespace settings;  // the fields and their names

std::string label(int field) { return kFields[static_cast<std::size_t>(field)].label; }

std::string number(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

// A refusal before anything reaches the CAD side.
struct Refusal {
  std::string message;
  int field = -1, otherField = -1;
};

// Whether a packed-DMS angle goes through the projection's 16-bit degree field.
bool fitsDegreeField(double packed) {
  try {
    geodesy::D_R(packed);
    return true;
  } catch (const geodesy::GeodesyError&) {
    return false;
  }
}

Refusal nonFinite(int field, const std::string& text) {
  return {label(field) + "：“" + text + "”读出的数值不是有限数。", field};
}

Refusal overflow(int field, double degrees) {
  return {label(field) + "：" + number(std::trunc(degrees)) +
              " 度超出了角度换算的 16 位度数范围（最多 32767 度）。",
          field};
}

// Every position of one direction must be finite and fit the degree field; the start field is
// named when the first line already fails, else the spacing.
std::optional<Refusal> checkPositions(const std::vector<double>& positions, int startField,
                                      int spacingField) {
  for (std::size_t k = 0; k < positions.size(); ++k) {
    const double v = positions[k];
    const int field = k == 0 ? startField : spacingField;
    if (!std::isfinite(v)) {
      return Refusal{label(field) + "：第 " + std::to_string(k + 1) + " 根线的位置超出了数值范围。",
                     field};
    }
    if (!fitsDegreeField(geodesy::Degdms(v))) return overflow(field, v);
  }
  return std::nullopt;
}

struct Converted {
  GraticuleParameters g;
  std::vector<double> longitudes, latitudes;
  GraticuleGrid grid;
};

// Steps 3 and 4: read, convert, build and project, or the reason for refusing.
std::optional<Refusal> prepare(const DrawInputs& in, const geodesy::ProjectionParameters& p,
                               Converted& c) {
  std::array<double, 7> value{};
  for (int f = 0; f < 7; ++f) {
    value[static_cast<std::size_t>(f)] = leadingNumber(in.texts[static_cast<std::size_t>(f)]);
    if (!std::isfinite(value[static_cast<std::size_t>(f)])) {
      return nonFinite(f, in.texts[static_cast<std::size_t>(f)]);
    }
  }
  std::array<double, 6> degrees{};
  for (int f = 0; f < 6; ++f) {
    try {
      degrees[static_cast<std::size_t>(f)] = geodesy::DmsDeg(value[static_cast<std::size_t>(f)]);
    } catch (const geodesy::GeodesyError&) {
      return nonFinite(f, in.texts[static_cast<std::size_t>(f)]);
    }
  }
  GraticuleParameters& g = c.g;
  g.startLongitude = degrees[kStartLongitude];
  g.meridianCount = degrees[kMeridians];
  g.startLatitude = degrees[kStartLatitude];
  g.parallelCount = degrees[kParallels];
  g.longitudeSpacing = degrees[kLongitudeSpacing];
  g.latitudeSpacing = degrees[kLatitudeSpacing];
  g.centralMeridian = value[kCentralMeridian];
  g.useBeijing54 = in.check == 1;

  if (!fitsDegreeField(g.centralMeridian)) {
    return overflow(kCentralMeridian, g.centralMeridian);
  }
  const std::size_t M = lineCount(g.meridianCount), N = lineCount(g.parallelCount);
  for (const auto& [count, field] : {std::pair{M, int(kMeridians)}, std::pair{N, int(kParallels)}}) {
    if (count > kMaxIntersections) {
      return Refusal{label(field) + "：" + number(static_cast<double>(count)) + " 根太多；一个经纬网最多 " +
                         std::to_string(kMaxIntersections) + " 个交点（500 × 500）。",
                     field};
    }
  }
  if (M * N > kMaxIntersections) {
    return Refusal{label(kMeridians) + " × " + label(kParallels) + "：" + std::to_string(M) + " × " +
                       std::to_string(N) + " = " + std::to_string(M * N) + " 个交点，超出了上限 " +
                       std::to_string(kMaxIntersections) + "（500 × 500）。",
                   kMeridians, kParallels};
  }
  c.longitudes = meridianLongitudes(g);
  c.latitudes = parallelLatitudes(g);
  if (auto r = checkPositions(c.longitudes, kStartLongitude, kLongitudeSpacing)) return r;
  if (auto r = checkPositions(c.latitudes, kStartLatitude, kLatitudeSpacing)) return r;
  try {
    c.grid = projectGraticule(g, p, c.longitudes, c.latitudes, in.style);
  } catch (const geodesy::GeodesyError& e) {
    return Refusal{std::string("经纬网无法投影：") + e.what()};
  }
  return std::nullopt;
}

std::string skippedLines(std::size_t M, std::size_t N) {
  std::string out;
  const auto add = [&out](const std::string& part) { out += (out.empty() ? "" : " ") + part; };
  if (M == 0) add(label(kMeridians) + "小于 1：没有经线，不绘制任何线和注记。");
  if (N == 0) add(label(kParallels) + "小于 1：没有纬线，不绘制任何线和注记。");
  if (M == 1 && N > 0) add("只有一根经线：纬线只有一个顶点，不绘制纬线。");
  if (N == 1 && M > 0) add("只有一根纬线：经线只有一个顶点，不绘制经线。");
  return out;
}

// Step 1: the inputs are saved exactly as they stand, whatever happens later.
void saveInputs(const DrawInputs& in, const SaveSettingsFn& save, DrawOutcome& out) {
  settings::SettingsRecord record;
  record.texts = in.texts;
  record.boxState = in.check;
  if (save) out.settingsSave = save(record);
}

// Step 2: Beijing 1954 exactly when the box is ticked (unless a system is named).
geodesy::ProjectionParameters chooseSystem(const DrawInputs& in, DrawOutcome& out) {
  out.system = in.system.value_or(in.check == 1 ? geodesy::CoordinateSystem::Beijing54
                                                : geodesy::CoordinateSystem::IAG75);
  out.beijing54 = out.system == geodesy::CoordinateSystem::Beijing54;
  return geodesy::LoadProjectionParameters(out.system);
}

void refuse(const Refusal& r, DrawOutcome& out) {
  out.status = DrawOutcome::Status::Refused;
  out.message = r.message;
  out.field = r.field;
  out.otherField = r.otherField;
}

// What the graticule holds and what of it is not drawn.
void describe(const GraticuleGrid& grid, DrawOutcome& out) {
  out.meridians = grid.meridians;
  out.parallels = grid.parallels;
  out.labels = grid.labelCount();
  out.polylines = grid.parallelPolylines() + grid.meridianPolylines();
  out.titled = !grid.title.empty();
  out.extents = grid.box();
  out.skipped = skippedLines(out.meridians, out.parallels);
}

// Steps 6 to 8; any failure ends the command, what was drawn stays.
void draw(const CadLink& link, const GraticuleGrid& grid, const ProgressFn& progress, DrawOutcome& out) {
  const CadRun run = RunOnCad(link, "绘制经纬网",
                              [&](cad::CadApplication& app, cad::CadDocument&) { emitGraticule(app, grid, progress); });
  if (!run.ok) {
    out.status = DrawOutcome::Status::FailedAfterAttach;
    out.message = run.message;
    out.failedStep = run.failedStep;
  }
  out.entitiesAdded = run.entitiesAdded;
}

}  // namespace

double leadingNumber(const std::string& text) {
  // Blanks are skipped wherever they stand, as the classic BASIC reading of a field does:
  // "1 000.5" reads 1000.5, "- 5" reads -5.
  std::string packed;
  packed.reserve(text.size());
  for (const char c : text)
    if (c != ' ' && c != '\t' && c != '\n') packed += c;
  const settings::DecimalScan s = settings::scanDecimal(packed);
  return s.found ? s.value : 0.0;
}

CadRun RunOnCad(const CadLink& link, const std::string& drawStep, const DrawFn& draw) {
  CadRun run;
  std::string stepName;
  try {
    cad::CadApplication& app = *link.CadApp;
    stepName = "激活绘图程序窗口";
    app.Activate();
    stepName = "创建文字样式 ksev";
    if (!link.CadDoc) {
      if (link.documentError) throw *link.documentError;
      throw cad::CadError(cad::errc::NoDocument, "绘图程序没有打开的图形。");
    }
    std::shared_ptr<cad::CadTextStyle> style = link.CadDoc->TextStyles()->Add("ksev");
    style->Put("fontFile", std::string("fsdb_e.shx"));
    style->Put("BigFontFile", std::string("fsdb.shx"));
    stepName = drawStep;
    draw(app, *link.CadDoc);
    stepName = "完成绘制";
    app.Flush();
  } catch (const cad::CadError& e) {
    run = {false, e.description(), stepName};
  } catch (const std::exception& e) {
    run = {false, e.what(), stepName};
  }
  run.entitiesAdded = link.CadApp->EntitiesAdded();
  return run;
}

DrawOutcome RunDrawCommand(const DrawInputs& in, const SaveSettingsFn& save,
                           const ConnectCadFn& connect, const ProgressFn& progress) {
  DrawOutcome out;
  saveInputs(in, save, out);
  const geodesy::ProjectionParameters p = chooseSystem(in, out);

  // 3, 4. Read, convert, build the positions and project them; refuse what cannot be drawn.
  Converted c;
  if (std::optional<Refusal> r = prepare(in, p, c)) {
    refuse(*r, out);
    return out;
  }
  describe(c.grid, out);

  // 5. Attach or start.
  CadLink link;
  std::string error;
  if (!connect || !connect(link, error) || !link.CadApp) {
    out.status = DrawOutcome::Status::ConnectFailed;
    out.message = error;
    return out;
  }
  draw(link, c.grid, progress, out);
  return out;
}

}  // namespace veskar::graticule
