// The windows' fonts are named as on a Chinese desktop ("宋体", Tahoma, Verdana). Where such a
// family is not installed, it is mapped to an installed one that has the glyphs: "宋体" to a
// Song/Ming face that covers simplified Chinese (the GB2312 repertoire), Tahoma and Verdana to
// an installed sans-serif face.
#pragma once

#include <QFont>
#include <QString>

namespace veskar::ui {

inline const QString kSongFamily = QStringLiteral("宋体");
inline const QString kTahomaFamily = QStringLiteral("Tahoma");
inline const QString kVerdanaFamily = QStringLiteral("Verdana");

// Installs the substitutions once per process; later calls do nothing. Needs a
// QGuiApplication.
void installFontSubstitutes();

// The family a window asks for, by its name, at `points`, normal weight unless `bold`.
QFont namedFont(const QString& family, double points, bool bold = false);
inline QFont songFont(double points, bool bold = false) {
  return namedFont(kSongFamily, points, bold);
}

}  // namespace veskar::ui
