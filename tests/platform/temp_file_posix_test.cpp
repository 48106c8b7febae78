#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/temp_file.h"
#include "support/scratch_dir.h"

namespace {

TEST(TempFilePosix, SystemDirectoryHonoursTmpdirElseTmp) {
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  std::string dir;
  setenv("TMPDIR", "/some/where", 1);
  ASSERT_TRUE(xova::platform::SystemTempDirectory(&dir));
  EXPECT_EQ(dir, "/some/where");
  setenv("TMPDIR", "", 1);
  ASSERT_TRUE(xova::platform::SystemTempDirectory(&dir));
  EXPECT_EQ(dir, "/tmp");
  unsetenv("TMPDIR");
  ASSERT_TRUE(xova::platform::SystemTempDirectory(&dir));
  EXPECT_EQ(dir, "/tmp");
  if (old) setenv("TMPDIR", saved.c_str(), 1);
}

TEST(TempFilePosix, OnlyTheOwnerMayReadOrWrite) {
  xova_test::ScratchDir dir;
  std::string path;
  ASSERT_TRUE(xova::platform::CreateUniqueFile(dir.path(), "xov", &path));
  struct stat info = {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 0077, 0u);
}

}  // namespace
