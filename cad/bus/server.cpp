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
  ObjectKind kind = ObjectKind::Application;
  int docId = 0;
  std::size_t index = 0;              // style, layer or entity position
  std::shared_ptr<CadObject> object;  // the in-process object (all but the application)

  std::string path() const {
    if (kind == ObjectKind::Application) return kApplicationPath;
    std::string p = std::string(kDocumentsPath) + '/' + std::to_string(docId);
    switch (kind) {
      case ObjectKind::TextStyles: return p + "/TextStyles";
      case ObjectKind::TextStyle: return p + "/TextStyles/" + std::to_string(index);
      case ObjectKind::Layers: return p + "/Layers";
      case ObjectKind::Layer: return p + "/Layers/" + std::to_string(index);
      case ObjectKind::ModelSpace: return p + "/ModelSpace";
      case ObjectKind::Text:
      case ObjectKind::Polyline:
      case ObjectKind::Line: return p + "/ModelSpace/" + std::to_string(index);
      default: return p;
    }
  }
};

struct CadServer::Given {
  Variant value;
  std::unique_ptr<Target> object;
};

namespace {

using Given = CadServer::Given;
using Target = CadServer::Target;

Given objectGiven(ObjectKind kind, int docId, std::size_t index, std::shared_ptr<CadObject> object) {
  return {{}, std::make_unique<Target>(Target{kind, docId, index, std::move(object)})};
}

[[noreturn]] void noSuchObject(std::string_view path) {
  throw CadError(errc::NotFound, "There is no object at " + std::string(path) + ".");
}

[[noreturn]] void noSuchMethod(std::string_view member, ObjectKind kind) {
  throw CadError(errc::UnknownName,
                 std::string(objectSpec(kind).subject) + " has no method named \"" + std::string(member) + "\".");
}

void expectArgs(const std::vector<Variant>& args, std::size_t n, std::string_view member) {
  if (args.size() != n)
    throw CadError(errc::InvalidArg, std::string(member) + " takes " + std::to_string(n) + " argument(s); " +
                                         std::to_string(args.size()) + " were given.");
}

std::size_t parameterCount(const MemberSpec& m) {
  std::size_t n = 0;
  while (n < std::size(m.params) && m.params[n].name) ++n;
  return n;
}

bool parseIndex(std::string_view s, std::size_t& out) {
  if (s.empty() || s.size() > 18) return false;
  std::size_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + std::size_t(c - '0');
  }
  out = v;
  return true;
}

