#include "write/case_value_span.h"

#include <algorithm>

#include "dict/variable_handle.h"
#include "xovaio32.h"

namespace xova {
namespace {

// Variables are kept in ascending position order.
const VariableRecord* VariableAt(const Dictionary& dict, std::int32_t position) {
  auto it = std::lower_bound(
      dict.vars.begin(), dict.vars.end(), position,
      [](const std::unique_ptr<VariableRecord>& v, std::int32_t p) { return v->position < p; });
  if (it == dict.vars.end() || (*it)->position != position) return nullptr;
  return it->get();
}

bool FitsCase(const FileState& fs, const CaseValueSpan& span) {
  return span.offset <= fs.caseBuffer.size() && span.size <= fs.caseBuffer.size() - span.offset;
}

}  // namespace

int ResolveValueSpan(const FileState& fs, double varHandle, ValueKind kind, CaseValueSpan* span) {
  const VarHandleParts parts = DecodeVarHandle(varHandle);
  if (kind == ValueKind::kNumeric && parts.width != 0) return XOVA_NOT_NUMERIC;
  if (kind == ValueKind::kString && parts.width == 0) return XOVA_NOT_STRING;
  if (parts.position < 1) return XOVA_NO_SUCH_VARIABLE;
  const VariableRecord* var = VariableAt(fs.dict, parts.position);
  if (!var || var->type != parts.width) return XOVA_NO_SUCH_VARIABLE;
  CaseValueSpan found;
  found.offset = 8 * (static_cast<std::size_t>(parts.position) - 1);
  found.size = 8 * static_cast<std::size_t>(var->Elements());
  found.width = parts.width;
  if (!FitsCase(fs, found)) return XOVA_NO_SUCH_VARIABLE;
  *span = found;
  return XOVA_OK;
}

}  // namespace xova
