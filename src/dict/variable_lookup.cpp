#include "dict/variable_lookup.h"

#include "dict/dictionary.h"
#include "frame/entry_checks.h"
#include "xovaio32.h"

namespace xova {
namespace {

using HandleCheck = int (*)(int, FileState**);

int Lookup(HandleCheck check, int handle, const char* name, FileState** fs, VariableRecord** var) {
  FileState* state = nullptr;
  if (int rc = check(handle, &state)) return rc;
  VariableRecord* found = FindVariable(state->dict, name);
  if (!found) return XOVA_NO_SUCH_VARIABLE;
  *fs = state;
  *var = found;
  return XOVA_OK;
}

}  // namespace

int LookupForDefinition(int handle, const char* name, FileState** fs, VariableRecord** var) {
  return Lookup(CheckDefinition, handle, name, fs, var);
}

int LookupForQuery(int handle, const char* name, FileState** fs, VariableRecord** var) {
  return Lookup(CheckHandle, handle, name, fs, var);
}

int LookupCommitted(int handle, const char* name, FileState** fs, VariableRecord** var) {
  return Lookup(CheckCommitted, handle, name, fs, var);
}

}  // namespace xova
