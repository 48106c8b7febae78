#include "platform/temp_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "support/scratch_dir.h"

namespace {

using xova::platform::CreateUniqueFile;
using xova_test::ReadFileBytes;

TEST(TempFile, CreatesANewEmptyFileNamedPrefixUniqueTmp) {
  xova_test::ScratchDir dir;
  std::string path;
  ASSERT_TRUE(CreateUniqueFile(dir.path(), "dio", &path));
  const auto names = dir.List();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(path, dir.File(names[0]));
  EXPECT_EQ(names[0].rfind("dio", 0), 0u) << names[0];
  EXPECT_GT(names[0].size(), 7u) << names[0];  // a unique part between "dio" and ".tmp"
  EXPECT_EQ(names[0].substr(names[0].size() - 4), ".tmp");
  EXPECT_TRUE(ReadFileBytes(path).empty());
  ASSERT_TRUE(CreateUniqueFile(dir.path() + "/", "xov", &path));  // a trailing separator
  EXPECT_EQ(dir.List().size(), 2u);
}

TEST(TempFile, NamesAreDistinctAndExistingFilesUntouched) {
  xova_test::ScratchDir dir;
  std::set<std::string> seen;
  for (int i = 0; i < 300; ++i) {
    std::string path;
    ASSERT_TRUE(CreateUniqueFile(dir.path(), "xov", &path));
    ASSERT_TRUE(seen.insert(path).second) << path;
    if (i < 20) {
      std::FILE* f = std::fopen(path.c_str(), "wb");
      ASSERT_NE(f, nullptr);
      std::fputs("owned", f);
      std::fclose(f);
    }
  }
  EXPECT_EQ(dir.List().size(), 300u);
  std::size_t owned = 0;
  for (const auto& path : seen) owned += ReadFileBytes(path).size() == 5 ? 1 : 0;
  EXPECT_EQ(owned, 20u);  // no later file reused an earlier name
}

TEST(TempFile, FailsWithoutADirectoryAndRemovesOnce) {
  xova_test::ScratchDir dir;
  std::string path = "unchanged";
  EXPECT_FALSE(CreateUniqueFile(dir.File("missing"), "dio", &path));
  EXPECT_FALSE(CreateUniqueFile("", "dio", &path));
  EXPECT_EQ(path, "unchanged");
  std::string file;
  ASSERT_TRUE(CreateUniqueFile(dir.path(), "xov", &file));
  EXPECT_FALSE(CreateUniqueFile(file, "dio", &path));  // a file is no directory
  EXPECT_TRUE(xova::platform::RemoveFile(file.c_str()));
  EXPECT_FALSE(xova_test::FileExists(file));
  EXPECT_FALSE(xova::platform::RemoveFile(file.c_str()));
  EXPECT_FALSE(xova::platform::RemoveFile(nullptr));
}

}  // namespace
