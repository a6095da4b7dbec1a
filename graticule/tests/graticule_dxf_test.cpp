// The worked example drawn into the in-process drawing and written as DXF, then read back by an
// independent reader (ezdxf): every coordinate within 1e-6 m of X and Y, every label right.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "cad/inprocess.h"
#include "geodesy/geodesy.h"
#include "graticule/draw_command.h"

namespace {

using veskar::graticule::DrawOutcome;

struct ReadBack {
  QStringList lines;
  QString error;
};

ReadBack readBack(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(VESKAR_DXF_ENTITIES), path});
  if (!p.waitForFinished(120000) || p.exitCode() != 0) {
    return {{}, QString::fromUtf8(p.readAllStandardError())};
  }
  return {QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts), {}};
}

// Draws the fields into a fresh in-process drawing and saves it as `path`.
DrawOutcome drawToFile(const std::array<QString, 7>& texts, int check, const QString& path) {
  veskar::graticule::DrawInputs in;
  in.texts = texts;
  in.check = check;
  std::shared_ptr<veskar::cad::CadDocument> doc;
  const DrawOutcome out = veskar::graticule::RunDrawCommand(
      in, {}, [&](veskar::graticule::CadLink& link, QString&) {
        link.CadApp = veskar::cad::makeInProcessApplication();
        link.CadDoc = doc = link.CadApp->ActiveDocument();
        return true;
      });
  if (doc) doc->SaveAs(path);
  return out;
}

TEST(WorkedExampleDxf, ReadBackByEzdxf) {
  for (int check : {1, 0}) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("worked.dxf"));
    const DrawOutcome out =
        drawToFile({"114", "5", "29.2", "10", "0.15", "0.1", "115.15"}, check, path);
    ASSERT_EQ(out.status, DrawOutcome::Status::Drawn) << out.message.toStdString();

    const ReadBack r = readBack(path);
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    ASSERT_EQ(r.lines.size(), 1 + 100 + 15);
    EXPECT_EQ(r.lines[0], QStringLiteral("AUDIT 0"));

    // The intersections in packed DMS, as the labels name them.
    const auto p = veskar::geodesy::LoadProjectionParameters(check == 1);
    const double lon[] = {114.0, 114.15, 114.30, 114.45, 115.0};
    const double lat[] = {29.2, 29.3, 29.4, 29.5, 30.0, 30.1, 30.2, 30.3, 30.4, 30.5};
    const QStringList lonText = {"114°00′", "114°15′", "114°30′", "114°45′", "115°00′"};
    const QStringList latText = {"29°20′", "29°30′", "29°40′", "29°50′", "30°00′",
                                 "30°10′", "30°20′", "30°30′", "30°40′", "30°50′"};
    const auto east = [&](int i, int j) { return veskar::geodesy::Y(lat[j], lon[i], 115.15, p); };
    const auto north = [&](int i, int j) { return veskar::geodesy::X(lat[j], lon[i], 115.15, p); };

    qsizetype line = 1;
    for (int j = 0; j < 10; ++j) {
      for (int i = 0; i < 5; ++i) {
        for (int which = 0; which < 2; ++which) {
          const QStringList f = r.lines[line++].split(u' ');
          ASSERT_EQ(f.size(), 13) << r.lines[line - 1].toStdString();
          EXPECT_EQ(f[0], QStringLiteral("TEXT"));
          EXPECT_EQ(f[1], QStringLiteral("1"));
          EXPECT_EQ(f[2], QStringLiteral("ksev"));
          EXPECT_EQ(f[3].toDouble(), 1000.0);
          EXPECT_EQ(f[4].toDouble(), 0.7);
          EXPECT_NEAR(f[5].toDouble(), which == 0 ? 90.0 : 0.0, 1e-9);
          EXPECT_EQ(f[6], QStringLiteral("0"));  // left
          EXPECT_EQ(f[7], QStringLiteral("1"));  // bottom
          for (int k : {8, 10}) {
            EXPECT_NEAR(f[k].toDouble(), east(i, j), 1e-6) << i << "," << j;
            EXPECT_NEAR(f[k + 1].toDouble(), north(i, j), 1e-6) << i << "," << j;
          }
          EXPECT_EQ(f[12], which == 0 ? lonText[i] : latText[j]);
        }
      }
      const QStringList f = r.lines[line++].split(u' ');
      ASSERT_EQ(f.size(), 2 + 10) << "parallel " << j;
      EXPECT_EQ(f[0], QStringLiteral("LWPOLYLINE"));
      EXPECT_EQ(f[1], QStringLiteral("6"));
      for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(f[2 + 2 * i].toDouble(), east(i, j), 1e-6);
        EXPECT_NEAR(f[3 + 2 * i].toDouble(), north(i, j), 1e-6);
      }
    }
    for (int i = 0; i < 5; ++i) {
      const QStringList f = r.lines[line++].split(u' ');
      ASSERT_EQ(f.size(), 2 + 20) << "meridian " << i;
      EXPECT_EQ(f[0], QStringLiteral("LWPOLYLINE"));
      EXPECT_EQ(f[1], QStringLiteral("1"));
      for (int j = 0; j < 10; ++j) {
        EXPECT_NEAR(f[2 + 2 * j].toDouble(), east(i, j), 1e-6);
        EXPECT_NEAR(f[3 + 2 * j].toDouble(), north(i, j), 1e-6);
      }
    }
  }
}

// A single meridian: its labels are in the file, and no polyline at all (the parallels would
// have one vertex; the meridian is there, with three).
TEST(SmallCountsDxf, OneMeridianGivesLabelsAndOneLine) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("one.dxf"));
  const DrawOutcome out = drawToFile({"114", "1", "29.2", "3", "0.15", "0.1", "115.15"}, 1, path);
  ASSERT_EQ(out.status, DrawOutcome::Status::Drawn);
  const ReadBack r = readBack(path);
  ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
  QStringList kinds;
  for (const QString& l : r.lines.mid(1)) kinds << l.section(u' ', 0, 0) + (l.startsWith(u'L') ? QString::number(l.count(u' ') / 2) : QString());
  EXPECT_EQ(kinds, (QStringList{"TEXT", "TEXT", "TEXT", "TEXT", "TEXT", "TEXT", "LWPOLYLINE3"}));
}

}  // namespace
