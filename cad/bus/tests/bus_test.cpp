// The drawing application over the session bus. Every test runs on a bus of its own
// (dbus-run-session), with veskar-cad from the build's program directory.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <optional>
#include <variant>

#include "cad/bus/cadbas.h"
#include "cad/bus/client.h"
#include "cad/bus/packed.h"
#include "cad/bus/protocol.h"
#include "cad/bus/qvariant.h"
#include "cad/inprocess.h"
#include "cad/members.h"
#include "cad/tests/layered_drawing.h"
#include "cad/tests/readback.h"
#include "graticule/draw_command.h"

namespace veskar::cad::bus {
namespace {

QDBusConnection bus() { return QDBusConnection::sessionBus(); }

using veskar::testing::drawOnLayers;
using veskar::testing::expectCleanAudit;

bool asBool(const Variant& v) { return toBool(v, "value"); }
int asInt(const Variant& v) { return toInt16(v, "value"); }
QString asString(const Variant& v) { return QString::fromStdString(toText(v, "value")); }

bool nameOwned() { return bus().interface()->isServiceRegistered(QLatin1String(kServiceName)).value(); }

uint ownerPid() {
  return bus().interface()->servicePid(QLatin1String(kServiceName)).value();
}

// Starts veskar-cad as a user would (not through ConnectCad) and waits for its name.
qint64 startCadOurselves() {
  QProcess p;
  p.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/veskar-cad"));
  p.setArguments({QStringLiteral("--automation")});
  p.setStandardOutputFile(QProcess::nullDevice());
  qint64 pid = 0;
  if (!p.startDetached(&pid)) return 0;
  QElapsedTimer t;
  t.start();
  while (!nameOwned() && t.elapsed() < 10000) QThread::msleep(10);
  return nameOwned() ? pid : 0;
}

QDBusMessage callOn(const QString& path, const char* iface, const char* member, const QVariantList& args) {
  QDBusMessage m = QDBusMessage::createMethodCall(QLatin1String(kServiceName), path,
                                                  QLatin1String(iface), QLatin1String(member));
  m.setArguments(args);
  return bus().call(m);
}

QDBusMessage setProperty(const QString& path, const char* iface, const char* name, const QVariant& v) {
  return callOn(path, kPropertiesInterface, "Set",
                {QLatin1String(iface), QLatin1String(name), QVariant::fromValue(QDBusVariant(v))});
}

QVariant getProperty(const QString& path, const char* iface, const char* name) {
  const QDBusMessage r = callOn(path, kPropertiesInterface, "Get", {QLatin1String(iface), QLatin1String(name)});
  if (r.type() != QDBusMessage::ReplyMessage) return {};
  return fromWire(r.arguments().value(0));
}

struct BatchReply {
  QVariantList results;
  int failedIndex = -2;
  QString errorName;
  QString errorMessage;
};

BatchReply batch(const QList<BusOp>& ops) {
  registerBusTypes();
  const QDBusMessage r = callOn(QLatin1String(kApplicationPath), kApplicationInterface, "Batch",
                                {QVariant::fromValue(ops)});
  BatchReply out;
  if (r.type() != QDBusMessage::ReplyMessage) {
    out.errorName = r.errorName();
    out.errorMessage = r.errorMessage();
    return out;
  }
  const QVariantList a = r.arguments();
  out.results = qdbus_cast<QVariantList>(a.value(0));
  for (QVariant& v : out.results) v = fromWire(v);
  out.failedIndex = a.value(1).toInt();
  out.errorName = a.value(2).toString();
  out.errorMessage = a.value(3).toString();
  return out;
}

struct ErrorNameCase {
  std::int32_t number;
  const char* name;
};

TEST(Protocol, ErrorNumbersAndNamesGoBothWays) {
  const ErrorNameCase cases[] = {
      {errc::Fail, "org.veskar.Cad.Error.Fail"},
      {errc::InvalidArg, "org.veskar.Cad.Error.InvalidArg"},
      {errc::TypeMismatch, "org.veskar.Cad.Error.TypeMismatch"},
      {errc::UnknownName, "org.veskar.Cad.Error.UnknownName"},
      {errc::Overflow, "org.veskar.Cad.Error.Overflow"},
      {errc::NoDocument, "org.veskar.Cad.Error.NoDocument"},
      {errc::NotFound, "org.veskar.Cad.Error.NotFound"},
      {errc::Disconnected, "org.veskar.Cad.Error.Disconnected"},
      {errc::FileError, "org.veskar.Cad.Error.FileError"},
      {errc::ReadOnly, "org.veskar.Cad.Error.ReadOnly"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(errorName(c.number), QLatin1String(c.name));
    EXPECT_EQ(errorNumber(QLatin1String(c.name)), c.number) << c.name;
  }
  EXPECT_EQ(errorName(12345), QStringLiteral("org.veskar.Cad.Error.Fail"));
  // The bus's own errors: the application gone, or a member that does not exist.
  const ErrorNameCase bus[] = {
      {errc::Disconnected, "org.freedesktop.DBus.Error.ServiceUnknown"},
      {errc::Disconnected, "org.freedesktop.DBus.Error.NoReply"},
      {errc::Disconnected, "org.freedesktop.DBus.Error.Disconnected"},
      {errc::Disconnected, "org.freedesktop.DBus.Error.NameHasNoOwner"},
      {errc::UnknownName, "org.freedesktop.DBus.Error.UnknownMethod"},
      {errc::NotFound, "org.freedesktop.DBus.Error.UnknownObject"},
      {errc::InvalidArg, "org.freedesktop.DBus.Error.InvalidArgs"},
      {errc::Fail, "org.veskar.Cad.Error.NoSuchError"},
      {errc::Fail, "com.example.Whatever"},
  };
  for (const auto& c : bus) EXPECT_EQ(errorNumber(QLatin1String(c.name)), c.number) << c.name;
}

class BusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus().isConnected()) << "run under dbus-run-session";
    ASSERT_FALSE(nameOwned()) << "each test needs a bus of its own";
  }
  // Ends the veskar-cad of this bus, drawing closed first so that it does not ask.
  void TearDown() override {
    if (!nameOwned()) return;
    callOn(QStringLiteral("/Application/Documents/1"), kDocumentInterface, "Close", {});
    callOn(QLatin1String(kApplicationPath), kApplicationInterface, "Quit", {});
  }
};

