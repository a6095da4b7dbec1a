// veskar-screenshots DIR: shows the main window as on a first start (no vesk.ini), the about
// window over it, and the progress window of a long draw over it, and saves what the X server
// shows of each as DIR/form1.png, DIR/aboutfrm.png and DIR/progress.png; then the sheet window
// with a former number typed, as DIR/sheet.png, and on square sheets, as DIR/sheet-square.png.
// Run under Xvfb (tools/screenshots).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "ui/mainwindow/aboutfrm.h"
#include "ui/mainwindow/drawprogress.h"
#include "ui/mainwindow/form1.h"
#include "ui/mainwindow/platform.h"
#include "ui/mainwindow/sheetwindow.h"

namespace {

// Nothing leaves the screenshot session: no browser, no help viewer.
struct NoShell final : veskar::ui::Shell {
  void open(const QUrl&) override {}
  void showHelp(const QString&, const QString&) override {}
  bool start(const QString&, QString&) override { return false; }
};

bool shoot(QWidget& w, const QString& path) {
  if (!QTest::qWaitForWindowExposed(&w)) return false;
  QTest::qWait(400);  // let the X server draw everything
  const QPixmap shot = w.screen()->grabWindow(w.winId());
  if (shot.isNull() || !shot.save(path, "PNG")) return false;
  std::printf("%s: %dx%d\n", qPrintable(path), shot.width(), shot.height());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: veskar-screenshots DIR\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  std::printf("platform %s, logical dpi %.0f\n", qPrintable(QGuiApplication::platformName()),
              QGuiApplication::primaryScreen()->logicalDotsPerInch());
  QTemporaryDir appDir;  // no vesk.ini: the first start's defaults
  NoShell shell;
  veskar::ui::Form1Options options;
  options.appDir = appDir.path();
  options.shell = &shell;
  veskar::ui::Form1 form(options);
  form.show();
  form.activateWindow();
  if (!shoot(form, out.filePath(QStringLiteral("form1.png")))) return 1;

  veskar::ui::AboutForm about(&shell, &form);
  about.show();
  if (!shoot(about, out.filePath(QStringLiteral("aboutfrm.png")))) return 1;
  about.hide();

  // A 100 x 100 graticule part of the way.
  veskar::ui::DrawProgressWindow progress(&form);
  progress.setProgress({8192, 20200});
  progress.adjustSize();
  progress.move(form.geometry().center() - progress.rect().center());
  progress.show();
  if (!shoot(progress, out.filePath(QStringLiteral("progress.png")))) return 1;
  progress.hide();
  form.hide();

  // The sheet window: a former number typed, named, on Beijing 1954; the focus in 图名.
  veskar::ui::SheetWindowOptions sheetOptions;
  sheetOptions.appDir = appDir.path();
  sheetOptions.shell = &shell;
  veskar::ui::SheetWindow sheet(sheetOptions);
  sheet.show();
  sheet.activateWindow();
  if (!QTest::qWaitForWindowActive(&sheet)) return 1;
  QTest::keyClicks(sheet.findChild<QWidget*>(QStringLiteral("txtNumber")), QStringLiteral("J-50-5-(24)"));
  auto* title = sheet.findChild<QLineEdit*>(QStringLiteral("txtTitle"));
  title->setFocus();
  title->setText(QStringLiteral("北京东郊"));
  if (!shoot(sheet, out.filePath(QStringLiteral("sheet.png")))) return 1;

  // Then on square sheets: the 1:500 sheet holding a point, named, on CGCS2000; the focus in 图号.
  sheet.findChild<QComboBox*>(QStringLiteral("cboDivision"))->setCurrentIndex(1);
  auto* scale = sheet.findChild<QComboBox*>(QStringLiteral("cboSquareScale"));
  scale->setCurrentIndex(scale->findData(QStringLiteral("500")));
  sheet.findChild<QComboBox*>(QStringLiteral("cboSquareSystem"))->setCurrentIndex(0);
  title->setText(QStringLiteral("某小区"));
  sheet.findChild<QLineEdit*>(QStringLiteral("txtNorthing"))->setText(QStringLiteral("10260.3"));
  sheet.findChild<QLineEdit*>(QStringLiteral("txtEasting"))->setText(QStringLiteral("27790.1"));
  sheet.find();
  sheet.findChild<QWidget*>(QStringLiteral("txtSquareNumber"))->setFocus();
  if (!shoot(sheet, out.filePath(QStringLiteral("sheet-square.png")))) return 1;
  return 0;
}
