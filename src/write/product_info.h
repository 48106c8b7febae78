// Constants that identify files written by this library.
#ifndef XOVA_WRITE_PRODUCT_INFO_H
#define XOVA_WRITE_PRODUCT_INFO_H

#include <cstdint>

namespace xova {

constexpr const char kSystemString[] = "MS Windows Release 12.0 xovaio32.dll";
constexpr const char kProductPrefix[] = "@(#) XOVA DATA FILE ";
constexpr int kReleaseSubtype = 3;
constexpr int kSpecialValuesSubtype = 4;
constexpr std::int32_t kReleaseInfo[8] = {12, 0, 0, 720, 1, 1, 2, 2};

}  // namespace xova

#endif
