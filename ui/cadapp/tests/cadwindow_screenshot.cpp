// veskar-cad's window on a real X server (Xvfb): the worked example drawn into its drawing,
// the window mapped, and the screen's pixels read back. Writes the picture to the file named
// by the first argument, if any.
#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "cad/inprocess.h"
#include "graticule/draw_command.h"
#include "ui/cadapp/cadwindow.h"

namespace {

int fail(const char* what) {
  std::fprintf(stderr, "cadwindow_screenshot: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return fail("needs an X server (run under xvfb-run)");

  veskar::cad::bus::CadSession session;
  session.newDocument();
  veskar::cadapp::CadWindow window(session);
  window.resize(900, 700);
  session.setVisible(true);
  if (!QTest::qWaitForWindowExposed(&window, 5000)) return fail("the window was not shown");

  // The Draw command's worked example, through the session's own drawing.
  veskar::graticule::DrawInputs in;
  in.texts = {"114", "5", "29.2", "10", "0.15", "0.1", "115.15"};
  auto doc = session.active()->doc;
  struct Front : veskar::cad::CadApplication {
    std::shared_ptr<veskar::cad::CadDocument> d;
    veskar::cad::Variant Get(const std::string&) override { return {}; }
    void Put(const std::string&, const veskar::cad::Variant&) override {}
    std::shared_ptr<veskar::cad::CadDocument> ActiveDocument() override { return d; }
    void Activate() override {}
    void Flush() override {}
    std::size_t EntitiesAdded() const override { return 0; }
  };
  auto front = std::make_shared<Front>();
  front->d = doc;
  const auto out = veskar::graticule::RunDrawCommand(
      in, [](const veskar::settings::SettingsRecord&) { return veskar::settings::SaveResult{}; },
      [&](veskar::graticule::CadLink& link, std::string&) {
        link.CadApp = front;
        link.CadDoc = doc;
        return true;
      });
  if (out.status != veskar::graticule::DrawOutcome::Status::Drawn) return fail("the worked example was not drawn");
  QTest::qWait(600);  // the view fits and repaints from the event loop

  const QImage shot = window.screen()->grabWindow(window.winId()).toImage();
  if (argc > 1) shot.save(QString::fromLocal8Bit(argv[1]));
  if (window.windowTitle() != QStringLiteral("Drawing1.dxf - Veskar CAD")) return fail("wrong title");
  if (shot.width() < 800 || shot.height() < 600) return fail("the picture is smaller than the window");
  int magenta = 0, red = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      const QRgb c = shot.pixel(x, y);
      if (qRed(c) > 200 && qGreen(c) < 200 && qBlue(c) > 200) ++magenta;
      if (qRed(c) > 150 && qGreen(c) < 150 && qBlue(c) < 150) ++red;
    }
  }
  std::printf("window %dx%d, magenta %d px, red %d px\n", shot.width(), shot.height(), magenta, red);
  if (magenta < 10 * 200) return fail("the parallels are not on the screen");
  if (red < 5 * 400) return fail("the meridians and labels are not on the screen");
  return 0;
}
