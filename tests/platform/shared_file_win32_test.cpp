// What the share modes and the stream table of the Windows runtime add to the
// behaviour every platform shares.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/shared_file.h"
#include "support/scratch_dir.h"

namespace {

using xova::platform::OpenMode;
using xova::platform::OpenShared;
using xova::platform::StreamPtr;

StreamPtr Open(const std::string& path, OpenMode mode) {
  return StreamPtr(OpenShared(path.c_str(), mode, xova::platform::kStreamBufferSize));
}

// Opens the file the way any other program might; true when the system let it.
bool SystemOpens(const std::string& path, DWORD access) {
  HANDLE h = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

class SharedFileWin32Test : public ::testing::Test {
 protected:
  xova_test::ScratchDir dir;
  std::string path = dir.File("data.bin");
};

TEST_F(SharedFileWin32Test, OtherProgramsMayReadButNotWriteWhileWeWrite) {
  StreamPtr writer = Open(path, OpenMode::kCreateWrite);
  ASSERT_NE(writer, nullptr);
  EXPECT_TRUE(SystemOpens(path, GENERIC_READ));
  EXPECT_FALSE(SystemOpens(path, GENERIC_WRITE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  std::FILE* plain = std::fopen(path.c_str(), "ab");
  EXPECT_EQ(plain, nullptr);
  if (plain) std::fclose(plain);
  writer.reset();
  EXPECT_TRUE(SystemOpens(path, GENERIC_WRITE));
}

TEST_F(SharedFileWin32Test, OtherProgramsMayNotWriteWhileWeRead) {
  { StreamPtr create = Open(path, OpenMode::kCreateWrite); }
  StreamPtr reader = Open(path, OpenMode::kRead);
  ASSERT_NE(reader, nullptr);
  EXPECT_TRUE(SystemOpens(path, GENERIC_READ));
  EXPECT_FALSE(SystemOpens(path, GENERIC_WRITE));
}

TEST_F(SharedFileWin32Test, AFileOpenedForWritingElsewhereIsRefused) {
  HANDLE other = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(other, "theirs", 6, &written, nullptr));
  EXPECT_EQ(Open(path, OpenMode::kRead), nullptr);         // we would deny their writes
  EXPECT_EQ(Open(path, OpenMode::kCreateWrite), nullptr);  // and must not truncate
  CloseHandle(other);
  EXPECT_EQ(xova_test::ReadFileBytes(path).size(), 6u);
}

// Text mode would stop at a Ctrl-Z and turn line ends around.
TEST_F(SharedFileWin32Test, BytesPassUntranslatedBothWays) {
  const std::string bytes(
      "a\nb\x1A"
      "c\r\nd",
      8);
  {
    StreamPtr f = Open(path, OpenMode::kCreateUpdate);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f.get()), bytes.size());
  }
  EXPECT_EQ(xova_test::ReadFileBytes(path).size(), bytes.size());
  StreamPtr f = Open(path, OpenMode::kRead);
  ASSERT_NE(f, nullptr);
  char back[16] = {};
  EXPECT_EQ(std::fread(back, 1, sizeof back, f.get()), bytes.size());
  EXPECT_EQ(std::string(back, bytes.size()), bytes);
}

// The handle table holds 1000 files; the runtime's stream table starts smaller.
TEST_F(SharedFileWin32Test, AThousandFilesOpenAtOnce) {
  std::vector<StreamPtr> streams;
  for (int i = 0; i < 1001; ++i) {
    streams.push_back(Open(dir.File("f" + std::to_string(i)), OpenMode::kCreateWrite));
    ASSERT_NE(streams.back(), nullptr) << i;
  }
  // A refusal by share mode stays a refusal after the table has grown.
  EXPECT_EQ(Open(dir.File("f0"), OpenMode::kRead), nullptr);
}

}  // namespace
