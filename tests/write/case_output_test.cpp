#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "dict/variable_handle.h"
#include "frame/handle_table.h"
#include "frame/special_values.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "support/scratch_dir.h"
#include "write/committed_handle.h"
#include "xovaio32.h"

namespace {

using Bytes = std::vector<unsigned char>;
using xova_test::CommittedHandle;

const double kSysmis = xova::Sysmis();

Bytes BitsOf(double v) {
  Bytes b(8);
  std::memcpy(b.data(), &v, 8);
  return b;
}

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::int32_t Int32At(const Bytes& bytes, std::size_t offset) {
  if (bytes.size() < offset + 4) return -1;
  return static_cast<std::int32_t>(bytes[offset] | bytes[offset + 1] << 8 |
                                   bytes[offset + 2] << 16 |
                                   static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

// Compressed case data as the file lays it out: blocks of 8 codes, each
// followed by one raw element per code 253.
struct Block {
  std::array<unsigned char, 8> codes{};
  std::vector<Bytes> raws;
};

struct CaseData {
  std::vector<Block> blocks;
  bool complete = true;  // false when a block's codes or raw elements are cut off
};

CaseData SplitBlocks(const Bytes& bytes) {
  CaseData data;
  std::size_t at = 0;
  while (at < bytes.size()) {
    Block block;
    if (bytes.size() - at < 8) return data.complete = false, data;
    std::memcpy(block.codes.data(), bytes.data() + at, 8);
    at += 8;
    for (unsigned char code : block.codes) {
      if (code != 253) continue;
      if (bytes.size() - at < 8) return data.complete = false, data;
      block.raws.emplace_back(bytes.begin() + at, bytes.begin() + at + 8);
      at += 8;
    }
    data.blocks.push_back(block);
  }
  return data;
}

// The elements the codes stand for, up to the end code.
std::vector<Bytes> DecodeElements(const CaseData& data, double sysmis = kSysmis) {
  std::vector<Bytes> elements;
  for (const Block& block : data.blocks) {
    std::size_t raw = 0;
    for (unsigned char code : block.codes) {
      if (code == 252) return elements;
      if (code == 0) continue;
      if (code == 253) {
        elements.push_back(block.raws.at(raw++));
      } else if (code == 254) {
        elements.push_back(Text("        "));
      } else if (code == 255) {
        elements.push_back(BitsOf(sysmis));
      } else {
        elements.push_back(BitsOf(code - 100.0));
      }
    }
  }
  return elements;
}

std::vector<int> Codes(const Block& block) {
  return std::vector<int>(block.codes.begin(), block.codes.end());
}

Bytes CaseBuffer(const CommittedHandle& h) {
  return h.state().caseBuffer;
}

// ---------------------------------------------------------------------------

TEST(CaseOutputChecks, BadHandlesAreRefusedByEveryFunction) {
  const double numeric = xova::EncodeVarHandle(1, 0);
  const double text = xova::EncodeVarHandle(1, 4);
  int closed = -1;
  {
    CommittedHandle h({0});
    closed = h.handle();
  }
  for (int handle : {-1, 1000, closed}) {
    EXPECT_EQ(xovaSetValueNumeric(handle, numeric, 1.0), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaSetValueChar(handle, text, "A"), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaCommitCaseRecord(handle), XOVA_BAD_HANDLE);
    EXPECT_EQ(xovaWholeCaseOut(handle, "12345678"), XOVA_BAD_HANDLE);
  }
}

TEST(CaseOutputChecks, AReadHandleIsRefusedBeforeTheCommittedFlagIsLookedAt) {
  xova_test::WriteHandle w;
  ASSERT_EQ(w.open_result(), XOVA_OK);
  xova::LookupHandle(w.handle())->mode = xova::FileMode::kRead;  // and not committed
  const double numeric = xova::EncodeVarHandle(1, 0);
  EXPECT_EQ(xovaSetValueNumeric(w.handle(), numeric, 1.0), XOVA_OPEN_FOR_READ);
  EXPECT_EQ(xovaSetValueChar(w.handle(), numeric, "A"), XOVA_OPEN_FOR_READ);
  EXPECT_EQ(xovaCommitCaseRecord(w.handle()), XOVA_OPEN_FOR_READ);
  EXPECT_EQ(xovaWholeCaseOut(w.handle(), nullptr), XOVA_OPEN_FOR_READ);
  EXPECT_EQ(xova::LookupHandle(w.handle())->caseCount, 0);
}

TEST(CaseOutputChecks, AnUncommittedWriteHandleIsRefusedBeforeTheVariableHandle) {
  xova_test::WriteHandle w;
  ASSERT_EQ(w.open_result(), XOVA_OK);
  // Handles of the wrong kind: the commit check still comes first.
  EXPECT_EQ(xovaSetValueNumeric(w.handle(), xova::EncodeVarHandle(1, 5), 1.0), XOVA_NOT_COMMITTED);
  EXPECT_EQ(xovaSetValueChar(w.handle(), xova::EncodeVarHandle(1, 0), "A"), XOVA_NOT_COMMITTED);
  EXPECT_EQ(xovaCommitCaseRecord(w.handle()), XOVA_NOT_COMMITTED);
  EXPECT_EQ(xovaWholeCaseOut(w.handle(), "12345678"), XOVA_NOT_COMMITTED);
  EXPECT_EQ(xova::LookupHandle(w.handle())->caseCount, 0);
}

TEST(CaseOutputChecks, AnAppendHandleTakesCases) {
  CommittedHandle h({0}, 0);
  h.state().mode = xova::FileMode::kAppend;
  h.state().caseCount = 5;  // the cases already in the file
  EXPECT_EQ(xovaSetValueNumeric(h.handle(), h.var(0), 7.0), XOVA_OK);
  EXPECT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
  EXPECT_EQ(h.state().caseCount, 6);
  EXPECT_EQ(h.CloseAndReadCases(), BitsOf(7.0));
}

TEST(CaseOutputChecks, AHandleOfTheWrongKindChangesNothing) {
  CommittedHandle h({0, 10});
  const Bytes before = CaseBuffer(h);
  EXPECT_EQ(xovaSetValueNumeric(h.handle(), h.var(1), 1.0), XOVA_NOT_NUMERIC);
  EXPECT_EQ(xovaSetValueChar(h.handle(), h.var(0), "A"), XOVA_NOT_STRING);
  EXPECT_EQ(CaseBuffer(h), before);
}

// Through the table of variable starts a commit makes, and through the
// search a state without one falls back to.
class HandleResolution : public ::testing::TestWithParam<bool> {};

TEST_P(HandleResolution, HandlesThatNameNoVariableOfTheFileAreRefused) {
  CommittedHandle h({0, 20, 0});  // positions 1, 2 (three elements), 5
  if (!GetParam()) h.state().valueStarts.clear();
  EXPECT_EQ(xovaSetValueNumeric(h.handle(), h.var(2), 1.0), XOVA_OK);
  EXPECT_EQ(xovaSetValueChar(h.handle(), h.var(1), "ABC"), XOVA_OK);
  const Bytes before = CaseBuffer(h);
  const std::vector<double> numericHandles = {
      xova::EncodeVarHandle(0, 0),           // before the first element
      xova::EncodeVarHandle(6, 0),           // past the last element
      xova::EncodeVarHandle(3, 0),           // inside the string
      xova::EncodeVarHandle(2, 0),           // the string's position
      xova::EncodeVarHandle(-1, 0),          // a made-up position
      xova::EncodeVarHandle(0x7FFFFFFF, 0),  // far outside
  };
  for (double v : numericHandles) {
    EXPECT_EQ(xovaSetValueNumeric(h.handle(), v, 1.0), XOVA_NO_SUCH_VARIABLE);
  }
  const std::vector<double> stringHandles = {
      xova::EncodeVarHandle(2, 9),    // the right place, another width
      xova::EncodeVarHandle(2, 255),  // a width reaching past the case
      xova::EncodeVarHandle(5, 8),    // a numeric variable's place
      xova::EncodeVarHandle(4, 20),   // inside the string
      xova::EncodeVarHandle(6, 8),    // past the end
  };
  for (double v : stringHandles) {
    EXPECT_EQ(xovaSetValueChar(h.handle(), v, "ABCDEFGHIJKLMNOPQRST"), XOVA_NO_SUCH_VARIABLE);
  }
  EXPECT_EQ(CaseBuffer(h), before);
}

INSTANTIATE_TEST_SUITE_P(TableAndSearch, HandleResolution, ::testing::Bool());

TEST(CaseOutputChecks, AHandleFromABiggerFileIsRefused) {
  CommittedHandle small({0});
  CommittedHandle big({0, 0, 0, 8});
  EXPECT_EQ(xovaSetValueNumeric(small.handle(), big.var(2), 1.0), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaSetValueChar(small.handle(), big.var(3), "A"), XOVA_NO_SUCH_VARIABLE);
  EXPECT_EQ(xovaSetValueNumeric(small.handle(), big.var(0), 1.0), XOVA_OK);  // same place
}

TEST(CaseOutputChecks, AMissingWholeCaseIsRefusedAndNothingIsCounted) {
  CommittedHandle h({0, 0}, 0);
  ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(0), 4.0), XOVA_OK);
  const Bytes before = CaseBuffer(h);
  EXPECT_EQ(xovaWholeCaseOut(h.handle(), nullptr), XOVA_BUFFER_TOO_SMALL);
  EXPECT_EQ(CaseBuffer(h), before);
  EXPECT_EQ(h.state().caseCount, 0);
  EXPECT_TRUE(h.CloseAndReadCases().empty());
}

TEST(CaseOutputChecks, TheCaseCountNeverPassesWhatTheHeaderCanHold) {
  CommittedHandle h({0}, 0);
  h.state().caseCount = std::numeric_limits<std::int32_t>::max();
  ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(0), 4.0), XOVA_OK);
  EXPECT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_FILE_WRITE_ERROR);
  EXPECT_EQ(h.state().caseCount, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(CaseBuffer(h), BitsOf(4.0));  // kept for the caller
  EXPECT_TRUE(h.CaseBytes().empty());
}

