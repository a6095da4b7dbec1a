#include "cad/bus/qvariant.h"

#include <QList>
#include <QStringList>
#include <optional>
#include <utility>

namespace veskar::cad::bus {
namespace {

// A 64-bit whole number: VT_I4 where it fits; beyond, its decimal text, which keeps every
// digit and which every coercion reads as the number (a double would round it).
template <typename Int>
Variant wholeNumber(Int n) {
  if (std::in_range<std::int32_t>(n)) return static_cast<std::int32_t>(n);
  return std::to_string(n);
}

// A list item as a number: numbers and numeric text (as automation reads text).
std::optional<double> itemNumber(const QVariant& item) {
  const Variant v = fromQVariant(item);
  if (v.index() == 0 || std::holds_alternative<std::vector<double>>(v)) return std::nullopt;
  try {
    return toDouble(v, nullptr);
  } catch (const CadError&) {
    return std::nullopt;
  }
}

template <typename List>
Variant numbersOf(const List& items) {
  std::vector<double> out;
  out.reserve(static_cast<std::size_t>(items.size()));
  for (const auto& item : items) {
    const std::optional<double> d = itemNumber(QVariant(item));
    if (!d) return std::monostate{};
    out.push_back(*d);
  }
  return out;
}

}  // namespace

QVariant toQVariant(const Variant& v) {
  switch (v.index()) {
    case 1: return std::get<bool>(v);
    case 2: return QVariant::fromValue(static_cast<qint16>(std::get<std::int16_t>(v)));
    case 3: return static_cast<int>(std::get<std::int32_t>(v));
    case 4: return std::get<double>(v);
    case 5: return qt(std::get<std::string>(v));
    case 6: {
      const auto& a = std::get<std::vector<double>>(v);
      return QVariant::fromValue(QList<double>(a.begin(), a.end()));
    }
    default: return {};
  }
}

Variant fromQVariant(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool();
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short: return static_cast<std::int16_t>(v.toInt());
    case QMetaType::UShort:
    case QMetaType::Int: return static_cast<std::int32_t>(v.toInt());
    case QMetaType::Long:
    case QMetaType::LongLong: return wholeNumber(v.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: return wholeNumber(v.toULongLong());
    case QMetaType::Float:
    case QMetaType::Double: return v.toDouble();
    case QMetaType::QString: return utf8(v.toString());
    case QMetaType::QChar: return utf8(QString(v.toChar()));
    case QMetaType::QVariantList: return numbersOf(v.toList());
    case QMetaType::QStringList: return numbersOf(v.toStringList());
    default: break;
  }
  if (v.metaType() == QMetaType::fromType<QList<double>>()) {
    const QList<double> a = v.value<QList<double>>();
    return std::vector<double>(a.begin(), a.end());
  }
  if (v.metaType() == QMetaType::fromType<QList<float>>()) return numbersOf(v.value<QList<float>>());
  if (v.metaType() == QMetaType::fromType<QList<int>>()) return numbersOf(v.value<QList<int>>());
  if (v.metaType() == QMetaType::fromType<QList<qint16>>()) return numbersOf(v.value<QList<qint16>>());
  return std::monostate{};
}

}  // namespace veskar::cad::bus
