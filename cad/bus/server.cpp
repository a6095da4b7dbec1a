#include "cad/bus/server.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMetaObject>

#include "cad/bus/qvariant.h"
#include "cad/inprocess.h"
#include "platform/text.h"

namespace veskar::cad::bus {

struct CadServer::Target {
  enum class Kind { Application, Document, TextStyles, TextStyle, ModelSpace, Entity };
  Kind kind = Kind::Application;
  int docId = 0;
  std::size_t index = 0;                // style or entity position
  std::shared_ptr<CadObject> object;    // the in-process object (all but Application)

  QString path() const {
    QString p = QLatin1String(kDocumentsPath) + QLatin1Char('/') + QString::number(docId);
    switch (kind) {
      case Kind::Application: return QLatin1String(kApplicationPath);
      case Kind::Document: return p;
      case Kind::TextStyles: return p + QLatin1String("/TextStyles");
      case Kind::TextStyle: return p + QLatin1String("/TextStyles/") + QString::number(index);
      case Kind::ModelSpace: return p + QLatin1String("/ModelSpace");
      case Kind::Entity: return p + QLatin1String("/ModelSpace/") + QString::number(index);
    }
    return {};
  }
};

namespace {

using Kind = CadServer::Target::Kind;

bool is(const QString& member, const char* name) {
  return member.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

[[noreturn]] void noSuchObject(const QString& path) {
  throw CadError(errc::NotFound, "There is no object at " + utf8(path) + ".");
}

[[noreturn]] void noSuchMethod(const QString& member, const char* object) {
  throw CadError(errc::UnknownName, std::string(object) + " has no method named \"" + utf8(member) + "\".");
}

void expectArgs(const QVariantList& args, qsizetype n, const QString& member) {
  if (args.size() != n)
    throw CadError(errc::InvalidArg, utf8(member) + " takes " + std::to_string(n) + " argument(s); " +
                                         std::to_string(args.size()) + " were given.");
}

// Argument i as an automation value.
Variant value(const QVariantList& args, qsizetype i) { return fromQVariant(args[i]); }

// Argument i as text (a property name, a path, a style name).
QString textArg(const QVariantList& args, qsizetype i, const char* what) {
  return qt(toText(value(args, i), what));
}

bool parseIndex(QStringView s, std::size_t& out) {
  if (s.isEmpty() || s.size() > 18) return false;
  std::size_t v = 0;
  for (QChar c : s) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    v = v * 10 + std::size_t(c.unicode() - '0');
  }
  out = v;
  return true;
}

const char kApplicationXml[] =
    "  <interface name=\"org.veskar.Cad.Application\">\n"
    "    <property name=\"Visible\" type=\"b\" access=\"readwrite\"/>\n"
    "    <property name=\"Caption\" type=\"s\" access=\"read\"/>\n"
    "    <property name=\"ActiveDocument\" type=\"o\" access=\"read\"/>\n"
    "    <method name=\"Activate\"/>\n"
    "    <method name=\"Quit\"/>\n"
    "    <method name=\"Batch\"><arg name=\"operations\" type=\"a(ssav)\" direction=\"in\"/>"
    "<arg name=\"results\" type=\"av\" direction=\"out\"/>"
    "<arg name=\"failed_index\" type=\"i\" direction=\"out\"/><arg name=\"error_name\" type=\"s\" direction=\"out\"/>"
    "<arg name=\"error_message\" type=\"s\" direction=\"out\"/></method>\n"
    "  </interface>\n";

const char kDocumentXml[] =
    "  <interface name=\"org.veskar.Cad.Document\">\n"
    "    <property name=\"Name\" type=\"s\" access=\"read\"/>\n"
    "    <property name=\"ModelSpace\" type=\"o\" access=\"read\"/>\n"
    "    <property name=\"TextStyles\" type=\"o\" access=\"read\"/>\n"
    "    <method name=\"SaveAs\"><arg name=\"path\" type=\"s\" direction=\"in\"/></method>\n"
    "    <method name=\"Close\"/>\n"
    "  </interface>\n";

const char kTextStylesXml[] =
    "  <interface name=\"org.veskar.Cad.TextStyles\">\n"
    "    <property name=\"Count\" type=\"i\" access=\"read\"/>\n"
    "    <method name=\"Add\"><arg name=\"name\" type=\"s\" direction=\"in\"/>"
    "<arg name=\"style\" type=\"o\" direction=\"out\"/></method>\n"
    "  </interface>\n";

const char kTextStyleXml[] =
    "  <interface name=\"org.veskar.Cad.TextStyle\">\n"
    "    <property name=\"Name\" type=\"s\" access=\"read\"/>\n"
    "    <property name=\"fontFile\" type=\"s\" access=\"readwrite\"/>\n"
    "    <property name=\"BigFontFile\" type=\"s\" access=\"readwrite\"/>\n"
    "  </interface>\n";

const char kModelSpaceXml[] =
    "  <interface name=\"org.veskar.Cad.ModelSpace\">\n"
    "    <property name=\"Count\" type=\"i\" access=\"read\"/>\n"
    "    <method name=\"AddText\"><arg name=\"text\" type=\"v\" direction=\"in\"/>"
    "<arg name=\"point\" type=\"ad\" direction=\"in\"/><arg name=\"height\" type=\"v\" direction=\"in\"/>"
    "<arg name=\"entity\" type=\"o\" direction=\"out\"/></method>\n"
    "    <method name=\"AddLightWeightPolyline\"><arg name=\"vertices\" type=\"ad\" direction=\"in\"/>"
    "<arg name=\"entity\" type=\"o\" direction=\"out\"/></method>\n"
    "  </interface>\n";

// Numeric properties take any D-Bus numeric type (declared as the type they are read back as).
const char kTextXml[] =
    "  <interface name=\"org.veskar.Cad.Text\">\n"
    "    <property name=\"TextString\" type=\"s\" access=\"readwrite\"/>\n"
    "    <property name=\"InsertionPoint\" type=\"ad\" access=\"readwrite\"/>\n"
    "    <property name=\"Height\" type=\"d\" access=\"readwrite\"/>\n"
    "    <property name=\"Color\" type=\"i\" access=\"readwrite\"/>\n"
    "    <property name=\"ScaleFactor\" type=\"d\" access=\"readwrite\"/>\n"
    "    <property name=\"StyleName\" type=\"s\" access=\"readwrite\"/>\n"
    "    <property name=\"Rotation\" type=\"d\" access=\"readwrite\"/>\n"
    "    <property name=\"VerticalAlignment\" type=\"i\" access=\"readwrite\"/>\n"
    "    <property name=\"HorizontalAlignment\" type=\"i\" access=\"readwrite\"/>\n"
    "    <property name=\"TextAlignmentPoint\" type=\"ad\" access=\"readwrite\"/>\n"
    "  </interface>\n";

const char kPolylineXml[] =
    "  <interface name=\"org.veskar.Cad.LightWeightPolyline\">\n"
    "    <property name=\"Coordinates\" type=\"ad\" access=\"readwrite\"/>\n"
    "    <property name=\"Color\" type=\"i\" access=\"readwrite\"/>\n"
    "  </interface>\n";

const char* const kTextProperties[] = {"TextString", "InsertionPoint", "Height", "Color",
                                       "ScaleFactor", "StyleName", "Rotation",
                                       "VerticalAlignment", "HorizontalAlignment",
                                       "TextAlignmentPoint"};
const char* const kPolylineProperties[] = {"Coordinates", "Color"};
const char* const kStyleProperties[] = {"Name", "fontFile", "BigFontFile"};

bool isText(const CadServer::Target& t, CadSession& session) {
  const auto* d = session.document(t.docId);
  const DrawingData* data = d ? drawingOf(*d->doc) : nullptr;
  return data && t.index < data->entities.size() &&
         std::holds_alternative<TextData>(data->entities[t.index]);
}

}  // namespace

CadServer::CadServer(CadSession& session, QObject* parent)
    : QDBusVirtualObject(parent), session_(session) {
  registerBusTypes();
}

CadServer::~CadServer() = default;

bool CadServer::publish(QDBusConnection connection, QString& error) {
  if (!connection.isConnected()) {
    error = connection.lastError().message();
    return false;
  }
  if (!connection.registerVirtualObject(QLatin1String(kApplicationPath), this,
                                        QDBusConnection::SubPath)) {
    error = connection.lastError().isValid()
                ? connection.lastError().message()
                : QStringLiteral("The object path %1 is already in use on this connection.")
                      .arg(QLatin1String(kApplicationPath));
    return false;
  }
  // Do not queue behind another owner: a second veskar-cad must find out at once.
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
      connection.interface()->registerService(QLatin1String(kServiceName),
                                              QDBusConnectionInterface::DontQueueService,
                                              QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid()) {
    error = reply.error().message();
    connection.unregisterObject(QLatin1String(kApplicationPath), QDBusConnection::UnregisterTree);
    return false;
  }
  if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
    error = QStringLiteral("The bus name %1 already has an owner.").arg(QLatin1String(kServiceName));
    connection.unregisterObject(QLatin1String(kApplicationPath), QDBusConnection::UnregisterTree);
    return false;
  }
  return true;
}

