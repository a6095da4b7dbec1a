// Replacement on Windows where the old file refuses it (open in another program without
// sharing): the old file stays whole, nothing else is left, the system says why.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/testing/testing.h"
#include "platform/text.h"

namespace veskar::platform {
namespace {

std::wstring wide(const std::string& s) {
  const std::u16string w = utf8ToUtf16(s);
  return std::wstring(w.begin(), w.end());
}

TEST(ReplaceFileWindows, ARefusedReplacementLeavesTheOldFileWhole) {
  testing::TempDir dir;
  const std::string path = dir.file("经纬网.dxf");
  ASSERT_EQ(replaceFile(path, "old"), std::nullopt);

  const HANDLE held = CreateFileW(wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::optional<std::string> error = replaceFile(path, "new");
  CloseHandle(held);
  ASSERT_TRUE(error) << "replaced a file held open without sharing";
  EXPECT_FALSE(error->empty());
  EXPECT_EQ(testing::readBytes(path), "old");
  EXPECT_EQ(testing::entries(dir.path()), std::vector<std::string>{"经纬网.dxf"});

  EXPECT_EQ(replaceFile(path, "new"), std::nullopt);
  EXPECT_EQ(testing::readBytes(path), "new");
}

}  // namespace
}  // namespace veskar::platform
