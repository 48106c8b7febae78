// Case data the writer never produces: the other byte order, another
// system-missing value, and damaged or random bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "frame/special_values.h"
#include "read/read_state_fixture.h"
#include "support/scratch_dir.h"
#include "xovaio32.h"

namespace {

using Bytes = std::vector<unsigned char>;
using xova_test::ReadHandle;
using xova_test::ReadOptions;

const double kFileSysmis = -3.4028234663852886e38;
const double kHighest = 1.7976931348623157e308;

Bytes Number(double v, bool bigEndian) {
  Bytes b(8);
  std::memcpy(b.data(), &v, 8);
  if (bigEndian) std::reverse(b.begin(), b.end());
  return b;
}

Bytes Text(const char* eight) {
  return Bytes(eight, eight + 8);
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::string Hex(double v) {
  return xova_test::ExpectedText(xova_test::Cell{v, ""}, 0);
}

// Byte order and compression of hand-made cases of a numeric, a width-8
// string and a numeric variable, in a file whose sysmis isn't the host's.
class ForeignCases : public ::testing::TestWithParam<std::tuple<bool, int>> {
 protected:
  Bytes Cases() const {
    const bool big = std::get<0>(GetParam());
    if (std::get<1>(GetParam()) == 0) {
      return Join({Number(1234.5, big), Text("abcdefgh"), Number(kFileSysmis, big),
                   Number(1.0, big), Text("        "), Number(kFileSysmis, big),
                   Number(kHighest, big), Text("zzzzzzzz"), Number(-99, big)});
    }
    return Join({{253, 253, 253, 101, 254, 255, 253, 253},
                 Number(1234.5, big),
                 Text("abcdefgh"),
                 Number(kFileSysmis, big),
                 Number(kHighest, big),
                 Text("zzzzzzzz"),
                 {1, 252, 0, 0, 0, 0, 0, 0}});
  }
  xova_test::ScratchDir dir_;
};

TEST_P(ForeignCases, ComeOutInHostForm) {
  xova_test::WrittenFile file =
      xova_test::WriteDictionary(dir_.File("f.data"), {0, 8, 0}, std::get<1>(GetParam()));
  xova_test::AppendBytes(file.path, Cases());
  ReadOptions options;
  options.byteSwap = std::get<0>(GetParam());
  options.ownSysmis = true;
  options.sysmis = kFileSysmis;
  options.ownCount = true;
  ReadHandle r(file, options);
  const double host = xova::Sysmis();
  const std::vector<std::vector<std::string>> want = {{Hex(1234.5), "abcdefgh", Hex(host)},
                                                      {Hex(1.0), "        ", Hex(host)},
                                                      {Hex(kHighest), "zzzzzzzz", Hex(-99)}};
  for (const auto& values : want) {
    ASSERT_EQ(xovaReadCaseRecord(r.handle()), XOVA_OK);
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(xova_test::ValueText(r.handle(), r.var(i), i == 1 ? 8 : 0), values[i]);
    }
  }
  EXPECT_EQ(xovaReadCaseRecord(r.handle()), XOVA_END_OF_DATA);
  EXPECT_EQ(r.state().caseCount, 3);
}

INSTANTIATE_TEST_SUITE_P(ByteOrderAndCompression, ForeignCases,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(0, 1)));

// Damaged data ends the cases where it starts, and a seek beyond it must
// find the same end.
class DamagedCases : public ::testing::Test {
 protected:
  // Reads from the start until the end; the number of cases delivered.
  int ReadAll(const Bytes& cases, int compression, int elements = 3) {
    xova_test::WrittenFile file =
        xova_test::WriteDictionary(dir_.File("d" + std::to_string(files_++) + ".data"),
                                   std::vector<int>(elements, 0), compression);
    xova_test::AppendBytes(file.path, cases);
    ReadOptions options;
    options.ownCount = true;
    ReadHandle r(file, options);
    int n = 0;
    for (int rc; (rc = xovaReadCaseRecord(r.handle())) != XOVA_END_OF_DATA; ++n) {
      EXPECT_EQ(rc, XOVA_OK);
      if (n > 1000) return -1;
    }
    EXPECT_EQ(r.state().caseCount, n);
    EXPECT_EQ(xovaReadCaseRecord(r.handle()), XOVA_END_OF_DATA);
    EXPECT_EQ(xovaSeekNextCase(r.handle(), n + 1000), XOVA_OK);
    EXPECT_EQ(xovaReadCaseRecord(r.handle()), XOVA_END_OF_DATA);
    int counted = -1;
    xovaGetNumberofCases(r.handle(), &counted);
    EXPECT_EQ(counted, n);
    return n;
  }
  xova_test::ScratchDir dir_;
  int files_ = 0;
};

TEST_F(DamagedCases, EndWhereTheDamageIs) {
  EXPECT_EQ(ReadAll({101, 102, 103, 104, 252, 0, 0, 0}, 1), 1) << "end code inside a case";
  EXPECT_EQ(ReadAll(Join({{101, 102, 103, 253, 253, 253, 0, 0}, Number(1, false), {9}}), 1), 0)
      << "raw values cut off: the block they follow is lost whole";
  EXPECT_EQ(ReadAll({101, 102, 103, 104, 105, 106, 107}, 1), 0) << "file ends inside a block";
  EXPECT_EQ(ReadAll({101, 102, 103, 104, 105, 106, 107, 108}, 1, 4), 2)
      << "a full last block without an end code";
  EXPECT_EQ(ReadAll(Bytes(8 * 3 * 2 + 20, 0), 0), 2) << "uncompressed, last case cut off";
}

TEST_F(DamagedCases, RandomBytesNeverDeliverMoreThanTheyHold) {
  std::mt19937 random(5);
  for (int i = 0; i < 150; ++i) {
    Bytes cases(random() % 400);
    for (auto& b : cases) {
      // Mostly codes that matter, so the data gets somewhere.
      const unsigned pick = random() % 4;
      b = static_cast<unsigned char>(pick == 0 ? 250 + random() % 6 : random() % 256);
    }
    SCOPED_TRACE(i);
    EXPECT_GE(ReadAll(cases, 1, 1 + i % 5), 0);
  }
}

}  // namespace
