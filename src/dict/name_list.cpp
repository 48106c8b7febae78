#include "dict/name_list.h"

#include <cstring>
#include <new>

#include "frame/entry_checks.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

void FreeList(char** names, int* types, int count) {
  if (names) {
    for (int i = 0; i < count; ++i) delete[] names[i];
  }
  delete[] names;
  delete[] types;
}

}  // namespace

int BuildNameList(const Dictionary& dict, NameListCache* list) {
  *list = NameListCache();
  if (dict.empty()) return XOVA_BAD_FILE;
  const int count = static_cast<int>(dict.size());
  char** names = new (std::nothrow) char*[static_cast<std::size_t>(count)]();
  int* types = new (std::nothrow) int[static_cast<std::size_t>(count)];
  if (!names || !types) {
    FreeList(names, types, 0);
    return XOVA_OUT_OF_MEMORY;
  }
  for (int i = 0; i < count; ++i) {
    const VariableRecord& var = *dict.vars[static_cast<std::size_t>(i)];
    names[i] = new (std::nothrow) char[var.name.size() + 1];
    if (!names[i]) {
      FreeList(names, types, i);
      return XOVA_OUT_OF_MEMORY;
    }
    std::memcpy(names[i], var.name.c_str(), var.name.size() + 1);
    types[i] = var.type;
  }
  list->names = names;
  list->types = types;
  list->count = count;
  return XOVA_OK;
}

int RefreshNameList(const Dictionary& dict, NameListCache* cache) {
  if (cache->count != 0 && static_cast<std::size_t>(cache->count) == dict.size()) return XOVA_OK;
  NameListCache fresh;
  if (int rc = BuildNameList(dict, &fresh)) return rc;
  FreeList(cache->names, cache->types, cache->count);
  *cache = fresh;
  return XOVA_OK;
}

}  // namespace xova

using namespace xova;

extern "C" {

XOVA_API int XOVA_CALL xovaGetVarNames(int handle, int* numVars, char*** varNames,
                                       int** varTypes) noexcept {
  StoreOut(numVars, 0);
  if (varNames) *varNames = nullptr;
  if (varTypes) *varTypes = nullptr;
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  NameListCache list;
  if (int rc = BuildNameList(fs->dict, &list)) return rc;
  // A caller that takes only part of the list would leak the rest.
  if (!numVars || !varNames || !varTypes) {
    FreeList(list.names, list.types, list.count);
    return XOVA_OK;
  }
  *numVars = list.count;
  *varNames = list.names;
  *varTypes = list.types;
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaFreeVarNames(char** varNames, int* varTypes, int numVars) noexcept {
  if (numVars <= 0 || !varNames || !varTypes) {
    return (numVars == 0 && !varNames && !varTypes) ? XOVA_OK : XOVA_BAD_FREE_ARGS;
  }
  FreeList(varNames, varTypes, numVars);
  return XOVA_OK;
}

XOVA_API int XOVA_CALL xovaGetVarInfo(int handle, int iVar, char* varName, int* varType) noexcept {
  if (varName) varName[0] = '\0';
  StoreOut(varType, 0);
  FileState* fs = nullptr;
  if (int rc = CheckHandle(handle, &fs)) return rc;
  NameListCache& cache = fs->nameList;
  if (int rc = RefreshNameList(fs->dict, &cache)) return rc;
  if (iVar < 0 || iVar >= cache.count) return XOVA_NO_SUCH_VARIABLE;
  CopyOut(varName, cache.names[iVar]);
  StoreOut(varType, cache.types[iVar]);
  return XOVA_OK;
}

}  // extern "C"
