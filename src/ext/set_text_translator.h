// Rewrites a variable-set or multiple-response-set text from one kind of
// variable name to the other: long names to short names when a dictionary is
// committed, short names to long names when one is read. The source is read
// through a BlockReader, so a text of any size is translated in bounded memory.
#ifndef XOVA_EXT_SET_TEXT_TRANSLATOR_H
#define XOVA_EXT_SET_TEXT_TRANSLATOR_H

#include "dict/name_index.h"
#include "ext/extension_block.h"

namespace xova {

constexpr int kVariableSetsSubtype = 5;
constexpr int kMultRespSetsSubtype = 7;

// Translates the text of `source` (subtype 5 or 7) into a new text block in
// `result`. With toShort 1, `index` is a dictionary index (folded long name ->
// VariableRecord) and names are written as short names; with toShort 0 it is a
// short-name index (short name -> VariableRecord, see CompareRecordShortName)
// and names are written as long names. Tokens are folded before the lookup;
// names that are not found are dropped, and lines that break the grammar are
// dropped whole.
//
// 0 with a new block; 0 and no block for an absent or empty source, or one
// that is not a text block; XOVA_OUT_OF_MEMORY when the result block cannot be
// created; XOVA_TEMP_FILE_ERROR when reading the source or writing the result
// fails (no block then).
int TranslateSetText(ExtensionBlock* source, BlockPtr* result, const NameIndex& index, int subtype,
                     int toShort);

}  // namespace xova

#endif
