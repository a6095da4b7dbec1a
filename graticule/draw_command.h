// The Draw command: from the window's seven field texts and check box value to a graticule in
// the CAD application's drawing.
#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

#include "cad/automation.h"
#include "graticule/graticule.h"
#include "settings/settings.h"

namespace veskar::graticule {

// The leading number of a field: optional blanks, sign, digits with "." as the decimal point
// whatever the locale, optional exponent; 0 when the text does not begin with a number.
double leadingNumber(const QString& text);

// The link to the CAD application that ConnectCad fills: CadApp and CadDoc.
struct CadLink {
  std::shared_ptr<cad::CadApplication> CadApp;
  std::shared_ptr<cad::CadDocument> CadDoc;  // the active drawing at attach time (may be null)
};

// Attaches to or starts the CAD application, fills `link`. On failure returns false and puts
// the platform's description into `error`.
using ConnectCadFn = std::function<bool(CadLink& link, QString& error)>;

// Saves the settings record (step 1 of every press).
using SaveSettingsFn = std::function<settings::SaveResult(const settings::SettingsRecord&)>;

struct DrawInputs {
  std::array<QString, 7> texts;  // Text1 .. Text7
  int check = 1;                 // Check1: 0, 1, 2
};

struct DrawOutcome {
  enum class Status {
    Drawn,              // the whole graticule is in the drawing
    Refused,            // an input was refused before anything was sent to the CAD side
    ConnectFailed,      // ConnectCad failed; `message` is the platform's description
    FailedAfterAttach,  // a CAD operation failed; `message` is its description
  };
  Status status = Status::Drawn;
  QString message;             // refusal (names the field) or the error's description
  QString failedStep;          // what was being done when it failed (FailedAfterAttach)
  std::size_t entitiesAdded = 0;
  std::size_t meridians = 0, parallels = 0, labels = 0, polylines = 0;
  QString skipped;             // what was not drawn and why ("" when nothing)
  settings::SaveResult settingsSave;  // step 1's outcome
};

DrawOutcome RunDrawCommand(const DrawInputs& in, const SaveSettingsFn& save,
                           const ConnectCadFn& connect,
                           const std::function<void(const EmissionProgress&)>& progress = {});

}  // namespace veskar::graticule