TEST_F(BusTest, ConnectStartsTheApplicationWhenNoneRunsAndASecondConnectionAttachesToIt) {
  Cadbas first;
  std::string error;
  ASSERT_TRUE(first.ConnectCad(error)) << error;
  EXPECT_TRUE(error.empty());
  ASSERT_TRUE(nameOwned());
  const uint pid = ownerPid();
  ASSERT_TRUE(first.CadApp && first.CadDoc);
  EXPECT_EQ(asBool(first.CadApp->Get("Visible")), true);
  EXPECT_EQ(asString(first.CadApp->Get("Caption")), QStringLiteral("Drawing1.dxf - Veskar CAD"));
  EXPECT_EQ(asString(first.CadDoc->Get("Name")), QStringLiteral("Drawing1.dxf"));

  Cadbas second;
  ASSERT_TRUE(second.ConnectCad(error)) << error;
  EXPECT_EQ(ownerPid(), pid) << "the second connection started another instance";
  // Both see the same drawing: what one adds, the other counts.
  second.CadDoc->ModelSpace()->AddLightWeightPolyline({0, 0, 1, 1});
  second.CadApp->Flush();
  EXPECT_EQ(asInt(first.CadDoc->ModelSpace()->Get("Count")), 1);
}

TEST_F(BusTest, TheStartedApplicationOutlivesTheProgramThatStartedIt) {
  QProcess starter;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("VESKAR_BUS_TEST_STARTER"), QStringLiteral("1"));
  starter.setProcessEnvironment(env);
  starter.start(QCoreApplication::applicationFilePath(), {});
  ASSERT_TRUE(starter.waitForFinished(20000));
  EXPECT_EQ(starter.exitCode(), 0);
  QThread::msleep(300);
  ASSERT_TRUE(nameOwned());
  EXPECT_EQ(getProperty(QLatin1String(kApplicationPath), kApplicationInterface, "Caption").toString(),
            QStringLiteral("Drawing1.dxf - Veskar CAD"));
}

TEST_F(BusTest, TheApplicationQuitsWhenItsBusGoesAway) {
  // A bus of its own that ends a moment after veskar-cad has registered on it.
  QProcess session;
  session.start(QStringLiteral("dbus-run-session"),
                {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
                 QStringLiteral("'%1' --automation >/dev/null 2>&1 & echo $!; "
                                "for i in $(seq 100); do gdbus call --session -d org.freedesktop.DBus "
                                "-o /org/freedesktop/DBus -m org.freedesktop.DBus.NameHasOwner org.veskar.Cad "
                                "2>/dev/null | grep -q true && exit 0; sleep 0.1; done; exit 1")
                     .arg(QCoreApplication::applicationDirPath() + QStringLiteral("/veskar-cad"))});
  ASSERT_TRUE(session.waitForFinished(20000));
  ASSERT_EQ(session.exitCode(), 0) << session.readAllStandardError().toStdString();
  const qint64 pid = session.readAllStandardOutput().trimmed().toLongLong();
  ASSERT_GT(pid, 0);
  const auto running = [pid] {  // a zombie nobody has reaped yet has ended as well
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return !(close >= 0 && line.size() > close + 2 && line[close + 2] == 'Z');
  };
  QElapsedTimer clock;
  clock.start();
  while (running() && clock.elapsed() < 10000) QThread::msleep(50);
  EXPECT_FALSE(running()) << "still running after its bus ended";
}

TEST_F(BusTest, ConnectAttachesToARunningApplicationWithoutStartingAnother) {
  const qint64 pid = startCadOurselves();
  ASSERT_NE(pid, 0);
  EXPECT_FALSE(getProperty(QLatin1String(kApplicationPath), kApplicationInterface, "Visible").toBool());
  Cadbas cadbas;
  std::string error;
  ASSERT_TRUE(cadbas.ConnectCad(error)) << error;
  EXPECT_EQ(qint64(ownerPid()), pid);
  EXPECT_TRUE(getProperty(QLatin1String(kApplicationPath), kApplicationInterface, "Visible").toBool());
  ASSERT_TRUE(cadbas.CadDoc);
}

TEST_F(BusTest, MissingExecutableGivesTheSystemsDescriptionAndKeepsTheReferences) {
  QTemporaryDir empty;
  ASSERT_TRUE(empty.isValid());
  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", empty.path().toLocal8Bit());
  Cadbas cadbas(empty.path());
  auto earlier = makeInProcessApplication();
  cadbas.CadApp = earlier;
  std::string error;
  const bool ok = cadbas.ConnectCad(error);
  qputenv("PATH", oldPath);
  EXPECT_FALSE(ok);
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  EXPECT_EQ(cadbas.CadApp, earlier);
  EXPECT_EQ(cadbas.CadDoc, nullptr);
  EXPECT_FALSE(nameOwned());
}

TEST_F(BusTest, AnApplicationThatEndsWithoutRegisteringIsReportedAtOnce) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString fake = dir.filePath(QStringLiteral("veskar-cad"));
  QFile f(fake);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("#!/bin/sh\nexit 3\n");
  f.close();
  f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  Cadbas cadbas(dir.path());
  std::string error;
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(cadbas.ConnectCad(error));
  EXPECT_LT(clock.elapsed(), 9000);  // well before the 10 s wait ends, even on a busy machine
  EXPECT_EQ(error, (fake + QStringLiteral(" ended before it registered org.veskar.Cad on the session bus.")).toStdString());
  EXPECT_EQ(cadbas.CadApp, nullptr);
}

