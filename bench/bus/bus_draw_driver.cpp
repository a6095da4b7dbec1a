// What `veskar-cli draw --cad` does, as a program of its own for the benchmark: read the seven
// field texts from the command line (Text1 .. Text7), ConnectCad over the session bus, run the
// Draw command into the drawing application's active drawing, exit. Prints the entity count.
#include <QCoreApplication>
#include <cstdio>

#include "cad/bus/cadbas.h"
#include "graticule/draw_command.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 8) {
    std::fprintf(stderr, "usage: bus_draw_driver TEXT1 .. TEXT7\n");
    return 2;
  }
  veskar::graticule::DrawInputs in;
  for (int i = 0; i < 7; ++i) in.texts[std::size_t(i)] = args[i + 1].toStdString();
  in.check = 1;
  veskar::cad::Cadbas cadbas;
  const auto out = veskar::graticule::RunDrawCommand(
      in, [](const veskar::settings::SettingsRecord&) { return veskar::settings::SaveResult{}; },
      [&](veskar::graticule::CadLink& link, std::string& error) {
        if (!cadbas.ConnectCad(error)) return false;
        link.CadApp = cadbas.CadApp;
        link.CadDoc = cadbas.CadDoc;
        return true;
      });
  if (out.status != veskar::graticule::DrawOutcome::Status::Drawn) {
    std::fprintf(stderr, "bus_draw_driver: %s\n", out.message.c_str());
    return 1;
  }
  std::printf("%zu\n", out.entitiesAdded);
  return 0;
}
