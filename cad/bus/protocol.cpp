#include "cad/bus/protocol.h"

#include <QDBusMetaType>
#include <QDBusVariant>
#include <array>
#include <utility>

#include "cad/automation.h"

namespace veskar::cad::bus {

namespace {

const std::array<std::pair<std::int32_t, const char*>, 10> kErrorNames{{
    {errc::Fail, "Fail"},
    {errc::InvalidArg, "InvalidArg"},
    {errc::TypeMismatch, "TypeMismatch"},
    {errc::UnknownName, "UnknownName"},
    {errc::Overflow, "Overflow"},
    {errc::NoDocument, "NoDocument"},
    {errc::NotFound, "NotFound"},
    {errc::Disconnected, "Disconnected"},
    {errc::FileError, "FileError"},
    {errc::ReadOnly, "ReadOnly"},
}};

bool isNumber(const QVariant& v) {
  switch (v.metaType().id()) {
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
      return true;
    default:
      return false;
  }
}

}  // namespace

void registerBusTypes() {
  static const bool done = [] {
    qDBusRegisterMetaType<BusOp>();
    qDBusRegisterMetaType<QList<BusOp>>();
    return true;
  }();
  (void)done;
}

QString errorName(std::int32_t number) {
  for (const auto& [n, name] : kErrorNames) {
    if (n == number) return QLatin1String(kErrorPrefix) + QLatin1String(name);
  }
  return QLatin1String(kErrorPrefix) + QLatin1String("Fail");
}

std::int32_t errorNumber(const QString& dbusErrorName) {
  if (dbusErrorName.startsWith(QLatin1String(kErrorPrefix))) {
    const QStringView tail = QStringView(dbusErrorName).mid(int(sizeof(kErrorPrefix)) - 1);
    for (const auto& [n, name] : kErrorNames) {
      if (tail == QLatin1String(name)) return n;
    }
    return errc::Fail;
  }
  static const char* const gone[] = {
      "org.freedesktop.DBus.Error.ServiceUnknown", "org.freedesktop.DBus.Error.NoReply",
      "org.freedesktop.DBus.Error.Disconnected",   "org.freedesktop.DBus.Error.NoServer",
      "org.freedesktop.DBus.Error.NameHasNoOwner", "org.freedesktop.DBus.Error.Timeout",
  };
  for (const char* name : gone) {
    if (dbusErrorName == QLatin1String(name)) return errc::Disconnected;
  }
  if (dbusErrorName == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod") ||
      dbusErrorName == QLatin1String("org.freedesktop.DBus.Error.UnknownProperty"))
    return errc::UnknownName;
  if (dbusErrorName == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")) return errc::NotFound;
  if (dbusErrorName == QLatin1String("org.freedesktop.DBus.Error.InvalidArgs"))
    return errc::InvalidArg;
  return errc::Fail;
}

QVariant fromWire(const QVariant& v) {
  if (v.metaType() == QMetaType::fromType<QDBusVariant>())
    return fromWire(qvariant_cast<QDBusVariant>(v).variant());
  if (v.metaType() == QMetaType::fromType<QDBusArgument>()) {
    const QDBusArgument arg = qvariant_cast<QDBusArgument>(v);
    if (arg.currentSignature() == QLatin1String("ad")) return QVariant::fromValue(qdbus_cast<QList<double>>(arg));
    if (arg.currentType() != QDBusArgument::ArrayType) return v;
    QVariantList items;
    bool allNumbers = true;
    arg.beginArray();
    while (!arg.atEnd()) {
      QVariant item = fromWire(arg.asVariant());
      allNumbers = allNumbers && isNumber(item);
      items.append(std::move(item));
    }
    arg.endArray();
    if (!allNumbers) return items;
    QList<double> numbers;
    numbers.reserve(items.size());
    for (const QVariant& item : items) numbers.append(item.toDouble());
    return QVariant::fromValue(numbers);
  }
  return v;
}

}  // namespace veskar::cad::bus

QDBusArgument& operator<<(QDBusArgument& arg, const veskar::cad::bus::BusOp& op) {
  arg.beginStructure();
  arg << op.target << op.member;
  arg.beginArray(QMetaType::fromType<QDBusVariant>());
  for (const QVariant& a : op.args) arg << QDBusVariant(a);
  arg.endArray();
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, veskar::cad::bus::BusOp& op) {
  arg.beginStructure();
  arg >> op.target >> op.member;
  op.args.clear();
  arg.beginArray();
  while (!arg.atEnd()) {
    QDBusVariant v;
    arg >> v;
    op.args.append(veskar::cad::bus::fromWire(v.variant()));
  }
  arg.endArray();
  arg.endStructure();
  return arg;
}
