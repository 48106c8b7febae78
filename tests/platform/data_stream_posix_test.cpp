#include <gtest/gtest.h>

#include <vector>

#include "platform/shared_file.h"

namespace {

using xova::platform::OpenDataStream;
using xova::platform::OpenMode;

// /dev/full fails every write that reaches it, so whatever fwrite accepts
// without an error sits in the stream's buffer: it must hold 8192 bytes.
TEST(DataStream, BuffersExactly8192Bytes) {
  bool oom = true;
  xova::platform::StreamPtr stream = OpenDataStream("/dev/full", OpenMode::kCreateWrite, &oom);
  ASSERT_TRUE(stream);
  EXPECT_FALSE(oom);
  const std::vector<char> bytes(4000, 'x');
  EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), stream.get()), bytes.size());
  EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), stream.get()), bytes.size());
  EXPECT_EQ(std::fwrite(bytes.data(), 1, 192, stream.get()), 192u);  // exactly full
  EXPECT_NE(std::fflush(stream.get()), 0);
}

TEST(DataStream, MissingFileGivesNoStreamAndNoMemoryError) {
  bool oom = true;
  EXPECT_FALSE(OpenDataStream("/nonexistent-dir/x", OpenMode::kRead, &oom));
  EXPECT_FALSE(oom);
}

}  // namespace
