// Reading the fields under a locale whose decimal point is a comma (Linux: compiled with
// localedef, so that the test never falls back to the C locale).
#include <gtest/gtest.h>

#include "graticule/draw_command.h"
#include "platform/testing/locales.h"

namespace {

TEST(LeadingNumber, TheDecimalPointIsAPointUnderACommaLocale) {
  const veskar::testing::CommaLocale comma;
  ASSERT_TRUE(comma.active()) << comma.locale().error();
  EXPECT_EQ(veskar::graticule::leadingNumber("29.2"), 29.2);
  EXPECT_EQ(veskar::graticule::leadingNumber("29,2"), 29);
  EXPECT_EQ(veskar::graticule::leadingNumber("-0.15e1"), -1.5);
}

}  // namespace
