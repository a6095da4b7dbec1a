// veskar-cli's backends on Linux: the drawing application veskar-cad on the session bus
// (--cad) and pictures painted by the drawing application's view (--png), both through Qt.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>

#include "cli.h"

#ifdef VESKAR_CLI_HAS_BUS
#include "cad/bus/cadbas.h"
#endif
#ifdef VESKAR_CLI_HAS_VIEW
#include "cad/view/render.h"
#endif

namespace veskar::cli {

std::shared_ptr<void> startToolkit(int argc, char** argv, bool picture) {
  static int qtArgc = argc;
  if (picture) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_shared<QGuiApplication>(qtArgc, argv);
  }
  return std::make_shared<QCoreApplication>(qtArgc, argv);
}

Backends backends() {
  Backends b;
#ifdef VESKAR_CLI_HAS_BUS
  b.cadHelp = "draw into the running drawing application veskar-cad\n(started if needed)";
  b.connectCad = [](graticule::CadLink& link, std::string& error) {
    static std::unique_ptr<cad::Cadbas> cadbas;
    cadbas = std::make_unique<cad::Cadbas>(QCoreApplication::applicationDirPath());
    const bool ok = cadbas->ConnectCad(error);
    link.CadApp = cadbas->CadApp;
    link.CadDoc = cadbas->CadDoc;
    link.documentError = cadbas->documentError;
    return ok;
  };
#endif
#ifdef VESKAR_CLI_HAS_VIEW
  b.writePng = [](const cad::DrawingData& data, const std::string& path, int width,
                  int height) -> std::optional<std::string> {
    QImageWriter writer(QString::fromStdString(path), "png");
    const QImage image = cad::renderToImage(data, QSize(width, height));
    if (image.isNull()) return "a picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels cannot be made";
    if (writer.write(image)) return std::nullopt;
    return writer.errorString().toStdString();
  };
#endif
  return b;
}

}  // namespace veskar::cli
