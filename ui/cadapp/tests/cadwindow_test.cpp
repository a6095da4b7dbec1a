// The drawing application's window: its title, the questions before anything unsaved is
// dropped, and the view fitting the first entities of a drawing.
#include <gtest/gtest.h>

#include <QStatusBar>
#include <QTest>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "cad/inprocess.h"
#include "cad/tests/readback.h"
#include "ui/cadapp/cadwindow.h"

namespace veskar::cadapp {
namespace {

using Answer = CadWindow::Answer;

using veskar::testing::expectCleanAudit;

veskar::testing::DxfReadback readBack(const QString& path) { return veskar::testing::readDxf(path.toStdString()); }

void addLine(cad::bus::CadSession& s) {
  s.active()->doc->ModelSpace()->AddLightWeightPolyline({500000, 3000000, 501000, 3002000});
  QCoreApplication::processEvents();  // the change is announced from the event loop
}

struct Fixture {
  cad::bus::CadSession session;
  CadWindow window{session};
  QStringList asked;
  QStringList errors;
  QString chosen;
  Answer answer = Answer::Cancel;

  Fixture() {
    session.newDocument();
    window.setAsker([this](const QString& name) {
      asked << name;
      return answer;
    });
    window.setFileChooser([this](const QString&) { return chosen; });
    window.setErrorReporter([this](const QString&, const QString& d) { errors << d; });
  }
};

TEST(CadWindow, TitleIsTheCaption) {
  Fixture f;
  EXPECT_EQ(f.window.windowTitle(), QStringLiteral("Drawing1.dxf - Veskar CAD"));
  QTemporaryDir dir;
  f.chosen = dir.filePath(QStringLiteral("plan.dxf"));
  addLine(f.session);
  ASSERT_TRUE(f.window.saveAs());
  expectCleanAudit(readBack(f.chosen));
  EXPECT_EQ(f.window.windowTitle(), QStringLiteral("plan.dxf - Veskar CAD"));
  ASSERT_TRUE(f.window.closeDrawing());
  EXPECT_EQ(f.window.windowTitle(), QStringLiteral("Veskar CAD"));
  EXPECT_TRUE(f.asked.isEmpty());
}

struct CloseCase {
  const char* name;
  bool changed;
  Answer answer;
  bool chooseFile;       // the file dialog gives a path (else it is cancelled)
  bool writable;         // that path can be written
  bool expectAsked;
  bool expectClosed;
  bool expectFile;
  int expectErrors;
};

TEST(CadWindow, ClosingAsksFirstWhenThereAreUnsavedEntities) {
  const CloseCase cases[] = {
      {"unchanged", false, Answer::Cancel, false, true, false, true, false, 0},
      {"cancel", true, Answer::Cancel, false, true, true, false, false, 0},
      {"discard", true, Answer::Discard, false, true, true, true, false, 0},
      {"save", true, Answer::Save, true, true, true, true, true, 0},
      {"save, file dialog cancelled", true, Answer::Save, false, true, true, false, false, 0},
      {"save fails", true, Answer::Save, true, false, true, false, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    QTemporaryDir dir;
    const QString path = c.writable ? dir.filePath(QStringLiteral("kept.dxf"))
                                    : dir.filePath(QStringLiteral("no/such/folder/kept.dxf"));
    if (c.chooseFile) f.chosen = path;
    f.answer = c.answer;
    if (c.changed) addLine(f.session);
    const bool closed = f.window.closeDrawing();
    EXPECT_EQ(closed, c.expectClosed);
    EXPECT_EQ(f.session.active() == nullptr, c.expectClosed);
    EXPECT_EQ(f.asked, c.expectAsked ? QStringList{QStringLiteral("Drawing1.dxf")} : QStringList{});
    EXPECT_EQ(QFileInfo::exists(path), c.expectFile);
    if (c.expectFile) {
      const veskar::testing::DxfReadback r = readBack(path);
      expectCleanAudit(r);
      EXPECT_EQ(r.entities.size(), 1u);
    }
    EXPECT_EQ(f.errors.size(), c.expectErrors);
  }
}

TEST(CadWindow, NewAsksAboutTheOpenDrawingAndThenReplacesIt) {
  Fixture f;
  addLine(f.session);
  f.answer = Answer::Cancel;
  EXPECT_FALSE(f.window.newDrawing());
  ASSERT_TRUE(f.session.activeDrawing());
  EXPECT_EQ(f.session.activeDrawing()->entities.size(), 1u);
  f.answer = Answer::Discard;
  EXPECT_TRUE(f.window.newDrawing());
  EXPECT_EQ(f.session.activeDrawing()->name, "Drawing2.dxf");
  EXPECT_TRUE(f.session.activeDrawing()->entities.empty());
  EXPECT_EQ(f.asked.size(), 2);
  EXPECT_EQ(f.window.windowTitle(), QStringLiteral("Drawing2.dxf - Veskar CAD"));
}

TEST(CadWindow, SavedDrawingClosesWithoutAskingUntilChangedAgain) {
  Fixture f;
  QTemporaryDir dir;
  f.chosen = dir.filePath(QStringLiteral("a.dxf"));
  addLine(f.session);
  ASSERT_TRUE(f.window.save());  // no file yet: Save asks where
  addLine(f.session);
  f.answer = Answer::Cancel;
  EXPECT_FALSE(f.window.closeDrawing());
  EXPECT_EQ(f.asked.size(), 1);
  const QString first = f.chosen;
  f.chosen.clear();               // Save now writes to a.dxf without the dialog
  ASSERT_TRUE(f.window.save());
  const veskar::testing::DxfReadback r = readBack(first);
  expectCleanAudit(r);
  EXPECT_EQ(r.entities.size(), 2u);
  EXPECT_TRUE(f.window.closeDrawing());
  EXPECT_EQ(f.asked.size(), 1);
}

TEST(CadWindow, ViewFitsOnceTheEntitiesStopArrivingAndKeepsTheUsersViewAfterwards) {
  Fixture f;
  f.window.resize(800, 600);
  f.window.show();
  QCoreApplication::processEvents();
  cad::CadView* v = f.window.view();
  EXPECT_EQ(v->scale(), 1.0);
  addLine(f.session);  // 1000 x 2000 m
  // While they arrive the view stands still and the status line counts them.
  EXPECT_TRUE(v->receiving());
  EXPECT_EQ(v->scale(), 1.0);
  EXPECT_EQ(f.window.statusBar()->currentMessage(), QStringLiteral("Receiving: 1 entities"));
  QTest::qWait(cad::CadView::kSettleMs + 200);  // then it fits, once
  EXPECT_FALSE(v->receiving());
  EXPECT_EQ(f.window.statusBar()->currentMessage(), QStringLiteral("1 entities"));
  const double fitted = v->scale();
  EXPECT_NEAR(fitted, v->height() * 0.94 / 2000.0, 1e-9);
  EXPECT_NEAR(v->center().x(), 500500, 1e-6);
  EXPECT_NEAR(v->center().y(), 3001000, 1e-6);
  v->zoomAt(2.0, QPointF(0, 0));
  f.session.active()->doc->ModelSpace()->AddLightWeightPolyline({0, 0, 1, 1});
  QCoreApplication::processEvents();
  v->settle();
  EXPECT_DOUBLE_EQ(v->scale(), 2 * fitted);  // not refitted: the user zoomed
  v->zoomExtents();
  EXPECT_LT(v->scale(), fitted);  // now (0, 0) is in the extents as well
}

TEST(CadWindow, EntitiesDrawnWhileHiddenAreFittedWhenTheWindowIsShown) {
  Fixture f;  // started for automation: hidden until Visible
  addLine(f.session);
  f.window.resize(800, 600);
  f.session.setVisible(true);
  QCoreApplication::processEvents();
  cad::CadView* v = f.window.view();
  EXPECT_NEAR(v->scale(), v->height() * 0.94 / 2000.0, 1e-9);
  EXPECT_NEAR(v->center().y(), 3001000, 1e-6);
}

TEST(CadView, ZoomKeepsThePointUnderTheCursor) {
  cad::CadView v;
  v.resize(400, 300);
  const QPointF cursor(100, 50);
  const QPointF before = v.worldToDevice().inverted().map(cursor);
  v.zoomAt(1.25, cursor);
  const QPointF after = v.worldToDevice().inverted().map(cursor);
  EXPECT_NEAR(after.x(), before.x(), 1e-9);
  EXPECT_NEAR(after.y(), before.y(), 1e-9);
  EXPECT_DOUBLE_EQ(v.scale(), 1.25);
}

}  // namespace
}  // namespace veskar::cadapp

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
