// The settings file where Linux decides: the "/" separator, "not found" for a missing folder,
// saves that fail half-way or for want of permission, and a GBK locale.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "platform/testing/as_nobody.h"
#include "platform/testing/testing.h"
#include "settings/settings.h"

using veskar::settings::AppFilePath;
using veskar::settings::FileExists;
using veskar::settings::LoadSettings;
using veskar::settings::missingFileDefaults;
using veskar::settings::SaveSettings;
using veskar::settings::SettingsRecord;
using veskar::testing::readBytes;
using veskar::testing::ScopedEnv;
using veskar::testing::TempDir;

namespace {

const std::string kEightLines = "114.5\r\n7\r\n30.00\r\n9\r\n0.30\r\n0.20\r\n117.00\r\n";

SettingsRecord record(std::array<const char*, 7> texts, int box) {
  SettingsRecord r;
  for (std::size_t i = 0; i < 7; ++i) r.texts[i] = texts[i];
  r.boxState = box;
  return r;
}

struct SettingsFile : ::testing::Test {
  ScopedEnv lcAll{"LC_ALL", "C.UTF-8"};
  TempDir dir;
  std::string path() const { return AppFilePath(dir.path(), "vesk.ini"); }
};

TEST(AppFilePathRule, OneSeparatorAlsoAtTheRoot) {
  EXPECT_EQ(AppFilePath("/", "vesk.ini"), "/vesk.ini");
  EXPECT_EQ(AppFilePath("/opt/veskar/bin", "vesk.ini"), "/opt/veskar/bin/vesk.ini");
  EXPECT_EQ(AppFilePath("/opt/veskar/bin/", "vesk.chm"), "/opt/veskar/bin/vesk.chm");
}

// The locale's encoding is UTF-8 here (C.UTF-8).
TEST_F(SettingsFile, Utf8TextUnderAUtf8Locale) {
  ASSERT_TRUE(veskar::testing::writeBytes(path(), "北京\r\n3\r\n29\r\n5\r\n0.15\r\n0.1\r\n115.15\r\n1\r\n"));
  const SettingsRecord r = LoadSettings(dir.path());
  EXPECT_EQ(r.texts, (std::array<std::string, 7>{"北京", "3", "29", "5", "0.15", "0.1", "115.15"}));
  EXPECT_EQ(r.boxState, 1);
}

// Byte-order marks an editor put in front (one, or more after repeated saves) are no part of
// the first field: what is loaded saves and loads back the same.
TEST_F(SettingsFile, ByteOrderMarksInFrontAreDropped) {
  for (const std::string marks : {"\xEF\xBB\xBF", "\xEF\xBB\xBF\xEF\xBB\xBF"}) {
    ASSERT_TRUE(veskar::testing::writeBytes(path(), marks + kEightLines + "1\r\n"));
    const SettingsRecord r = LoadSettings(dir.path());
    EXPECT_EQ(r.texts[0], "114.5");
    ASSERT_TRUE(SaveSettings(dir.path(), r).ok);
    EXPECT_EQ(veskar::testing::readBytes(path()), kEightLines + "1\r\n");
  }
}

TEST_F(SettingsFile, AMissingFolderIsNotFound) {
  EXPECT_FALSE(FileExists(dir.file("none/vesk.ini")));
}

// The write itself fails half way (the file size limit of the process, which binds root as
// well): the old file is still whole, and nothing else is left in the directory.
TEST_F(SettingsFile, AFailedWriteLeavesTheOldFileWhole) {
  const std::string old = kEightLines + "1\r\n";
  ASSERT_TRUE(veskar::testing::writeBytes(path(), old));
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 10;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto result = SaveSettings(dir.path(), record({"115", "4", "30", "6", "0.2", "0.2", "117"}, 0));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "File too large") << "the system's description";
  EXPECT_EQ(readBytes(path()), old);
  EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{"vesk.ini"});
}

TEST_F(SettingsFile, AReadOnlyDirectoryRefusesTheSaveAndKeepsTheOldFile) {
  namespace fs = std::filesystem;
  const std::string old = kEightLines + "0\r\n";
  ASSERT_TRUE(veskar::testing::writeBytes(path(), old));
  fs::permissions(dir.path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const std::optional<std::string> report = veskar::testing::asNobody([&] {
    const auto result = SaveSettings(dir.path(), missingFileDefaults());
    return (result.ok ? "1" : "0") + result.error;
  });
  fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::add);
  ASSERT_TRUE(report) << "could not become nobody";
  EXPECT_EQ(*report, "0Permission denied");
  EXPECT_EQ(readBytes(path()), old);
  EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{"vesk.ini"});
}

// Under a zh_CN.GBK locale the file is GBK, as a Chinese system's own encoding. The locale is
// compiled into a scratch folder with localedef (the machine need not have it installed).
TEST(SettingsEncoding, GbkLocaleRoundTrip) {
  TempDir locales;
  const auto made = veskar::testing::run("/usr/bin/localedef", {"-i", "zh_CN", "-f", "GBK", locales.file("zh_CN.GBK")});
  ASSERT_EQ(readBytes(locales.file("zh_CN.GBK/LC_CTYPE")).rfind("<unreadable>", 0), std::string::npos)
      << "localedef could not build zh_CN.GBK: " << made.err;

  ScopedEnv locpath("LOCPATH", locales.path());
  ScopedEnv lcAll("LC_ALL", "zh_CN.GBK");
  TempDir dir;
  const SettingsRecord r = record({"北京54坐标系", "3", "29.00", "5", "0.15", "0.10", "115.15"}, 1);
  ASSERT_TRUE(SaveSettings(dir.path(), r).ok);
  // 北 B1B1, 京 BEA9, 坐 D7F8, 标 B1EA, 系 CFB5
  EXPECT_EQ(readBytes(AppFilePath(dir.path(), "vesk.ini")),
            "\xB1\xB1\xBE\xA9" "54\xD7\xF8\xB1\xEA\xCF\xB5\r\n3\r\n29.00\r\n5\r\n"
            "0.15\r\n0.10\r\n115.15\r\n1\r\n");
  const SettingsRecord loaded = LoadSettings(dir.path());
  EXPECT_EQ(loaded.texts, r.texts);
  EXPECT_EQ(loaded.boxState, r.boxState);
}

}  // namespace
