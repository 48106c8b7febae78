#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/temp_file.h"
#include "support/scratch_dir.h"

namespace {

// Sets TMPDIR for one test and puts the old value back.
class TmpdirScope {
 public:
  TmpdirScope() {
    const char* old = std::getenv("TMPDIR");
    had_ = old != nullptr;
    if (old) old_ = old;
  }
  ~TmpdirScope() {
    if (had_) {
      setenv("TMPDIR", old_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }
  TmpdirScope(const TmpdirScope&) = delete;
  TmpdirScope& operator=(const TmpdirScope&) = delete;

 private:
  bool had_ = false;
  std::string old_;
};

TEST(SystemTempDirectory, HonoursTmpdirElseTmp) {
  TmpdirScope scope;
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
