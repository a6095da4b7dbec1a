// Automation-style coercion: every accepted form of a value and every refusal.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cad/automation.h"
#include "cad/tests/error_of.h"

namespace veskar::cad {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const Variant kEmpty{};

Variant i2(int v) { return static_cast<std::int16_t>(v); }
Variant i4(int v) { return static_cast<std::int32_t>(v); }
Variant text(const char* s) { return std::string(s); }

struct DoubleRow {
  const char* label;
  Variant value;
  double expected;
};

TEST(Coerce, ToDoubleAcceptsEveryNumberForm) {
  const DoubleRow rows[] = {
      {"int16", i2(1000), 1000.0},
      {"int", i4(1000), 1000.0},
      {"double", 0.7, 0.7},
      {"true", true, -1.0},
      {"false", false, 0.0},
      {"text", text("1000"), 1000.0},
      {"text blanks", text("  2.5 "), 2.5},
      {"text exponent", text("1e3"), 1000.0},
      {"text signed", text("-0.125"), -0.125},
      {"text pi/2", text("1.570796326794895"), 1.570796326794895},
  };
  for (const DoubleRow& r : rows) EXPECT_EQ(toDouble(r.value, "Height"), r.expected) << r.label;
}

TEST(Coerce, ToDoublePassesNonFiniteDoublesThrough) {
  EXPECT_TRUE(std::isnan(toDouble(kNaN, "Height")));
  EXPECT_EQ(toDouble(-kInf, "Height"), -kInf);
}

TEST(Coerce, ToDoubleRefusesWhatIsNoNumber) {
  const Variant rows[] = {
      kEmpty,     text(""),    text("abc"), text("12abc"), text("1,5"), text("nan"), text("inf"),
      text("+-5"), text("--5"), Variant(std::vector<double>{1.0}),
  };
  for (const Variant& v : rows) EXPECT_EQ(errorOf([&] { toDouble(v, "Height"); }), errc::TypeMismatch) << typeName(v);
}

struct Int16Row {
  const char* label;
  Variant value;
  std::int32_t error;  // 0: accepted
  int expected;
};

TEST(Coerce, ToInt16RoundsHalvesToEvenAndRefusesOutOfRange) {
  const Int16Row rows[] = {
      {"int16", i2(6), 0, 6},
      {"int", i4(-32768), 0, -32768},
      {"int max", i4(32767), 0, 32767},
      {"double", 1000.0, 0, 1000},
      {"0.5", 0.5, 0, 0},
      {"1.5", 1.5, 0, 2},
      {"2.5", 2.5, 0, 2},
      {"-0.5", -0.5, 0, 0},
      {"-1.5", -1.5, 0, -2},
      {"2.4999", 2.4999, 0, 2},
      {"2.5001", 2.5001, 0, 3},
      {"32767.4", 32767.4, 0, 32767},
      {"-32768.5", -32768.5, 0, -32768},
      {"text 3.5", text("3.5"), 0, 4},
      {"true", true, 0, -1},
      {"false", false, 0, 0},
      {"32767.5", 32767.5, errc::Overflow, 0},
      {"-32769", i4(-32769), errc::Overflow, 0},
      {"40000", i4(40000), errc::Overflow, 0},
      {"1e10", 1e10, errc::Overflow, 0},
      {"NaN", kNaN, errc::Overflow, 0},
      {"inf", kInf, errc::Overflow, 0},
      {"text", text("red"), errc::TypeMismatch, 0},
      {"empty", kEmpty, errc::TypeMismatch, 0},
      {"list", Variant(std::vector<double>{1}), errc::TypeMismatch, 0},
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
  Variant value;
  std::int32_t error;
  bool expected;
};

TEST(Coerce, ToBool) {
  const BoolRow rows[] = {
      {"true", true, 0, true},
      {"false", false, 0, false},
      {"int 1", i4(1), 0, true},
      {"int 0", i4(0), 0, false},
      {"int16 -1", i2(-1), 0, true},
      {"double 0.0", 0.0, 0, false},
      {"double 0.25", 0.25, 0, true},
      {"text True", text("True"), 0, true},
      {"text FALSE", text("FALSE"), 0, false},
      {"text 0", text("0"), 0, false},
      {"text -1", text("-1"), 0, true},
      {"text yes", text("yes"), errc::TypeMismatch, false},
      {"empty", kEmpty, errc::TypeMismatch, false},
      {"NaN", kNaN, errc::TypeMismatch, false},
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
  Variant value;
  const char* expected;  // nullptr: type mismatch
};

TEST(Coerce, ToText) {
  const TextRow rows[] = {
      {"text", text("29°20′"), "29°20′"},
      {"empty text", text(""), ""},
      {"int", i4(1000), "1000"},
      {"int16", i2(-5), "-5"},
      {"double 0.7", 0.7, "0.7"},
      {"double 1000", 1000.0, "1000"},
      {"double zero", -0.0, "0"},
      {"double pi/2", 3.14159265358979 / 2, "1.5707963267949"},
      {"double 1e20", 1e20, "1E+20"},
      {"double 1e-7", 1e-7, "1E-07"},
      {"true", true, "True"},
      {"false", false, "False"},
      {"empty", kEmpty, nullptr},
      {"list", Variant(std::vector<double>{1}), nullptr},
  };
  for (const TextRow& r : rows) {
    std::string got;
    EXPECT_EQ(errorOf([&] { got = toText(r.value, "TextString"); }), r.expected ? 0 : errc::TypeMismatch)
        << r.label;
    if (r.expected) {
      EXPECT_EQ(got, r.expected) << r.label;
    }
  }
}

TEST(Coerce, ToDoubleArrayTakesArraysOnly) {
  EXPECT_EQ(toDoubleArray(std::vector<double>{1.5, -2, 0}, "Coordinates"), (std::vector<double>{1.5, -2, 0}));
  EXPECT_EQ(toDoubleArray(std::vector<double>{}, "Coordinates"), std::vector<double>{});
  for (const Variant& v : {Variant(5.0), text("1,2"), kEmpty}) {
    EXPECT_EQ(errorOf([&] { toDoubleArray(v, "Coordinates"); }), errc::TypeMismatch) << typeName(v);
  }
}

TEST(Coerce, TypeNamesAreAutomations) {
  const std::pair<Variant, const char*> rows[] = {
      {kEmpty, "VT_EMPTY"}, {true, "VT_BOOL"},   {i2(1), "VT_I2"}, {i4(1), "VT_I4"},
      {1.0, "VT_R8"},       {text("a"), "VT_BSTR"}, {Variant(std::vector<double>{}), "VT_ARRAY|VT_R8"},
  };
  for (const auto& [v, name] : rows) EXPECT_STREQ(typeName(v), name);
}

TEST(Coerce, MessagesNameTheProperty) {
  try {
    toDouble(text("tall"), "Height");
    FAIL();
  } catch (const CadError& e) {
    EXPECT_EQ(e.description(), "The value given for Height is not a number.");
    EXPECT_STREQ(e.what(), "The value given for Height is not a number.");
  }
  try {
    toInt16(i4(70000), "Color");
    FAIL();
  } catch (const CadError& e) {
    EXPECT_EQ(e.description(), "The value given for Color is out of range (-32768 to 32767).");
  }
}

}  // namespace
}  // namespace veskar::cad
