// The sheet window's settings file on real files: what loads from which bytes, and what a save
// writes.
#include <gtest/gtest.h>

#include "platform/testing/testing.h"
#include "settings/sheet_settings.h"

namespace {

using namespace veskar::settings;
using veskar::testing::readBytes;
using veskar::testing::ScopedEnv;
using veskar::testing::TempDir;

class SheetSettingsFile : public ::testing::Test {
 protected:
  ScopedEnv lcAll{"LC_ALL", "C.UTF-8"};  // the code page is vesk.ini's (its tests); ASCII here
  TempDir dir;
  std::string path() const { return AppFilePath(dir.path(), kSheetSettingsFile); }
};

SheetSettings with(std::initializer_list<std::pair<SheetFieldIndex, const char*>> changes) {
  SheetSettings s = sheetDefaults();
  for (const auto& [i, v] : changes) s.values[i] = v;
  return s;
}

TEST_F(SheetSettingsFile, LoadsWhatTheLinesGiveAndDefaultsForTheRest) {
  struct Case {
    const char* name;
    std::string bytes;
    SheetSettings expected;
  };
  const Case cases[] = {
      {"empty", "", sheetDefaults()},
      {"two keys, CR LF", "number=J50G015010\r\nscale=50000\r\n", with({{kSheetNumber, "J50G015010"}, {kSheetScale, "50000"}})},
      {"LF, CR, no end", "grid=0.5\ntitle=a\rfinished=0", with({{kSheetGrid, "0.5"}, {kSheetTitle, "a"}, {kSheetFinished, "0"}})},
      {"value as it is", " title =  Beijing = East \r\n", with({{kSheetTitle, "  Beijing = East "}})},
      {"later line wins, marks dropped", "\xEF\xBB\xBF\xEF\xBB\xBFnumber=J50\r\nnumber=J51\r\n", with({{kSheetNumber, "J51"}})},
      {"unknown keys, no '=', case", "Number=J50\r\nnumber\r\nx=1\r\n", sheetDefaults()},
      {"square sheets", "division=square\r\nsquare_number=10.25-27.75\r\nnorthing=10260\r\nsheet_size=50x40\r\n",
       with({{kSheetDivision, "square"}, {kSheetSquareNumber, "10.25-27.75"}, {kSheetNorthing, "10260"}, {kSheetSize, "50x40"}})},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(veskar::testing::writeBytes(path(), c.bytes));
    EXPECT_EQ(LoadSheetSettings(dir.path()).values, c.expected.values) << c.name;
  }
}

TEST_F(SheetSettingsFile, MissingFileGivesTheFirstStart) {
  EXPECT_EQ(LoadSheetSettings(dir.path()).values,
            (std::array<std::string, 16>{"", "", "", "10000", "CGCS2000", "", "", "1", "0", "national", "", "", "", "1000", "", ""}));
}

TEST_F(SheetSettingsFile, SaveWritesEveryFieldInOrderAndLoadsBack) {
  const SheetSettings s = with({{kSheetNumber, "J-50-5-(24)"}, {kSheetTitle, "Beijing\nEast\r"}, {kSheetZonePrefix, "1"}});
  ASSERT_TRUE(SaveSheetSettings(dir.path(), s).ok);
  EXPECT_EQ(readBytes(path()),
            "number=J-50-5-(24)\r\nlatitude=\r\nlongitude=\r\nscale=10000\r\nsystem=CGCS2000\r\ngrid=\r\n"
            "title=Beijing East \r\nfinished=1\r\nzone_prefix=1\r\ndivision=national\r\nsquare_number=\r\nnorthing=\r\n"
            "easting=\r\nsquare_scale=1000\r\nsheet_size=\r\nsquare_system=\r\n");
  SheetSettings back = s;
  back.values[kSheetTitle] = "Beijing East ";
  EXPECT_EQ(LoadSheetSettings(dir.path()).values, back.values);
  // Nothing else in the folder: no vesk.ini, no temporary file.
  EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{kSheetSettingsFile});
}

TEST_F(SheetSettingsFile, SaveIntoAMissingFolderFailsWithTheSystemsWords) {
  const SaveResult r = SaveSheetSettings(dir.file("no/such"), sheetDefaults());
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.empty());
}

}  // namespace