TEST_F(BusTest, ActiveDocumentFailsReadablyWhenNoDrawingIsOpen) {
  Cadbas cadbas;
  std::string error;
  ASSERT_TRUE(cadbas.ConnectCad(error));
  cadbas.CadDoc->Close();
  const QDBusMessage r = callOn(QLatin1String(kApplicationPath), kPropertiesInterface, "Get",
                                {QLatin1String(kApplicationInterface), QStringLiteral("ActiveDocument")});
  EXPECT_EQ(r.errorName(), QStringLiteral("org.veskar.Cad.Error.NoDocument"));
  EXPECT_EQ(r.errorMessage(), QStringLiteral("No drawing is open."));
  EXPECT_EQ(asString(cadbas.CadApp->Get("Caption")), QStringLiteral("Veskar CAD"));
  // A new ConnectCad still succeeds and leaves CadDoc as it was.
  auto doc = cadbas.CadDoc;
  EXPECT_TRUE(cadbas.ConnectCad(error));
  EXPECT_EQ(cadbas.CadDoc, doc);
  try {
    cadbas.CadApp->ActiveDocument()->TextStyles()->Add("ksev");
    cadbas.CadApp->Flush();
    FAIL() << "no error";
  } catch (const CadError& e) {
    EXPECT_EQ(e.number(), errc::NoDocument);
    EXPECT_EQ(e.description(), "No drawing is open.");
  }
}

// The Draw command's worked example through ConnectCad and the bus, against the same command
// on the in-process drawing.
TEST_F(BusTest, WorkedExampleOverTheBusEqualsTheInProcessDrawingEntityForEntity) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  graticule::DrawInputs in;
  in.texts = {"114", "5", "29.2", "10", "0.15", "0.1", "115.15"};
  in.check = 1;
  const auto save = [](const settings::SettingsRecord&) { return settings::SaveResult{}; };

  auto local = makeInProcessApplication();
  const auto outLocal = graticule::RunDrawCommand(in, save, [&](graticule::CadLink& link, std::string&) {
    link.CadApp = local;
    link.CadDoc = local->ActiveDocument();
    return true;
  });
  ASSERT_EQ(outLocal.status, graticule::DrawOutcome::Status::Drawn);

  Cadbas cadbas;
  const auto outBus = graticule::RunDrawCommand(in, save, [&](graticule::CadLink& link, std::string& error) {
    if (!cadbas.ConnectCad(error)) return false;
    link.CadApp = cadbas.CadApp;
    link.CadDoc = cadbas.CadDoc;
    return true;
  });
  ASSERT_EQ(outBus.status, graticule::DrawOutcome::Status::Drawn) << outBus.message;
  EXPECT_EQ(outBus.entitiesAdded, outLocal.entitiesAdded);
  EXPECT_EQ(cadbas.CadApp->EntitiesAdded(), 115u);

  const DrawingData& expected = *drawingOf(*local->ActiveDocument());
  ASSERT_EQ(expected.entities.size(), 115u);  // 100 labels, 10 parallels, 5 meridians
  const QString ms = QStringLiteral("/Application/Documents/1/ModelSpace");
  ASSERT_EQ(getProperty(ms, kModelSpaceInterface, "Count").toInt(), 115);
  for (std::size_t i = 0; i < expected.entities.size(); ++i) {
    SCOPED_TRACE(i);
    const QString path = ms + QLatin1Char('/') + QString::number(i);
    const QDBusMessage r = callOn(path, kPropertiesInterface, "GetAll", {QStringLiteral("")});
    ASSERT_EQ(r.type(), QDBusMessage::ReplyMessage) << r.errorMessage().toStdString();
    QVariantMap got = qdbus_cast<QVariantMap>(r.arguments().value(0));
    for (auto it = got.begin(); it != got.end(); ++it) it.value() = fromWire(it.value());
    auto point = [](const std::array<double, 3>& p) { return QList<double>{p[0], p[1], p[2]}; };
    if (const auto* t = std::get_if<TextData>(&expected.entities[i])) {
      EXPECT_EQ(got.value("TextString").toString().toStdString(), t->string);
      EXPECT_EQ(got.value("InsertionPoint").value<QList<double>>(), point(t->insertionPoint));
      EXPECT_EQ(got.value("TextAlignmentPoint").value<QList<double>>(), point(t->alignmentPoint));
      EXPECT_EQ(got.value("Height").toDouble(), t->height);
      EXPECT_EQ(got.value("Color").toInt(), t->color);
      EXPECT_EQ(got.value("ScaleFactor").toDouble(), t->widthFactor);
      EXPECT_EQ(got.value("StyleName").toString().toStdString(), t->styleName);
      EXPECT_EQ(got.value("Rotation").toDouble(), t->rotation);
      EXPECT_EQ(got.value("VerticalAlignment").toInt(), t->verticalAlignment);
      EXPECT_EQ(got.value("HorizontalAlignment").toInt(), t->horizontalAlignment);
    } else {
      const auto& pl = std::get<PolylineData>(expected.entities[i]);
      EXPECT_EQ(got.value("Coordinates").value<QList<double>>(),
                QList<double>(pl.coordinates.begin(), pl.coordinates.end()));
      EXPECT_EQ(got.value("Color").toInt(), pl.color);
      EXPECT_FALSE(got.contains("TextString"));
    }
  }
  // The style, and the saved files byte for byte.
  const QString style = QStringLiteral("/Application/Documents/1/TextStyles/1");
  EXPECT_EQ(getProperty(style, kTextStyleInterface, "Name").toString(), QStringLiteral("ksev"));
  EXPECT_EQ(getProperty(style, kTextStyleInterface, "fontFile").toString(), QStringLiteral("fsdb_e.shx"));
  EXPECT_EQ(getProperty(style, kTextStyleInterface, "BigFontFile").toString(), QStringLiteral("fsdb.shx"));
  const QString localFile = dir.filePath(QStringLiteral("local/Drawing1.dxf"));
  const QString busFile = dir.filePath(QStringLiteral("bus/Drawing1.dxf"));
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("local")) && QDir(dir.path()).mkpath(QStringLiteral("bus")));
  local->ActiveDocument()->SaveAs(localFile.toStdString());
  cadbas.CadDoc->SaveAs(busFile.toStdString());
  QFile a(localFile), b(busFile);
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  const QByteArray bytes = a.readAll();
  EXPECT_GT(bytes.size(), 0);
  EXPECT_TRUE(bytes == b.readAll());
  const veskar::testing::DxfReadback r = veskar::testing::readDxf(busFile.toStdString());
  expectCleanAudit(r);
  ASSERT_EQ(r.entities.size(), 115u);
  EXPECT_EQ(r.entities[0].type, "TEXT");
  EXPECT_EQ(r.entities[0].style, "ksev");
  EXPECT_EQ(r.entities[114].type, "LWPOLYLINE");
}

