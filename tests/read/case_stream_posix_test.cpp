// Case input over streams that show how the data file is used: a pipe,
// which can't be positioned, and a stream that counts the bytes it reads.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/shared_file.h"
#include "read/decompression_state.h"
#include "read/read_state_fixture.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {

using xova_test::CaseValues;
using xova_test::Cell;
using xova_test::ReadHandle;
using xova_test::ReadOptions;

CaseValues Values(int c) {
  return {Cell{static_cast<double>(c % 100), ""}, Cell{c * 0.25 + 0.1, ""},
          Cell{0, c % 2 ? "odd" : ""}};
}

double NumberOf(const ReadHandle& r, std::size_t var) {
  double v = -1;
  EXPECT_EQ(xovaGetValueNumeric(r.handle(), r.var(var), &v), XOVA_OK);
  return v;
}

// A stream over a pipe that already holds the case data of `file`.
std::FILE* PipeOfCases(const xova_test::WrittenFile& file) {
  const std::vector<unsigned char> bytes = xova_test::ReadFileBytes(file.path);
  const std::size_t size = bytes.size() - static_cast<std::size_t>(file.dataOffset);
  int fds[2];
  if (size > 60000 || pipe(fds) != 0) return nullptr;
  const bool written =
      write(fds[1], bytes.data() + file.dataOffset, size) == static_cast<ssize_t>(size);
  close(fds[1]);
  std::FILE* in = written ? fdopen(fds[0], "rb") : nullptr;
  if (!in) close(fds[0]);
  return in;
}

TEST(CaseStream, SequentialDecodingNeverPositionsTheStream) {
  xova_test::ScratchDir dir;
  const xova_test::WrittenFile file =
      xova_test::WriteCases(dir.File("p.data"), {0, 0, 8}, 1, 1500, Values);
  ReadOptions options;
  options.stream = PipeOfCases(file);
  ASSERT_NE(options.stream, nullptr);
  xova_test::WrittenFile piped = file;
  piped.dataOffset = 0;  // the pipe starts with the first case
  ReadHandle r(piped, options);
  r.state().decoder->streamPosition = 0;  // where the pipe stands
  for (int c = 0; c < 1500; ++c) {
    ASSERT_EQ(xovaReadCaseRecord(r.handle()), XOVA_OK) << c;
    ASSERT_EQ(NumberOf(r, 1), c * 0.25 + 0.1);
  }
  EXPECT_EQ(xovaReadCaseRecord(r.handle()), XOVA_END_OF_DATA);
  EXPECT_EQ(r.state().caseCount, 1500);
}

TEST(CaseStream, FailedPositioningKeepsTheCaseNumberTrue) {
  xova_test::ScratchDir dir;
  xova_test::WrittenFile file = xova_test::WriteCases(dir.File("u.data"), {0, 0, 8}, 0, 5, Values);
  ReadOptions options;
  options.stream = PipeOfCases(file);
  ASSERT_NE(options.stream, nullptr);
  file.dataOffset = 0;
  ReadHandle r(file, options);
  EXPECT_EQ(xovaSeekNextCase(r.handle(), 3), XOVA_BAD_FILE);
  EXPECT_EQ(r.state().caseNumber, 0);
  ASSERT_EQ(xovaReadCaseRecord(r.handle()), XOVA_OK);
  EXPECT_EQ(NumberOf(r, 1), 0.1);  // case 0, as the case number says
}

#if defined(__GLIBC__)
struct CountingFile {
  int fd = -1;
  long long bytes = 0;
};

ssize_t CountedRead(void* cookie, char* buffer, size_t size) {
  auto* f = static_cast<CountingFile*>(cookie);
  const ssize_t got = read(f->fd, buffer, size);
  if (got > 0) f->bytes += got;
  return got;
}

int CountedSeek(void* cookie, off64_t* offset, int whence) {
  const off64_t at = lseek64(static_cast<CountingFile*>(cookie)->fd, *offset, whence);
  if (at < 0) return -1;
  *offset = at;
  return 0;
}

int CountedClose(void* cookie) {
  return close(static_cast<CountingFile*>(cookie)->fd);
}

// Once a pass has recorded the coarse entries, a seek decodes at most about
// one stride of cases: a few buffers, not the file up to the case.
TEST(CaseStream, SeeksReadLittleOnceTheIndexIsFilled) {
  constexpr int kCases = 40000;
  xova_test::ScratchDir dir;
  const xova_test::WrittenFile file =
      xova_test::WriteCases(dir.File("big.data"), {0, 0, 8}, 1, kCases, Values);
  CountingFile counting;
  counting.fd = open(file.path.c_str(), O_RDONLY);
  ASSERT_GE(counting.fd, 0);
  ReadOptions options;
  options.stream = fopencookie(&counting, "rb", {CountedRead, nullptr, CountedSeek, CountedClose});
  ASSERT_NE(options.stream, nullptr);
  setvbuf(options.stream, nullptr, _IOFBF, xova::platform::kStreamBufferSize);
  ASSERT_TRUE(xova::platform::Seek(options.stream, file.dataOffset, SEEK_SET));
  ReadHandle r(file, options);
  ASSERT_EQ(xovaSeekNextCase(r.handle(), 1), XOVA_OK);
  ASSERT_EQ(xovaSeekNextCase(r.handle(), 0), XOVA_OK);
  while (xovaReadCaseRecord(r.handle()) == XOVA_OK) {
  }
  ASSERT_EQ(r.state().caseNumber, kCases);
  std::mt19937 random(99);
  for (int i = 0; i < 200; ++i) {
    const int c = static_cast<int>(random() % kCases);
    counting.bytes = 0;
    ASSERT_EQ(xovaSeekNextCase(r.handle(), c), XOVA_OK);
    ASSERT_EQ(xovaReadCaseRecord(r.handle()), XOVA_OK);
    ASSERT_EQ(NumberOf(r, 1), c * 0.25 + 0.1);
    EXPECT_LE(counting.bytes, 3 * static_cast<long long>(xova::platform::kStreamBufferSize)) << c;
  }
}
#endif

}  // namespace
