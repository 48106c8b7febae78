#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "frame/handle_table.h"
#include "frame/special_values.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova::FileMode;
using xova_test::WriteHandle;

class Query : public ::testing::Test {
 protected:
  void TearDown() override {
    fs()->mode = FileMode::kWrite;
    fs()->committed = 0;
  }
  int h() const { return w_.handle(); }
  xova::FileState* fs() const { return xova::LookupHandle(w_.handle()); }

  WriteHandle w_;
};

struct Triple {
  int code = -1, dec = -1, width = -1;
};

Triple PrintOf(int h, const char* name, int expectRc = XOVA_OK) {
  Triple t;
  EXPECT_EQ(xovaGetVarPrintFormat(h, name, &t.code, &t.dec, &t.width), expectRc);
  return t;
}

Triple WriteOf(int h, const char* name, int expectRc = XOVA_OK) {
  Triple t;
  EXPECT_EQ(xovaGetVarWriteFormat(h, name, &t.code, &t.dec, &t.width), expectRc);
  return t;
}

using FormatQuery = Query;

TEST_F(FormatQuery, DefaultsReadBack) {
  ASSERT_EQ(xovaSetVarName(h(), "num", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h(), "str", 12), XOVA_OK);
  for (const Triple& t : {PrintOf(h(), "num"), WriteOf(h(), "num")}) {
    EXPECT_EQ(t.code, 5);
    EXPECT_EQ(t.dec, 2);
    EXPECT_EQ(t.width, 8);
  }
  for (const Triple& t : {PrintOf(h(), "str"), WriteOf(h(), "Str")}) {
    EXPECT_EQ(t.code, 1);
    EXPECT_EQ(t.dec, 0);
    EXPECT_EQ(t.width, 12);
  }
}