// ---------------------------------------------------------------------------

TEST(SetValueNumeric, StoresTheExactBitsIntoTheVariablesElementOnly) {
  CommittedHandle h({0, 9, 0});  // positions 1, 2, 4
  const double payloadNaN = xova::BitsToDouble(0x7FF8000000000123ull);
  EXPECT_EQ(xovaSetValueNumeric(h.handle(), h.var(2), -0.0), XOVA_OK);
  EXPECT_EQ(xovaSetValueNumeric(h.handle(), h.var(0), payloadNaN), XOVA_OK);
  const Bytes expected = Concat({BitsOf(payloadNaN), Text("                "), BitsOf(-0.0)});
  EXPECT_EQ(CaseBuffer(h), expected);
}

struct CutCase {
  int width;
  std::string text;
  int result;
  std::string stored;  // the variable's span, blanks included
};

std::string Padded(const std::string& s, int width) {
  const std::size_t span = 8 * static_cast<std::size_t>((width + 7) / 8);
  return s + std::string(span - s.size(), ' ');
}

TEST(SetValueChar, CutsAndPadsForEveryWidth) {
  for (int w : {1, 8, 9, 10, 255}) {
    const std::string full(static_cast<std::size_t>(w), 'x');
    const std::vector<CutCase> cases = {
        {w, full, XOVA_OK, Padded(full, w)},
        {w, full + "   ", XOVA_OK, Padded(full, w)},              // blanks beyond: dropped
        {w, full + "y", XOVA_BAD_STRING_VALUE, Padded(full, w)},  // cut to the width
        {w, full + " y", XOVA_BAD_STRING_VALUE, Padded(full, w)},
        {w, "A", XOVA_OK, Padded("A", w)},
        {w, " A", w > 1 ? XOVA_OK : XOVA_BAD_STRING_VALUE, Padded(w > 1 ? " A" : " ", w)},
        {w, "", XOVA_OK, Padded("", w)},
    };
    for (const CutCase& c : cases) {
      CommittedHandle h({0, c.width, 0});
      EXPECT_EQ(xovaSetValueChar(h.handle(), h.var(1), c.text.c_str()), c.result)
          << "width " << w << " text " << c.text.size();
      const Bytes buffer = CaseBuffer(h);
      const std::string span(buffer.begin() + 8, buffer.end() - 8);
      EXPECT_EQ(span, c.stored) << "width " << w << " text " << c.text.size();
      // The numeric neighbours are untouched.
      EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 8), BitsOf(kSysmis));
      EXPECT_EQ(Bytes(buffer.end() - 8, buffer.end()), BitsOf(kSysmis));
    }
  }
}

