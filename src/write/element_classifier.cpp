#include "write/element_classifier.h"

#include <cstring>

#include "frame/special_values.h"

namespace xova {
namespace {

constexpr unsigned kExponentOfOne = 0x3FF;             // 1 <= |v| starts here
constexpr unsigned kExponentOf128 = 0x406;             // |v| < 256 ends here
constexpr int kLowestCoded = 1 - kCompressionBias;     // -99
constexpr int kHighestCoded = 251 - kCompressionBias;  // 151

bool IsEightBlanks(const unsigned char* element) {
  for (int i = 0; i < 8; ++i) {
    if (element[i] != ' ') return false;
  }
  return true;
}

// Values outside [1, 256) other than +0.0 can't be small integers; the test
// also keeps the integer conversion below within range.
bool OutsideIntegerRange(std::uint64_t bits) {
  const unsigned exponent = static_cast<unsigned>((bits >> 52) & 0x7FF);
  return bits != 0 && (exponent < kExponentOfOne || exponent > kExponentOf128);
}

}  // namespace

unsigned char ClassifyElement(const unsigned char* element, std::uint64_t sysmisBits) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, element, sizeof bits);
  if (bits == sysmisBits) return kCodeSysmis;
  if (IsEightBlanks(element)) return kCodeBlanks;
  if (OutsideIntegerRange(bits)) return kCodeRaw;
  const int whole = static_cast<int>(BitsToDouble(bits));
  if (whole < kLowestCoded || whole > kHighestCoded) return kCodeRaw;
  // Only an exact round trip may be coded: 1.5 truncates to 1 but isn't 1.
  if (DoubleToBits(static_cast<double>(whole)) != bits) return kCodeRaw;
  return static_cast<unsigned char>(whole + kCompressionBias);
}

}  // namespace xova
