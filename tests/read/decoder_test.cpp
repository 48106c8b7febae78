// The byte-code decoder over hand-made case data.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "frame/file_state.h"
#include "frame/special_values.h"
#include "read/decompression_state.h"
#include "support/alloc_failure.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {

using Bytes = std::vector<unsigned char>;
using xova::DecompressionState;

Bytes Le(double value) {
  Bytes b(8);
  std::memcpy(b.data(), &value, 8);
  return b;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

double AsDouble(const unsigned char* element) {
  double v = 0;
  std::memcpy(&v, element, 8);
  return v;
}

// Case data in a file after `start` bytes of filler, and a decoder on it.
class Decoder : public ::testing::Test {
 protected:
  void Open(const Bytes& data, std::int64_t start = 24) {
    Bytes all(static_cast<std::size_t>(start), 0xEE);
    all.insert(all.end(), data.begin(), data.end());
    const std::string path = dir_.File("cases.data");
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(std::fwrite(all.data(), 1, all.size(), out), all.size());
    std::fclose(out);
    in_ = std::fopen(path.c_str(), "rb");
    ASSERT_NE(in_, nullptr);
    d_.stream = in_;
    d_.start = start;
    d_.sysmis = xova::Sysmis();
    xova::Rewind(d_);
  }
  ~Decoder() override {
    if (in_) std::fclose(in_);
  }
  // Decodes one element; the result code, the element in `out`.
  int One(unsigned char* out) { return xova::DecodeElements(d_, out, 1); }
  double Next() {
    unsigned char e[8];
    EXPECT_EQ(One(e), xova::kDecodeDone);
    return AsDouble(e);
  }

  xova_test::ScratchDir dir_;
  std::FILE* in_ = nullptr;
  DecompressionState d_;
};

TEST_F(Decoder, EveryCodeGivesItsElement) {
  Open(Join({{101, 1, 251, 254, 0, 255, 253, 252}, Le(2.5)}));
  unsigned char out[6 * 8];
  ASSERT_EQ(xova::DecodeElements(d_, out, 6), xova::kDecodeDone);
  EXPECT_EQ(AsDouble(out), 1.0);
  EXPECT_EQ(AsDouble(out + 8), -99.0);
  EXPECT_EQ(AsDouble(out + 16), 151.0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out + 24), 8), "        ");
  EXPECT_EQ(xova::DoubleToBits(AsDouble(out + 32)), xova::kSysmisBits);
  EXPECT_EQ(AsDouble(out + 40), 2.5);
  // The end code is met again by every later call.
  EXPECT_EQ(One(out), xova::kDecodeEnd);
  EXPECT_EQ(One(out), xova::kDecodeEnd);
}

TEST_F(Decoder, TruncatedBlocksAreReadErrorsThatMoveNothing) {
  {
    SCOPED_TRACE("raw value cut off");
    Open(Join({{253, 253, 252, 0, 0, 0, 0, 0}, Le(1.5), {1, 2, 3}}));
    unsigned char out[8];
    EXPECT_EQ(One(out), xova::kDecodeReadError);
    EXPECT_EQ(d_.CodePosition(), d_.start - 1);
    EXPECT_EQ(d_.wantedPosition, d_.start);
    EXPECT_EQ(One(out), xova::kDecodeReadError);  // and again, not garbage
  }
  std::fclose(in_);
  {
    SCOPED_TRACE("block cut off");
    Open({101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111});
    unsigned char eight[64];
    ASSERT_EQ(xova::DecodeElements(d_, eight, 8), xova::kDecodeDone);
    const std::int64_t at = d_.CodePosition();
    EXPECT_EQ(xova::DecodeElements(d_, eight, 1), xova::kDecodeReadError);
    EXPECT_EQ(d_.CodePosition(), at);
  }
}

