// Whether a variable can take the numeric or the string form of a value
// operation (value labels, missing values).
#ifndef XOVA_DICT_VALUE_CLASS_CHECK_H
#define XOVA_DICT_VALUE_CLASS_CHECK_H

#include <cstdint>

#include "dict/variable_record.h"
#include "frame/file_state.h"

namespace xova {

// Numeric class: XOVA_NOT_NUMERIC for a string variable. String class:
// XOVA_NOT_STRING for a numeric variable, XOVA_STRING_TOO_WIDE above width 8.
int CheckValueClass(const VariableRecord& var, std::int32_t cls);

// The checks of the value queries, in any mode: handle (5), the variable by
// name (12), then the class as above.
int LookupValueVariable(int handle, const char* name, std::int32_t cls, FileState** fs,
                        const VariableRecord** var);

}  // namespace xova

#endif
