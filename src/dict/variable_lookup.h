// Entry checks of the functions that name one variable: the handle checks of
// their group, then the lookup by name. None changes anything.
#ifndef XOVA_DICT_VARIABLE_LOOKUP_H
#define XOVA_DICT_VARIABLE_LOOKUP_H

#include "dict/variable_record.h"
#include "frame/file_state.h"

namespace xova {

// Handle, write mode, not committed, then the name (5, 8, 30, 12).
int LookupForDefinition(int handle, const char* name, FileState** fs, VariableRecord** var);
// Handle, then the name (5, 12); any mode.
int LookupForQuery(int handle, const char* name, FileState** fs, VariableRecord** var);
// Handle, committed, then the name (5, 31, 12).
int LookupCommitted(int handle, const char* name, FileState** fs, VariableRecord** var);

}  // namespace xova

#endif