ObjectKind kindOf(const EntityData& e) {
  if (std::holds_alternative<TextData>(e)) return ObjectKind::Text;
  return std::holds_alternative<LineData>(e) ? ObjectKind::Line : ObjectKind::Polyline;
}

// Every property of every entity and layer read over the bus equals the in-process one, and
// the saved files are the same bytes.
TEST_F(BusTest, ALayeredDrawingOverTheBusEqualsTheInProcessDrawing) {
  auto local = makeInProcessApplication();
  drawOnLayers(*local);
  Cadbas cadbas;
  std::string error;
  ASSERT_TRUE(cadbas.ConnectCad(error)) << error;
  drawOnLayers(*cadbas.CadApp);
  EXPECT_EQ(cadbas.CadApp->EntitiesAdded(), 4u);

  auto doc = local->ActiveDocument();
  const DrawingData& expected = *drawingOf(*doc);
  const QString root = QStringLiteral("/Application/Documents/1");
  const QDBusMessage all = callOn(root, kPropertiesInterface, "GetAll", {QString()});
  EXPECT_EQ(fromWire(qdbus_cast<QVariantMap>(all.arguments().value(0)).value("Layers")).value<QDBusObjectPath>().path(),
            root + "/Layers");
  ASSERT_EQ(getProperty(root + "/Layers", kLayersInterface, "Count").toInt(), 3);
  for (std::size_t i = 0; i < expected.layers.size(); ++i)
    EXPECT_EQ(getProperty(root + "/Layers/" + QString::number(i), kLayerInterface, "Name").toString().toStdString(),
              expected.layers[i].name);
  ASSERT_EQ(getProperty(root + "/ModelSpace", kModelSpaceInterface, "Count").toInt(), 4);
  for (std::size_t i = 0; i < expected.entities.size(); ++i) {
    const QDBusMessage r =
        callOn(root + "/ModelSpace/" + QString::number(i), kPropertiesInterface, "GetAll", {QString()});
    ASSERT_EQ(r.type(), QDBusMessage::ReplyMessage) << r.errorMessage().toStdString();
    const QVariantMap got = qdbus_cast<QVariantMap>(r.arguments().value(0));
    const ObjectKind kind = kindOf(expected.entities[i]);
    EXPECT_EQ(got.size(), qsizetype(membersOf(kind).size())) << i;
    for (const MemberSpec& m : membersOf(kind)) {
      EXPECT_EQ(fromQVariant(fromWire(got.value(QLatin1String(m.name)))), entityAt(*doc, i)->Get(m.name))
          << i << " " << m.name;
    }
  }

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid() && QDir(dir.path()).mkpath(QStringLiteral("bus")));
  const std::string localFile = dir.filePath(QStringLiteral("Drawing1.dxf")).toStdString();
  const std::string busFile = dir.filePath(QStringLiteral("bus/Drawing1.dxf")).toStdString();
  doc->SaveAs(localFile);
  cadbas.CadDoc->SaveAs(busFile);
  QFile a(QString::fromStdString(localFile)), b(QString::fromStdString(busFile));
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  EXPECT_TRUE(a.readAll() == b.readAll());
  const veskar::testing::DxfReadback r = veskar::testing::readDxf(busFile);
  expectCleanAudit(r);
  ASSERT_GE(r.layers.size(), 3u);  // ezdxf adds its own "Defpoints" after the file's
  EXPECT_EQ(std::vector<std::string>(r.layers.begin(), r.layers.begin() + 3),
            (std::vector<std::string>{"0", "图框", "grid"}));
  ASSERT_EQ(r.entities.size(), 4u);
  EXPECT_EQ(r.entities[0].layer, "grid");
  EXPECT_EQ(r.entities[2].type, "LINE");
  EXPECT_EQ(r.entities[3].layer, "图框");
  EXPECT_TRUE(r.entities[3].closed);
  EXPECT_EQ(r.entities[3].constantWidth, 2.5);
}