// Zero codes inside the data: going to a code position must land on it
// exactly, not count elements past it.
TEST_F(Decoder, GoingToACodePositionLandsOnItWithZeroCodesBefore) {
  Open(Join({{101, 0, 0, 102, 253, 103, 0, 104},
             Le(7.5),
             {105, 253, 106, 0, 107, 108, 109, 110},
             Le(-0.5),
             {111, 252, 0, 0, 0, 0, 0, 0}}));
  std::vector<double> values;
  std::vector<std::int64_t> before;  // code position before each element
  unsigned char e[8];
  for (;;) {
    before.push_back(d_.CodePosition());
    if (One(e) != xova::kDecodeDone) break;
    values.push_back(AsDouble(e));
  }
  before.pop_back();
  ASSERT_EQ(values.size(), 13u);
  const int order[] = {7, 0, 12, 3, 8, 1, 6, 2, 11, 5, 9, 4, 10, 7, 7, 0};
  for (int i : order) {
    SCOPED_TRACE(i);
    ASSERT_EQ(xova::GoToCodePosition(d_, before[static_cast<std::size_t>(i)]), xova::kDecodeDone);
    EXPECT_EQ(Next(), values[static_cast<std::size_t>(i)]);
  }
}

TEST_F(Decoder, GoingToAPositionPastTheDataLeavesTheDecoderWhereItStood) {
  Open({101, 102, 103, 252, 0, 0, 0, 0});
  EXPECT_EQ(Next(), 101.0 - 100);
  const std::int64_t at = d_.CodePosition();
  EXPECT_NE(xova::GoToCodePosition(d_, d_.start + 64 + 3), xova::kDecodeDone);
  EXPECT_EQ(d_.CodePosition(), at);
  EXPECT_EQ(Next(), 2.0);
  // A position behind the end code is no case start either.
  EXPECT_EQ(xova::GoToCodePosition(d_, d_.start + 5), xova::kDecodeEnd);
  unsigned char out[8];
  EXPECT_EQ(One(out), xova::kDecodeEnd);
  // Before the start is the first case.
  EXPECT_EQ(xova::GoToCodePosition(d_, d_.start - 1), xova::kDecodeDone);
  EXPECT_EQ(Next(), 1.0);
}

// Many blocks of every kind of code, so that decoding runs through several
// refills of the decoder's read-ahead, with blocks and raw values cut by
// its edges; with what a plain reading of the codes gives.
struct CodeStream {
  Bytes bytes;
  std::vector<Bytes> elements;
  std::vector<std::int64_t> codeAt;  // offset in `bytes` of each element's code
  std::vector<std::size_t> blockEnds;
};

CodeStream MakeCodeStream(int blocks, bool swapped, std::uint32_t seed) {
  std::mt19937 random(seed);
  CodeStream s;
  for (int b = 0; b < blocks; ++b) {
    const std::size_t at = s.bytes.size();
    Bytes raws;
    s.bytes.resize(at + 8);
    for (int i = 0; i < 8; ++i) {
      const unsigned pick = random() % 10;
      unsigned char code = static_cast<unsigned char>(1 + random() % 251);
      if (pick == 5) code = 254;
      if (pick == 6) code = 255;
      if (pick == 7 || pick == 8) code = 253;
      if (pick == 9) code = 0;
      s.bytes[at + static_cast<std::size_t>(i)] = code;
      Bytes e(8);
      if (code == 0) continue;
      if (code == 253) {
        for (unsigned char& c : e) c = static_cast<unsigned char>(random());
        raws.insert(raws.end(), e.begin(), e.end());
        if (swapped) std::reverse(e.begin(), e.end());
      } else if (code == 254) {
        e.assign(8, ' ');
      } else {
        e = Le(code == 255 ? -1.0 : code - 100.0);
      }
      s.elements.push_back(e);
      s.codeAt.push_back(static_cast<std::int64_t>(at) + i);
    }
    s.bytes.insert(s.bytes.end(), raws.begin(), raws.end());
    s.blockEnds.push_back(s.bytes.size());
  }
  return s;
}

class DecoderOverManyBlocks : public Decoder, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    stream_ = MakeCodeStream(700, GetParam(), 7);
    Bytes all = stream_.bytes;
    all.insert(all.end(), {101, 252, 0, 0, 0, 0, 0, 0});
    Open(all);
    d_.byteSwap = GetParam() ? 1 : 0;
    d_.sysmis = -1.0;
  }
  // Decodes `n` elements and checks them against element `from` on.
  void ExpectElements(std::size_t from, std::int32_t n) {
    std::vector<unsigned char> out(8 * static_cast<std::size_t>(n));
    ASSERT_EQ(xova::DecodeElements(d_, out.data(), n), xova::kDecodeDone) << from;
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
      ASSERT_EQ(Bytes(out.begin() + 8 * k, out.begin() + 8 * k + 8), stream_.elements[from + k])
          << from + k;
    }
    ASSERT_EQ(d_.CodePosition(), d_.start + stream_.codeAt[from + n - 1]);
  }
  CodeStream stream_;
};

