#include "ui/mainwindow/cadlink.h"

#include <memory>

#ifdef VESKAR_HAVE_BUS
#include "cad/bus/cadbas.h"
#endif

namespace veskar::ui {

graticule::ConnectCadFn busConnection(const QString& cadProgramDir) {
#ifdef VESKAR_HAVE_BUS
  // Shared by every copy of the function: made at the first press.
  const auto held = std::make_shared<std::unique_ptr<cad::Cadbas>>();
  return [held, cadProgramDir](graticule::CadLink& link, std::string& error) {
    std::unique_ptr<cad::Cadbas>& cadbas = *held;
    if (!cadbas) cadbas = std::make_unique<cad::Cadbas>(cadProgramDir);
    const bool ok = cadbas->ConnectCad(error);
    link.CadApp = cadbas->CadApp;
    link.CadDoc = cadbas->CadDoc;
    link.documentError = cadbas->documentError;
    return ok;
  };
#else
  (void)cadProgramDir;
  return [](graticule::CadLink&, std::string& error) {
    error = "本程序构建时未包含与绘图程序 veskar-cad 的连接。";
    return false;
  };
#endif
}

}  // namespace veskar::ui