// An entity put on a layer the drawing lacks: the same refusal over the bus as in process,
// for each kind of entity.
TEST_F(BusTest, AnEntityOnAMissingLayerFailsAsInProcess) {
  auto local = makeInProcessApplication();
  Cadbas cadbas;
  std::string error;
  ASSERT_TRUE(cadbas.ConnectCad(error)) << error;
  for (const int kind : {0, 1, 2}) {
    std::vector<CadError> refusals;
    for (CadApplication* app : {local.get(), cadbas.CadApp.get()}) {
      try {
        auto ms = app->ActiveDocument()->ModelSpace();
        auto e = kind == 0   ? ms->AddText("x", {0, 0, 0}, 1.0)
                 : kind == 1 ? ms->AddLine({0, 0, 0}, {1, 1, 0})
                             : ms->AddLightWeightPolyline({0, 0, 1, 1});
        e->Put("Layer", std::string("nosuch"));
        app->Flush();
        ADD_FAILURE() << "no error, kind " << kind;
      } catch (const CadError& e) {
        refusals.push_back(e);
      }
    }
    ASSERT_EQ(refusals.size(), 2u);
    EXPECT_EQ(refusals[0].number(), errc::NotFound);
    EXPECT_EQ(refusals[0].description(), "The drawing has no layer named \"nosuch\".");
    EXPECT_EQ(refusals[1].number(), refusals[0].number());
    EXPECT_EQ(refusals[1].description(), refusals[0].description());
  }
}

TEST_F(BusTest, AFailureMidDrawStopsThereAndKeepsWhatCameBefore) {
  Cadbas cadbas;
  std::string error;
  ASSERT_TRUE(cadbas.ConnectCad(error));
  CadApplication& app = *cadbas.CadApp;
  // Three texts queued; the second refuses its style. Nothing is sent until the flush.
  for (int i = 0; i < 3; ++i) {
    auto t = app.ActiveDocument()->ModelSpace()->AddText("t" + std::to_string(i), {double(i), 0, 0},
                                                          std::int16_t{1000});
    t->Put("Color", std::int16_t{1});
    t->Put("StyleName", std::string(i == 1 ? "nosuch" : "Standard"));
    t->Put("Rotation", 0.5);
  }
  EXPECT_EQ(getProperty(QStringLiteral("/Application/Documents/1/ModelSpace"), kModelSpaceInterface, "Count").toInt(), 0);
  try {
    app.Flush();
    FAIL() << "no error";
  } catch (const CadError& e) {
    EXPECT_EQ(e.number(), errc::NotFound);
    EXPECT_EQ(e.description(), "The drawing has no text style named \"nosuch\".");
  }
  EXPECT_EQ(app.EntitiesAdded(), 2u);
  const QString ms = QStringLiteral("/Application/Documents/1/ModelSpace");
  EXPECT_EQ(getProperty(ms, kModelSpaceInterface, "Count").toInt(), 2);
  EXPECT_EQ(getProperty(ms + "/0", kTextInterface, "Rotation").toDouble(), 0.5);  // all of the first
  EXPECT_EQ(getProperty(ms + "/1", kTextInterface, "Color").toInt(), 1);         // the second up to the failure
  EXPECT_EQ(getProperty(ms + "/1", kTextInterface, "Rotation").toDouble(), 0.0);

  // The drawing is closed behind the client's back while it draws.
  auto ms2 = app.ActiveDocument()->ModelSpace();
  auto kept = ms2->AddLightWeightPolyline({0, 0, 5, 5});
  app.Flush();
  EXPECT_EQ(app.EntitiesAdded(), 3u);
  ASSERT_EQ(callOn(QStringLiteral("/Application/Documents/1"), kDocumentInterface, "Close", {}).type(),
            QDBusMessage::ReplyMessage);
  try {
    kept->Put("Color", 6);
    app.ActiveDocument()->ModelSpace()->AddLightWeightPolyline({1, 1, 2, 2});
    app.Flush();
    FAIL() << "no error";
  } catch (const CadError& e) {
    EXPECT_EQ(e.number(), errc::NoDocument);
    EXPECT_EQ(e.description(), "The drawing \"Drawing1.dxf\" has been closed.");
  }
  EXPECT_EQ(app.EntitiesAdded(), 3u);
}

// The user closes the drawing in veskar-cad while a Draw is on its way. Where the application
// has run everything sent before the close (flushed), the draw fails as in process at the same
// point; otherwise the application ran nothing before the close (the draw is one batch) and it
// fails as in process when the drawing closes before the draw.
TEST_F(BusTest, ClosingTheDrawingMidDrawFailsAsItWouldInProcess) {
  graticule::DrawInputs in;
  in.texts = {"114", "5", "29.2", "10", "0.15", "0.1", "115.15"};
  in.check = 1;
  const auto save = [](const settings::SettingsRecord&) { return settings::SaveResult{}; };
  constexpr std::size_t kCloseAfter = 40;  // of 115

  auto local = makeInProcessApplication();
  const auto outLocal = graticule::RunDrawCommand(
      in, save,
      [&](graticule::CadLink& link, std::string&) {
        link.CadApp = local;
        link.CadDoc = local->ActiveDocument();
        return true;
      },
      [&](const graticule::EmissionProgress& p) {
        if (p.done == kCloseAfter) local->ActiveDocument()->Close();
      });
  ASSERT_EQ(outLocal.status, graticule::DrawOutcome::Status::FailedAfterAttach);
  ASSERT_EQ(outLocal.entitiesAdded, kCloseAfter);

  for (const bool flushed : {true, false}) {
    SCOPED_TRACE(flushed);
    if (nameOwned()) TearDown();
    while (nameOwned()) QThread::msleep(20);
    Cadbas cadbas;
    const auto outBus = graticule::RunDrawCommand(
        in, save,
        [&](graticule::CadLink& link, std::string& error) {
          if (!cadbas.ConnectCad(error)) return false;
          link.CadApp = cadbas.CadApp;
          link.CadDoc = cadbas.CadDoc;
          return true;
        },
        [&](const graticule::EmissionProgress& p) {
          if (p.done != kCloseAfter) return;
          if (flushed) cadbas.CadApp->Flush();
          callOn(QStringLiteral("/Application/Documents/1"), kDocumentInterface, "Close", {});
        });
    // The step differs: over the bus the failure is learnt at the final flush.
    EXPECT_EQ(outBus.status, outLocal.status);
    if (flushed) {
      EXPECT_EQ(outBus.message, outLocal.message);
      EXPECT_EQ(outBus.entitiesAdded, outLocal.entitiesAdded);
    } else {
      // Nothing had run when the drawing closed: in process that is the style's refusal.
      EXPECT_EQ(outBus.message, "The drawing \"Drawing1.dxf\" has been closed.");
      EXPECT_EQ(outBus.entitiesAdded, 0u);
    }
    EXPECT_EQ(cadbas.CadApp->EntitiesAdded(), outBus.entitiesAdded);
  }
}