CadServer::Target CadServer::resolve(const QString& path) const {
  Target t;
  if (path == QLatin1String(kApplicationPath)) return t;
  const QLatin1String docs(kDocumentsPath);
  if (!path.startsWith(docs) || path.size() <= docs.size() + 1 || path[docs.size()] != QLatin1Char('/'))
    noSuchObject(path);
  const QList<QStringView> parts = QStringView(path).mid(docs.size() + 1).split(QLatin1Char('/'));
  std::size_t id = 0;
  if (!parseIndex(parts[0], id) || id > 1u << 30) noSuchObject(path);
  CadSession::Document* d = session_.document(int(id));
  if (!d) noSuchObject(path);
  t.docId = int(id);
  if (parts.size() == 1) {
    t.kind = Kind::Document;
    t.object = d->doc;
    return t;
  }
  const DrawingData* data = drawingOf(*d->doc);
  if (parts[1] == QLatin1String("TextStyles")) {
    if (parts.size() == 2) {
      t.kind = Kind::TextStyles;
      t.object = d->doc->TextStyles();  // a closed drawing refuses here already
      return t;
    }
    if (parts.size() == 3 && parseIndex(parts[2], t.index) && data && t.index < data->styles.size()) {
      t.kind = Kind::TextStyle;
      t.object = styleNamed(*d->doc, data->styles[t.index].name);
      if (t.object) return t;
    }
  } else if (parts[1] == QLatin1String("ModelSpace")) {
    if (parts.size() == 2) {
      t.kind = Kind::ModelSpace;
      t.object = d->doc->ModelSpace();
      return t;
    }
    if (parts.size() == 3 && parseIndex(parts[2], t.index)) {
      t.kind = Kind::Entity;
      t.object = entityAt(*d->doc, t.index);
      if (t.object) return t;
    }
  }
  noSuchObject(path);
}

