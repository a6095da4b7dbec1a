// veskar-cli draw as a user runs it: a process, its files, its output and exit status.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

struct CliRun {
  int status;
  QString out;
  QString err;
};

CliRun cli(const QStringList& args, const QString& workDir = QString()) {
  QProcess p;
  auto env = QProcessEnvironment::systemEnvironment();
  env.insert("LC_ALL", "C.UTF-8");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
  p.start(VESKAR_CLI, QStringList{"draw"} + args);
  EXPECT_TRUE(p.waitForFinished(60000));
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// The entity kinds of a DXF file in order, as ezdxf reads them ("TEXT", "LWPOLYLINE 5" with
// its vertex count), after the audit line.
QStringList entityKinds(const QString& path) {
  QProcess p;
  p.start("/usr/bin/python3", {VESKAR_DXF_ENTITIES, path});
  EXPECT_TRUE(p.waitForFinished(60000));
  QStringList kinds;
  for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
    const QStringList f = line.split(' ');
    if (f[0] == "LWPOLYLINE") kinds << QString("LWPOLYLINE %1").arg((f.size() - 2) / 2);
    else if (f[0] == "TEXT") kinds << "TEXT " + f.last();
    else kinds << line;
  }
  return kinds;
}

TEST(CliDraw, TheWindowsFirstStartValuesByDefault) {
  QTemporaryDir dir;
  const QString path = dir.filePath("default.dxf");
  const CliRun r = cli({"-o", path});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_EQ(r.err, "");
  // 114°00′, 3 meridians 15′ apart; 29°00′, 5 parallels 10′ apart; about 115°15′.
  EXPECT_EQ(r.out, "drew 5 parallels, 3 meridians and 30 labels (Beijing 1954) into " + path +
                       "; intersections from E 378194.158 N 3209558.289 to E 427392.387 N "
                       "3283875.322 m\n");
  const QStringList kinds = entityKinds(path);
  ASSERT_EQ(kinds.size(), 1 + 30 + 8);
  EXPECT_EQ(kinds[0], "AUDIT 0");
  EXPECT_EQ(kinds.mid(1, 7), (QStringList{"TEXT 114°00′", "TEXT 29°00′", "TEXT 114°15′", "TEXT 29°00′",
                                          "TEXT 114°30′", "TEXT 29°00′", "LWPOLYLINE 3"}));
  EXPECT_EQ(kinds.last(), "LWPOLYLINE 5");
  // vesk.ini is neither read nor written: not beside the program, not in the working directory.
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("vesk.ini")));
}

TEST(CliDraw, WorkedExampleWithIag75) {
  QTemporaryDir dir;
  const QString path = dir.filePath("worked.dxf");
  const CliRun r = cli({"--start-longitude", "114", "--meridians=5", "--start-latitude", "29.2",
                        "--parallels", "10", "--longitude-spacing", "0.15", "--latitude-spacing",
                        "0.1", "--central-meridian", "115.15", "--iag75", "-o", path});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.startsWith("drew 10 parallels, 5 meridians and 100 labels (IAG 1975) into "));
  const QStringList kinds = entityKinds(path);
  EXPECT_EQ(kinds.size(), 1 + 100 + 15);
  EXPECT_EQ(kinds[2], "TEXT 29°20′");
  // The last text, before the last parallel and the five meridians.
  EXPECT_EQ(kinds[kinds.size() - 7], QString("TEXT 30°50′"));
}

// Refused input: the Draw command's message with the option named, exit status 1, no file.
TEST(CliDraw, RefusedInputWritesNoFile) {
  const struct {
    QStringList args;
    QString errHas;
  } cases[] = {
      {{"--meridians", "1e999"}, "经线根数：“1e999”读出的数值不是有限数。 (--meridians)"},
      {{"--central-meridian", "nan"}, ""},  // "nan" is not a number: reads 0, drawn
      {{"--meridians", "501", "--parallels", "500"},
       "经线根数 × 纬线根数：501 × 500 = 250500 个交点，超出了上限 250000（500 × 500）。 (--meridians, --parallels)"},
      {{"--start-latitude", "40000"}, "起始纬度：40000 度超出了角度换算的 16 位度数范围（最多 32767 度）。 (--start-latitude)"},
      {{"--longitude-spacing", "1e300"}, "(--longitude-spacing)"},
  };
  for (const auto& c : cases) {
    QTemporaryDir dir;
    const QString path = dir.filePath("refused.dxf");
    const CliRun r = cli(c.args + QStringList{"-o", path});
    if (c.errHas.isEmpty()) {
      EXPECT_EQ(r.status, 0) << c.args.join(' ').toStdString() << r.err.toStdString();
      continue;
    }
    EXPECT_EQ(r.status, 1) << c.args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains(c.errHas)) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith("veskar-cli draw: nothing drawn, no file written\n")) << r.err.toStdString();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
  }
}

TEST(CliDraw, SkippedLinesAreSaid) {
  QTemporaryDir dir;
  const QString path = dir.filePath("one.dxf");
  CliRun r = cli({"--meridians", "1", "--parallels", "4", "-o", path});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "veskar-cli draw: 只有一根经线：纬线只有一个顶点，不绘制纬线。\n");
  EXPECT_TRUE(r.out.startsWith("drew 0 parallels, 1 meridian and 8 labels (Beijing 1954)")) << r.out.toStdString();
  EXPECT_EQ(entityKinds(path).last(), "LWPOLYLINE 4");

  r = cli({"--parallels", "abc", "-o", path});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "veskar-cli draw: 纬线根数小于 1：没有纬线，不绘制任何线和注记。\n");
  EXPECT_EQ(r.out, "drew 0 parallels, 0 meridians and 0 labels (Beijing 1954) into " + path + "\n");
  EXPECT_EQ(entityKinds(path), QStringList{"AUDIT 0"});
}

TEST(CliDraw, UsageErrorsAndUnwritableFiles) {
  const struct {
    QStringList args;
    int status;
    QString errStart;
  } cases[] = {
      {{}, 2, "veskar-cli draw: say where to draw: -o FILE.dxf"},
      {{"--bogus", "-o", "x.dxf"}, 2, "veskar-cli draw: unknown option --bogus\n"},
      {{"-o"}, 2, "veskar-cli draw: -o needs a value\n"},
      {{"--iag75=1", "-o", "x.dxf"}, 2, "veskar-cli draw: unknown option --iag75=1\n"},
      {{"-o", "/nonexistent-dir/x.dxf"}, 1, "veskar-cli draw: "},
  };
  QTemporaryDir dir;
  for (const auto& c : cases) {
    const CliRun r = cli(c.args, dir.path());
    EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString();
    EXPECT_TRUE(r.err.startsWith(c.errStart)) << r.err.toStdString();
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
  const CliRun help = cli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.startsWith("usage: veskar-cli draw"));
}

}  // namespace
