// The crossing between Qt's values and automation values: what arrives over the bus is
// coerced exactly as automation would coerce it.
#include <gtest/gtest.h>

#include <QList>
#include <QStringList>
#include <QVariant>
#include <limits>

#include "cad/bus/qvariant.h"
#include "cad/tests/error_of.h"

namespace veskar::cad::bus {
namespace {

TEST(QtValues, NumbersOfEveryQtType) {
  EXPECT_EQ(toDouble(fromQVariant(QVariant(qlonglong(-4000000000LL))), "Height"), -4000000000.0);
  EXPECT_EQ(toDouble(fromQVariant(QVariant(uint(7))), "Height"), 7.0);
  EXPECT_EQ(toDouble(fromQVariant(QVariant(0.5f)), "Height"), 0.5);
  EXPECT_EQ(toText(fromQVariant(QVariant(qulonglong(18446744073709551615ULL))), "TextString"),
            "18446744073709551615");
  const std::pair<const char*, QVariant> overflowing[] = {
      {"uint 32768", QVariant(uint(32768))},
      {"2^40", QVariant(qlonglong(1) << 40)},
      {"uint64 max", QVariant(std::numeric_limits<qulonglong>::max())},
  };
  for (const auto& [label, v] : overflowing)
    EXPECT_EQ(errorOf([&] { toInt16(fromQVariant(v), "Color"); }), errc::Overflow) << label;
  EXPECT_EQ(errorOf([&] { toDouble(fromQVariant(QVariant(QVariantList{1.0})), "Height"); }), errc::TypeMismatch);
  EXPECT_EQ(errorOf([&] { toText(fromQVariant(QVariant(QVariantList{QStringLiteral("a")})), "TextString"); }),
            errc::TypeMismatch);
  EXPECT_EQ(errorOf([&] { toInt16(fromQVariant(QVariant()), "Color"); }), errc::TypeMismatch);
}

struct ArrayRow {
  const char* label;
  QVariant value;
  std::int32_t error;
  std::vector<double> expected;
};

TEST(QtValues, ListsOfNumbers) {
  const ArrayRow rows[] = {
      {"doubles", QVariant::fromValue(QList<double>{1.5, -2, 0}), 0, {1.5, -2, 0}},
      {"empty doubles", QVariant::fromValue(QList<double>{}), 0, {}},
      {"floats", QVariant::fromValue(QList<float>{0.5f, 2}), 0, {0.5, 2}},
      {"ints", QVariant::fromValue(QList<int>{1, 2}), 0, {1, 2}},
      {"mixed variants", QVariant(QVariantList{QVariant::fromValue(qint16(1)), 2.5, QStringLiteral("3")}), 0,
       {1, 2.5, 3}},
      {"texts", QVariant(QStringList{QStringLiteral("1"), QStringLiteral(" 2e1")}), 0, {1, 20}},
      {"variant text no number", QVariant(QVariantList{1.0, QStringLiteral("x")}), errc::TypeMismatch, {}},
      {"variant holding a list", QVariant(QVariantList{QVariant(QVariantList{1.0})}), errc::TypeMismatch, {}},
      {"scalar", QVariant(5.0), errc::TypeMismatch, {}},
      {"text", QVariant(QStringLiteral("1,2")), errc::TypeMismatch, {}},
      {"empty", QVariant(), errc::TypeMismatch, {}},
  };
  for (const ArrayRow& r : rows) {
    std::vector<double> got{42};
    EXPECT_EQ(errorOf([&] { got = toDoubleArray(fromQVariant(r.value), "Coordinates"); }), r.error) << r.label;
    if (r.error == 0) {
      EXPECT_EQ(got, r.expected) << r.label;
    }
  }
}

TEST(QtValues, EachAutomationTypeHasItsBusType) {
  const std::pair<Variant, QMetaType> rows[] = {
      {true, QMetaType::fromType<bool>()},
      {std::int16_t{1000}, QMetaType::fromType<qint16>()},
      {std::int32_t{1000}, QMetaType::fromType<int>()},
      {0.7, QMetaType::fromType<double>()},
      {std::string("29°20′"), QMetaType::fromType<QString>()},
      {std::vector<double>{1, 2, 0}, QMetaType::fromType<QList<double>>()},
  };
  for (const auto& [v, type] : rows) {
    const QVariant q = toQVariant(v);
    EXPECT_EQ(q.metaType(), type) << typeName(v);
    EXPECT_EQ(fromQVariant(q), v) << typeName(v);
  }
  EXPECT_FALSE(toQVariant(Variant{}).isValid());
}

}  // namespace
}  // namespace veskar::cad::bus
