// Slot access shared by the side-record functions: whole texts stored and
// handed out, and bounded reads from the start of a block.
#ifndef XOVA_EXT_SIDE_SLOTS_H
#define XOVA_EXT_SIDE_SLOTS_H

#include <cstdint>

#include "ext/extension_block.h"

namespace xova {

// Puts the block's sequential read back to its first element and closes a
// spill file a partial read left open.
void RewindBlock(ExtensionBlock* block);

// Copies at most maxBytes bytes (whole elements) from the start of the block
// into dst and rewinds it; *gotBytes receives the bytes copied. An absent or
// empty block copies nothing. 0 or XOVA_TEMP_FILE_ERROR.
int ReadBlockPrefix(ExtensionBlock* block, std::int32_t maxBytes, void* dst,
                    std::int32_t* gotBytes);

// Replaces the text slot of a write handle by the whole of `text` (checks 5,
// 8, 30). A null or empty text empties the slot and gives `absentCode`;
// otherwise the store's result.
int StoreSlotText(int handle, int subtype, const char* text, int absentCode);

// Hands out a NUL-terminated copy of a text slot, freed with FreeSlotText.
// *text is null first; then 5; `absentCode` for an absent or empty slot;
// XOVA_BAD_EXT_INDEX when the block is not a text; XOVA_OUT_OF_MEMORY; or the
// result of the read (nothing is handed out on failure).
int CopySlotText(int handle, int subtype, int absentCode, char** text);
void FreeSlotText(char* text);

// Replaces the slot of a write handle (checks 5, 8, 30) by the first
// min(strlen, maxBytes) bytes of `text`; a null or empty text leaves an empty
// block. A failure keeps the old block.
int StoreCutText(int handle, int subtype, const char* text, std::int32_t maxBytes);

// Copies the first min(count, maxBytes) bytes of the slot and a NUL into dst
// (an empty text when the slot is empty). A null dst: 0 and nothing else;
// then 5; else 0 or the result of the read.
int CopyCutText(int handle, int subtype, std::int32_t maxBytes, char* dst);

}  // namespace xova

#endif
