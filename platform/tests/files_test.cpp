// Files on both systems: replacement over an existing file, Chinese characters in names,
// failures that leave the old file whole and nothing else behind, existence.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/testing/testing.h"

namespace veskar::platform {
namespace {

using testing::entries;
using testing::readBytes;
using testing::TempDir;

TEST(ReplaceFile, WritesANewFileAndReplacesAnOldOne) {
  TempDir dir;
  const std::string path = dir.file("测量 图.dxf");
  EXPECT_FALSE(fileExists(path));
  EXPECT_EQ(replaceFile(path, "first"), std::nullopt);
  EXPECT_TRUE(fileExists(path));
  EXPECT_EQ(replaceFile(path, std::string("second\r\n\0x", 10)), std::nullopt);
  EXPECT_EQ(readBytes(path), std::string("second\r\n\0x", 10));
  std::string error;
  EXPECT_EQ(readFile(path, error), std::string("second\r\n\0x", 10));
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"测量 图.dxf"});
  EXPECT_EQ(fileName(path), "测量 图.dxf");
}

TEST(ReplaceFile, AFailureLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  ASSERT_TRUE(testing::makeDirectory(dir.file("folder")));
  ASSERT_TRUE(testing::writeBytes(dir.file("folder/inside.txt"), "kept"));
  const std::string targets[] = {dir.file("folder"), dir.file("none/x.dxf")};
  for (const std::string& target : targets) {
    const std::optional<std::string> error = replaceFile(target, "new");
    ASSERT_TRUE(error) << target;
    EXPECT_FALSE(error->empty()) << target;
  }
  EXPECT_EQ(readBytes(dir.file("folder/inside.txt")), "kept");
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"folder"});
  EXPECT_EQ(entries(dir.file("folder")), std::vector<std::string>{"inside.txt"});
}

TEST(Files, ExistenceAndReading) {
  TempDir dir;
  EXPECT_FALSE(fileExists(""));
  EXPECT_FALSE(fileExists(dir.file("none")));
  EXPECT_TRUE(fileExists(dir.path()));
  std::string error;
  EXPECT_EQ(readFile(dir.file("none"), error), std::nullopt);
  EXPECT_FALSE(error.empty());
}

TEST(Files, TheApplicationDirectoryHoldsThisProgram) {
  const std::string dir = applicationDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_FALSE(isPathSeparator(dir.back()) && dir.size() > 3) << dir;
  EXPECT_TRUE(fileExists(dir + kPathSeparator + VESKAR_TEST_PROGRAM)) << dir;
}

}  // namespace
}  // namespace veskar::platform
