// The link to the drawing application veskar-cad on the session bus: find the running one or
// start it, make it visible, take its active drawing and bring its window to the front.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "cad/automation.h"

namespace veskar::cad {

class Cadbas {
 public:
  // Directory searched first for the veskar-cad executable (then PATH). Empty: the
  // application directory of the running program.
  explicit Cadbas(QString programDirectory = {});

  // Attaches to org.veskar.Cad when it has an owner, else starts veskar-cad and waits for the
  // name (10 s at most). Then Visible = true, CadDoc = ActiveDocument (left as it was when
  // there is no open drawing), Caption read and the window brought to the front; failures of
  // those steps are ignored. Returns false when neither attach nor start gave an application,
  // with the platform's description of the failure in `error`; CadApp and CadDoc then keep
  // what they held.
  bool ConnectCad(std::string& error);

  std::shared_ptr<CadApplication> CadApp;
  std::shared_ptr<CadDocument> CadDoc;
  // Why the application gave no active drawing at the last ConnectCad, in its own words.
  std::optional<CadError> documentError;

 private:
  QString programDirectory_;
};

}  // namespace veskar::cad