QVariant CadServer::getProperty(Target& t, const QString& name, std::unique_ptr<Target>* produced) {
  auto produce = [&](Target&& nt) -> QVariant {
    QDBusObjectPath p(nt.path());
    if (produced) *produced = std::make_unique<Target>(std::move(nt));
    return QVariant::fromValue(p);
  };
  switch (t.kind) {
    case Kind::Application:
      if (is(name, "Visible")) return session_.visible();
      if (is(name, "Caption")) return session_.caption();
      if (is(name, "ActiveDocument")) {
        CadSession::Document* d = session_.active();
        if (!d) throw CadError(errc::NoDocument, "No drawing is open.");
        Target nt;
        nt.kind = Kind::Document;
        nt.docId = d->id;
        nt.object = d->doc;
        return produce(std::move(nt));
      }
      throw CadError(errc::UnknownName, "The application has no property named \"" + utf8(name) + "\".");
    case Kind::Document: {
      auto doc = std::static_pointer_cast<CadDocument>(t.object);
      if (is(name, "ModelSpace") || is(name, "TextStyles")) {
        Target nt;
        nt.docId = t.docId;
        if (is(name, "ModelSpace")) {
          nt.kind = Kind::ModelSpace;
          nt.object = doc->ModelSpace();
        } else {
          nt.kind = Kind::TextStyles;
          nt.object = doc->TextStyles();
        }
        return produce(std::move(nt));
      }
      return toQVariant(doc->Get(utf8(name)));
    }
    default:
      return toQVariant(t.object->Get(utf8(name)));
  }
}

