// The compression code of one 8-byte case element.
#ifndef XOVA_WRITE_ELEMENT_CLASSIFIER_H
#define XOVA_WRITE_ELEMENT_CLASSIFIER_H

#include <cstdint>

namespace xova {

constexpr unsigned char kCodeRaw = 253;
constexpr unsigned char kCodeBlanks = 254;
constexpr unsigned char kCodeSysmis = 255;
constexpr int kCompressionBias = 100;

// Numeric and string elements take the same tests, so every code other than
// kCodeRaw decodes to exactly the 8 bytes it was given: `sysmisBits` gives
// kCodeSysmis, 8 blanks kCodeBlanks, a double holding an integer -99..151
// that integer plus the bias, anything else kCodeRaw.
unsigned char ClassifyElement(const unsigned char* element, std::uint64_t sysmisBits);

}  // namespace xova

#endif
