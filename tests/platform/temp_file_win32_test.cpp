// The Windows side of temporary files: the system's temporary directory, the
// limits of the system's name buffer, and allocation failures.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "platform/temp_file.h"
#include "support/alloc_failure.h"
#include "support/scratch_dir.h"

namespace {

using xova::platform::CreateUniqueFile;
using xova::platform::SystemTempDirectory;

// Sets TMP for one test (the system's first choice for the temporary
// directory) and puts the old value back.
class TmpScope {
 public:
  explicit TmpScope(const std::string& value) {
    char old[32768];
    const DWORD n = GetEnvironmentVariableA("TMP", old, sizeof old);
    had_ = n > 0 && n < sizeof old;
    if (had_) old_.assign(old, n);
    SetEnvironmentVariableA("TMP", value.c_str());
  }
  ~TmpScope() { SetEnvironmentVariableA("TMP", had_ ? old_.c_str() : nullptr); }
  TmpScope(const TmpScope&) = delete;
  TmpScope& operator=(const TmpScope&) = delete;

 private:
  bool had_ = false;
  std::string old_;
};

TEST(TempFileWin32, SystemDirectoryFollowsTheEnvironment) {
  xova_test::ScratchDir dir;
  TmpScope tmp(dir.path());
  std::string system;
  ASSERT_TRUE(SystemTempDirectory(&system));
  EXPECT_EQ(system, dir.path() + "\\");
  std::string path;
  ASSERT_TRUE(CreateUniqueFile(system, "xov", &path));
  ASSERT_EQ(dir.List().size(), 1u);
  EXPECT_EQ(dir.List()[0].rfind("xov", 0), 0u);
}

TEST(TempFileWin32, SystemDirectoryTooLongForTheBufferIsAFailure) {
  TmpScope tmp("C:\\" + std::string(300, 'd'));
  std::string system = "unchanged";
  EXPECT_FALSE(SystemTempDirectory(&system));
  EXPECT_EQ(system, "unchanged");
}

TEST(TempFileWin32, DirectoryTooLongForASystemNameIsAFailure) {
  xova_test::ScratchDir dir;
  std::string path = "unchanged";
  EXPECT_FALSE(CreateUniqueFile(dir.path() + "\\" + std::string(MAX_PATH, 'd'), "dio", &path));
  EXPECT_EQ(path, "unchanged");
  EXPECT_TRUE(dir.List().empty());
}

// A name that cannot be stored must not leave its file behind.
TEST(TempFileWin32, AllocationFailureLeavesNoFile) {
  xova_test::ScratchDir dir;
  const std::string where = dir.path();
  size_t created = 0;
  const long runs = xova_test::ForEachAllocationFailure([&] {
    std::string path;
    try {
      if (CreateUniqueFile(where, "dio", &path)) ++created;
    } catch (const std::bad_alloc&) {
    }
  });
  xova_test::ResetAllocFailure();
  EXPECT_GT(runs, 0);
  EXPECT_EQ(created, 1u);
  EXPECT_EQ(dir.List().size(), created);
}

}  // namespace
