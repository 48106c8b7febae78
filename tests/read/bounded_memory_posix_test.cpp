// Files that declare huge counts and lengths the data doesn't back: each is
// opened in a child process whose address space may grow by no more than
// 64 MiB (plus the file's own size), and must fail quickly with the right code.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

#include "read/file_builder.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

// Both sanitizers reserve shadow memory far beyond any address-space limit.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define XOVA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define XOVA_ADDRESS_SANITIZER 1
#endif
#endif

namespace xova_test {
namespace {

constexpr std::int32_t kHuge = 0x7FFFFFFF;
constexpr rlim_t kAllowedGrowth = 64u << 20;
constexpr int kNoResult = 200;  // the child died or the limit didn't hold

rlim_t AddressSpaceInUse() {
  long pages = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return 0;
  if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
  std::fclose(statm);
  return static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}

enum Mode { kRead, kAppend, kCopy, kSeekLast };

// What a caller does with the file; the result of the step that failed.
int Act(const std::string& path, int mode) {
  int h = -1;
  int rc = mode == kAppend ? xovaOpenAppend(path.c_str(), &h)
           : mode == kCopy ? xovaOpenWriteCopy((path + ".copy").c_str(), path.c_str(), &h)
                           : xovaOpenRead(path.c_str(), &h);
  if (rc != XOVA_OK) return rc;
  if (mode == kSeekLast) {
    int cases = 0;
    xovaGetNumberofCases(h, &cases);
    rc = xovaSeekNextCase(h, cases - 1);
    if (rc == XOVA_OK) rc = xovaReadCaseRecord(h);
  }
  if (mode == kCopy) rc = xovaCommitHeader(h);
  const int closed = mode == kCopy     ? xovaCloseWrite(h)
                     : mode == kAppend ? xovaCloseAppend(h)
                                       : xovaCloseRead(h);
  return rc != XOVA_OK ? rc : closed;
}

// Runs in the child: the limit, a check that it bites, then the open.
[[noreturn]] void OpenLimited(const std::string& path, rlim_t fileSize, int mode) {
  alarm(30);  // a hang is a failure too
  const rlim_t limit = AddressSpaceInUse() + kAllowedGrowth + fileSize;
  const rlimit lim{limit, limit};
  if (setrlimit(RLIMIT_AS, &lim) != 0) _exit(kNoResult);
  char* probe = new (std::nothrow) char[kAllowedGrowth + fileSize + (1u << 20)];
  if (probe) _exit(kNoResult);
  _exit(Act(path, mode) + 100);
}

struct Outcome {
  int code;
  double seconds;
};

Outcome OpenInChild(const FileBuilder& file, int mode = kRead) {
  ScratchDir dir;
  const std::string path = dir.File("huge.data");
  EXPECT_TRUE(file.WriteTo(path));
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) OpenLimited(path, file.size(), mode);
  int status = 0;
  EXPECT_EQ(waitpid(pid, &status, 0), pid);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) - 100 : kNoResult;
  return Outcome{code, took.count()};
}

FileBuilder& HostSpecialValues(FileBuilder& b) {
  return b.DoubleExtension(4, {FromBits(kHostSysmisBits), FromBits(0x7FEFFFFFFFFFFFFFull),
                               FromBits(0xFFEFFFFFFFFFFFFEull)});
}

FileBuilder Start() {
  HeaderSpec h;
  h.caseSize = 2;
  FileBuilder b;
  b.Header(h).Numeric("a").Numeric("b");
  return b;
}

class BoundedMemory : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef XOVA_ADDRESS_SANITIZER
    GTEST_SKIP() << "the sanitizer's shadow memory defeats an address-space limit";
#endif
  }

  static void ExpectFailsFast(const FileBuilder& file, int code, int mode = kRead) {
    SCOPED_TRACE("open mode " + std::to_string(mode) + ", " + std::to_string(file.size()) +
                 " bytes");
    const Outcome out = OpenInChild(file, mode);
    EXPECT_EQ(out.code, code);
    EXPECT_LT(out.seconds, 10.0);
  }
};

TEST_F(BoundedMemory, TheLimitLetsAnOrdinaryFileOpen) {
  FileBuilder b = Start();
  HostSpecialValues(b).TextExtension(7, "$s=C 0  a b\n").Terminator();
  for (int mode : {kRead, kAppend, kCopy}) ExpectFailsFast(b, XOVA_OK, mode);
}

