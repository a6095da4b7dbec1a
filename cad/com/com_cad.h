// The CAD program on Windows - AutoCAD, or a program compatible with its automation - behind
// the automation surface, through COM: ConnectCad attaches to the running instance registered
// under the ProgID, or starts one, makes it visible, takes its active drawing and brings its
// window to the front.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include <windows.h>
// After windows.h:
#include <oaidl.h>

#include "cad/automation.h"
#include "graticule/draw_command.h"

namespace veskar::cad::com {

// Tried in this order when no ProgID is named: AutoCAD, then - only when AutoCAD is not
// registered at all - the compatible programs.
inline constexpr std::array<const char*, 4> kProgIds = {
    "AutoCAD.Application", "ZWCAD.Application", "GCAD.Application", "BricscadApp.AcadApplication"};

class ComCadbas {
 public:
  // `progId` names the one program to use; empty: the list above.
  explicit ComCadbas(std::string progId = {});
  ~ComCadbas();
  ComCadbas(const ComCadbas&) = delete;
  ComCadbas& operator=(const ComCadbas&) = delete;

  // Attaches or starts; then Visible = true, CadDoc = ActiveDocument (left as it was when
  // there is no open drawing, the program's words for that kept in documentError), Caption
  // read and that window brought to the front; failures of those steps are ignored. Returns
  // false when neither attach nor start gave an application, with the platform's description
  // of the failure in `error`; CadApp and CadDoc then keep what they held.
  bool ConnectCad(std::string& error);

  std::shared_ptr<CadApplication> CadApp;
  std::shared_ptr<CadDocument> CadDoc;
  std::optional<CadError> documentError;
  std::string progId;  // the program attached to or started

 private:
  std::string chooseProgId(CLSID& clsid, std::string& error) const;
  IDispatch* attachOrStart(const CLSID& clsid, const std::string& chosen, std::string& error);

  std::string named_;
  IDispatch* started_ = nullptr;  // the program this link started last, while it lives
  std::string startedProgId_;
};

// The Draw command's ConnectCadFn over COM, keeping its ComCadbas from press to press.
graticule::ConnectCadFn connectCadFn(std::string progId = {});

}  // namespace veskar::cad::com