std::vector<std::string_view> split(std::string_view s, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = s.find(separator, start);
    parts.push_back(s.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

// The kind of the entity at `index` of a drawing: a text, a polyline or a line.
ObjectKind entityKind(const DrawingData* data, std::size_t index) {
  if (!data || index >= data->entities.size()) return ObjectKind::Polyline;
  const EntityData& e = data->entities[index];
  if (std::holds_alternative<TextData>(e)) return ObjectKind::Text;
  if (std::holds_alternative<LineData>(e)) return ObjectKind::Line;
  return ObjectKind::Polyline;
}

// The position of the symbol named `name` (any case) among `symbols` (styles or layers).
template <typename Symbols>
std::size_t positionOf(const Symbols& symbols, const std::string& name) {
  std::size_t i = 0;
  while (i < symbols.size() && !platform::equalIgnoringCase(symbols[i].name, name)) ++i;
  return i;
}

// The description of an object kind's interface, from the member table.
QString interfaceXml(ObjectKind kind) {
  QString xml = QStringLiteral("  <interface name=\"%1%2\">\n").arg(QLatin1String(kInterfacePrefix),
                                                                     QLatin1String(objectSpec(kind).name));
  for (const MemberSpec& m : membersOf(kind)) {
    if (m.access != Access::Method) {
      xml += QStringLiteral("    <property name=\"%1\" type=\"%2\" access=\"%3\"/>\n")
                 .arg(QLatin1String(m.name), QLatin1String(m.type),
                      QLatin1String(m.access == Access::ReadWrite ? "readwrite" : "read"));
      continue;
    }
    QString args;
    for (std::size_t i = 0; i < parameterCount(m); ++i)
      args += QStringLiteral("<arg name=\"%1\" type=\"%2\" direction=\"in\"/>")
                  .arg(QLatin1String(m.params[i].name), QLatin1String(m.params[i].type));
    if (m.resultName)
      args += QStringLiteral("<arg name=\"%1\" type=\"%2\" direction=\"out\"/>")
                  .arg(QLatin1String(m.resultName), QLatin1String(m.type));
    xml += args.isEmpty() ? QStringLiteral("    <method name=\"%1\"/>\n").arg(QLatin1String(m.name))
                          : QStringLiteral("    <method name=\"%1\">%2</method>\n").arg(QLatin1String(m.name), args);
  }
  if (kind == ObjectKind::Application) {
    const char* const batchOut =
        "<arg name=\"failed_index\" type=\"i\" direction=\"out\"/><arg name=\"error_name\" type=\"s\" direction=\"out\"/>"
        "<arg name=\"error_message\" type=\"s\" direction=\"out\"/></method>\n";
    xml += QLatin1String(
               "    <method name=\"Batch\"><arg name=\"operations\" type=\"a(ssav)\" direction=\"in\"/>"
               "<arg name=\"results\" type=\"av\" direction=\"out\"/>") +
           QLatin1String(batchOut);
    xml += QLatin1String(
               "    <method name=\"BatchPacked\"><arg name=\"operations\" type=\"ay\" direction=\"in\"/>"
               "<arg name=\"results\" type=\"ay\" direction=\"out\"/>") +
           QLatin1String(batchOut);
  }
  return xml + QLatin1String("  </interface>\n");
}

// Values as the bus carries them: an object as its path; an empty value as none.
QVariant toWire(const Given& g) {
  if (g.object) return QVariant::fromValue(QDBusObjectPath(qt(g.object->path())));
  return toQVariant(g.value);
}

std::vector<Variant> argumentsOf(const QList<QVariant>& wire) {
  std::vector<Variant> args;
  args.reserve(std::size_t(wire.size()));
  for (const QVariant& a : wire) args.push_back(fromQVariant(fromWire(a)));
  return args;
}

// A result of the packed batch in the form of the structured one: the object's path, every
// object's path for a path of members, the value, or the byte 0.
QVariant structuredResult(const packed::Result& r, bool path) {
  QVariant v;
  if (path) {
    QVariantList paths;
    for (const std::string& o : r.objects) paths.append(QVariant::fromValue(QDBusObjectPath(qt(o))));
    if (r.value.index() != 0) paths.append(toQVariant(r.value));
    v = paths;
  } else if (!r.objects.empty()) {
    v = QVariant::fromValue(QDBusObjectPath(qt(r.objects.back())));
  } else if (r.value.index() != 0) {
    v = toQVariant(r.value);
  } else {
    v = QVariant::fromValue(uchar(0));
  }
  return QVariant::fromValue(QDBusVariant(v));
}

// The object `parts` name below drawing `doc` (a collection, or one of its members by
// position) into `t`; its object stays null when there is none.
void resolveInDrawing(Target& t, CadDocument& doc, const std::vector<std::string_view>& parts) {
  const DrawingData* data = drawingOf(doc);
  const bool whole = parts.size() == 2;
  const bool indexed = parts.size() == 3 && parseIndex(parts[2], t.index);
  t.object = nullptr;
  if (parts[1] == "TextStyles") {
    t.kind = whole ? ObjectKind::TextStyles : ObjectKind::TextStyle;
    if (whole) {
      t.object = doc.TextStyles();  // a closed drawing refuses here already
    } else if (indexed && data && t.index < data->styles.size()) {
      t.object = styleNamed(doc, data->styles[t.index].name);
    }
  } else if (parts[1] == "Layers") {
    t.kind = whole ? ObjectKind::Layers : ObjectKind::Layer;
    if (whole) {
      t.object = doc.Layers();
    } else if (indexed && data && t.index < data->layers.size()) {
      t.object = layerNamed(doc, data->layers[t.index].name);
    }
  } else if (parts[1] == "ModelSpace") {
    t.kind = whole ? ObjectKind::ModelSpace : entityKind(data, t.index);
    if (whole) {
      t.object = doc.ModelSpace();
    } else if (indexed) {
      t.object = entityAt(doc, t.index);
    }
  }
}

}  // namespace

CadServer::CadServer(CadSession& session, QObject* parent) : QDBusVirtualObject(parent), session_(session) {
  registerBusTypes();
}

CadServer::~CadServer() = default;

bool CadServer::publish(QDBusConnection connection, QString& error) {
  if (!connection.isConnected()) {
    error = connection.lastError().message();
    return false;
  }
  if (!connection.registerVirtualObject(QLatin1String(kApplicationPath), this, QDBusConnection::SubPath)) {
    error = connection.lastError().isValid()
                ? connection.lastError().message()
                : QStringLiteral("The object path %1 is already in use on this connection.")
                      .arg(QLatin1String(kApplicationPath));
    return false;
  }
  // Do not queue behind another owner: a second veskar-cad must find out at once.
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = connection.interface()->registerService(
      QLatin1String(kServiceName), QDBusConnectionInterface::DontQueueService,
      QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
    error = reply.isValid() ? QStringLiteral("The bus name %1 already has an owner.").arg(QLatin1String(kServiceName))
                            : reply.error().message();
    connection.unregisterObject(QLatin1String(kApplicationPath), QDBusConnection::UnregisterTree);
    return false;
  }
  return true;
}

CadServer::Target CadServer::resolve(std::string_view path) const {
  Target t;
  if (path == kApplicationPath) return t;
  const std::string_view docs(kDocumentsPath);
  if (!path.starts_with(docs) || path.size() <= docs.size() + 1 || path[docs.size()] != '/') noSuchObject(path);
  const std::vector<std::string_view> parts = split(path.substr(docs.size() + 1), '/');
  std::size_t id = 0;
  if (!parseIndex(parts[0], id) || id > 1u << 30) noSuchObject(path);
  CadSession::Document* d = session_.document(int(id));
  if (!d) noSuchObject(path);
  t.docId = int(id);
  t.kind = ObjectKind::Document;
  t.object = d->doc;
  if (parts.size() == 1) return t;
  resolveInDrawing(t, *d->doc, parts);
  if (!t.object) noSuchObject(path);
  return t;
}

CadServer::Given CadServer::get(Target& t, std::string_view name) {
  const MemberSpec* m = findMember(t.kind, name);
  if (t.kind == ObjectKind::Application) {
    if (m && m->member == Member::ActiveDocument) {
      CadSession::Document* d = session_.active();
      if (!d) throw CadError(errc::NoDocument, "No drawing is open.");
      return objectGiven(ObjectKind::Document, d->id, 0, d->doc);
    }
    if (readableProperty(ObjectKind::Application, name) == Member::Visible) return {session_.visible(), nullptr};
    return {utf8(session_.caption()), nullptr};
  }
  if (t.kind == ObjectKind::Document && m && std::string_view(m->type) == "o") {  // a drawing's collections
    auto doc = std::static_pointer_cast<CadDocument>(t.object);
    switch (m->member) {
      case Member::ModelSpace: return objectGiven(ObjectKind::ModelSpace, t.docId, 0, doc->ModelSpace());
      case Member::TextStyles: return objectGiven(ObjectKind::TextStyles, t.docId, 0, doc->TextStyles());
      default: return objectGiven(ObjectKind::Layers, t.docId, 0, doc->Layers());
    }
  }
  return {t.object->Get(std::string(name)), nullptr};
}

void CadServer::set(Target& t, std::string_view name, const Variant& value) {
  const MemberSpec* m = findMember(t.kind, name);
  if (m && m->access == Access::Read && std::string_view(m->type) == "o")
    throw CadError(errc::ReadOnly, "The property " + std::string(name) + " of " + objectSpec(t.kind).object +
                                       " cannot be changed.");
  if (t.kind == ObjectKind::Application) {
    writableProperty(ObjectKind::Application, name);  // Visible
    session_.setVisible(toBool(value, "Visible"));
    return;
  }
  t.object->Put(std::string(name), value);
}

CadServer::Given CadServer::run(Target& t, std::string_view member, const std::vector<Variant>& args) {
  if (member == "Get") {
    expectArgs(args, 1, member);
    return get(t, toText(args[0], "property name"));
  }
  if (member == "Set") {
    // Set name, value [, name, value ...]: one after the other, up to the first refusal.
    if (args.size() < 2 || args.size() % 2 != 0)
      throw CadError(errc::InvalidArg, "Set takes pairs of a property name and a value; " +
                                           std::to_string(args.size()) + " argument(s) were given.");
    for (std::size_t i = 0; i < args.size(); i += 2) set(t, toText(args[i], "property name"), args[i + 1]);
    return {};
  }
  const MemberSpec* m = findMember(t.kind, member);
  if (!m || m->access != Access::Method) noSuchMethod(member, t.kind);
  expectArgs(args, parameterCount(*m), member);
  switch (t.kind) {
    case ObjectKind::Application: return runApplication(*m, args);
    case ObjectKind::Document: return runDocument(t, *m, args);
    case ObjectKind::TextStyles:
    case ObjectKind::Layers: return runAdd(t, args);
    default: return runModelSpace(t, *m, args);  // the only other kind with methods
  }
}

CadServer::Given CadServer::runApplication(const MemberSpec& m, const std::vector<Variant>&) {
  if (m.member == Member::Activate) {
    session_.requestActivate();
  } else {  // Quit, after the reply has gone out
    QMetaObject::invokeMethod(&session_, [s = &session_] { s->requestQuit(); }, Qt::QueuedConnection);
  }
  return {};
}

CadServer::Given CadServer::runDocument(Target& t, const MemberSpec& m, const std::vector<Variant>& args) {
  if (m.member == Member::SaveAs) {
    session_.saveDocument(t.docId, qt(toText(args[0], "path")));
    return {};
  }
  if (CadSession::Document* d = session_.document(t.docId); d && d->closed)  // Close
    throw CadError(errc::NoDocument, "The drawing has already been closed.");
  session_.closeDocument(t.docId);
  return {};
}

CadServer::Given CadServer::runAdd(Target& t, const std::vector<Variant>& args) {  // a style's or a layer's
  const std::string name = toText(args[0], "name");
  const bool layer = t.kind == ObjectKind::Layers;
  std::shared_ptr<CadObject> added;
  if (layer) {
    added = std::static_pointer_cast<CadLayers>(t.object)->Add(name);
  } else {
    added = std::static_pointer_cast<CadTextStyles>(t.object)->Add(name);
  }
  std::size_t index = 0;
  const CadSession::Document* d = session_.document(t.docId);
  if (const DrawingData* data = d ? drawingOf(*d->doc) : nullptr)
    index = layer ? positionOf(data->layers, name) : positionOf(data->styles, name);
  return objectGiven(layer ? ObjectKind::Layer : ObjectKind::TextStyle, t.docId, index, std::move(added));
}

CadServer::Given CadServer::runModelSpace(Target& t, const MemberSpec& m, const std::vector<Variant>& args) {
  auto ms = std::static_pointer_cast<CadModelSpace>(t.object);
  std::shared_ptr<CadEntity> e;
  ObjectKind kind = ObjectKind::Polyline;
  if (m.member == Member::AddText) {
    e = ms->AddText(args[0], toDoubleArray(args[1], "point"), args[2]);
    kind = ObjectKind::Text;
  } else if (m.member == Member::AddLine) {
    e = ms->AddLine(toDoubleArray(args[0], "start"), toDoubleArray(args[1], "end"));
    kind = ObjectKind::Line;
  } else {
    e = ms->AddLightWeightPolyline(toDoubleArray(args[0], "vertices"));
  }
  const CadSession::Document* d = session_.document(t.docId);
  const DrawingData* data = d ? drawingOf(*d->doc) : nullptr;
  return objectGiven(kind, t.docId, data ? data->entities.size() - 1 : 0, std::move(e));
}

packed::Result CadServer::runPath(Target& t, std::string_view member, const std::vector<Variant>& args,
                                  std::vector<std::unique_ptr<Target>>& produced) {
  // "ActiveDocument.ModelSpace.AddText": the properties in turn, each giving the object the
  // next runs on, then the method; every object given is in the result.
  const std::vector<std::string_view> parts = split(member, '.');
  packed::Result result;
  Target* current = &t;
  for (std::size_t k = 0; k + 1 < parts.size(); ++k) {
    Given g = get(*current, parts[k]);
    if (!g.object) throw CadError(errc::InvalidArg, std::string(parts[k]) + " gives no object.");
    result.objects.push_back(g.object->path());
    produced.push_back(std::move(g.object));
    current = produced.back().get();
  }
  Given g = run(*current, parts.back(), args);
  if (g.object) {
    result.objects.push_back(g.object->path());
    produced.push_back(std::move(g.object));
  }
  result.value = std::move(g.value);
  return result;
}

namespace {

// "$k": the (last) object operation k of the batch gave; "$k.n": the n-th of those it gave.
Target* earlier(std::string_view name, std::size_t i, std::vector<std::vector<std::unique_ptr<Target>>>& produced) {
  const std::string_view ref = name.substr(1);
  const std::size_t dot = ref.find('.');
  std::size_t k = 0, n = 0;
  const bool ok = parseIndex(ref.substr(0, dot), k) && k < i &&
                  (dot == std::string_view::npos || parseIndex(ref.substr(dot + 1), n)) && !produced[k].empty() &&
                  (dot == std::string_view::npos || n < produced[k].size());
  if (!ok)
    throw CadError(errc::InvalidArg, "Operation " + std::to_string(i) + " names " + std::string(name) +
                                         ", which is not an object given by an earlier operation of the batch.");
  return dot == std::string_view::npos ? produced[k].back().get() : produced[k][n].get();
}

}  // namespace

std::vector<packed::Result> CadServer::runBatch(const std::vector<packed::Op>& ops, long& failedIndex,
                                                CadError& failure) {
  failedIndex = -1;
  std::vector<packed::Result> results;
  results.reserve(ops.size());
  std::vector<std::vector<std::unique_ptr<Target>>> produced(ops.size());
  for (std::size_t i = 0; i < ops.size(); ++i) {
    const packed::Op& op = ops[i];
    try {
      Target local;
      Target* target = &local;
      if (op.target.starts_with('$')) {
        target = earlier(op.target, i, produced);
      } else {
        local = resolve(op.target);
      }
      results.push_back(runPath(*target, op.member, op.args, produced[i]));
    } catch (const CadError& e) {
      failedIndex = long(i);
      failure = e;
      break;
    }
  }
  return results;
}

bool CadServer::handleBatch(const QDBusMessage& message, const QDBusConnection& connection) {
  const bool isPacked = message.member() == QLatin1String("BatchPacked");
  std::vector<packed::Op> ops;
  if (isPacked) {
    const QByteArray bytes = message.arguments().value(0).toByteArray();
    ops = packed::decodeOps(std::string_view(bytes.constData(), std::size_t(bytes.size())));
  } else {
    for (const BusOp& op : qdbus_cast<QList<BusOp>>(message.arguments().value(0))) {
      std::vector<Variant> args;
      args.reserve(std::size_t(op.args.size()));
      for (const QVariant& a : op.args) args.push_back(fromQVariant(a));
      ops.push_back(packed::Op{utf8(op.target), utf8(op.member), std::move(args)});
    }
  }
  long failedIndex = -1;
  CadError failure(errc::Fail, "");
  const std::vector<packed::Result> results = runBatch(ops, failedIndex, failure);
  QDBusMessage r;
  if (isPacked) {
    const std::string bytes = packed::encode(results);
    r = message.createReply(QVariant(QByteArray(bytes.data(), qsizetype(bytes.size()))));
  } else {
    QVariantList list;
    list.reserve(qsizetype(results.size()));
    for (std::size_t i = 0; i < results.size(); ++i)
      list.append(structuredResult(results[i], ops[i].member.find('.') != std::string::npos));
    r = message.createReply(QVariant(list));
  }
  if (failedIndex >= 0) {
    r << qint32(failedIndex) << errorName(failure.number()) << qt(failure.description());
  } else {
    r << qint32(-1) << QString() << QString();
  }
  if (message.isReplyRequired()) connection.send(r);
  return true;
}

bool CadServer::handleProperties(Target& t, const QDBusMessage& message, const QDBusConnection& connection) {
  const QString member = message.member();
  const std::vector<Variant> args = argumentsOf(message.arguments());
  const std::string name = utf8(member);
  QDBusMessage r;
  if (member == QLatin1String("Get")) {
    expectArgs(args, 2, name);
    r = message.createReply(QVariant::fromValue(QDBusVariant(toWire(get(t, toText(args[1], "property name"))))));
  } else if (member == QLatin1String("Set")) {
    expectArgs(args, 3, name);
    set(t, toText(args[1], "property name"), args[2]);
    r = message.createReply();
  } else if (member == QLatin1String("GetAll")) {
    expectArgs(args, 1, name);
    QVariantMap all;
    for (const MemberSpec& m : membersOf(t.kind)) {
      if (m.access == Access::Method || (m.member == Member::ActiveDocument && !session_.active())) continue;
      all.insert(QLatin1String(m.name), toWire(get(t, m.name)));
    }
    r = message.createReply(QVariant::fromValue(all));
  } else {
    return false;
  }
  if (message.isReplyRequired()) connection.send(r);
  return true;
}

bool CadServer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage) return false;
  const QString iface = message.interface();
  const QString member = message.member();
  try {
    Target t = resolve(utf8(message.path()));
    if (t.kind == ObjectKind::Application &&
        (member == QLatin1String("Batch") || member == QLatin1String("BatchPacked")) &&
        (iface.isEmpty() || iface == QLatin1String(kApplicationInterface)))
      return handleBatch(message, connection);
    if (iface == QLatin1String(kPropertiesInterface)) return handleProperties(t, message, connection);
    if (!iface.isEmpty() && !iface.startsWith(QLatin1String(kInterfacePrefix))) return false;
    const QVariant r = toWire(run(t, utf8(member), argumentsOf(message.arguments())));
    if (message.isReplyRequired()) connection.send(r.isValid() ? message.createReply(r) : message.createReply());
  } catch (const CadError& e) {
    if (message.isReplyRequired())
      connection.send(message.createErrorReply(errorName(e.number()), qt(e.description())));
  }
  return true;
}

QString CadServer::introspect(const QString& path) const {
  try {
    return interfaceXml(resolve(utf8(path)).kind);
  } catch (const CadError&) {
    return {};
  }
}

}  // namespace veskar::cad::bus