void CadServer::setProperty(Target& t, const QString& name, const QVariant& value) {
  if (t.kind == Kind::Application) {
    if (is(name, "Visible")) {
      session_.setVisible(toBool(fromQVariant(value), "Visible"));
      return;
    }
    if (is(name, "Caption") || is(name, "ActiveDocument"))
      throw CadError(errc::ReadOnly, "The property " + utf8(name) + " of the application cannot be changed.");
    throw CadError(errc::UnknownName, "The application has no property named \"" + utf8(name) + "\".");
  }
  if (t.kind == Kind::Document && (is(name, "ModelSpace") || is(name, "TextStyles")))
    throw CadError(errc::ReadOnly, "The property " + utf8(name) + " of a drawing cannot be changed.");
  t.object->Put(utf8(name), fromQVariant(value));
}

QVariantMap CadServer::getAll(Target& t) {
  QVariantMap out;
  auto collect = [&](const auto& names) {
    for (const char* n : names) out.insert(QLatin1String(n), getProperty(t, QLatin1String(n), nullptr));
  };
  switch (t.kind) {
    case Kind::Application: {
      static const char* const names[] = {"Visible", "Caption"};
      collect(names);
      if (session_.active()) out.insert(QStringLiteral("ActiveDocument"), getProperty(t, QStringLiteral("ActiveDocument"), nullptr));
      break;
    }
    case Kind::Document: {
      static const char* const names[] = {"Name", "ModelSpace", "TextStyles"};
      collect(names);
      break;
    }
    case Kind::TextStyles:
    case Kind::ModelSpace: {
      static const char* const names[] = {"Count"};
      collect(names);
      break;
    }
    case Kind::TextStyle:
      collect(kStyleProperties);
      break;
    case Kind::Entity:
      if (isText(t, session_)) {
        collect(kTextProperties);
      } else {
        collect(kPolylineProperties);
      }
      break;
  }
  return out;
}