TEST_F(BoundedMemory, AHugeCaseCountIsNotBelievedWhenSeeking) {
  HeaderSpec h;
  h.caseSize = 2;
  h.compression = 1;
  h.caseCount = kHuge;
  FileBuilder b;
  b.Header(h).Numeric("a").Numeric("b");
  HostSpecialValues(b).Terminator();
  for (int i = 0; i < 100; ++i) b.CodeBlock({101, 102, 103, 104, 105, 106, 107, 108});
  ExpectFailsFast(b, XOVA_END_OF_DATA, kSeekLast);
}

TEST_F(BoundedMemory, HugeLabelLengthsAndCountsMeetTheEndOfTheFile) {
  {  // a variable label of 2 GiB
    FileBuilder b = Start();
    b.Int32(2).Int32(0).Int32(1).Int32(0).Int32(0x050802).Int32(0x050802).Padded("c", 8);
    b.Int32(kHuge).Raw("only a few bytes");
    ExpectFailsFast(b, XOVA_BAD_FILE);
  }
  {  // the most value labels the count check lets through
    FileBuilder b = Start();
    b.Int32(3).Int32(178956970).Double(1).Raw(std::string(1, '\3')).Raw("one    ");
    ExpectFailsFast(b, XOVA_BAD_FILE);
  }
  {  // the longest value label, cut to 60 bytes, then nothing
    FileBuilder b = Start();
    b.Int32(3).Int32(1).Double(1).Raw(std::string(1, '\xff')).Raw("abc");
    ExpectFailsFast(b, XOVA_BAD_FILE);
  }
  {  // a label set for 2 billion variables
    FileBuilder b = Start();
    b.Int32(3).Int32(1).Double(1).Raw(std::string(1, '\3')).Raw("one    ");
    b.Int32(4).Int32(kHuge).Int32(1).Int32(2);
    ExpectFailsFast(b, XOVA_BAD_FILE);
  }
  {  // a type 5 record of 2 billion integers
    FileBuilder b = Start();
    b.Int32(5).Int32(kHuge).Int32(0).Int32(1).Int32(2);
    ExpectFailsFast(b, XOVA_BAD_FILE);
  }
}

TEST_F(BoundedMemory, HugePayloadsStreamToTheirFileAndStopAtTheEnd) {
  const std::string someText(3000, 'x');
  {  // 26 million document lines: as many as fit the element count
    FileBuilder b = Start();
    b.Int32(6).Int32(26843545).Padded("a line", 80);
    ExpectFailsFast(b, XOVA_FILE_READ_ERROR);
  }
  {  // a text payload of 2 GiB, and one of elements of 2 GiB each
    for (std::int32_t elemSize : {1, kHuge}) {
      FileBuilder b = Start();
      b.Int32(7).Int32(3).Int32(elemSize).Int32(elemSize == 1 ? kHuge : 1).Raw(someText);
      ExpectFailsFast(b, XOVA_FILE_READ_ERROR);
    }
  }
  {  // an unknown subtype whose size times count is far past the end: passing
     // over it is a positioning that fails
    FileBuilder b = Start();
    b.Int32(7).Int32(40).Int32(kHuge).Int32(kHuge).Raw(someText);
    ExpectFailsFast(b, XOVA_BAD_FILE);
  }
}

TEST_F(BoundedMemory, SizesWhoseProductOverflowsAreRefused) {
  for (std::int32_t subtype : {3, 7, 13, 40}) {
    for (std::int32_t elemSize : {65536, kHuge, -1}) {
      SCOPED_TRACE(std::to_string(subtype) + " of " + std::to_string(elemSize));
      FileBuilder b = Start();
      b.Int32(7).Int32(subtype).Int32(elemSize).Int32(65536).Raw("a few bytes").Terminator();
      const Outcome out = OpenInChild(b);
      EXPECT_NE(out.code, XOVA_OK);
      EXPECT_NE(out.code, XOVA_OUT_OF_MEMORY);
      EXPECT_NE(out.code, kNoResult);
      EXPECT_LT(out.seconds, 10.0);
    }
  }
}

TEST_F(BoundedMemory, ManyVariablesTakeMemoryInProportionToTheirRecords) {
  // 20,000 variables in 640 KB of records.
  HeaderSpec h;
  h.caseSize = 20000;
  FileBuilder b;
  b.Header(h);
  for (int i = 0; i < 20000; ++i) b.Numeric("v" + std::to_string(i));
  HostSpecialValues(b).Terminator();
  for (int mode : {kRead, kAppend, kCopy}) ExpectFailsFast(b, XOVA_OK, mode);
}

}  // namespace
}  // namespace xova_test
