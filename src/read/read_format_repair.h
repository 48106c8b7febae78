// Print and write formats of a file being read, made ones the library accepts.
#ifndef XOVA_READ_READ_FORMAT_REPAIR_H
#define XOVA_READ_READ_FORMAT_REPAIR_H

#include <cstdint>

namespace xova {

// The packed format `format` of a variable of `width` (0 numeric, else the
// string width) as the dictionary keeps it. Only the low three bytes count. A
// string variable gets its own width (doubled for the hexadecimal type); a
// numeric format is clamped into shape and, when still refused as a print
// (`isPrint` non-zero) or write format, replaced by a default of its kind.
std::int32_t RepairReadFormat(std::int32_t width, std::int32_t format, int isPrint) noexcept;

}  // namespace xova

#endif
