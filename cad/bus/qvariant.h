// The one crossing between the core's automation values and Qt's: bus client and server both
// convert here, and nowhere else.
#pragma once

#include <QString>
#include <QVariant>
#include <string>

#include "cad/automation.h"

namespace veskar::cad::bus {

// VT_I2 goes as qint16 (D-Bus "n"), VT_I4 as int ("i"), arrays of doubles as QList<double>
// ("ad"), text as QString; an empty variant as an invalid QVariant.
QVariant toQVariant(const Variant& v);

// A value as it came off the bus (after fromWire): booleans, numbers and text to their
// automation types (16-bit and smaller integers to VT_I2, other whole numbers to VT_I4 where
// they fit, else to their decimal text), lists of numbers or numeric texts to an array of
// doubles. Anything else - a list holding other things, a type automation has no form for -
// becomes an empty variant, which every coercion refuses as a type mismatch.
Variant fromQVariant(const QVariant& v);

inline QString qt(const std::string& utf8) { return QString::fromStdString(utf8); }
inline std::string utf8(const QString& s) { return s.toStdString(); }

}  // namespace veskar::cad::bus
