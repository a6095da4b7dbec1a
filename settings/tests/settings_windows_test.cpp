// vesk.ini in the ANSI code page, as Windows programs write text: 936 on a Chinese system, 1252
// on a Western one. ctest runs this under both (LANG=zh_CN.UTF-8 and LANG=C.UTF-8 for Wine) and
// names the code page it expects in VESKAR_EXPECTED_ACP.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/testing/testing.h"
#include "platform/text.h"
#include "settings/settings.h"

namespace {

using veskar::settings::AppFilePath;
using veskar::settings::LoadSettings;
using veskar::settings::SaveSettings;
using veskar::settings::SettingsRecord;

TEST(SettingsWindows, WrittenAndReadInTheAnsiCodePage) {
  const char* expected = std::getenv("VESKAR_EXPECTED_ACP");
  ASSERT_NE(expected, nullptr);
  ASSERT_EQ(GetACP(), std::stoul(expected)) << "the locale did not reach the program";
  const bool chinese = GetACP() == 936;
  EXPECT_EQ(veskar::platform::systemCodePageName(), chinese ? "GBK" : "CP1252");

  veskar::testing::TempDir dir;
  SettingsRecord r;
  r.texts = {"北京54坐标系", "3", "29°", "5", "0.15", "0.10", "115.15"};
  r.boxState = 1;
  ASSERT_TRUE(SaveSettings(dir.path(), r).ok);
  const std::string bytes = veskar::testing::readBytes(AppFilePath(dir.path(), "vesk.ini"));
  // 北 B1B1, 京 BEA9, 坐 D7F8, 标 B1EA, 系 CFB5, ° A1E3 in 936; in 1252 the Chinese characters
  // have no form (written "?") and ° is B0.
  EXPECT_EQ(bytes, chinese ? "\xB1\xB1\xBE\xA9" "54\xD7\xF8\xB1\xEA\xCF\xB5\r\n3\r\n29\xA1\xE3\r\n5\r\n0.15\r\n0.10\r\n115.15\r\n1\r\n"
                           : "??54???\r\n3\r\n29\xB0\r\n5\r\n0.15\r\n0.10\r\n115.15\r\n1\r\n");
  const SettingsRecord loaded = LoadSettings(dir.path());
  EXPECT_EQ(loaded.texts[0], chinese ? "北京54坐标系" : "??54???");
  EXPECT_EQ(loaded.texts[2], "29°");
  EXPECT_EQ(loaded.boxState, 1);
}

}  // namespace
