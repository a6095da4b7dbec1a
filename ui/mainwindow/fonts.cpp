#include "ui/mainwindow/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace veskar::ui {
namespace {

// First of `candidates` that is installed and has the glyphs of `system`, else "".
QString firstInstalled(const QStringList& candidates, QFontDatabase::WritingSystem system) {
  const QStringList families = QFontDatabase::families(system);
  for (const QString& c : candidates)
    for (const QString& f : families)
      if (f.compare(c, Qt::CaseInsensitive) == 0) return f;
  return {};
}

bool isInstalled(const QString& family) {
  return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

void substitute(const QString& family, const QStringList& candidates,
                QFontDatabase::WritingSystem system) {
  if (isInstalled(family)) return;
  const QString installed = firstInstalled(candidates, system);
  if (!installed.isEmpty()) QFont::insertSubstitution(family, installed);
}

}  // namespace

void installFontSubstitutes() {
  static const bool done = [] {
    // "宋体" is SimSun under its Chinese name; a desktop that has SimSun itself needs nothing.
    if (!isInstalled(QStringLiteral("SimSun")))
      substitute(kSongFamily,
                 {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"),
                  QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"),
                  QStringLiteral("AR PL UMing TW")},
                 QFontDatabase::SimplifiedChinese);
    const QStringList sans{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                           QStringLiteral("Noto Sans")};
    substitute(kTahomaFamily, sans, QFontDatabase::Latin);
    substitute(kVerdanaFamily, sans, QFontDatabase::Latin);
    return true;
  }();
  (void)done;
}

QFont namedFont(const QString& family, double points, bool bold) {
  installFontSubstitutes();
  QFont f(family);
  f.setPointSizeF(points);
  f.setWeight(bold ? QFont::Bold : QFont::Normal);
  return f;
}

}  // namespace veskar::ui
