#include "platform/temp_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace {

using xova::platform::CreateUniqueFile;
using xova::platform::RemoveFile;
using xova_test::FileExists;
using xova_test::ReadFileBytes;

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

TEST(TempFile, CreatesAnEmptyFileWithThePrefixInTheDirectory) {
  xova_test::ScratchDir dir;
  std::string path;
  ASSERT_TRUE(CreateUniqueFile(dir.path(), "dio", &path));
  const auto names = dir.List();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(path, dir.File(names[0]));
  EXPECT_EQ(names[0].rfind("dio", 0), 0u) << names[0];
  EXPECT_TRUE(EndsWith(names[0], ".tmp")) << names[0];
  EXPECT_GT(names[0].size(), std::string("dio.tmp").size());  // a unique part in between
  EXPECT_TRUE(ReadFileBytes(path).empty());
}

TEST(TempFile, AcceptsADirectoryWithATrailingSeparator) {
  xova_test::ScratchDir dir;
  std::string path;
  ASSERT_TRUE(CreateUniqueFile(dir.path() + "/", "xov", &path));
  ASSERT_EQ(dir.List().size(), 1u);
  EXPECT_TRUE(FileExists(path));
}

TEST(TempFile, NamesAreDistinctAndExistingFilesUntouched) {
  xova_test::ScratchDir dir;
  std::vector<std::string> existing;
  for (int i = 0; i < 20; ++i) {
    std::string path;
    ASSERT_TRUE(CreateUniqueFile(dir.path(), "xov", &path));
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("owned", f);
    std::fclose(f);
    existing.push_back(path);
  }
  std::set<std::string> seen(existing.begin(), existing.end());
  for (int i = 0; i < 300; ++i) {
    std::string path;
    ASSERT_TRUE(CreateUniqueFile(dir.path(), "xov", &path));
    EXPECT_TRUE(seen.insert(path).second) << path;
  }
  EXPECT_EQ(dir.List().size(), 320u);
  for (const auto& path : existing) EXPECT_EQ(ReadFileBytes(path).size(), 5u) << path;
}

TEST(TempFile, FailsWithoutAUsableDirectoryAndKeepsThePath) {
  xova_test::ScratchDir dir;
  std::string path = "unchanged";
  EXPECT_FALSE(CreateUniqueFile(dir.File("missing"), "dio", &path));
  EXPECT_FALSE(CreateUniqueFile("", "dio", &path));
  EXPECT_FALSE(CreateUniqueFile(dir.path(), "dio", nullptr));
  EXPECT_EQ(path, "unchanged");
  // A regular file is no directory either.
  std::string file;
  ASSERT_TRUE(CreateUniqueFile(dir.path(), "xov", &file));
  EXPECT_FALSE(CreateUniqueFile(file, "dio", &path));
  EXPECT_EQ(dir.List().size(), 1u);
}

TEST(TempFile, RemoveDeletesOnce) {
  xova_test::ScratchDir dir;
  std::string path;
  ASSERT_TRUE(CreateUniqueFile(dir.path(), "xov", &path));
  EXPECT_TRUE(RemoveFile(path.c_str()));
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(RemoveFile(path.c_str()));
  EXPECT_FALSE(RemoveFile(nullptr));
  EXPECT_FALSE(RemoveFile(""));
}

}  // namespace
