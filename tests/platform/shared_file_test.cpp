#include "platform/shared_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace {

using xova::platform::CloseShared;
using xova::platform::OpenMode;
using xova::platform::OpenShared;
using xova::platform::StreamPtr;
using xova_test::ReadFileBytes;

std::string Contents(const std::string& path) {
  const auto bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void WriteFile(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), f), text.size());
  ASSERT_EQ(std::fclose(f), 0);
}

StreamPtr Open(const std::string& path, OpenMode mode, std::size_t buffer = 0) {
  return StreamPtr(OpenShared(path.c_str(), mode, buffer));
}

std::string ReadRest(std::FILE* f) {
  std::string out;
  for (int c; (c = std::fgetc(f)) != EOF;) out += static_cast<char>(c);
  return out;
}

class SharedFileTest : public ::testing::Test {
 protected:
  xova_test::ScratchDir dir;
  std::string path = dir.File("data.bin");
};

TEST_F(SharedFileTest, CreateWriteMakesOrEmptiesTheFile) {
  {
    StreamPtr f = Open(path, OpenMode::kCreateWrite);
    ASSERT_NE(f, nullptr);
    ASSERT_GE(std::fputs("first\r\n", f.get()), 0);
  }
  EXPECT_EQ(Contents(path), "first\r\n");  // no line-end translation
  {
    StreamPtr f = Open(path, OpenMode::kCreateWrite);
    ASSERT_NE(f, nullptr);
  }
  EXPECT_EQ(Contents(path), "");
}

TEST_F(SharedFileTest, ReadNeedsAnExistingFile) {
  EXPECT_EQ(Open(path, OpenMode::kRead), nullptr);
  EXPECT_EQ(Open(path, OpenMode::kUpdate), nullptr);
  WriteFile(path, "hello");
  StreamPtr f = Open(path, OpenMode::kRead);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(ReadRest(f.get()), "hello");
  EXPECT_EQ(std::fputc('x', f.get()), EOF);  // read-only
}

TEST_F(SharedFileTest, UpdateKeepsTheContentsAndWritesInPlace) {
  WriteFile(path, "abcdef");
  {
    StreamPtr f = Open(path, OpenMode::kUpdate);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(xova::platform::Seek(f.get(), 2, SEEK_SET));
    ASSERT_EQ(std::fputc('X', f.get()), 'X');
    ASSERT_TRUE(xova::platform::Seek(f.get(), 0, SEEK_SET));
    EXPECT_EQ(ReadRest(f.get()), "abXdef");
  }
  EXPECT_EQ(Contents(path), "abXdef");
}

TEST_F(SharedFileTest, CreateUpdateEmptiesAndReadsBack) {
  WriteFile(path, "old contents");
  StreamPtr f = Open(path, OpenMode::kCreateUpdate);
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fwrite("new", 1, 3, f.get()), 3u);
  ASSERT_TRUE(xova::platform::Seek(f.get(), 0, SEEK_SET));
  EXPECT_EQ(ReadRest(f.get()), "new");
  EXPECT_EQ(xova::platform::Tell(f.get()), 3);
}

TEST_F(SharedFileTest, FullBufferingHoldsDataUntilFlush) {
  StreamPtr f = Open(path, OpenMode::kCreateWrite, xova::platform::kStreamBufferSize);
  ASSERT_NE(f, nullptr);
  const std::string line = "a line that ends\n";
  ASSERT_EQ(std::fwrite(line.data(), 1, line.size(), f.get()), line.size());
  EXPECT_EQ(Contents(path), "");  // neither unbuffered nor line buffered
  const std::string more(8192, 'z');
  ASSERT_EQ(std::fwrite(more.data(), 1, more.size(), f.get()), more.size());
  EXPECT_GE(ReadFileBytes(path).size(), 8192u);  // a full buffer goes out
  ASSERT_TRUE(CloseShared(f.release()));
  EXPECT_EQ(Contents(path), line + more);
}

TEST_F(SharedFileTest, RefusesBadPaths) {
  EXPECT_EQ(OpenShared(nullptr, OpenMode::kRead, 0), nullptr);
  EXPECT_EQ(OpenShared("", OpenMode::kCreateWrite, 0), nullptr);
  EXPECT_EQ(Open(dir.path(), OpenMode::kRead), nullptr);  // a directory
  EXPECT_EQ(Open(dir.File("missing/data.bin"), OpenMode::kCreateWrite), nullptr);
  EXPECT_FALSE(CloseShared(nullptr));
}

TEST_F(SharedFileTest, WriterDeniesEveryOtherOpen) {
  StreamPtr writer = Open(path, OpenMode::kCreateWrite);
  ASSERT_NE(writer, nullptr);
  ASSERT_EQ(std::fwrite("kept", 1, 4, writer.get()), 4u);
  ASSERT_EQ(std::fflush(writer.get()), 0);
  for (OpenMode mode :
       {OpenMode::kRead, OpenMode::kCreateWrite, OpenMode::kUpdate, OpenMode::kCreateUpdate}) {
    EXPECT_EQ(Open(path, mode), nullptr) << static_cast<int>(mode);
  }
  EXPECT_EQ(Contents(path), "kept");  // the refused creates truncated nothing
  writer.reset();
  EXPECT_NE(Open(path, OpenMode::kUpdate), nullptr);  // free again once closed
}

TEST_F(SharedFileTest, ReadersShareButDenyWriters) {
  WriteFile(path, "shared");
  StreamPtr first = Open(path, OpenMode::kRead);
  StreamPtr second = Open(path, OpenMode::kRead);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Open(path, OpenMode::kCreateWrite), nullptr);
  EXPECT_EQ(Open(path, OpenMode::kUpdate), nullptr);
  EXPECT_EQ(ReadRest(second.get()), "shared");
  first.reset();
  EXPECT_EQ(Open(path, OpenMode::kCreateUpdate), nullptr);  // one reader still holds it
  second.reset();
  EXPECT_NE(Open(path, OpenMode::kCreateUpdate), nullptr);
}

TEST_F(SharedFileTest, PositionsBeyondFourGigabytes) {
  StreamPtr f = Open(path, OpenMode::kCreateUpdate);
  ASSERT_NE(f, nullptr);
  const std::int64_t far = 5'000'000'000LL;
  ASSERT_TRUE(xova::platform::Seek(f.get(), far, SEEK_SET));
  EXPECT_EQ(xova::platform::Tell(f.get()), far);
  EXPECT_FALSE(xova::platform::Seek(f.get(), -1, SEEK_SET));
}

}  // namespace