TEST(SetValueChar, ANullTextStoresBlanks) {
  CommittedHandle h({12});
  ASSERT_EQ(xovaSetValueChar(h.handle(), h.var(0), "filled"), XOVA_OK);
  EXPECT_EQ(xovaSetValueChar(h.handle(), h.var(0), nullptr), XOVA_OK);
  EXPECT_EQ(CaseBuffer(h), Text("                "));
}

// ---------------------------------------------------------------------------

TEST(UncompressedCases, AreTheWholeCaseBufferOneAfterTheOther) {
  CommittedHandle h({0, 10, 0}, 0);
  ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(0), 1.5), XOVA_OK);
  ASSERT_EQ(xovaSetValueChar(h.handle(), h.var(1), "hello"), XOVA_OK);
  ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(2), -3.0), XOVA_OK);
  EXPECT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
  EXPECT_EQ(CaseBuffer(h), h.state().blankCase);         // reset for the next case
  EXPECT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);  // nothing set: sysmis and blanks
  EXPECT_EQ(h.state().caseCount, 2);
  const Bytes first = Concat({BitsOf(1.5), Text("hello           "), BitsOf(-3.0)});
  const Bytes second = Concat({BitsOf(kSysmis), Text("                "), BitsOf(kSysmis)});
  int closeResult = -1;
  const std::string file = h.file();
  EXPECT_EQ(h.CloseAndReadCases(&closeResult), Concat({first, second}));
  EXPECT_EQ(closeResult, XOVA_OK);
  EXPECT_EQ(Int32At(xova_test::ReadFileBytes(file), 80), 2);
}

