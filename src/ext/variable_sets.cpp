// The exported variable-set functions. The text is stored as given; its
// names are translated when the dictionary is committed or read.
#include "ext/set_text_translator.h"
#include "ext/side_slots.h"
#include "xovaio32.h"

extern "C" {

XOVA_API int XOVA_CALL xovaSetVariableSets(int handle, const char* setsText) noexcept {
  return xova::StoreSlotText(handle, xova::kVariableSetsSubtype, setsText, XOVA_VARSETS_ABSENT);
}

XOVA_API int XOVA_CALL xovaGetVariableSets(int handle, char** setsText) noexcept {
  return xova::CopySlotText(handle, xova::kVariableSetsSubtype, XOVA_VARSETS_ABSENT, setsText);
}

XOVA_API int XOVA_CALL xovaFreeVariableSets(char* setsText) noexcept {
  xova::FreeSlotText(setsText);
  return XOVA_OK;
}

}  // extern "C"
