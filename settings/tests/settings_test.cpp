// The settings file on real files: what loads from which bytes, what a save writes, and what
// is left when a save fails.
#include <gtest/gtest.h>

#include "platform/testing/testing.h"
#include "settings/settings.h"

using veskar::settings::AppFilePath;
using veskar::settings::FileExists;
using veskar::settings::LoadSettings;
using veskar::settings::missingFileDefaults;
using veskar::settings::readFailureDefaults;
using veskar::settings::SaveSettings;
using veskar::settings::SettingsRecord;

namespace {

using veskar::testing::readBytes;
using veskar::testing::ScopedEnv;
using veskar::testing::TempDir;

void writeBytes(const std::string& path, std::string_view bytes) {
  ASSERT_TRUE(veskar::testing::writeBytes(path, bytes));
}

const std::string kSevenLines = "114.5\r\n7\r\n30.00\r\n9\r\n0.30\r\n0.20\r\n117.00\r\n";

SettingsRecord record(std::array<const char*, 7> texts, std::optional<int> box) {
  SettingsRecord r;
  for (std::size_t i = 0; i < 7; ++i) r.texts[i] = texts[i];
  r.boxState = box;
  return r;
}

void expectRecord(const SettingsRecord& expected, const SettingsRecord& actual) {
  for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(expected.texts[i], actual.texts[i]) << "Text" << i + 1;
  EXPECT_EQ(expected.boxState, actual.boxState);
}

class SettingsFile : public ::testing::Test {
 protected:
  // A UTF-8 locale whatever the machine's, so that the expected bytes are fixed.
  ScopedEnv lcAll{"LC_ALL", "C.UTF-8"};
  TempDir dir;
  std::string path() const { return AppFilePath(dir.path(), "vesk.ini"); }
};

TEST_F(SettingsFile, MissingFileGivesTheMissingFileDefaultsWithoutBoxState) {
  const SettingsRecord r = LoadSettings(dir.path());
  expectRecord(record({"114.00", "3", "29.00", "5", "0.15", "0.10", "115.15"}, std::nullopt), r);
}

TEST_F(SettingsFile, ReadFailureDefaultsDifferOnlyInLineOne) {
  expectRecord(record({"113.00", "3", "29.00", "5", "0.15", "0.10", "115.15"}, std::nullopt),
               readFailureDefaults());
}

// Each row: the file's bytes, and what loads (nullopt: the read-failure defaults).
struct LoadCase {
  const char* name;
  std::string bytes;
  std::optional<SettingsRecord> expected;
};
// Test names and failure messages show the row's name, not its bytes.
void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class LoadCases : public SettingsFile, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadCases, LoadsAllOrNothing) {
  writeBytes(path(), GetParam().bytes);
  const SettingsRecord r = LoadSettings(dir.path());
  expectRecord(GetParam().expected.value_or(readFailureDefaults()), r);
}

