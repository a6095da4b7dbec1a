// Reading the number at the start of a text, independent of the locale.
#include <gtest/gtest.h>

#include <QString>
#include <clocale>
#include <cmath>
#include <limits>

#include "settings/decimal_text.h"

using veskar::settings::scanDecimal;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct ScanCase {
  const char16_t* text;
  bool found;
  double value;
  qsizetype end;
};

TEST(ScanDecimal, Table) {
  const ScanCase cases[] = {
      {u"114", true, 114, 3},
      {u"115.15", true, 115.15, 6},
      {u"  \t29.2xyz", true, 29.2, 7},
      {u"-0.15", true, -0.15, 5},
      {u"+5", true, 5, 2},
      {u".5", true, 0.5, 2},
      {u"5.", true, 5, 2},
      {u"5a", true, 5, 1},
      {u"5e", true, 5, 1},
      {u"5e+", true, 5, 1},
      {u"5E2", true, 500, 3},
      {u"1.5e-3 m", true, 0.0015, 6},
      {u"1e999", true, kInf, 5},
      {u"-1e999", true, -kInf, 6},
      {u"1e-999", true, 0, 6},
      {u"0.000e999999999999999999", true, 0, 24},
      {u"00012.50", true, 12.5, 8},
      {u"1,5", true, 1, 1},
      {u"abc", false, 0, 0},
      {u"", false, 0, 0},
      {u"  ", false, 0, 2},
      {u"-", false, 0, 0},
      {u".", false, 0, 0},
      {u"-.e5", false, 0, 0},
      {u"e5", false, 0, 0},
      {u"１２", false, 0, 0},  // full-width digits are not digits here
      {u"- 5", false, 0, 0},
  };
  for (const ScanCase& c : cases) {
    const auto s = scanDecimal(QStringView(c.text));
    const QString text = QString::fromUtf16(c.text);
    EXPECT_EQ(s.found, c.found) << text.toStdString();
    EXPECT_EQ(s.value, c.value) << text.toStdString();
    if (c.found) {
      EXPECT_EQ(s.end, c.end) << text.toStdString();
    }
  }
}

TEST(ScanDecimal, DecimalPointIsAlwaysAPoint) {
  // A comma locale must not change anything (where such a locale is installed).
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(scanDecimal(u"29.2").value, 29.2);
  EXPECT_EQ(scanDecimal(u"29,2").value, 29);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
