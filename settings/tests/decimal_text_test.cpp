// Reading the number at the start of a text, independent of the locale.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "settings/decimal_text.h"

using veskar::settings::scanDecimal;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct ScanCase {
  const char* text;
  bool found;
  double value;
  std::size_t end;
};

TEST(ScanDecimal, Table) {
  const ScanCase cases[] = {
      {"114", true, 114, 3},
      {"115.15", true, 115.15, 6},
      {"  \t29.2xyz", true, 29.2, 7},
      {"-0.15", true, -0.15, 5},
      {"+5", true, 5, 2},
      {".5", true, 0.5, 2},
      {"5.", true, 5, 2},
      {"5a", true, 5, 1},
      {"5e", true, 5, 1},
      {"5e+", true, 5, 1},
      {"5E2", true, 500, 3},
      {"1.5e-3 m", true, 0.0015, 6},
      {"1e999", true, kInf, 5},
      {"-1e999", true, -kInf, 6},
      {"1e-999", true, 0, 6},
      {"0.000e999999999999999999", true, 0, 24},
      {"00012.50", true, 12.5, 8},
      {"1,5", true, 1, 1},
      {"abc", false, 0, 0},
      {"", false, 0, 0},
      {"  ", false, 0, 2},
      {"-", false, 0, 0},
      {".", false, 0, 0},
      {"-.e5", false, 0, 0},
      {"e5", false, 0, 0},
      {"１２", false, 0, 0},  // full-width digits are not digits here
      {"- 5", false, 0, 0},
  };
  for (const ScanCase& c : cases) {
    const auto s = scanDecimal(c.text);
    EXPECT_EQ(s.found, c.found) << c.text;
    EXPECT_EQ(s.value, c.value) << c.text;
    if (c.found) {
      EXPECT_EQ(s.end, c.end) << c.text;
    }
  }
}

}  // namespace