TEST(UncompressedCases, AWholeCaseIsWrittenAsGiven) {
  CommittedHandle h({0, 3}, 0);
  const Bytes record = Concat({BitsOf(256.25), Text("abc     ")});
  EXPECT_EQ(xovaWholeCaseOut(h.handle(), reinterpret_cast<const char*>(record.data())), XOVA_OK);
  EXPECT_EQ(CaseBuffer(h), h.state().blankCase);
  EXPECT_EQ(h.state().caseCount, 1);
  EXPECT_EQ(h.CloseAndReadCases(), record);
}

TEST(UncompressedCases, AFileWithoutCasesHasNoCaseDataInEitherEncoding) {
  for (int compression : {0, 1}) {
    CommittedHandle h({0, 30}, compression);
    int closeResult = -1;
    const std::string file = h.file();
    EXPECT_TRUE(h.CloseAndReadCases(&closeResult).empty());
    EXPECT_EQ(closeResult, XOVA_OK);
    EXPECT_EQ(Int32At(xova_test::ReadFileBytes(file), 80), 0);
  }
}

// ---------------------------------------------------------------------------

TEST(CompressedCases, OneShortCaseEndsWithTheEndCodeAndItsRawValue) {
  CommittedHandle h({0, 0, 0});
  ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(0), 1.0), XOVA_OK);
  ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(1), 2.5), XOVA_OK);
  ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(2), kSysmis), XOVA_OK);
  ASSERT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
  EXPECT_TRUE(h.CaseBytes().empty());  // the block waits for more codes or the close
  const Bytes expected = Concat({Bytes{101, 253, 255, 252, 0, 0, 0, 0}, BitsOf(2.5)});
  EXPECT_EQ(h.CloseAndReadCases(), expected);
}

