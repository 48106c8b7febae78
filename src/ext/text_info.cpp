// The exported text-information functions: at most 255 bytes of text, cut
// without a warning.
#include "ext/side_slots.h"
#include "xovaio32.h"

namespace {

constexpr int kTextInfoSubtype = 10;
constexpr int kMaxTextInfoBytes = 255;

}  // namespace

extern "C" {

XOVA_API int XOVA_CALL xovaSetTextInfo(int handle, const char* infoText) noexcept {
  return xova::StoreCutText(handle, kTextInfoSubtype, infoText, kMaxTextInfoBytes);
}

XOVA_API int XOVA_CALL xovaGetTextInfo(int handle, char* infoText) noexcept {
  return xova::CopyCutText(handle, kTextInfoSubtype, kMaxTextInfoBytes, infoText);
}

}  // extern "C"