// Small batches: while one is on its way the next is built, and a failure in it stops
// everything queued since, wherever the caller learns of it.
TEST_F(BusTest, NothingRunsAfterAFailedBatchEvenWhenTheNextWasAlreadyQueued) {
  Cadbas cadbas;
  std::string error;
  ASSERT_TRUE(cadbas.ConnectCad(error));
  auto app = makeBusApplication(bus(), bus().interface()->serviceOwner(QLatin1String(kServiceName)), 8);
  int reached = -1;
  std::optional<CadError> caught;
  try {
    for (int i = 0; i < 40; ++i) {
      reached = i;
      auto t = app->ActiveDocument()->ModelSpace()->AddText("t" + std::to_string(i), {double(i), 0, 0}, 10);
      t->Put("Color", 1);
      t->Put("StyleName", std::string(i == 10 ? "nosuch" : "Standard"));
    }
    app->Flush();
  } catch (const CadError& e) {
    caught = e;
  }
  ASSERT_TRUE(caught.has_value());
  EXPECT_EQ(caught->number(), errc::NotFound);
  EXPECT_GT(reached, 10);  // learnt of it later than it happened
  EXPECT_LT(reached, 40);
  EXPECT_EQ(app->EntitiesAdded(), 11u);
  const QString ms = QStringLiteral("/Application/Documents/1/ModelSpace");
  EXPECT_EQ(getProperty(ms, kModelSpaceInterface, "Count").toInt(), 11);
  EXPECT_EQ(getProperty(ms + QStringLiteral("/10"), kTextInterface, "TextString").toString(), QStringLiteral("t10"));
  // The handle still works for what comes next.
  app->ActiveDocument()->ModelSpace()->AddLightWeightPolyline({0, 0, 1, 1});
  app->Flush();
  EXPECT_EQ(getProperty(ms, kModelSpaceInterface, "Count").toInt(), 12);
}

struct CoercionCase {
  const char* name;
  const char* property;
  QVariant value;
  QVariant readBack;      // invalid: refused
  const char* errorName;  // when refused
};

