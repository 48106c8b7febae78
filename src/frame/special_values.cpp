#include "frame/special_values.h"

#include <cstring>

#include "frame/api_guard.h"
#include "xovaio32.h"

namespace xova {

double Sysmis() {
  return BitsToDouble(kSysmisBits);
}
double Highest() {
  return BitsToDouble(kHighestBits);
}
double Lowest() {
  return BitsToDouble(kLowestBits);
}

}  // namespace xova

extern "C" {

XOVA_API double XOVA_CALL xovaSysmisVal(void) noexcept {
  return xova::Sysmis();
}

XOVA_API void XOVA_CALL xovaHostSysmisVal(double* sysmis) noexcept {
  if (sysmis) *sysmis = xova::Sysmis();
}

XOVA_API void XOVA_CALL xovaLowHighVal(double* lowest, double* highest) noexcept {
  if (lowest) *lowest = xova::Lowest();
  if (highest) *highest = xova::Highest();
}

}  // extern "C"
