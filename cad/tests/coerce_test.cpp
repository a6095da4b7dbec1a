// Automation-style coercion: every accepted form of a value and every refusal.
#include <gtest/gtest.h>

#include <QStringList>
#include <cmath>
#include <limits>

#include "cad/automation.h"

namespace veskar::cad {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The error number a coercion throws, or 0 when it succeeds.
template <typename F>
std::int32_t errorOf(F f) {
  try {
    f();
  } catch (const CadError& e) {
    return e.number();
  }
  return 0;
}

struct DoubleRow {
  const char* label;
  QVariant value;
  double expected;
};

TEST(Coerce, ToDoubleAcceptsEveryNumberForm) {
  const DoubleRow rows[] = {
      {"int16", QVariant::fromValue(qint16(1000)), 1000.0},
      {"int", QVariant(1000), 1000.0},
      {"int64", QVariant(qlonglong(-4000000000LL)), -4000000000.0},
      {"uint", QVariant(uint(7)), 7.0},
      {"double", QVariant(0.7), 0.7},
      {"float", QVariant(0.5f), 0.5},
      {"true", QVariant(true), -1.0},
      {"false", QVariant(false), 0.0},
      {"text", QVariant(QStringLiteral("1000")), 1000.0},
      {"text blanks", QVariant(QStringLiteral("  2.5 ")), 2.5},
      {"text exponent", QVariant(QStringLiteral("1e3")), 1000.0},
      {"text signed", QVariant(QStringLiteral("-0.125")), -0.125},
      {"text pi/2", QVariant(QStringLiteral("1.570796326794895")), 1.570796326794895},
  };
  for (const DoubleRow& r : rows) EXPECT_EQ(toDouble(r.value, "Height"), r.expected) << r.label;
}

TEST(Coerce, ToDoublePassesNonFiniteDoublesThrough) {
  EXPECT_TRUE(std::isnan(toDouble(QVariant(kNaN), "Height")));
  EXPECT_EQ(toDouble(QVariant(-kInf), "Height"), -kInf);
}

TEST(Coerce, ToDoubleRefusesWhatIsNoNumber) {
  const QVariant rows[] = {
      QVariant(),
      QVariant(QStringLiteral("")),
      QVariant(QStringLiteral("abc")),
      QVariant(QStringLiteral("12abc")),
      QVariant(QStringLiteral("1,5")),
      QVariant(QStringLiteral("nan")),
      QVariant(QStringLiteral("inf")),
      QVariant(QVariantList{1.0}),
      QVariant::fromValue(QList<double>{1.0}),
  };
  for (const QVariant& v : rows) {
    EXPECT_EQ(errorOf([&] { toDouble(v, "Height"); }), errc::TypeMismatch) << v.typeName();
  }
}

struct Int16Row {
  const char* label;
  QVariant value;
  std::int32_t error;  // 0: accepted
  int expected;
};

TEST(Coerce, ToInt16RoundsHalvesToEvenAndRefusesOutOfRange) {
  const Int16Row rows[] = {
      {"int16", QVariant::fromValue(qint16(6)), 0, 6},
      {"int", QVariant(-32768), 0, -32768},
      {"int max", QVariant(32767), 0, 32767},
      {"double", QVariant(1000.0), 0, 1000},
      {"0.5", QVariant(0.5), 0, 0},
      {"1.5", QVariant(1.5), 0, 2},
      {"2.5", QVariant(2.5), 0, 2},
      {"-0.5", QVariant(-0.5), 0, 0},
      {"-1.5", QVariant(-1.5), 0, -2},
      {"2.4999", QVariant(2.4999), 0, 2},
      {"2.5001", QVariant(2.5001), 0, 3},
      {"32767.4", QVariant(32767.4), 0, 32767},
      {"-32768.5", QVariant(-32768.5), 0, -32768},
      {"text 3.5", QVariant(QStringLiteral("3.5")), 0, 4},
      {"true", QVariant(true), 0, -1},
      {"false", QVariant(false), 0, 0},
      {"32767.5", QVariant(32767.5), errc::Overflow, 0},
      {"-32769", QVariant(-32769), errc::Overflow, 0},
      {"40000", QVariant(40000), errc::Overflow, 0},
      {"uint 32768", QVariant(uint(32768)), errc::Overflow, 0},
      {"2^40", QVariant(qlonglong(1) << 40), errc::Overflow, 0},
      {"uint64 max", QVariant(std::numeric_limits<qulonglong>::max()), errc::Overflow, 0},
      {"1e10", QVariant(1e10), errc::Overflow, 0},
      {"NaN", QVariant(kNaN), errc::Overflow, 0},
      {"inf", QVariant(kInf), errc::Overflow, 0},
      {"text", QVariant(QStringLiteral("red")), errc::TypeMismatch, 0},
      {"empty", QVariant(), errc::TypeMismatch, 0},
      {"list", QVariant(QVariantList{1}), errc::TypeMismatch, 0},
  };
  for (const Int16Row& r : rows) {
    int got = 9999;
    EXPECT_EQ(errorOf([&] { got = toInt16(r.value, "Color"); }), r.error) << r.label;
    if (r.error == 0) {
      EXPECT_EQ(got, r.expected) << r.label;
    }
  }
}

struct BoolRow {
  const char* label;
  QVariant value;
  std::int32_t error;
  bool expected;
};

TEST(Coerce, ToBool) {
  const BoolRow rows[] = {
      {"true", QVariant(true), 0, true},
      {"false", QVariant(false), 0, false},
      {"int 1", QVariant(1), 0, true},
      {"int 0", QVariant(0), 0, false},
      {"int16 -1", QVariant::fromValue(qint16(-1)), 0, true},
      {"double 0.0", QVariant(0.0), 0, false},
      {"double 0.25", QVariant(0.25), 0, true},
      {"text True", QVariant(QStringLiteral("True")), 0, true},
      {"text FALSE", QVariant(QStringLiteral("FALSE")), 0, false},
      {"text 0", QVariant(QStringLiteral("0")), 0, false},
      {"text -1", QVariant(QStringLiteral("-1")), 0, true},
      {"text yes", QVariant(QStringLiteral("yes")), errc::TypeMismatch, false},
      {"empty", QVariant(), errc::TypeMismatch, false},
      {"NaN", QVariant(kNaN), errc::TypeMismatch, false},
  };
  for (const BoolRow& r : rows) {
    bool got = !r.expected;
    EXPECT_EQ(errorOf([&] { got = toBool(r.value, "Visible"); }), r.error) << r.label;
    if (r.error == 0) {
      EXPECT_EQ(got, r.expected) << r.label;
    }
  }
}

struct TextRow {
  const char* label;
  QVariant value;
  const char* expected;  // nullptr: type mismatch
};

TEST(Coerce, ToText) {
  const TextRow rows[] = {
      {"text", QVariant(QString::fromUtf8("29°20′")), "29°20′"},
      {"empty text", QVariant(QString()), ""},
      {"int", QVariant(1000), "1000"},
      {"int16", QVariant::fromValue(qint16(-5)), "-5"},
      {"uint64", QVariant(qulonglong(18446744073709551615ULL)), "18446744073709551615"},
      {"double 0.7", QVariant(0.7), "0.7"},
      {"double 1000", QVariant(1000.0), "1000"},
      {"double zero", QVariant(-0.0), "0"},
      {"double pi/2", QVariant(3.14159265358979 / 2), "1.5707963267949"},
      {"double 1e20", QVariant(1e20), "1E+20"},
      {"double 1e-7", QVariant(1e-7), "1E-07"},
      {"true", QVariant(true), "True"},
      {"false", QVariant(false), "False"},
      {"empty", QVariant(), nullptr},
      {"list", QVariant(QVariantList{QStringLiteral("a")}), nullptr},
  };
  for (const TextRow& r : rows) {
    QString got;
    EXPECT_EQ(errorOf([&] { got = toText(r.value, "TextString"); }), r.expected ? 0 : errc::TypeMismatch)
        << r.label;
    if (r.expected) {
      EXPECT_EQ(got, QString::fromUtf8(r.expected)) << r.label;
    }
  }
}

struct ArrayRow {
  const char* label;
  QVariant value;
  std::int32_t error;
  QList<double> expected;
};

TEST(Coerce, ToDoubleArray) {
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
    QList<double> got{42};
    EXPECT_EQ(errorOf([&] { got = toDoubleArray(r.value, "Coordinates"); }), r.error) << r.label;
    if (r.error == 0) {
      EXPECT_EQ(got, r.expected) << r.label;
    }
  }
}

TEST(Coerce, MessagesNameTheProperty) {
  try {
    toDouble(QVariant(QStringLiteral("tall")), "Height");
    FAIL();
  } catch (const CadError& e) {
    EXPECT_EQ(e.description(), QStringLiteral("The value given for Height is not a number."));
    EXPECT_STREQ(e.what(), "The value given for Height is not a number.");
  }
  try {
    toInt16(QVariant(70000), "Color");
    FAIL();
  } catch (const CadError& e) {
    EXPECT_EQ(e.description(), QStringLiteral("The value given for Color is out of range (-32768 to 32767)."));
  }
}

}  // namespace
}  // namespace veskar::cad