QVariant CadServer::run(Target& t, const QString& member, const QVariantList& args,
                        std::unique_ptr<Target>* produced) {
  if (member == QLatin1String("Get")) {
    expectArgs(args, 1, member);
    return getProperty(t, textArg(args, 0, "property name"), produced);
  }
  if (member == QLatin1String("Set")) {
    // Set name, value [, name, value ...]: one after the other, up to the first refusal.
    if (args.size() < 2 || args.size() % 2 != 0)
      throw CadError(errc::InvalidArg, "Set takes pairs of a property name and a value; " +
                                           std::to_string(args.size()) + " argument(s) were given.");
    for (qsizetype i = 0; i < args.size(); i += 2) setProperty(t, textArg(args, i, "property name"), args[i + 1]);
    return {};
  }
  auto produceObject = [&](Kind kind, std::size_t index, std::shared_ptr<CadObject> obj) -> QVariant {
    Target nt;
    nt.kind = kind;
    nt.docId = t.docId;
    nt.index = index;
    nt.object = std::move(obj);
    QDBusObjectPath p(nt.path());
    if (produced) *produced = std::make_unique<Target>(std::move(nt));
    return QVariant::fromValue(p);
  };
  const DrawingData* data = nullptr;
  if (t.kind != Kind::Application) {
    if (CadSession::Document* d = session_.document(t.docId)) data = drawingOf(*d->doc);
  }
  switch (t.kind) {
    case Kind::Application:
      if (is(member, "Activate")) {
        expectArgs(args, 0, member);
        session_.requestActivate();
        return {};
      }
      if (is(member, "Quit")) {
        expectArgs(args, 0, member);
        // After the reply has gone out.
        QMetaObject::invokeMethod(&session_, [s = &session_] { s->requestQuit(); }, Qt::QueuedConnection);
        return {};
      }
      noSuchMethod(member, "The application");
    case Kind::Document:
      if (is(member, "SaveAs")) {
        expectArgs(args, 1, member);
        session_.saveDocument(t.docId, textArg(args, 0, "path"));
        return {};
      }
      if (is(member, "Close")) {
        expectArgs(args, 0, member);
        if (CadSession::Document* d = session_.document(t.docId); d && d->closed)
          throw CadError(errc::NoDocument, "The drawing has already been closed.");
        session_.closeDocument(t.docId);
        return {};
      }
      noSuchMethod(member, "A drawing");
    case Kind::TextStyles:
      if (is(member, "Add")) {
        expectArgs(args, 1, member);
        auto styles = std::static_pointer_cast<CadTextStyles>(t.object);
        const std::string name = toText(value(args, 0), "name");
        auto style = styles->Add(name);
        std::size_t index = 0;
        if (data) {
          for (std::size_t i = 0; i < data->styles.size(); ++i) {
            if (platform::equalIgnoringCase(data->styles[i].name, name)) {
              index = i;
              break;
            }
          }
        }
        return produceObject(Kind::TextStyle, index, std::move(style));
      }
      noSuchMethod(member, "The text style collection");
    case Kind::ModelSpace: {
      auto ms = std::static_pointer_cast<CadModelSpace>(t.object);
      if (is(member, "AddText")) {
        expectArgs(args, 3, member);
        auto e = ms->AddText(value(args, 0), toDoubleArray(value(args, 1), "point"), value(args, 2));
        return produceObject(Kind::Entity, data ? data->entities.size() - 1 : 0, std::move(e));
      }
      if (is(member, "AddLightWeightPolyline")) {
        expectArgs(args, 1, member);
        auto e = ms->AddLightWeightPolyline(toDoubleArray(value(args, 0), "vertices"));
        return produceObject(Kind::Entity, data ? data->entities.size() - 1 : 0, std::move(e));
      }
      noSuchMethod(member, "Model space");
    }
    case Kind::TextStyle:
      noSuchMethod(member, "A text style");
    case Kind::Entity:
      noSuchMethod(member, "An entity");
  }
  noSuchMethod(member, "The object");
}

QVariant CadServer::call(const QString& path, const QString& member, const QVariantList& args) {
  Target t = resolve(path);
  return run(t, member, args, nullptr);
}

