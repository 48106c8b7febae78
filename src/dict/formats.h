// Print and write formats: validation of a (code, width, decimals) triple and
// its packed 32-bit form as stored in the variable record.
#ifndef XOVA_DICT_FORMATS_H
#define XOVA_DICT_FORMATS_H

#include <cstdint>

namespace xova {

constexpr int kFormatAccepted = 0;
constexpr int kFormatRefused = 100;

struct Format {
  int code;
  int width;
  int decimals;
};

// kFormatAccepted or kFormatRefused. `varType` is 0 for numeric, else the
// string width; `isPrint` is 1 for a print format, 0 for a write format.
int ValidateFormat(int varType, int code, int decimals, int width, int isPrint);

// True when unpacking the packed triple gives the same triple back (each part
// fits its byte, or all are small negatives that the signed unpacking restores).
bool FormatFitsPacking(int code, int width, int decimals);

// code * 65536 + width * 256 + decimals in wrapping 32-bit arithmetic.
std::int32_t PackFormat(int code, int width, int decimals);

// The inverse of PackFormat for packable triples; division truncates and the
// remainders take the sign of `v`.
Format UnpackFormat(std::int32_t v);

// The format a new variable of `varType` starts with.
std::int32_t DefaultFormat(int varType);

}  // namespace xova

#endif