SettingsRecord sevenWith(std::optional<int> box) {
  return record({"114.5", "7", "30.00", "9", "0.30", "0.20", "117.00"}, box);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LoadCases,
    ::testing::Values(
        LoadCase{"EmptyFile", "", std::nullopt},
        LoadCase{"SevenLines", kSevenLines, std::nullopt},
        LoadCase{"OnlyLineEnds", "\r\n\r\n\r\n\r\n\r\n\r\n\r\n", std::nullopt},
        LoadCase{"Line8Empty", kSevenLines + "\r\n", std::nullopt},
        LoadCase{"Line8Letters", kSevenLines + "abc\r\n", std::nullopt},
        LoadCase{"Line8Three", kSevenLines + "3\r\n", std::nullopt},
        LoadCase{"Line8NumberThenLetters", kSevenLines + "1a\r\n", std::nullopt},
        LoadCase{"Line8Minus1", kSevenLines + "-1\r\n", std::nullopt},
        LoadCase{"Line8TooLarge", kSevenLines + "1e999\r\n", std::nullopt},
        LoadCase{"Line8Zero", kSevenLines + "0\r\n", sevenWith(0)},
        LoadCase{"Line8One", kSevenLines + "1\r\n", sevenWith(1)},
        LoadCase{"Line8TwoIsGreyed", kSevenLines + "2\r\n", sevenWith(2)},
        LoadCase{"Line8OnePointFourRoundsToOne", kSevenLines + "1.4\r\n", sevenWith(1)},
        LoadCase{"Line8HalfRoundsToEvenZero", kSevenLines + "0.5\r\n", sevenWith(0)},
        LoadCase{"Line8OneAndAHalfRoundsToTwo", kSevenLines + "1.5\r\n", sevenWith(2)},
        LoadCase{"Line8TwoAndAHalfRoundsToEvenTwo", kSevenLines + "2.5\r\n", sevenWith(2)},
        LoadCase{"Line8MinusZeroPointFour", kSevenLines + "-0.4\r\n", sevenWith(0)},
        LoadCase{"Line8WithBlanksAndExponent", kSevenLines + " \t1e0 \r\n", sevenWith(1)},
        LoadCase{"Line8WithoutLineEnd", kSevenLines + "1", sevenWith(1)},
        LoadCase{"TenLinesUseTheFirstEight",
                 kSevenLines + "1\r\nnot read\r\nabc\r\n", sevenWith(1)},
        LoadCase{"LfLineEnds", "114.5\n7\n30.00\n9\n0.30\n0.20\n117.00\n2\n", sevenWith(2)},
        LoadCase{"BlanksAndLettersKept",
                 " 114.00 \r\nabc\r\n\t29\r\n\r\n0.15\r\n0.10\r\n115.15  \r\n0\r\n",
                 record({" 114.00 ", "abc", "\t29", "", "0.15", "0.10", "115.15  "}, 0)},
        LoadCase{"LoneCarriageReturnStaysInTheText",
                 "a\rb\r\n3\r\n29\r\n5\r\n0.15\r\n0.1\r\n115.15\r\n1\r\n",
                 record({"a\rb", "3", "29", "5", "0.15", "0.1", "115.15"}, 1)}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsFile, ANonFileInPlaceOfTheFileGivesTheReadFailureDefaults) {
  ASSERT_TRUE(veskar::testing::makeDirectory(dir.file("vesk.ini")));
  expectRecord(readFailureDefaults(), LoadSettings(dir.path()));
}

TEST_F(SettingsFile, ADirectoryThroughARegularFileIsNotMissing) {
  // The path exists only in part: that is another error than "not found".
  const std::string file = dir.file("plain");
  writeBytes(file, "x");
  EXPECT_TRUE(FileExists(AppFilePath(file, "vesk.ini")));
  expectRecord(readFailureDefaults(), LoadSettings(file));
}

TEST_F(SettingsFile, FileExistsIsFalseOnlyForNotFound) {
  EXPECT_FALSE(FileExists(std::string()));
  EXPECT_FALSE(FileExists(dir.file("none")));
  EXPECT_TRUE(FileExists(dir.path()));
  writeBytes(path(), "");
  EXPECT_TRUE(FileExists(path()));
}

TEST_F(SettingsFile, SaveWritesEightCrLfLinesVerbatim) {
  const SettingsRecord r = record({" 114.00", "3", "29.00 ", "5", "0.15", "0.10", "115.15"}, 1);
  ASSERT_TRUE(SaveSettings(dir.path(), r).ok);
  EXPECT_EQ(readBytes(path()), " 114.00\r\n3\r\n29.00 \r\n5\r\n0.15\r\n0.10\r\n115.15\r\n1\r\n");
  expectRecord(r, LoadSettings(dir.path()));
}

TEST_F(SettingsFile, SaveReplacesTheWholeFile) {
  writeBytes(path(), kSevenLines + "1\r\nline nine\r\nline ten\r\n");
  ASSERT_TRUE(SaveSettings(dir.path(), record({"1", "2", "3", "4", "5", "6", "7"}, 2)).ok);
  EXPECT_EQ(readBytes(path()), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n2\r\n");
  // No temporary file is left beside it.
  EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{"vesk.ini"});
}

TEST_F(SettingsFile, SaveIntoADirectoryInPlaceOfTheFileFailsWithTheSystemsWords) {
  ASSERT_TRUE(veskar::testing::makeDirectory(dir.file("vesk.ini")));
  const auto result = SaveSettings(dir.path(), missingFileDefaults());
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
  EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{"vesk.ini"});
}

TEST_F(SettingsFile, SaveThroughARegularFileFails) {
  const std::string file = dir.file("plain");
  writeBytes(file, "x");
  const auto result = SaveSettings(file, record({"1", "2", "3", "4", "5", "6", "7"}, 0));
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
  EXPECT_EQ(readBytes(file), "x");
}

// Chinese characters in the folder's name: the file is found, written and read back.
TEST_F(SettingsFile, AFolderWithChineseCharactersInItsName) {
  const std::string folder = dir.file("测量 图");
  ASSERT_TRUE(veskar::testing::makeDirectory(folder));
  const SettingsRecord r = record({"114", "5", "29.2", "10", "0.15", "0.1", "115.15"}, 0);
  ASSERT_TRUE(SaveSettings(folder, r).ok);
  EXPECT_TRUE(FileExists(AppFilePath(folder, "vesk.ini")));
  expectRecord(r, LoadSettings(folder));
}

}  // namespace
