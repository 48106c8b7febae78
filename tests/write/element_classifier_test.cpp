#include "write/element_classifier.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "frame/special_values.h"

namespace {

constexpr std::uint64_t kHostSysmis = 0xFFEFFFFFFFFFFFFFull;

unsigned char CodeOf(double value, std::uint64_t sysmis = kHostSysmis) {
  unsigned char bytes[8];
  std::memcpy(bytes, &value, 8);
  return xova::ClassifyElement(bytes, sysmis);
}

unsigned char CodeOfText(const char (&text)[9]) {
  return xova::ClassifyElement(reinterpret_cast<const unsigned char*>(text), kHostSysmis);
}

double FromBits(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, 8);
  return value;
}

TEST(ElementClassifier, EveryIntegerFromMinus99To151IsCodedWithTheBias) {
  for (int e = -99; e <= 151; ++e) {
    EXPECT_EQ(CodeOf(static_cast<double>(e)), e + 100) << e;
  }
  EXPECT_EQ(CodeOf(0.0), 100);
  EXPECT_EQ(CodeOf(1.0), 101);
}

TEST(ElementClassifier, IntegersJustOutsideTheCodedRangeAreStoredRaw) {
  EXPECT_EQ(CodeOf(-100.0), xova::kCodeRaw);
  EXPECT_EQ(CodeOf(152.0), xova::kCodeRaw);
  EXPECT_EQ(CodeOf(255.0), xova::kCodeRaw);
  EXPECT_EQ(CodeOf(256.0), xova::kCodeRaw);
  EXPECT_EQ(CodeOf(-256.0), xova::kCodeRaw);
  EXPECT_EQ(CodeOf(1e6), xova::kCodeRaw);
}

TEST(ElementClassifier, FractionsAndMinusZeroAreStoredRaw) {
  // Each of these truncates to a coded integer but isn't one.
  for (double v : {-0.0, 0.5, -0.5, 1.5, 150.999, -98.5, 151.5, 1.0 + 1e-15, 1e-300}) {
    EXPECT_EQ(CodeOf(v), xova::kCodeRaw) << v;
  }
  EXPECT_EQ(CodeOf(FromBits(1)), xova::kCodeRaw);  // the smallest denormal
}

TEST(ElementClassifier, NonFiniteValuesAreStoredRaw) {
  EXPECT_EQ(CodeOf(std::numeric_limits<double>::infinity()), xova::kCodeRaw);
  EXPECT_EQ(CodeOf(-std::numeric_limits<double>::infinity()), xova::kCodeRaw);
  EXPECT_EQ(CodeOf(std::numeric_limits<double>::quiet_NaN()), xova::kCodeRaw);
  EXPECT_EQ(CodeOf(FromBits(0xFFFFFFFFFFFFFFFFull)), xova::kCodeRaw);
}

TEST(ElementClassifier, SysmisIsRecognisedByAllItsBitsAgainstTheFilesValue) {
  EXPECT_EQ(CodeOf(FromBits(kHostSysmis)), xova::kCodeSysmis);
  // Its neighbours, the lowest and highest values, are ordinary numbers.
  EXPECT_EQ(CodeOf(FromBits(xova::kLowestBits)), xova::kCodeRaw);
  EXPECT_EQ(CodeOf(FromBits(xova::kHighestBits)), xova::kCodeRaw);
  // A file with another system-missing value: only that value gets the code.
  const std::uint64_t other = 0xFFFFFFFFFFFFFFFFull;
  EXPECT_EQ(CodeOf(FromBits(other), other), xova::kCodeSysmis);
  EXPECT_EQ(CodeOf(FromBits(kHostSysmis), other), xova::kCodeRaw);
  // Even a value that would otherwise be a small integer.
  EXPECT_EQ(CodeOf(3.0, xova::DoubleToBits(3.0)), xova::kCodeSysmis);
}

TEST(ElementClassifier, StringElementsTakeTheSameTests) {
  EXPECT_EQ(CodeOfText("        "), xova::kCodeBlanks);
  EXPECT_EQ(CodeOfText("A       "), xova::kCodeRaw);
  EXPECT_EQ(CodeOfText("       A"), xova::kCodeRaw);
  EXPECT_EQ(CodeOfText("ABCDEFGH"), xova::kCodeRaw);
  const unsigned char sevenBlanksAndNul[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', 0};
  EXPECT_EQ(xova::ClassifyElement(sevenBlanksAndNul, kHostSysmis), xova::kCodeRaw);
  const unsigned char zeros[8] = {};
  EXPECT_EQ(xova::ClassifyElement(zeros, kHostSysmis), 100);  // the bytes of +0.0
}

// Decodes a code the way a reader does; true when it gives back the bytes.
bool CodeGivesBack(unsigned char code, const unsigned char* element) {
  unsigned char decoded[8];
  if (code >= 1 && code <= 251) {
    const double v = code - 100.0;
    std::memcpy(decoded, &v, 8);
  } else if (code == xova::kCodeBlanks) {
    std::memset(decoded, ' ', 8);
  } else if (code == xova::kCodeSysmis) {
    std::memcpy(decoded, &kHostSysmis, 8);
  } else {
    return code == xova::kCodeRaw;  // the raw bytes follow unchanged
  }
  return std::memcmp(decoded, element, 8) == 0;
}

TEST(ElementClassifier, EveryCodeDecodesToTheVeryBytesItWasGiven) {
  std::vector<std::uint64_t> samples = {0,
                                        0x8000000000000000ull,
                                        kHostSysmis,
                                        0x2020202020202020ull,
                                        0x3FF0000000000000ull,
                                        0x3FF0000000000001ull,
                                        0x4062E00000000000ull,
                                        0x4063000000000000ull,
                                        0xC058C00000000000ull,
                                        0xC059000000000000ull,
                                        0x7FF0000000000000ull};
  for (int e = -120; e <= 300; ++e) {
    samples.push_back(xova::DoubleToBits(e));
    samples.push_back(xova::DoubleToBits(e + 0.25));
    samples.push_back(xova::DoubleToBits(e) + 1);  // the next double up
  }
  for (std::uint64_t bits : samples) {
    unsigned char element[8];
    std::memcpy(element, &bits, 8);
    const unsigned char code = xova::ClassifyElement(element, kHostSysmis);
    EXPECT_TRUE(CodeGivesBack(code, element)) << std::hex << bits << " code " << int(code);
  }
}

}  // namespace
