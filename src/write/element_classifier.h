// The compression code of one 8-byte case element.
#ifndef XOVA_WRITE_ELEMENT_CLASSIFIER_H
#define XOVA_WRITE_ELEMENT_CLASSIFIER_H

#include <cstdint>
#include <cstring>

namespace xova {

constexpr unsigned char kCodeRaw = 253;
constexpr unsigned char kCodeBlanks = 254;
constexpr unsigned char kCodeSysmis = 255;
constexpr int kCompressionBias = 100;

// Numeric and string elements take the same tests, so every code other than
// kCodeRaw decodes to exactly the 8 bytes it was given: `sysmisBits` gives
// kCodeSysmis, 8 blanks kCodeBlanks, a double holding an integer -99..151
// that integer plus the bias, anything else kCodeRaw.
// Inline and branch-light: it runs once per element of every compressed case.
inline unsigned char ClassifyElement(const unsigned char* element, std::uint64_t sysmisBits) {
  constexpr std::uint64_t kEightBlanks = 0x2020202020202020ull;
  constexpr unsigned kExponentOfOne = 0x3FF;  // 1 <= |v| starts here
  constexpr unsigned kExponentOf128 = 0x406;  // |v| < 256 ends here
  std::uint64_t bits = 0;
  std::memcpy(&bits, element, sizeof bits);
  if (bits == sysmisBits) return kCodeSysmis;
  if (bits == kEightBlanks) return kCodeBlanks;
  if (bits == 0) return kCompressionBias;  // +0.0
  // Values outside [1, 256) can't be small integers; the test also keeps the
  // integer conversion below within range.
  const unsigned exponent = static_cast<unsigned>((bits >> 52) & 0x7FF);
  if (exponent < kExponentOfOne || exponent > kExponentOf128) return kCodeRaw;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  const int whole = static_cast<int>(value);
  // Only an exact round trip may be coded: 1.5 truncates to 1 but isn't 1.
  const double back = static_cast<double>(whole);
  std::uint64_t backBits;
  std::memcpy(&backBits, &back, sizeof backBits);
  if (backBits != bits || whole < 1 - kCompressionBias || whole > 251 - kCompressionBias) {
    return kCodeRaw;
  }
  return static_cast<unsigned char>(whole + kCompressionBias);
}

}  // namespace xova

#endif
