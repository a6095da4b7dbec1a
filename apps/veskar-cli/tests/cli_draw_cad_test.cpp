// veskar-cli draw --cad: the graticule drawn into the running drawing application veskar-cad
// over the session bus. Runs on a session bus of its own (dbus-run-session).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "cad/bus/cadbas.h"

namespace {

struct CliRun {
  int status;
  QString out;
  QString err;
};

CliRun cli(const QStringList& args) {
  QProcess p;
  p.start(VESKAR_CLI, QStringList{"draw"} + args);
  EXPECT_TRUE(p.waitForFinished(60000));
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QStringList entityLines(const QString& path) {
  QProcess p;
  p.start("/usr/bin/python3", {VESKAR_DXF_ENTITIES, path});
  EXPECT_TRUE(p.waitForFinished(60000));
  return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// Two runs draw two graticules into the same drawing of the one application the first run
// started; the drawing, saved by the application, holds the same entities as -o writes.
TEST(CliDrawCad, DrawsIntoTheRunningApplication) {
  const QStringList worked = {"--start-longitude", "114", "--meridians", "5", "--start-latitude", "29.2",
                              "--parallels", "10", "--latitude-spacing", "0.1"};
  CliRun r = cli(worked + QStringList{"--cad"});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.startsWith("drew 10 parallels, 5 meridians and 100 labels (Beijing 1954) into the drawing application"))
      << r.out.toStdString();

  QTemporaryDir dir;
  const QString direct = dir.filePath("direct.dxf");
  ASSERT_EQ(cli(worked + QStringList{"-o", direct}).status, 0);

  veskar::cad::Cadbas cadbas(QFileInfo(VESKAR_CLI).absolutePath());
  QString error;
  ASSERT_TRUE(cadbas.ConnectCad(error)) << error.toStdString();
  auto doc = cadbas.CadApp->ActiveDocument();
  EXPECT_EQ(doc->ModelSpace()->Get("Count").toInt(), 115);
  const QString viaApp = dir.filePath("via-app.dxf");
  doc->SaveAs(viaApp);
  EXPECT_EQ(entityLines(viaApp), entityLines(direct));

  r = cli(worked + QStringList{"--cad"});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_EQ(cadbas.CadApp->ActiveDocument()->ModelSpace()->Get("Count").toInt(), 230);
}

TEST(CliDrawCad, RefusedInputSendsNothing) {
  veskar::cad::Cadbas cadbas(QFileInfo(VESKAR_CLI).absolutePath());
  QString error;
  ASSERT_TRUE(cadbas.ConnectCad(error)) << error.toStdString();
  const int before = cadbas.CadApp->ActiveDocument()->ModelSpace()->Get("Count").toInt();
  const CliRun r = cli({"--meridians", "1e999", "--cad"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.contains("(--meridians)")) << r.err.toStdString();
  EXPECT_EQ(cadbas.CadApp->ActiveDocument()->ModelSpace()->Get("Count").toInt(), before);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
