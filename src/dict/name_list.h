// The list of variable names and types handed to callers.
#ifndef XOVA_DICT_NAME_LIST_H
#define XOVA_DICT_NAME_LIST_H

#include "dict/dictionary.h"
#include "frame/file_state.h"

namespace xova {

// Builds the caller-owned list of names and types in dictionary order; on
// failure nothing stays allocated and the list is empty. 0, 6 or 7.
int BuildNameList(const Dictionary& dict, NameListCache* list);

// Fills the cache of xovaGetVarInfo, and fills it again when variables were
// added since: a stale list would report existing variables as missing. A
// failed rebuild keeps the old list. 0, 6 or 7.
int RefreshNameList(const Dictionary& dict, NameListCache* cache);

}  // namespace xova

#endif