TEST_F(FormatQuery, SetValuesReadBackSeparately) {
  ASSERT_EQ(xovaSetVarName(h(), "num", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarPrintFormat(h(), "num", 17, 3, 20), XOVA_OK);
  ASSERT_EQ(xovaSetVarWriteFormat(h(), "num", 11, 0, 8), XOVA_OK);
  const Triple p = PrintOf(h(), "num");
  EXPECT_EQ(p.code, 17);
  EXPECT_EQ(p.dec, 3);
  EXPECT_EQ(p.width, 20);
  const Triple w = WriteOf(h(), "num");
  EXPECT_EQ(w.code, 11);
  EXPECT_EQ(w.dec, 0);
  EXPECT_EQ(w.width, 8);
}

TEST_F(FormatQuery, ChecksHandleThenVariableInAnyMode) {
  ASSERT_EQ(xovaSetVarName(h(), "num", 0), XOVA_OK);
  const Triple bad = PrintOf(-1, "num", XOVA_BAD_HANDLE);
  EXPECT_EQ(bad.code, -1);  // nothing stored
  WriteOf(1000, "num", XOVA_BAD_HANDLE);
  const Triple missing = WriteOf(h(), "nosuch", XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(missing.width, -1);
  fs()->mode = FileMode::kRead;
  fs()->committed = 1;
  EXPECT_EQ(PrintOf(h(), "NUM").code, 5);
  EXPECT_EQ(xovaGetVarPrintFormat(h(), "num", nullptr, nullptr, nullptr), XOVA_OK);
}

using LabelQuery = Query;

TEST_F(LabelQuery, ShortFormCopiesAtMost120Bytes) {
  ASSERT_EQ(xovaSetVarName(h(), "v", 0), XOVA_OK);
  std::string label;
  for (int i = 0; i < 300; ++i) label += static_cast<char>('a' + i % 26);
  ASSERT_EQ(xovaSetVarLabel(h(), "v", label.c_str()), XOVA_VAR_LABEL_TRUNCATED);
  char buf[200];
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(xovaGetVarLabel(h(), "v", buf), XOVA_OK);
  EXPECT_EQ(std::string(buf), label.substr(0, 120));
  EXPECT_EQ(buf[121], '#');  // nothing beyond the 121-byte form
  char full[300];
  int len = -1;
  EXPECT_EQ(xovaGetVarLabelLong(h(), "v", full, sizeof full, &len), XOVA_OK);
  EXPECT_EQ(len, 256);
  EXPECT_EQ(std::string(full), label.substr(0, 256));
}

TEST_F(LabelQuery, LongFormCutsToTheBuffer) {
  ASSERT_EQ(xovaSetVarName(h(), "v", 0), XOVA_OK);
  const std::string label = "abcdefghijklmnopqrst";  // 20 bytes
  ASSERT_EQ(xovaSetVarLabel(h(), "v", label.c_str()), XOVA_OK);
  char buf[32];
  std::memset(buf, '#', sizeof buf);
  int len = -1;
  EXPECT_EQ(xovaGetVarLabelLong(h(), "v", buf, 10, &len), XOVA_OK);
  EXPECT_EQ(len, 9);
  EXPECT_STREQ(buf, "abcdefghi");
  EXPECT_EQ(buf[10], '#');
  EXPECT_EQ(xovaGetVarLabelLong(h(), "v", buf, 21, &len), XOVA_OK);
  EXPECT_EQ(len, 20);
  EXPECT_EQ(std::string(buf), label);
  EXPECT_EQ(xovaGetVarLabelLong(h(), "v", buf, 1, &len), XOVA_OK);
  EXPECT_EQ(len, 0);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(xovaGetVarLabelLong(h(), "v", buf, 21, nullptr), XOVA_OK);
  EXPECT_EQ(std::string(buf), label);
}

TEST_F(LabelQuery, BufferWithoutRoomIsNeverWritten) {
  ASSERT_EQ(xovaSetVarName(h(), "v", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarLabel(h(), "v", "label"), XOVA_OK);
  for (int lenBuff : {0, -1, -1000}) {
    char canary[4] = {'x', 'y', 'z', 'w'};
    int len = -1;
    EXPECT_EQ(xovaGetVarLabelLong(h(), "v", canary, lenBuff, &len), XOVA_OK);
    EXPECT_EQ(len, 0);
    EXPECT_EQ(std::memcmp(canary, "xyzw", 4), 0);
    EXPECT_EQ(xovaGetVarLabelLong(h(), "nosuch", canary, lenBuff, &len), XOVA_NO_SUCH_VARIABLE);
    EXPECT_EQ(std::memcmp(canary, "xyzw", 4), 0);
  }
  int len = -1;
  EXPECT_EQ(xovaGetVarLabelLong(h(), "v", nullptr, 50, &len), XOVA_OK);
  EXPECT_EQ(len, 0);
  EXPECT_EQ(xovaGetVarLabel(h(), "v", nullptr), XOVA_OK);
}

TEST_F(LabelQuery, FailuresLeaveAnEmptyTerminatedBuffer) {
  ASSERT_EQ(xovaSetVarName(h(), "v", 0), XOVA_OK);
  char buf[16];
  int len = -1;
  std::strcpy(buf, "stale");
  EXPECT_EQ(xovaGetVarLabelLong(h(), "v", buf, sizeof buf, &len), XOVA_LABEL_ABSENT);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(len, 0);
  std::strcpy(buf, "stale");
  len = -1;
  EXPECT_EQ(xovaGetVarLabelLong(-1, "v", buf, sizeof buf, &len), XOVA_BAD_HANDLE);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(len, 0);
  std::strcpy(buf, "stale");
  EXPECT_EQ(xovaGetVarLabel(h(), "nosuch", buf), XOVA_NO_SUCH_VARIABLE);
  EXPECT_STREQ(buf, "");
  std::strcpy(buf, "stale");
  EXPECT_EQ(xovaGetVarLabel(h(), "v", buf), XOVA_LABEL_ABSENT);
  EXPECT_STREQ(buf, "");
}

TEST_F(LabelQuery, WorksOnAReadHandle) {
  ASSERT_EQ(xovaSetVarName(h(), "v", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarLabel(h(), "v", "kept"), XOVA_OK);
  fs()->mode = FileMode::kRead;
  fs()->committed = 1;
  char buf[121];
  EXPECT_EQ(xovaGetVarLabel(h(), "V", buf), XOVA_OK);
  EXPECT_STREQ(buf, "kept");
}

using VarHandleQuery = Query;

std::uint64_t HandleBits(int h, const char* name) {
  double v = 0.0;
  EXPECT_EQ(xovaGetVarHandle(h, name, &v), XOVA_OK);
  return xova::DoubleToBits(v);
}

TEST_F(VarHandleQuery, NeedsACommittedDictionary) {
  ASSERT_EQ(xovaSetVarName(h(), "a", 0), XOVA_OK);
  double v = 7.5;
  EXPECT_EQ(xovaGetVarHandle(h(), "a", &v), XOVA_NOT_COMMITTED);
  EXPECT_EQ(xovaGetVarHandle(-1, "a", &v), XOVA_BAD_HANDLE);
  EXPECT_EQ(xovaGetVarHandle(1000, "a", &v), XOVA_BAD_HANDLE);
  EXPECT_EQ(xovaGetVarHandle(h(), "nosuch", &v), XOVA_NOT_COMMITTED);  // commit before lookup
  fs()->committed = 1;
  EXPECT_EQ(xovaGetVarHandle(h(), "nosuch", &v), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(v, 7.5);
  EXPECT_EQ(xovaGetVarHandle(h(), "a", nullptr), XOVA_OK);
}

TEST_F(VarHandleQuery, BitsCarryPositionAndWidth) {
  ASSERT_EQ(xovaSetVarName(h(), "a", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h(), "b", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h(), "c", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h(), "d", 10), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h(), "e", 255), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(h(), "f", 0), XOVA_OK);
  fs()->committed = 1;
  EXPECT_EQ(HandleBits(h(), "a"), 0x3FF0000000000001ull);
  EXPECT_EQ(HandleBits(h(), "c"), 0x3FF0000000000003ull);
  EXPECT_EQ(HandleBits(h(), "D"), 0x3FF0000A00000004ull);
  EXPECT_EQ(HandleBits(h(), "e"), 0x3FF000FF00000006ull);
  EXPECT_EQ(HandleBits(h(), "f"), 0x3FF0000000000026ull);
  fs()->mode = FileMode::kRead;  // read handles are committed too
  EXPECT_EQ(HandleBits(h(), "c"), 0x3FF0000000000003ull);
}

}  // namespace
