// Creating a file for writing truncates only a file that has content: on some
// file systems a truncation makes the close force every later write to disk,
// which made writing a new file far slower than a plain stdio writer.
#include <dlfcn.h>
#include <sys/types.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "platform/shared_file.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {
std::atomic<int> g_truncations{0};
}  // namespace

// Every truncation in this program is counted, then done by the C library.
extern "C" int ftruncate(int fd, off_t length) {
  using Real = int (*)(int, off_t);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "ftruncate"));
  ++g_truncations;
  return real ? real(fd, length) : -1;
}

namespace {

using xova::platform::OpenMode;
using xova::platform::StreamPtr;

TEST(SharedFileTruncation, NewAndEmptyFilesAreNotTruncatedFilledOnesAre) {
  xova_test::ScratchDir dir;
  const std::string path = dir.File("data.bin");
  for (OpenMode mode : {OpenMode::kCreateWrite, OpenMode::kCreateUpdate}) {
    std::remove(path.c_str());
    g_truncations = 0;
    StreamPtr f(xova::platform::OpenShared(path.c_str(), mode, 0));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(g_truncations, 0) << "a new file";
    ASSERT_GE(std::fputs("content", f.get()), 0);
    f.reset();
    EXPECT_EQ(xova_test::ReadFileBytes(path).size(), 7u);
    ASSERT_NE(f = StreamPtr(xova::platform::OpenShared(path.c_str(), mode, 0)), nullptr);
    EXPECT_EQ(g_truncations, 1) << "a file with content";
    f.reset();
    EXPECT_TRUE(xova_test::ReadFileBytes(path).empty());
    ASSERT_NE(f = StreamPtr(xova::platform::OpenShared(path.c_str(), mode, 0)), nullptr);
    EXPECT_EQ(g_truncations, 1) << "an existing empty file";
  }
}

TEST(SharedFileTruncation, OpenWriteOfANewFileTruncatesNothing) {
  xova_test::ScratchDir dir;
  g_truncations = 0;
  int h = -1;
  ASSERT_EQ(xovaOpenWrite(dir.File("new.data").c_str(), &h), XOVA_OK);
  EXPECT_EQ(g_truncations, 0);
  ASSERT_EQ(xovaSetVarName(h, "x", 0), XOVA_OK);
  ASSERT_EQ(xovaCommitHeader(h), XOVA_OK);
  ASSERT_EQ(xovaCloseWrite(h), XOVA_OK);
  EXPECT_EQ(g_truncations, 0);
}

}  // namespace
