// Automation-style coercion of variant values.
//
// The rules follow what late-bound automation does when a property is set or an argument
// passed: any number converts to any other number type (a 16-bit 1000, an int 1000 and a
// double 1000.0 are the same height), a boolean counts as -1 (true) or 0 (false), numeric text
// converts to a number, and a number converts to text. Conversion to a 16-bit integer rounds
// halves to the even neighbour and refuses values out of range. Anything else - an empty
// variant, a list where a number is wanted, text that is no number - is a type mismatch.
#include <QLocale>
#include <QMetaType>
#include <cmath>
#include <limits>
#include <optional>

#include "cad/automation.h"

namespace veskar::cad {
namespace {

QString name(const char* what) { return QString::fromUtf8(what ? what : "the value"); }

[[noreturn]] void mismatch(const char* what, const QString& expected) {
  throw CadError(errc::TypeMismatch,
                 QStringLiteral("The value given for %1 is not %2.").arg(name(what), expected));
}

[[noreturn]] void overflow(const char* what, const QString& range) {
  throw CadError(errc::Overflow, QStringLiteral("The value given for %1 is out of range (%2).")
                                     .arg(name(what), range));
}

// Numeric text as automation reads it: surrounding blanks allowed, a sign, digits with a
// decimal point, an exponent. Infinity and NaN are not numbers here.
std::optional<double> parseNumber(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  for (QChar c : t) {
    if (!(c.isDigit() || c == u'.' || c == u'+' || c == u'-' || c == u'e' || c == u'E'))
      return std::nullopt;
  }
  bool ok = false;
  const double d = QLocale::c().toDouble(t, &ok);
  if (!ok || !std::isfinite(d)) return std::nullopt;
  return d;
}

// The number a scalar variant holds, or nothing when it holds no number (text included only
// when `acceptText`).
std::optional<double> numberOf(const QVariant& v, bool acceptText) {
  switch (v.typeId()) {
    case QMetaType::Bool:
      return v.toBool() ? -1.0 : 0.0;
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
      return static_cast<double>(v.toLongLong());
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
      return static_cast<double>(v.toULongLong());
    case QMetaType::Float:
    case QMetaType::Double:
      return v.toDouble();
    case QMetaType::QString:
      if (acceptText) return parseNumber(v.toString());
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

bool isIntegral(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
      return true;
    default:
      return false;
  }
}

// A double written the way automation writes a number as text: up to 15 significant digits,
// no trailing zeros, an exponent as E+nn.
QString numberText(double d) {
  if (d == 0) return QStringLiteral("0");
  QString s = QString::number(d, 'g', 15);
  return s.replace(u'e', u'E');
}

}  // namespace

double toDouble(const QVariant& v, const char* what) {
  if (const auto d = numberOf(v, true)) return *d;
  mismatch(what, QStringLiteral("a number"));
}

std::int16_t toInt16(const QVariant& v, const char* what) {
  const QString range = QStringLiteral("-32768 to 32767");
  if (isIntegral(v)) {
    // Whole numbers are compared as integers, so that 2^63 and the like do not round into range.
    const bool isSigned = v.typeId() == QMetaType::Char || v.typeId() == QMetaType::SChar ||
                          v.typeId() == QMetaType::Short || v.typeId() == QMetaType::Int ||
                          v.typeId() == QMetaType::Long || v.typeId() == QMetaType::LongLong;
    if (isSigned) {
      const qlonglong n = v.toLongLong();
      if (n < std::numeric_limits<std::int16_t>::min() || n > std::numeric_limits<std::int16_t>::max())
        overflow(what, range);
      return static_cast<std::int16_t>(n);
    }
    const qulonglong n = v.toULongLong();
    if (n > static_cast<qulonglong>(std::numeric_limits<std::int16_t>::max())) overflow(what, range);
    return static_cast<std::int16_t>(n);
  }
  const auto d = numberOf(v, true);
  if (!d) mismatch(what, QStringLiteral("a whole number"));
  if (!std::isfinite(*d)) overflow(what, range);
  // Halves go to the even neighbour (the default rounding mode), as automation's VT_I2 does.
  const double r = std::nearbyint(*d);
  if (r < -32768.0 || r > 32767.0) overflow(what, range);
  return static_cast<std::int16_t>(r);
}

bool toBool(const QVariant& v, const char* what) {
  if (v.typeId() == QMetaType::QString) {
    const QString t = v.toString().trimmed();
    if (t.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0) return false;
  }
  const auto d = numberOf(v, true);
  if (!d) mismatch(what, QStringLiteral("true or false"));
  if (std::isnan(*d)) mismatch(what, QStringLiteral("true or false"));
  return *d != 0;
}

QString toText(const QVariant& v, const char* what) {
  switch (v.typeId()) {
    case QMetaType::QString:
      return v.toString();
    case QMetaType::QChar:
      return QString(v.toChar());
    case QMetaType::Bool:
      return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
      break;
  }
  if (isIntegral(v)) {
    const bool isUnsigned = v.typeId() == QMetaType::UChar || v.typeId() == QMetaType::UShort ||
                            v.typeId() == QMetaType::UInt || v.typeId() == QMetaType::ULong ||
                            v.typeId() == QMetaType::ULongLong;
    return isUnsigned ? QString::number(v.toULongLong()) : QString::number(v.toLongLong());
  }
  if (const auto d = numberOf(v, false)) return numberText(*d);
  mismatch(what, QStringLiteral("text"));
}

QList<double> toDoubleArray(const QVariant& v, const char* what) {
  const QString expected = QStringLiteral("a list of numbers");
  switch (v.typeId()) {
    case QMetaType::QVariantList: {
      const QVariantList items = v.toList();
      QList<double> out;
      out.reserve(items.size());
      for (const QVariant& item : items) {
        const auto d = numberOf(item, true);
        if (!d) mismatch(what, expected);
        out.append(*d);
      }
      return out;
    }
    case QMetaType::QStringList: {
      const QStringList items = v.toStringList();
      QList<double> out;
      out.reserve(items.size());
      for (const QString& item : items) {
        const auto d = parseNumber(item);
        if (!d) mismatch(what, expected);
        out.append(*d);
      }
      return out;
    }
    default:
      break;
  }
  if (v.metaType() == QMetaType::fromType<QList<double>>()) return v.value<QList<double>>();
  if (v.metaType() == QMetaType::fromType<QList<float>>()) {
    QList<double> out;
    for (float f : v.value<QList<float>>()) out.append(f);
    return out;
  }
  if (v.metaType() == QMetaType::fromType<QList<int>>()) {
    QList<double> out;
    for (int n : v.value<QList<int>>()) out.append(n);
    return out;
  }
  if (v.metaType() == QMetaType::fromType<QList<qint16>>()) {
    QList<double> out;
    for (qint16 n : v.value<QList<qint16>>()) out.append(n);
    return out;
  }
  mismatch(what, expected);
}

}  // namespace veskar::cad
