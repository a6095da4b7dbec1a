// DXF files written and read back by an independent reader (ezdxf, through dxf_readback.py):
// audit clean, every entity, property and style as set; and failures that leave the old file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cad/dxf.h"
#include "cad/inprocess.h"

namespace veskar::cad {
namespace {

constexpr double kPi = 3.14159265358979;

// What the reader found in `path`, as JSON.
QJsonObject readBack(const QString& path, bool handlesOnly = false) {
  const std::string command = std::string("/usr/bin/python3 '") + VESKAR_DXF_READBACK + "' '" +
                              path.toStdString() + "'" + (handlesOnly ? " --handles-only" : "");
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {};
  QByteArray out;
  char buf[65536];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, static_cast<qsizetype>(n));
  const int status = pclose(pipe);
  EXPECT_EQ(status, 0) << "reader failed on " << path.toStdString();
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(out, &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << out.left(2000).toStdString();
  return doc.object();
}

QByteArray bytesOf(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void expectPoint(const QJsonValue& v, double x, double y, double z, const std::string& what) {
  const QJsonArray a = v.toArray();
  ASSERT_EQ(a.size(), 3) << what;
  EXPECT_NEAR(a[0].toDouble(), x, 1e-9) << what;
  EXPECT_NEAR(a[1].toDouble(), y, 1e-9) << what;
  EXPECT_NEAR(a[2].toDouble(), z, 1e-9) << what;
}

void expectCleanAudit(const QJsonObject& r) {
  const QJsonObject audit = r["audit"].toObject();
  EXPECT_EQ(audit["errors"].toArray().size(), 0) << QJsonDocument(audit).toJson().toStdString();
  EXPECT_EQ(audit["fixes"].toArray().size(), 0) << QJsonDocument(audit).toJson().toStdString();
}

void expectHandles(const QJsonObject& r) {
  const QJsonObject h = r["handles"].toObject();
  EXPECT_TRUE(h["unique"].toBool());
  EXPECT_GT(h["seed"].toDouble(), h["max"].toDouble());
}

// Everything the reader found against the drawing as held.
void expectSameDrawing(const QJsonObject& r, const DrawingData& d) {
  expectCleanAudit(r);
  expectHandles(r);
  EXPECT_EQ(r["acadver"].toString(), QStringLiteral("AC1015"));
  EXPECT_EQ(r["codepage"].toString(), QStringLiteral("ANSI_936"));
  EXPECT_EQ(r["encoding"].toString(), QStringLiteral("gbk"));
  EXPECT_EQ(r["insunits"].toInt(), 6);
  const Extents e = d.extents();
  expectPoint(r["extmin"], e.minX, e.minY, 0, "$EXTMIN");
  expectPoint(r["extmax"], e.maxX, e.maxY, 0, "$EXTMAX");
  const QJsonObject vport = r["vport"].toObject();
  expectPoint(vport["center"], (e.minX + e.maxX) / 2, (e.minY + e.maxY) / 2, 0, "viewport centre");
  EXPECT_GE(vport["height"].toDouble(), std::max(e.maxX - e.minX, e.maxY - e.minY));
  EXPECT_TRUE(r["layers"].toArray().contains(QStringLiteral("0")));

  const QJsonArray styles = r["styles"].toArray();
  ASSERT_EQ(styles.size(), static_cast<qsizetype>(d.styles.size()));
  for (std::size_t i = 0; i < d.styles.size(); ++i) {
    const QJsonObject s = styles[static_cast<qsizetype>(i)].toObject();
    EXPECT_EQ(s["name"].toString(), d.styles[i].name);
    EXPECT_EQ(s["font"].toString(), d.styles[i].fontFile);
    EXPECT_EQ(s["bigfont"].toString(), d.styles[i].bigFontFile);
  }

  const QJsonArray entities = r["entities"].toArray();
  ASSERT_EQ(entities.size(), static_cast<qsizetype>(d.entities.size()));
  for (std::size_t i = 0; i < d.entities.size(); ++i) {
    const QJsonObject got = entities[static_cast<qsizetype>(i)].toObject();
    const std::string where = "entity " + std::to_string(i);
    EXPECT_EQ(got["layer"].toString(), QStringLiteral("0")) << where;
    if (const auto* t = std::get_if<TextData>(&d.entities[i])) {
      ASSERT_EQ(got["type"].toString(), QStringLiteral("TEXT")) << where;
      EXPECT_EQ(got["text"].toString(), t->string) << where;
      EXPECT_EQ(got["color"].toInt(), t->color) << where;
      expectPoint(got["insert"], t->insertionPoint[0], t->insertionPoint[1], t->insertionPoint[2], where);
      if (t->horizontalAlignment != 0 || t->verticalAlignment != 0) {
        expectPoint(got["align_point"], t->alignmentPoint[0], t->alignmentPoint[1], t->alignmentPoint[2], where);
      }
      EXPECT_DOUBLE_EQ(got["height"].toDouble(), t->height) << where;
      EXPECT_DOUBLE_EQ(got["width"].toDouble(), t->widthFactor) << where;
      EXPECT_EQ(got["style"].toString(), t->styleName) << where;
      EXPECT_NEAR(got["rotation"].toDouble(), t->rotation * 180 / M_PI, 1e-9) << where;
      EXPECT_EQ(got["halign"].toInt(), t->horizontalAlignment) << where;
      EXPECT_EQ(got["valign"].toInt(), t->verticalAlignment) << where;
    } else {
      const auto& l = std::get<PolylineData>(d.entities[i]);
      ASSERT_EQ(got["type"].toString(), QStringLiteral("LWPOLYLINE")) << where;
      EXPECT_EQ(got["color"].toInt(), l.color) << where;
      EXPECT_FALSE(got["closed"].toBool()) << where;
      const QJsonArray points = got["points"].toArray();
      ASSERT_EQ(points.size(), static_cast<qsizetype>(l.coordinates.size() / 2)) << where;
      for (qsizetype k = 0; k < points.size(); ++k) {
        const QJsonArray p = points[k].toArray();
        EXPECT_NEAR(p[0].toDouble(), l.coordinates[static_cast<std::size_t>(2 * k)], 1e-9) << where;
        EXPECT_NEAR(p[1].toDouble(), l.coordinates[static_cast<std::size_t>(2 * k + 1)], 1e-9) << where;
      }
    }
  }
}

struct Dxf : ::testing::Test {
  QTemporaryDir dir;
  QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
};

// A small graticule drawn the way the Draw command draws it, and texts of every alignment.
std::shared_ptr<CadApplication> graticuleApp() {
  auto app = makeInProcessApplication();
  auto style = app->ActiveDocument()->TextStyles()->Add(QStringLiteral("ksev"));
  style->Put("fontFile", QStringLiteral("fsdb_e.shx"));
  style->Put("BigFontFile", QStringLiteral("fsdb.shx"));
  const double east[] = {39431234.567890123, 39478765.43210987, 39526296.296296296};
  const double north[] = {3245678.901234567, 3282716.049382716};
  const char* lon[] = {"118°30′", "119°00′", "119°30′"};
  const char* lat[] = {"29°20′", "29°40′"};
  for (int j = 0; j < 2; ++j) {
    QList<double> vertices;
    for (int i = 0; i < 3; ++i) {
      const double x = east[i] + j * 0.001, y = north[j] - i * 0.002;
      for (int k = 0; k < 2; ++k) {
        auto t = app->ActiveDocument()->ModelSpace()->AddText(QString::fromUtf8(k == 0 ? lon[i] : lat[j]),
                                                              {x, y, 0}, QVariant::fromValue(qint16(1000)));
        t->Put("Color", QVariant::fromValue(qint16(1)));
        t->Put("ScaleFactor", 0.7);
        t->Put("StyleName", QStringLiteral("ksev"));
        t->Put("Rotation", k == 0 ? QVariant(kPi / 2) : QVariant::fromValue(qint16(0)));
        t->Put("VerticalAlignment", QVariant::fromValue(qint16(1)));
        t->Put("HorizontalAlignment", QVariant::fromValue(qint16(0)));
        t->Put("TextAlignmentPoint", QVariant::fromValue(QList<double>{x, y, 0}));
      }
      vertices << x << y;
    }
    app->ActiveDocument()->ModelSpace()->AddLightWeightPolyline(vertices)->Put("Color", QVariant::fromValue(qint16(6)));
  }
  for (int i = 0; i < 3; ++i) {
    auto l = app->ActiveDocument()->ModelSpace()->AddLightWeightPolyline({east[i], north[0], east[i] + 0.5, north[1]});
    l->Put("Color", QVariant::fromValue(qint16(1)));
  }
  // Every alignment pair, each with its own second point; and a text left at its defaults.
  for (int h = 0; h <= 5; ++h) {
    for (int v = 0; v <= 3; ++v) {
      if ((h == 3 || h == 4 || h == 5) && v != 0) continue;  // these have no vertical variant
      auto t = app->ActiveDocument()->ModelSpace()->AddText(QStringLiteral("A%1%2").arg(h).arg(v),
                                                            {100.0 + h, 200.0 + v, 0.25}, 2.5);
      t->Put("HorizontalAlignment", h);
      t->Put("VerticalAlignment", v);
      t->Put("TextAlignmentPoint", QVariant::fromValue(QList<double>{150.125 + h, 250.0625 + v, 0.25}));
      t->Put("Color", h * 4 + v);
      t->Put("Rotation", -0.3 * h);
    }
  }
  app->ActiveDocument()->ModelSpace()->AddText(QStringLiteral("plain"), {-5.5, -7.25, 0}, 3);
  return app;
}

TEST_F(Dxf, DrawingReadsBackWithEveryEntityPropertyAndStyle) {
  auto app = graticuleApp();
  auto doc = app->ActiveDocument();
  doc->SaveAs(path("graticule.dxf"));
  const QJsonObject r = readBack(path("graticule.dxf"));
  expectSameDrawing(r, *drawingOf(*doc));
  // The labels' own characters, as the reader decodes them from code page 936.
  const QJsonArray entities = r["entities"].toArray();
  EXPECT_EQ(entities[0].toObject()["text"].toString(), QString::fromUtf8("118°30′"));
  EXPECT_EQ(entities[1].toObject()["text"].toString(), QString::fromUtf8("29°20′"));
  EXPECT_EQ(entities[1].toObject()["style"].toString(), QStringLiteral("ksev"));
  EXPECT_EQ(doc->Get("Name"), QVariant(QStringLiteral("graticule.dxf")));
}

TEST_F(Dxf, GbkTextAndEscapesForWhatGbkLacks) {
  DrawingData d;
  d.styles.push_back({QStringLiteral("Standard"), QStringLiteral("txt"), {}});
  d.styles.push_back({QString::fromUtf8("北京"), QStringLiteral("fsdb_e.shx"), QStringLiteral("fsdb.shx")});
  TextData t;
  t.height = 1;
  t.string = QString::fromUtf8("北京54坐标系 29°20′");
  t.styleName = QString::fromUtf8("北京");
  d.entities.push_back(t);
  t.string = QString::fromUtf8("aő€b");  // not in GBK; the euro only in Windows' extension
  t.styleName = QStringLiteral("standard");  // names match without regard to case
  d.entities.push_back(t);
  writeDxf(d, path("gbk.dxf"));
  const QByteArray bytes = bytesOf(path("gbk.dxf"));
  EXPECT_TRUE(bytes.contains("\r\n  1\r\n\xB1\xB1\xBE\xA9" "54\xD7\xF8\xB1\xEA\xCF\xB5 29\xA1\xE3" "20\xA1\xE4\r\n"));
  EXPECT_TRUE(bytes.contains("\r\n  1\r\na\\U+0151\\U+20ACb\r\n"));
  const QJsonObject r = readBack(path("gbk.dxf"));
  expectCleanAudit(r);
  const QJsonArray entities = r["entities"].toArray();
  ASSERT_EQ(entities.size(), 2);
  EXPECT_EQ(entities[0].toObject()["text"].toString(), QString::fromUtf8("北京54坐标系 29°20′"));
  EXPECT_EQ(entities[1].toObject()["text"].toString(), QStringLiteral("a\\U+0151\\U+20ACb"));  // left to CAD programs
  EXPECT_EQ(entities[0].toObject()["style"].toString(), QString::fromUtf8("北京"));
  EXPECT_EQ(entities[1].toObject()["style"].toString(), QStringLiteral("Standard"));
  EXPECT_EQ(r["styles"].toArray()[1].toObject()["name"].toString(), QString::fromUtf8("北京"));
}

TEST_F(Dxf, ControlCharactersCannotBreakTheFile) {
  // The in-process drawing refuses them; a drawing made directly may still hold them.
  DrawingData d;
  TextData t;
  t.height = 1;
  t.string = QStringLiteral("a\nb\r\tc");
  d.entities.push_back(t);
  d.entities.push_back(PolylineData{{0, 0, 1, 1}, 3});
  writeDxf(d, path("control.dxf"));
  EXPECT_TRUE(bytesOf(path("control.dxf")).contains("\r\n  1\r\na^Jb^M^Ic\r\n"));
  const QJsonObject r = readBack(path("control.dxf"));
  expectCleanAudit(r);
  const QJsonArray entities = r["entities"].toArray();
  ASSERT_EQ(entities.size(), 2);
  EXPECT_EQ(entities[1].toObject()["color"].toInt(), 3);
}

TEST_F(Dxf, HeaderAndPolylineBytes) {
  DrawingData d;
  d.styles.push_back({QStringLiteral("Standard"), QStringLiteral("txt"), {}});
  d.entities.push_back(PolylineData{{0.5, -1.25, 3, 4, 0.1, 1e-7}, 6});
  writeDxf(d, path("bytes.dxf"));
  const QByteArray bytes = bytesOf(path("bytes.dxf"));
  EXPECT_TRUE(bytes.contains("  9\r\n$ACADVER\r\n  1\r\nAC1015\r\n"));
  EXPECT_TRUE(bytes.contains(
      "  9\r\n$DWGCODEPAGE\r\n  3\r\nANSI_936\r\n"
      "  9\r\n$INSBASE\r\n 10\r\n0.0\r\n 20\r\n0.0\r\n 30\r\n0.0\r\n"
      "  9\r\n$EXTMIN\r\n 10\r\n0.1\r\n 20\r\n-1.25\r\n 30\r\n0.0\r\n"
      "  9\r\n$EXTMAX\r\n 10\r\n3.0\r\n 20\r\n4.0\r\n 30\r\n0.0\r\n"
      "  9\r\n$MEASUREMENT\r\n 70\r\n1\r\n"
      "  9\r\n$INSUNITS\r\n 70\r\n6\r\n"
      "  0\r\nENDSEC\r\n"));
  // Colour, layer "0", and every coordinate in its shortest exact form.
  EXPECT_TRUE(bytes.contains("  0\r\nLWPOLYLINE\r\n"));
  EXPECT_TRUE(bytes.contains("  8\r\n0\r\n 62\r\n6\r\n"));
  EXPECT_TRUE(bytes.contains(
      " 90\r\n3\r\n 70\r\n0\r\n 10\r\n0.5\r\n 20\r\n-1.25\r\n 10\r\n3.0\r\n 20\r\n4.0\r\n"
      " 10\r\n0.1\r\n 20\r\n0.0000001\r\n  0\r\nENDSEC\r\n"));
  // The view: centred on the extents, 1.1 times their larger side high.
  EXPECT_TRUE(bytes.contains("  2\r\n*Active\r\n"));
  EXPECT_TRUE(bytes.contains(" 12\r\n1.55\r\n 22\r\n1.375\r\n"));
  EXPECT_TRUE(bytes.contains(" 40\r\n5.775\r\n"));
}

TEST_F(Dxf, EmptyDrawing) {
  DrawingData d;
  d.styles.push_back({QStringLiteral("Standard"), QStringLiteral("txt"), {}});
  writeDxf(d, path("empty.dxf"));
  expectSameDrawing(readBack(path("empty.dxf")), d);
}

TEST_F(Dxf, StandardIsWrittenEvenWhenTheDrawingLacksIt) {
  DrawingData d;
  TextData t;
  t.string = QStringLiteral("x");
  t.height = 1;
  t.styleName = QStringLiteral("missing");
  d.entities.push_back(t);
  writeDxf(d, path("nostyle.dxf"));
  const QJsonObject r = readBack(path("nostyle.dxf"));
  expectCleanAudit(r);
  ASSERT_EQ(r["styles"].toArray().size(), 1);
  EXPECT_EQ(r["styles"].toArray()[0].toObject()["name"].toString(), QStringLiteral("Standard"));
  EXPECT_EQ(r["entities"].toArray()[0].toObject()["style"].toString(), QStringLiteral("Standard"));
}

TEST_F(Dxf, HandleSeedStaysAboveEveryHandlePastFFFF) {
  DrawingData d;
  d.styles.push_back({QStringLiteral("Standard"), QStringLiteral("txt"), {}});
  for (int i = 0; i < 70000; ++i) d.entities.push_back(PolylineData{{0.0 + i, 0, 1.0 + i, 1}, 6});
  writeDxf(d, path("large.dxf"));
  const QJsonObject h = readBack(path("large.dxf"), true)["handles"].toObject();
  EXPECT_GT(h["max"].toDouble(), 0xFFFF);
  EXPECT_TRUE(h["unique"].toBool());
  EXPECT_EQ(h["seed"].toDouble(), h["max"].toDouble() + 1);
}

TEST_F(Dxf, SameDrawingSameBytes) {
  auto app = graticuleApp();
  writeDxf(*drawingOf(*app->ActiveDocument()), path("a.dxf"));
  writeDxf(*drawingOf(*app->ActiveDocument()), path("b.dxf"));
  const QByteArray a = bytesOf(path("a.dxf"));
  EXPECT_FALSE(a.isEmpty());
  EXPECT_EQ(a, bytesOf(path("b.dxf")));
  EXPECT_TRUE(a.endsWith("  0\r\nEOF\r\n"));
}

struct BadTarget {
  const char* label;
  QString path;
  const char* reason;  // the system's words, in the description
};

TEST_F(Dxf, UnwritableTargetsAreFileErrors) {
  QFile plain(path("plain.txt"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  QDir(dir.path()).mkdir(QStringLiteral("sub"));
  const BadTarget rows[] = {
      {"missing folder", path("none/x.dxf"), "No such file or directory"},
      {"folder is a file", path("plain.txt/x.dxf"), "Not a directory"},
      {"target is a folder", path("sub"), "directory"},
  };
  auto doc = makeInProcessDocument(QStringLiteral("Drawing1.dxf"));
  for (const BadTarget& r : rows) {
    try {
      doc->SaveAs(r.path);
      ADD_FAILURE() << r.label;
    } catch (const CadError& e) {
      EXPECT_EQ(e.number(), errc::FileError) << r.label;
      EXPECT_TRUE(e.description().contains(r.path)) << e.what();
      EXPECT_TRUE(e.description().contains(QLatin1String(r.reason))) << e.what();
    }
    EXPECT_EQ(doc->Get("Name"), QVariant(QStringLiteral("Drawing1.dxf"))) << r.label;
  }
}

TEST_F(Dxf, FailedWriteLeavesTheOldFileAndNoTemporary) {
  DrawingData small;
  small.styles.push_back({QStringLiteral("Standard"), QStringLiteral("txt"), {}});
  writeDxf(small, path("drawing.dxf"));
  const QByteArray old = bytesOf(path("drawing.dxf"));
  ASSERT_FALSE(old.isEmpty());

  auto app = graticuleApp();
  std::int32_t number = 0;
  QString description;
  {
    // The file system refuses anything past 4 KiB: the write breaks off half-way.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limited);
    try {
      app->ActiveDocument()->SaveAs(path("drawing.dxf"));
    } catch (const CadError& e) {
      number = e.number();
      description = e.description();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
  }
  EXPECT_EQ(number, errc::FileError);
  EXPECT_TRUE(description.startsWith(QStringLiteral("The drawing could not be saved as \"%1\": ").arg(path("drawing.dxf"))))
      << description.toStdString();
  EXPECT_TRUE(description.endsWith(QStringLiteral("File too large"))) << description.toStdString();
  EXPECT_EQ(bytesOf(path("drawing.dxf")), old);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("drawing.dxf")});
  EXPECT_EQ(app->ActiveDocument()->Get("Name"), QVariant(QStringLiteral("Drawing1.dxf")));
}

// Whether writeDxf refuses with CadError. Under root, where permissions do not bind, the write
// runs in a child process that has become the user nobody.
bool refusedAsUnprivilegedUser(const DrawingData& d, const QString& target) {
  if (geteuid() != 0) {
    try {
      writeDxf(d, target);
    } catch (const CadError&) {
      return true;
    }
    return false;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    int code = 3;
    if (setgid(65534) == 0 && setuid(65534) == 0) {
      try {
        writeDxf(d, target);
        code = 1;
      } catch (const CadError&) {
        code = 0;
      }
    }
    _exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 3) << "could not become nobody";
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(Dxf, ReadOnlyFolderLeavesTheOldFile) {
  DrawingData d;
  QDir(dir.path()).mkdir(QStringLiteral("ro"));
  writeDxf(d, path("ro/drawing.dxf"));
  const QByteArray old = bytesOf(path("ro/drawing.dxf"));
  const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                        QFile::ReadOther | QFile::ExeOther;
  QFile::setPermissions(dir.path(), readOnly | QFile::WriteOwner);
  QFile::setPermissions(path("ro"), readOnly);
  d.entities.push_back(PolylineData{{0, 0, 1, 1}, 1});
  EXPECT_TRUE(refusedAsUnprivilegedUser(d, path("ro/drawing.dxf")));
  QFile::setPermissions(path("ro"), readOnly | QFile::WriteOwner);
  EXPECT_EQ(bytesOf(path("ro/drawing.dxf")), old);
  EXPECT_EQ(QDir(path("ro")).entryList(QDir::Files), QStringList{QStringLiteral("drawing.dxf")});
}

}  // namespace
}  // namespace veskar::cad
