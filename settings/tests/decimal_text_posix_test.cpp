// Reading numbers under a locale whose decimal point is a comma (Linux: compiled with
// localedef, so that the test never falls back to the C locale).
#include <gtest/gtest.h>

#include "platform/testing/locales.h"
#include "settings/decimal_text.h"

namespace {

TEST(ScanDecimal, DecimalPointIsAlwaysAPoint) {
  const veskar::testing::CommaLocale comma;
  ASSERT_TRUE(comma.active()) << comma.locale().error();
  EXPECT_EQ(veskar::settings::scanDecimal("29.2").value, 29.2);
  EXPECT_EQ(veskar::settings::scanDecimal("29,2").value, 29);
}

}  // namespace
