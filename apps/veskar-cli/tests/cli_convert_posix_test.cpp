// veskar-cli forward under a locale whose decimal separator is a comma (Linux: the locale is
// compiled with localedef, so that the test never falls back to the C locale).
#include <gtest/gtest.h>

#include "platform/testing/locales.h"

namespace {

TEST(CliConvert, DecimalPointWhateverTheLocale) {
  const veskar::testing::CompiledLocale german("de_DE", "UTF-8");
  ASSERT_TRUE(german.built()) << german.error();
  const auto r = veskar::testing::run(VESKAR_CLI, {"forward", "--central-meridian", "114"}, "29.2 115.15\n",
                                      {{"LOCPATH", german.folder()}, {"LC_ALL", german.name()}});
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "3246922.0904 621412.8980\n");
}

}  // namespace
