#include "dict/variable_create.h"

#include <cstddef>
#include <memory>

#include "dict/formats.h"
#include "dict/name_fold.h"
#include "dict/name_rules.h"
#include "frame/api_guard.h"
#include "frame/entry_checks.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kMaxStringWidth = 255;

std::int64_t ElementsOf(int varType) {
  return varType == 0 ? 1 : (varType + 7) / 8;
}

std::unique_ptr<VariableRecord> NewRecord(const char* name, std::size_t length, const char* key,
                                          int varType, std::int64_t position) {
  auto record = std::make_unique<VariableRecord>();
  record->name.assign(name, length);
  record->key.assign(key, length);
  record->type = varType;
  record->position = static_cast<std::int32_t>(position);
  record->printFormat = DefaultFormat(varType);
  record->writeFormat = DefaultFormat(varType);
  ApplyDisplayDefaults(record.get(), kAllDisplayDefaults);
  return record;
}

// Grows the list ahead of the index insert, so that linking the record after
// it cannot throw. Geometric, so defining n variables stays linear.
void ReserveTail(std::vector<std::unique_ptr<VariableRecord>>& vars) {
  if (vars.size() < vars.capacity()) return;
  vars.reserve(vars.empty() ? 16 : vars.size() * 2);
}

}  // namespace

bool CaseSizeFits(std::int64_t firstFree, std::int64_t elements) {
  return (firstFree + elements) * 8 < kCaseSizeLimit;
}

int DefineVariable(Dictionary& dict, const char* varName, int varType) {
  if (varType < 0 || varType > kMaxStringWidth) return XOVA_BAD_VARIABLE_TYPE;
  const char* name = OrEmpty(varName);
  const std::size_t length = TrimmedLength(name);
  if (ValidateName(length, name) != XOVA_NAME_VALID) return XOVA_BAD_VARIABLE_NAME;
  char key[kMaxNameLength + 1];
  if (FoldName(key, name) != XOVA_OK) return XOVA_BAD_VARIABLE_NAME;
  if (dict.index.Find(key, CompareRecordKey)) return XOVA_DUPLICATE_VARIABLE;
  const std::int64_t firstFree = dict.ElementCount();
  if (!CaseSizeFits(firstFree, ElementsOf(varType))) return XOVA_OUT_OF_MEMORY;
  std::unique_ptr<VariableRecord> record = NewRecord(name, length, key, varType, firstFree + 1);
  ReserveTail(dict.vars);
  if (int rc = AddToIndex(dict, record.get())) return rc;
  dict.vars.push_back(std::move(record));  // capacity reserved above: cannot throw
  return XOVA_OK;
}

}  // namespace xova

extern "C" XOVA_API int XOVA_CALL xovaSetVarName(int handle, const char* varName,
                                                 int varType) noexcept {
  xova::FileState* fs = nullptr;
  if (int rc = xova::CheckDefinition(handle, &fs)) return rc;
  return xova::Guarded([&] { return xova::DefineVariable(fs->dict, varName, varType); });
}
