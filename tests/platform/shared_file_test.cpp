#include "platform/shared_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/scratch_dir.h"

namespace {

using xova::platform::OpenMode;
using xova::platform::StreamPtr;

std::string Contents(const std::string& path) {
  const auto bytes = xova_test::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

StreamPtr Open(const std::string& path, OpenMode mode, std::size_t buffer = 0) {
  return StreamPtr(xova::platform::OpenShared(path.c_str(), mode, buffer));
}

std::string ReadRest(std::FILE* f) {
  std::string out;
  for (int c; (c = std::fgetc(f)) != EOF;) out += static_cast<char>(c);
  return out;
}

void Write(std::FILE* f, const std::string& text) {
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), f), text.size());
}

class SharedFileTest : public ::testing::Test {
 protected:
  xova_test::ScratchDir dir;
  std::string path = dir.File("data.bin");
};

TEST_F(SharedFileTest, ModesCreateEmptyOrKeepTheFile) {
  EXPECT_EQ(Open(path, OpenMode::kRead), nullptr);  // the read modes need a file
  EXPECT_EQ(Open(path, OpenMode::kUpdate), nullptr);
  StreamPtr f = Open(path, OpenMode::kCreateWrite);
  ASSERT_NE(f, nullptr);
  Write(f.get(), "line\r\nabcdef");
  f.reset();
  EXPECT_EQ(Contents(path), "line\r\nabcdef");  // untranslated
  ASSERT_NE(f = Open(path, OpenMode::kUpdate), nullptr);
  ASSERT_TRUE(xova::platform::Seek(f.get(), 8, SEEK_SET));
  Write(f.get(), "X");
  ASSERT_TRUE(xova::platform::Seek(f.get(), 6, SEEK_SET));
  EXPECT_EQ(ReadRest(f.get()), "abXdef");
  f.reset();
  ASSERT_NE(f = Open(path, OpenMode::kRead), nullptr);
  EXPECT_EQ(ReadRest(f.get()), "line\r\nabXdef");
  EXPECT_EQ(std::fputc('x', f.get()), EOF);
  f.reset();
  ASSERT_NE(f = Open(path, OpenMode::kCreateUpdate), nullptr);
  EXPECT_EQ(ReadRest(f.get()), "");  // emptied
  Write(f.get(), "new");
  ASSERT_TRUE(xova::platform::Seek(f.get(), 0, SEEK_SET));
  EXPECT_EQ(ReadRest(f.get()), "new");
  f.reset();
  ASSERT_NE(f = Open(path, OpenMode::kCreateWrite), nullptr);
  f.reset();
  EXPECT_EQ(Contents(path), "");
  EXPECT_EQ(Open(dir.path(), OpenMode::kRead), nullptr);  // a directory
  EXPECT_EQ(xova::platform::OpenShared(nullptr, OpenMode::kRead, 0), nullptr);
}

TEST_F(SharedFileTest, FullBufferingHoldsDataUntilTheBufferFills) {
  StreamPtr f = Open(path, OpenMode::kCreateWrite, xova::platform::kStreamBufferSize);
  ASSERT_NE(f, nullptr);
  Write(f.get(), "a line that ends\n");
  EXPECT_EQ(Contents(path), "");  // neither unbuffered nor line buffered
  Write(f.get(), std::string(8192, 'z'));
  EXPECT_GE(Contents(path).size(), 8192u);
  ASSERT_TRUE(xova::platform::CloseShared(f.release()));
  EXPECT_EQ(Contents(path).size(), 17u + 8192u);
}

TEST_F(SharedFileTest, WriterDeniesEveryOtherOpenAndKeepsItsContents) {
  StreamPtr writer = Open(path, OpenMode::kCreateWrite);
  ASSERT_NE(writer, nullptr);
  Write(writer.get(), "kept");
  ASSERT_EQ(std::fflush(writer.get()), 0);
  for (OpenMode mode :
       {OpenMode::kRead, OpenMode::kCreateWrite, OpenMode::kUpdate, OpenMode::kCreateUpdate}) {
    EXPECT_EQ(Open(path, mode), nullptr) << static_cast<int>(mode);
  }
  EXPECT_EQ(Contents(path), "kept");  // the refused creates truncated nothing
  writer.reset();
  EXPECT_NE(Open(path, OpenMode::kUpdate), nullptr);
}

TEST_F(SharedFileTest, ReadersShareButDenyWriters) {
  StreamPtr writer = Open(path, OpenMode::kCreateWrite);
  ASSERT_NE(writer, nullptr);
  Write(writer.get(), "shared");
  writer.reset();
  StreamPtr first = Open(path, OpenMode::kRead);
  StreamPtr second = Open(path, OpenMode::kRead);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Open(path, OpenMode::kCreateWrite), nullptr);
  first.reset();
  EXPECT_EQ(Open(path, OpenMode::kUpdate), nullptr);  // one reader still holds it
  EXPECT_EQ(ReadRest(second.get()), "shared");
  second.reset();
  EXPECT_NE(Open(path, OpenMode::kUpdate), nullptr);
}

TEST_F(SharedFileTest, PositionsBeyondFourGigabytes) {
  StreamPtr f = Open(path, OpenMode::kCreateUpdate);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(xova::platform::Seek(f.get(), 5'000'000'000LL, SEEK_SET));
  EXPECT_EQ(xova::platform::Tell(f.get()), 5'000'000'000LL);
  EXPECT_FALSE(xova::platform::Seek(f.get(), -1, SEEK_SET));
}

}  // namespace