TEST(CompressedCases, NineValuesInOneCaseWriteOneFullBlockAndKeepTheNinthCode) {
  CommittedHandle h(std::vector<int>(9, 0));
  for (int i = 0; i < 9; ++i) ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(i), 1.0), XOVA_OK);
  ASSERT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
  EXPECT_EQ(h.CaseBytes(), Bytes(8, 101));
  EXPECT_EQ(h.state().codeCount, 1);
  const Bytes expected = Concat({Bytes(8, 101), Bytes{101, 252, 0, 0, 0, 0, 0, 0}});
  EXPECT_EQ(h.CloseAndReadCases(), expected);
}

TEST(CompressedCases, CasesEndingOnABlockBoundaryLeaveNoEndCode) {
  CommittedHandle h({0, 0, 0, 0});
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < 4; ++i) {
      ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(i), c * 4 + i), XOVA_OK);
    }
    ASSERT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
  }
  EXPECT_TRUE(h.CaseBytes().empty());  // a full block is held until a ninth code
  EXPECT_EQ(h.state().codeCount, 8);
  EXPECT_EQ(h.CloseAndReadCases(), (Bytes{100, 101, 102, 103, 104, 105, 106, 107}));
}

TEST(CompressedCases, AFullBlockIsWrittenByTheNextCasesFirstElement) {
  CommittedHandle h({0, 0, 0, 0});
  for (int c = 0; c < 3; ++c) ASSERT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
  EXPECT_EQ(h.CaseBytes(), Bytes(8, 255));
  EXPECT_EQ(h.state().codeCount, 4);
  const CaseData data = SplitBlocks(h.CloseAndReadCases());
  ASSERT_TRUE(data.complete);
  ASSERT_EQ(data.blocks.size(), 2u);
  EXPECT_EQ(Codes(data.blocks[1]), (std::vector<int>{255, 255, 255, 255, 252, 0, 0, 0}));
}

TEST(CompressedCases, BlocksSpanCaseBoundariesWithTheirRawValuesInOrder) {
  CommittedHandle h({0, 0, 0});
  const double values[3][3] = {{0.25, 1, 2}, {3, 1000.5, 4}, {-7.75, 5, 6}};
  for (const auto& row : values) {
    for (int i = 0; i < 3; ++i) ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(i), row[i]), 0);
    ASSERT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
  }
  const CaseData data = SplitBlocks(h.CloseAndReadCases());
  ASSERT_TRUE(data.complete);
  ASSERT_EQ(data.blocks.size(), 2u);
  EXPECT_EQ(Codes(data.blocks[0]), (std::vector<int>{253, 101, 102, 103, 253, 104, 253, 105}));
  ASSERT_EQ(data.blocks[0].raws.size(), 3u);
  EXPECT_EQ(data.blocks[0].raws[0], BitsOf(0.25));
  EXPECT_EQ(data.blocks[0].raws[1], BitsOf(1000.5));
  EXPECT_EQ(data.blocks[0].raws[2], BitsOf(-7.75));
  EXPECT_EQ(Codes(data.blocks[1]), (std::vector<int>{106, 252, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(data.blocks[1].raws.empty());
}

TEST(CompressedCases, EveryCodeClassDecodesBackToTheCase) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<double> numbers = {-99, 151, -100, 152,          0.0, -0.0, 0.5,
                                       1.5, 255, 256,  std::nan(""), inf, -inf, kSysmis};
  const std::vector<int> expectedCodes = {1,   251, 253, 253, 100, 253, 253,
                                          253, 253, 253, 253, 253, 253, 255};
  std::vector<int> types(numbers.size(), 0);
  types.push_back(16);  // blanks then a non-blank element
  CommittedHandle h(types);
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(i), numbers[i]), XOVA_OK);
  }
  ASSERT_EQ(xovaSetValueChar(h.handle(), h.var(numbers.size()), "        text"), XOVA_OK);
  const Bytes caseBuffer = CaseBuffer(h);
  ASSERT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);

  const CaseData data = SplitBlocks(h.CloseAndReadCases());
  ASSERT_TRUE(data.complete);
  std::vector<int> codes;
  for (const Block& b : data.blocks) codes.insert(codes.end(), b.codes.begin(), b.codes.end());
  std::vector<int> expected = expectedCodes;
  expected.insert(expected.end(), {254, 253});  // 16 codes: two full blocks, no end code
  EXPECT_EQ(codes, expected);
  std::vector<Bytes> elements = DecodeElements(data);
  Bytes decoded;
  for (const Bytes& e : elements) decoded.insert(decoded.end(), e.begin(), e.end());
  EXPECT_EQ(decoded, caseBuffer);
}

