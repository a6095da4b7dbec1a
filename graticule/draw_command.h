// The Draw command: from the window's seven field texts and check box value to a graticule in
// the CAD application's drawing.
//
// One press, in order: save the inputs; choose the parameter set (Check1 == 1: Beijing 1954);
// read and convert the fields; build and project the positions; connect; bring the CAD
// application to the front; create the text style "ksev"; draw. Inputs that would hang or
// exhaust the machine are refused before connecting, with a message naming the field; nothing
// reaches the CAD side then, but the settings are saved all the same.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cad/automation.h"
#include "graticule/graticule.h"
#include "settings/settings.h"

namespace veskar::graticule {

// The leading number of a field, blanks skipped wherever they stand: sign, digits with "." as the decimal point
// whatever the locale, optional exponent; 0 when the text does not begin with a number.
// "5a" reads 5, "abc" 0, "1e999" infinity.
double leadingNumber(const std::string& text);

// The most intersections a graticule may have (500 x 500).
inline constexpr std::size_t kMaxIntersections = 250000;

// The link to the CAD application that ConnectCad fills: CadApp and CadDoc.
struct CadLink {
  std::shared_ptr<cad::CadApplication> CadApp;
  std::shared_ptr<cad::CadDocument> CadDoc;  // the active drawing at attach time (may be null)
  // Why the application gave no active drawing at attach time, in its own words.
  std::optional<cad::CadError> documentError;
};

// Attaches to or starts the CAD application, fills `link`. On failure returns false and puts
// the platform's description into `error`.
using ConnectCadFn = std::function<bool(CadLink& link, std::string& error)>;

// Saves the settings record (step 1 of every press).
using SaveSettingsFn = std::function<settings::SaveResult(const settings::SettingsRecord&)>;

struct DrawInputs {
  std::array<std::string, 7> texts;  // Text1 .. Text7, UTF-8
  int check = 1;                 // Check1: 0, 1, 2
  // The command line's choices beyond the window's: a coordinate system other than Check1's,
  // and how a map sheet's frame is drawn.
  std::optional<geodesy::CoordinateSystem> system;
  DrawStyle style;
};

struct DrawOutcome {
  enum class Status {
    Drawn,              // the whole graticule is in the drawing
    Refused,            // an input was refused before anything was sent to the CAD side
    ConnectFailed,      // ConnectCad failed; `message` is the platform's description
    FailedAfterAttach,  // a CAD operation failed; `message` is its description
  };
  Status status = Status::Drawn;
  std::string message;         // refusal (names the field) or the error's description
  // The fields a refusal is about (0 = Text1 .. 6 = Text7), -1 when none.
  int field = -1, otherField = -1;
  std::string failedStep;      // what was being done when it failed (FailedAfterAttach)
  std::size_t entitiesAdded = 0;  // entities the CAD side confirmed, also after a failure
  // What the graticule holds (also when refused after the counts were read): lines of each
  // direction, labels and polylines it draws.
  std::size_t meridians = 0, parallels = 0, labels = 0, polylines = 0;
  bool titled = false;         // a title text above the north edge
  PlaneBox extents;            // around the intersections, metres
  std::string skipped;         // what was not drawn and why ("" when nothing)
  settings::SaveResult settingsSave;  // step 1's outcome
  // Which parameter set was used.
  bool beijing54 = true;
  geodesy::CoordinateSystem system = geodesy::CoordinateSystem::Beijing54;
};

DrawOutcome RunDrawCommand(const DrawInputs& in, const SaveSettingsFn& save,
                           const ConnectCadFn& connect, const ProgressFn& progress = {});

// What every drawing does once connected, in order: bring the CAD application to the front,
// create the text style "ksev" with its two font files, draw (`drawStep` names this step),
// flush. A failure ends it there and what was drawn stays.
struct CadRun {
  bool ok = true;
  std::string message;     // the failure's description
  std::string failedStep;  // the step that failed
  std::size_t entitiesAdded = 0;  // entities the CAD side confirmed, also after a failure
};
using DrawFn = std::function<void(cad::CadApplication& app, cad::CadDocument& doc)>;
CadRun RunOnCad(const CadLink& link, const std::string& drawStep, const DrawFn& draw);

}  // namespace veskar::graticule
