// Setting the long name of a variable together with its folded key.
#ifndef XOVA_DICT_RECORD_NAME_H
#define XOVA_DICT_RECORD_NAME_H

#include "dict/variable_record.h"

namespace xova {

// Gives `record` the name `text` (trailing blanks cut) and its folded form as
// key. Both are built before the old ones are replaced, so on failure the
// record keeps its names: XOVA_BAD_VARIABLE_NAME for a text FoldName refuses,
// XOVA_OUT_OF_MEMORY when an allocation fails. The caller keeps any index
// that holds the record in step with the new key.
int SetRecordName(VariableRecord& record, const char* text) noexcept;

}  // namespace xova

#endif