TEST_F(BusTest, NumericPropertiesAcceptEveryDBusNumericType) {
  Cadbas cadbas;
  std::string error;
  ASSERT_TRUE(cadbas.ConnectCad(error));
  const QString ms = QStringLiteral("/Application/Documents/1/ModelSpace");
  ASSERT_EQ(callOn(ms, kModelSpaceInterface, "AddText",
                   {QVariant::fromValue(QDBusVariant(QStringLiteral("x"))), QVariant::fromValue(QList<double>{1, 2, 0}),
                    QVariant::fromValue(QDBusVariant(QVariant::fromValue(uchar(7))))})
                .type(),
            QDBusMessage::ReplyMessage);
  const QString text = ms + QStringLiteral("/0");
  EXPECT_EQ(getProperty(text, kTextInterface, "Height").toDouble(), 7.0);
  const CoercionCase cases[] = {
      {"byte", "Color", QVariant::fromValue(uchar(3)), 3, nullptr},
      {"int16", "Color", QVariant::fromValue(qint16(4)), 4, nullptr},
      {"uint16", "Color", QVariant::fromValue(quint16(5)), 5, nullptr},
      {"int32", "Color", QVariant::fromValue(qint32(6)), 6, nullptr},
      {"uint32", "Color", QVariant::fromValue(quint32(7)), 7, nullptr},
      {"int64", "Color", QVariant::fromValue(qint64(8)), 8, nullptr},
      {"uint64", "Color", QVariant::fromValue(quint64(9)), 9, nullptr},
      {"double", "Color", QVariant::fromValue(2.0), 2, nullptr},
      {"double half to even", "Color", QVariant::fromValue(2.5), 2, nullptr},
      {"text", "Color", QVariant::fromValue(QStringLiteral("red")), {}, "org.veskar.Cad.Error.TypeMismatch"},
      {"int16 height", "Height", QVariant::fromValue(qint16(1000)), 1000.0, nullptr},
      {"int32 height", "Height", QVariant::fromValue(qint32(250)), 250.0, nullptr},
      {"double height", "Height", QVariant::fromValue(2.5), 2.5, nullptr},
      {"uint64 scale", "ScaleFactor", QVariant::fromValue(quint64(2)), 2.0, nullptr},
      {"int16 rotation", "Rotation", QVariant::fromValue(qint16(0)), 0.0, nullptr},
      {"int32 alignment", "VerticalAlignment", QVariant::fromValue(qint32(1)), 1, nullptr},
      {"alignment out of range", "VerticalAlignment", QVariant::fromValue(qint32(9)), {}, "org.veskar.Cad.Error.InvalidArg"},
      {"unknown property", "Colour", QVariant::fromValue(1), {}, "org.veskar.Cad.Error.UnknownName"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QDBusMessage r = setProperty(text, kTextInterface, c.property, c.value);
    if (c.readBack.isValid()) {
      ASSERT_EQ(r.type(), QDBusMessage::ReplyMessage) << r.errorMessage().toStdString();
      EXPECT_EQ(getProperty(text, kTextInterface, c.property).toDouble(), c.readBack.toDouble());
    } else {
      EXPECT_EQ(r.errorName(), QLatin1String(c.errorName));
      EXPECT_FALSE(r.errorMessage().isEmpty());
    }
  }
}

TEST_F(BusTest, BatchRunsInOrderNamesEarlierResultsAndStopsAtTheFirstFailure) {
  startCadOurselves();
  const QString app = QLatin1String(kApplicationPath);
  const QString ms = QStringLiteral("/Application/Documents/1/ModelSpace");
  const QVariant pts = QVariant::fromValue(QList<double>{0, 0, 3, 4});
  // Order: the later Set wins; "$1" is the polyline operation 1 gave; results in order.
  BatchReply r = batch({
      {app, QStringLiteral("Get"), {QStringLiteral("ActiveDocument")}},
      {QStringLiteral("$0"), QStringLiteral("Get"), {QStringLiteral("ModelSpace")}},
      {QStringLiteral("$1"), QStringLiteral("AddLightWeightPolyline"), {pts}},
      {QStringLiteral("$2"), QStringLiteral("Set"), {QStringLiteral("Color"), 1}},
      {QStringLiteral("$2"), QStringLiteral("Set"), {QStringLiteral("Color"), QVariant::fromValue(qint16(6))}},
      {QStringLiteral("$2"), QStringLiteral("Get"), {QStringLiteral("Color")}},
      {ms, QStringLiteral("Get"), {QStringLiteral("Count")}},
  });
  EXPECT_EQ(r.failedIndex, -1);
  EXPECT_TRUE(r.errorName.isEmpty());
  ASSERT_EQ(r.results.size(), 7);
  EXPECT_EQ(r.results[0].value<QDBusObjectPath>().path(), QStringLiteral("/Application/Documents/1"));
  EXPECT_EQ(r.results[1].value<QDBusObjectPath>().path(), ms);
  EXPECT_EQ(r.results[2].value<QDBusObjectPath>().path(), ms + QStringLiteral("/0"));
  EXPECT_EQ(r.results[3], QVariant::fromValue(uchar(0)));
  EXPECT_EQ(r.results[5].toInt(), 6);
  EXPECT_EQ(r.results[6].toInt(), 1);

  // The first failure stops the batch: operations after it do not run.
  r = batch({
      {ms, QStringLiteral("AddLightWeightPolyline"), {pts}},
      {QStringLiteral("$0"), QStringLiteral("Set"), {QStringLiteral("Color"), QStringLiteral("blue")}},
      {ms, QStringLiteral("AddLightWeightPolyline"), {pts}},
      {QStringLiteral("$0"), QStringLiteral("Set"), {QStringLiteral("Color"), 2}},
  });
  EXPECT_EQ(r.failedIndex, 1);
  EXPECT_EQ(r.errorName, QStringLiteral("org.veskar.Cad.Error.TypeMismatch"));
  EXPECT_FALSE(r.errorMessage.isEmpty());
  ASSERT_EQ(r.results.size(), 1);
  EXPECT_EQ(r.results[0].value<QDBusObjectPath>().path(), ms + QStringLiteral("/1"));
  EXPECT_EQ(getProperty(ms, kModelSpaceInterface, "Count").toInt(), 2);
  EXPECT_EQ(getProperty(ms + QStringLiteral("/1"), kPolylineInterface, "Color").toInt(), 256);

  // A reference to an operation that gave no object, or to a later one, fails at that point.
  struct BadRef {
    QList<BusOp> ops;
    int failedIndex;
    const char* errorName;
  };
  const BadRef bad[] = {
      {{{ms, QStringLiteral("Get"), {QStringLiteral("Count")}}, {QStringLiteral("$0"), QStringLiteral("Get"), {QStringLiteral("Color")}}},
       1, "org.veskar.Cad.Error.InvalidArg"},
      {{{QStringLiteral("$1"), QStringLiteral("Get"), {QStringLiteral("Color")}}, {ms, QStringLiteral("Get"), {QStringLiteral("Count")}}},
       0, "org.veskar.Cad.Error.InvalidArg"},
      {{{QStringLiteral("$x"), QStringLiteral("Get"), {QStringLiteral("Color")}}}, 0, "org.veskar.Cad.Error.InvalidArg"},
      {{{QStringLiteral("/Application/Documents/9"), QStringLiteral("Get"), {QStringLiteral("Name")}}}, 0,
       "org.veskar.Cad.Error.NotFound"},
      {{{ms, QStringLiteral("Explode"), {}}}, 0, "org.veskar.Cad.Error.UnknownName"},
      {{{ms, QStringLiteral("AddText"), {QStringLiteral("a")}}}, 0, "org.veskar.Cad.Error.InvalidArg"},
  };
  for (const auto& c : bad) {
    const BatchReply b = batch(c.ops);
    EXPECT_EQ(b.failedIndex, c.failedIndex) << c.errorName;
    EXPECT_EQ(b.errorName, QLatin1String(c.errorName));
  }
  EXPECT_EQ(getProperty(ms, kModelSpaceInterface, "Count").toInt(), 2);
}

// The structured batch with the chained look-ups: a layer added and a line put on it, then a
// layer the drawing lacks refused as a single call would be.
TEST_F(BusTest, BatchAddsLayersAndLinesThroughChainedLookUps) {
  startCadOurselves();
  const QString app = QLatin1String(kApplicationPath), doc = QStringLiteral("/Application/Documents/1");
  const QVariant start = QVariant::fromValue(QList<double>{1, 2, 0}), end = QVariant::fromValue(QList<double>{3, 4, 0});
  const BatchReply r = batch({
      {app, QStringLiteral("ActiveDocument.Layers.Add"), {QStringLiteral("grid")}},
      {app, QStringLiteral("ActiveDocument.ModelSpace.AddLine"), {start, end}},
      {QStringLiteral("$1"), QStringLiteral("Set"),
       {QStringLiteral("Layer"), QStringLiteral("GRID"), QStringLiteral("Color"), 3}},
      {QStringLiteral("$1"), QStringLiteral("Get"), {QStringLiteral("Layer")}},
      {QStringLiteral("$0.1"), QStringLiteral("Get"), {QStringLiteral("Count")}},
      {QStringLiteral("$1"), QStringLiteral("Get"), {QStringLiteral("EndPoint")}},
      {QStringLiteral("$1"), QStringLiteral("Set"), {QStringLiteral("Layer"), QStringLiteral("nosuch")}},
      {QStringLiteral("$0"), QStringLiteral("Get"), {QStringLiteral("Name")}},
  });
  EXPECT_EQ(r.failedIndex, 6);
  EXPECT_EQ(r.errorName, errorName(errc::NotFound));
  EXPECT_EQ(r.errorMessage, QStringLiteral("The drawing has no layer named \"nosuch\"."));
  ASSERT_EQ(r.results.size(), 6);
  const auto paths = [](const QVariant& v) {
    QStringList out;
    for (const QVariant& p : v.toList()) out << qvariant_cast<QDBusObjectPath>(p).path();
    return out;
  };
  EXPECT_EQ(paths(r.results[0]), (QStringList{doc, doc + "/Layers", doc + "/Layers/1"}));
  EXPECT_EQ(paths(r.results[1]), (QStringList{doc, doc + "/ModelSpace", doc + "/ModelSpace/0"}));
  EXPECT_EQ(r.results[3].toString(), QStringLiteral("grid"));
  EXPECT_EQ(r.results[4].toInt(), 2);
  EXPECT_EQ(r.results[5].value<QList<double>>(), (QList<double>{3, 4, 0}));
  EXPECT_EQ(getProperty(doc + "/ModelSpace/0", kLineInterface, "Layer").toString(), QStringLiteral("grid"));
}

// The client's compact batch: a malformed one is refused whole, before anything runs.
TEST_F(BusTest, ATruncatedPackedBatchIsRefusedAndRunsNothing) {
  startCadOurselves();
  const std::string whole = packed::encode(std::vector<packed::Op>{
      {"/Application/Documents/1/ModelSpace", "AddLightWeightPolyline", {std::vector<double>{0, 0, 1, 1}}}});
  for (const std::size_t cut : {std::size_t{1}, whole.size() - 1}) {
    const QDBusMessage r = callOn(QLatin1String(kApplicationPath), kApplicationInterface, "BatchPacked",
                                  {QByteArray(whole.data(), qsizetype(cut))});
    EXPECT_EQ(r.errorName(), errorName(errc::InvalidArg)) << cut;
  }
  EXPECT_EQ(getProperty(QStringLiteral("/Application/Documents/1/ModelSpace"), kModelSpaceInterface, "Count").toInt(), 0);
}

TEST_F(BusTest, IntrospectionShowsEveryMember) {
  startCadOurselves();
  struct Case {
    const char* path;
    QStringList members;
  };
  ASSERT_EQ(callOn(QStringLiteral("/Application/Documents/1/ModelSpace"), kModelSpaceInterface,
                   "AddLightWeightPolyline", {QVariant::fromValue(QList<double>{0, 0, 1, 1})})
                .type(),
            QDBusMessage::ReplyMessage);
  ASSERT_EQ(callOn(QStringLiteral("/Application/Documents/1/ModelSpace"), kModelSpaceInterface, "AddLine",
                   {QVariant::fromValue(QList<double>{0, 0, 0}), QVariant::fromValue(QList<double>{1, 1, 0})})
                .type(),
            QDBusMessage::ReplyMessage);
  const Case cases[] = {
      {"/Application", {"org.veskar.Cad.Application", "Visible", "Caption", "ActiveDocument", "Activate", "Quit", "Batch", "BatchPacked"}},
      {"/Application/Documents/1",
       {"org.veskar.Cad.Document", "Name", "ModelSpace", "TextStyles", "Layers", "SaveAs", "Close"}},
      {"/Application/Documents/1/TextStyles", {"org.veskar.Cad.TextStyles", "Add"}},
      {"/Application/Documents/1/TextStyles/0", {"org.veskar.Cad.TextStyle", "Name", "fontFile", "BigFontFile"}},
      {"/Application/Documents/1/Layers", {"org.veskar.Cad.Layers", "Count", "Add"}},
      {"/Application/Documents/1/Layers/0", {"org.veskar.Cad.Layer", "Name"}},
      {"/Application/Documents/1/ModelSpace",
       {"org.veskar.Cad.ModelSpace", "AddText", "AddLightWeightPolyline", "AddLine", "Count"}},
      {"/Application/Documents/1/ModelSpace/0",
       {"org.veskar.Cad.LightWeightPolyline", "Coordinates", "Color", "Layer", "ConstantWidth", "Closed"}},
      {"/Application/Documents/1/ModelSpace/1", {"org.veskar.Cad.Line", "StartPoint", "EndPoint", "Color", "Layer"}},
  };
  for (const auto& c : cases) {
    const QDBusMessage r = callOn(QLatin1String(c.path), "org.freedesktop.DBus.Introspectable", "Introspect", {});
    ASSERT_EQ(r.type(), QDBusMessage::ReplyMessage) << c.path;
    const QString xml = r.arguments().value(0).toString();
    for (const QString& m : c.members) EXPECT_TRUE(xml.contains(QLatin1Char('"') + m + QLatin1Char('"'))) << c.path << " " << m.toStdString();
  }
}

}  // namespace
}  // namespace veskar::cad::bus

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // Run as the short-lived program that starts the drawing application and exits.
  if (qEnvironmentVariableIsSet("VESKAR_BUS_TEST_STARTER")) {
    veskar::cad::Cadbas cadbas;
    std::string error;
    if (cadbas.ConnectCad(error) && cadbas.CadDoc) return 0;
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