TEST(CompressedCases, StringsOfEveryWidthAreCodedPerElement) {
  CommittedHandle h({1, 8, 9, 10, 255});
  ASSERT_EQ(xovaSetValueChar(h.handle(), h.var(0), "a"), XOVA_OK);
  ASSERT_EQ(xovaSetValueChar(h.handle(), h.var(1), ""), XOVA_OK);
  ASSERT_EQ(xovaSetValueChar(h.handle(), h.var(2), "123456789"), XOVA_OK);
  ASSERT_EQ(xovaSetValueChar(h.handle(), h.var(3), "AB"), XOVA_OK);
  ASSERT_EQ(xovaSetValueChar(h.handle(), h.var(4), std::string(250, 'z').c_str()), XOVA_OK);
  const Bytes caseBuffer = CaseBuffer(h);
  ASSERT_EQ(caseBuffer.size(), 8u * (1 + 1 + 2 + 2 + 32));
  ASSERT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
  const CaseData data = SplitBlocks(h.CloseAndReadCases());
  ASSERT_TRUE(data.complete);
  ASSERT_EQ(data.blocks.size(), 5u);  // 38 codes and the end code
  EXPECT_EQ(Codes(data.blocks[0]), (std::vector<int>{253, 254, 253, 253, 253, 254, 253, 253}));
  EXPECT_EQ(data.blocks[0].raws[0], Text("a       "));
  EXPECT_EQ(data.blocks[0].raws[2], Text("9       "));
  EXPECT_EQ(Codes(data.blocks[4]), (std::vector<int>{253, 253, 253, 253, 253, 253, 252, 0}));
  EXPECT_EQ(data.blocks[4].raws.back(), Text("zz      "));
  Bytes decoded;
  for (const Bytes& e : DecodeElements(data)) decoded.insert(decoded.end(), e.begin(), e.end());
  EXPECT_EQ(decoded, caseBuffer);
}

TEST(CompressedCases, ACaseWithoutValuesIsSysmisAndBlanks) {
  CommittedHandle h({0, 20, 0});
  ASSERT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
  EXPECT_EQ(h.CloseAndReadCases(), (Bytes{255, 254, 254, 254, 255, 252, 0, 0}));
}

TEST(CompressedCases, TheFilesOwnSysmisDecidesTheMissingCode) {
  CommittedHandle h({0, 0});
  const double fileSysmis = xova::BitsToDouble(0xFFFFFFFFFFFFFFFFull);
  h.state().sysmis = fileSysmis;
  ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(0), fileSysmis), XOVA_OK);
  ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(1), kSysmis), XOVA_OK);
  ASSERT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
  EXPECT_EQ(h.CloseAndReadCases(), Concat({Bytes{255, 253, 252, 0, 0, 0, 0, 0}, BitsOf(kSysmis)}));
}

