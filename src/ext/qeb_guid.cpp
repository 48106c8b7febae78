// The exported QEB GUID functions: at most 256 bytes of text, cut without a warning.
#include "ext/side_slots.h"
#include "xovaio32.h"

namespace {

constexpr int kGuidSubtype = 12;
constexpr int kMaxGuidBytes = 256;

}  // namespace

extern "C" {

XOVA_API int XOVA_CALL xovaSetQEBGUID(int handle, const char* guidText) noexcept {
  return xova::StoreCutText(handle, kGuidSubtype, guidText, kMaxGuidBytes);
}

XOVA_API int XOVA_CALL xovaGetQEBGUID(int handle, char* guidText) noexcept {
  return xova::CopyCutText(handle, kGuidSubtype, kMaxGuidBytes, guidText);
}

}  // extern "C"