QVariantList CadServer::runBatch(const QList<BusOp>& ops, qsizetype& failedIndex, CadError& failure) {
  failedIndex = -1;
  QVariantList results;
  results.reserve(ops.size());
  std::vector<std::unique_ptr<Target>> produced(std::size_t(ops.size()));
  const QVariant none = QVariant::fromValue(QDBusVariant(QVariant::fromValue(uchar(0))));
  for (qsizetype i = 0; i < ops.size(); ++i) {
    const BusOp& op = ops[i];
    try {
      Target local;
      Target* target = nullptr;
      if (op.target.startsWith(QLatin1Char('$'))) {
        std::size_t k = 0;
        if (!parseIndex(QStringView(op.target).mid(1), k) || k >= std::size_t(i) || !produced[k])
          throw CadError(errc::InvalidArg, "Operation " + std::to_string(i) + " names " + utf8(op.target) +
                                               ", which is not an object given by an earlier operation of the batch.");
        target = produced[k].get();
      } else {
        local = resolve(op.target);
        target = &local;
      }
      const QVariant r = run(*target, op.member, op.args, &produced[std::size_t(i)]);
      results.append(r.isValid() ? QVariant::fromValue(QDBusVariant(r)) : none);
    } catch (const CadError& e) {
      failedIndex = i;
      failure = e;
      return results;
    }
  }
  return results;
}

bool CadServer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage) return false;
  const QString iface = message.interface();
  const QString member = message.member();
  auto reply = [&](QDBusMessage r) {
    if (message.isReplyRequired()) connection.send(r);
  };
  auto fail = [&](const CadError& e) {
    reply(message.createErrorReply(errorName(e.number()), qt(e.description())));
  };
  try {
    Target t = resolve(message.path());
    if (t.kind == Kind::Application && member == QLatin1String("Batch") &&
        (iface.isEmpty() || iface == QLatin1String(kApplicationInterface))) {
      const QList<BusOp> ops = qdbus_cast<QList<BusOp>>(message.arguments().value(0));
      qsizetype failedIndex = -1;
      CadError failure(errc::Fail, "");
      const QVariantList results = runBatch(ops, failedIndex, failure);
      QDBusMessage r = message.createReply(QVariant(results));
      if (failedIndex >= 0) {
        r << qint32(failedIndex) << errorName(failure.number()) << qt(failure.description());
      } else {
        r << qint32(-1) << QString() << QString();
      }
      reply(r);
      return true;
    }
    QVariantList args;
    args.reserve(message.arguments().size());
    for (const QVariant& a : message.arguments()) args.append(fromWire(a));

    if (iface == QLatin1String(kPropertiesInterface)) {
      if (member == QLatin1String("Get")) {
        expectArgs(args, 2, member);
        const QVariant v = getProperty(t, textArg(args, 1, "property name"), nullptr);
        reply(message.createReply(QVariant::fromValue(QDBusVariant(v))));
      } else if (member == QLatin1String("Set")) {
        expectArgs(args, 3, member);
        setProperty(t, textArg(args, 1, "property name"), args[2]);
        reply(message.createReply());
      } else if (member == QLatin1String("GetAll")) {
        expectArgs(args, 1, member);
        reply(message.createReply(QVariant::fromValue(getAll(t))));
      } else {
        return false;
      }
      return true;
    }
    if (!iface.isEmpty() && !iface.startsWith(QLatin1String("org.veskar.Cad."))) return false;

    const QVariant r = run(t, member, args, nullptr);
    reply(r.isValid() ? message.createReply(r) : message.createReply());
  } catch (const CadError& e) {
    fail(e);
  }
  return true;
}

QString CadServer::introspect(const QString& path) const {
  Kind kind;
  bool text = true;
  try {
    Target t = resolve(path);
    kind = t.kind;
    if (kind == Kind::Entity) text = isText(t, session_);
  } catch (const CadError&) {
    return {};
  }
  QString xml;
  switch (kind) {
    case Kind::Application: xml += QLatin1String(kApplicationXml); break;
    case Kind::Document: xml += QLatin1String(kDocumentXml); break;
    case Kind::TextStyles: xml += QLatin1String(kTextStylesXml); break;
    case Kind::TextStyle: xml += QLatin1String(kTextStyleXml); break;
    case Kind::ModelSpace: xml += QLatin1String(kModelSpaceXml); break;
    case Kind::Entity: xml += QLatin1String(text ? kTextXml : kPolylineXml); break;
  }
  return xml;
}

}  // namespace veskar::cad::bus