TEST(CompressedCases, ManyCasesRoundTripThroughTheStreamBuffer) {
  CommittedHandle h({0, 0, 12});
  Bytes all;
  for (int c = 0; c < 5000; ++c) {
    ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(0), c % 300 - 120), XOVA_OK);
    ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(1), c / 7.0), XOVA_OK);
    ASSERT_EQ(xovaSetValueChar(h.handle(), h.var(2), c % 3 ? "abc" : ""), XOVA_OK);
    const Bytes one = CaseBuffer(h);
    all.insert(all.end(), one.begin(), one.end());
    ASSERT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
  }
  const std::string file = h.file();
  const CaseData data = SplitBlocks(h.CloseAndReadCases());
  ASSERT_TRUE(data.complete);
  Bytes decoded;
  for (const Bytes& e : DecodeElements(data)) decoded.insert(decoded.end(), e.begin(), e.end());
  EXPECT_EQ(decoded, all);
  EXPECT_EQ(Int32At(xova_test::ReadFileBytes(file), 80), 5000);
}

// ---------------------------------------------------------------------------

// Swaps the data stream for one that refuses every write.
void MakeWritesFail(CommittedHandle& h) {
  xova::FileState& fs = h.state();
  std::fflush(fs.stream.get());
  fs.stream.reset(std::fopen(h.file().c_str(), "rb"));
  ASSERT_NE(fs.stream, nullptr);
}

TEST(CaseWriteFailures, AnUncompressedCaseThatCannotBeWrittenIsReportedAndCounted) {
  CommittedHandle h({0, 8}, 0);
  MakeWritesFail(h);
  ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(0), 9.0), XOVA_OK);
  EXPECT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_FILE_WRITE_ERROR);
  EXPECT_NE(xova::LookupHandle(h.handle()), nullptr);  // still open and committed
  EXPECT_EQ(CaseBuffer(h), h.state().blankCase);
  EXPECT_EQ(h.state().caseCount, 1);
  EXPECT_EQ(xovaWholeCaseOut(h.handle(), "0123456789abcdef"), XOVA_FILE_WRITE_ERROR);
  EXPECT_EQ(h.state().caseCount, 2);
  EXPECT_EQ(h.Close(), XOVA_FILE_WRITE_ERROR);  // the count can't be written either
  EXPECT_EQ(xova::LookupHandle(h.handle()), nullptr);
}

TEST(CaseWriteFailures, AFailedBlockIsLostAndTheEncoderStartsAfresh) {
  CommittedHandle h({0, 0, 0, 0, 0, 0});
  ASSERT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);  // six codes held
  MakeWritesFail(h);
  ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(5), 3.0), XOVA_OK);
  // The third element of this case needs the full block written: it fails and
  // the rest of the case is dropped.
  EXPECT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_FILE_WRITE_ERROR);
  EXPECT_EQ(h.state().codeCount, 0);
  EXPECT_EQ(h.state().rawCount, 0);
  EXPECT_EQ(h.state().caseCount, 2);
  EXPECT_EQ(CaseBuffer(h), h.state().blankCase);
  // The handle goes on taking cases; their block fails only at the close.
  EXPECT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
  EXPECT_EQ(h.state().codeCount, 6);
  EXPECT_EQ(h.Close(), XOVA_FILE_WRITE_ERROR);
  EXPECT_EQ(xova::LookupHandle(h.handle()), nullptr);
}

// ---------------------------------------------------------------------------

TEST(CaseOutputMemory, SettingAndCommittingCasesAllocatesNothing) {
  for (int compression : {0, 1}) {
    CommittedHandle h({0, 10, 0, 0, 0, 0, 0, 0, 0}, compression);
    const std::string whole(80, 'q');
    xova_test::AllocFailureScope scope;
    xova_test::FailAllocationAfter(0);
    for (int c = 0; c < 50; ++c) {
      ASSERT_EQ(xovaSetValueNumeric(h.handle(), h.var(0), 0.5 * c), XOVA_OK);
      ASSERT_EQ(xovaSetValueChar(h.handle(), h.var(1), "some text"), XOVA_OK);
      ASSERT_EQ(xovaCommitCaseRecord(h.handle()), XOVA_OK);
      ASSERT_EQ(xovaWholeCaseOut(h.handle(), whole.c_str()), XOVA_OK);
    }
    EXPECT_EQ(xova_test::FailedAllocations(), 0);
    xova_test::ResetAllocFailure();
    EXPECT_EQ(h.state().caseCount, 100);
  }
}

}  // namespace