TEST_P(DecoderOverManyBlocks, ChunksOfEverySizeGiveTheElementsInOrder) {
  const std::int32_t sizes[] = {1, 24, 7, 8, 100, 3, 64, 13, 2, 41};
  const std::size_t total = stream_.elements.size();
  std::size_t done = 0;
  for (int k = 0; done < total; ++k) {
    const auto n = static_cast<std::int32_t>(
        std::min<std::size_t>(total - done, static_cast<std::size_t>(sizes[k % 10])));
    ExpectElements(done, n);
    done += static_cast<std::size_t>(n);
  }
  EXPECT_EQ(Next(), 1.0);
  unsigned char e[8];
  EXPECT_EQ(One(e), xova::kDecodeEnd);
}

TEST_P(DecoderOverManyBlocks, GoingBackAfterWindowedDecodingResumesExactly) {
  const std::size_t total = stream_.elements.size();
  std::mt19937 random(3);
  for (int round = 0; round < 60; ++round) {
    ExpectElements(0, 0 + 1);
    const std::size_t j = random() % (total - 40);
    ASSERT_EQ(xova::GoToCodePosition(d_, d_.start + stream_.codeAt[j]), xova::kDecodeDone);
    ExpectElements(j + 1, 39);
    ASSERT_EQ(xova::GoToCodePosition(d_, d_.start - 1), xova::kDecodeDone);
  }
}

// The decoder keeps its own copy of what the fixed codes give; a sysmis set
// later must still be the one delivered.
TEST_P(DecoderOverManyBlocks, ALaterSysmisIsTheOneDelivered) {
  ExpectElements(0, 50);
  d_.sysmis = 7.25;
  for (std::size_t k = 0; k < stream_.elements.size(); ++k) {
    const auto at = static_cast<std::size_t>(stream_.codeAt[k]);
    if (stream_.bytes[at] == 255) stream_.elements[k] = Le(7.25);
  }
  ExpectElements(50, 500);
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, DecoderOverManyBlocks, ::testing::Bool());

// Data cut anywhere near a refill of the read-ahead: every element of a whole
// block comes out, then the end (cut between blocks) or a read error (cut
// inside one), and the failing call consumes no element.
TEST_F(Decoder, DataCutAnywhereGivesTheWholeBlocksThenStops) {
  const CodeStream s = MakeCodeStream(140, false, 11);
  for (std::size_t cut = 1000; cut < 1200 && cut < s.bytes.size(); cut += 7) {
    SCOPED_TRACE(cut);
    if (in_) std::fclose(in_);
    Open(Bytes(s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
    d_.sysmis = -1.0;
    std::size_t whole = 0;
    while (whole < s.blockEnds.size() && s.blockEnds[whole] <= cut) ++whole;
    const std::int64_t wholeEnd = whole ? static_cast<std::int64_t>(s.blockEnds[whole - 1]) : 0;
    std::size_t k = 0;
    unsigned char e[8];
    int rc = xova::kDecodeDone;
    for (;; ++k) {
      const std::int64_t before = d_.CodePosition();
      rc = One(e);
      if (rc != xova::kDecodeDone) {
        // Only padding codes may have been passed over.
        EXPECT_GE(d_.CodePosition(), before);
        if (k < s.elements.size()) {
          EXPECT_LT(d_.CodePosition(), d_.start + s.codeAt[k]);
        }
        EXPECT_EQ(One(e), rc);  // and again
        break;
      }
      ASSERT_LT(k, s.elements.size());
      ASSERT_EQ(Bytes(e, e + 8), s.elements[k]) << k;
    }
    EXPECT_TRUE(k == s.elements.size() || s.codeAt[k] >= wholeEnd) << k;
    EXPECT_EQ(
        rc, static_cast<std::int64_t>(cut) == wholeEnd ? xova::kDecodeEnd : xova::kDecodeReadError);
  }
}

TEST(CreateDecoder, FailedAllocationChangesNothing) {
  xova_test::AllocFailureScope scope;
  xova::FileState fs;
  xova_test::FailAllocationAfter(0);
  EXPECT_EQ(xova::CreateDecoder(fs), XOVA_OUT_OF_MEMORY);
  xova_test::ResetAllocFailure();
  EXPECT_EQ(fs.decoder, nullptr);
}

}  // namespace
