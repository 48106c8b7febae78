#include "dict/record_name.h"

#include <new>
#include <string>

#include "dict/name_fold.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {

int SetRecordName(VariableRecord& record, const char* text) noexcept {
  const char* src = OrEmpty(text);
  char folded[kMaxNameLength + 1];
  if (FoldName(folded, src) != XOVA_OK) return XOVA_BAD_VARIABLE_NAME;
  const std::size_t n = TrimmedLength(src);
  try {
    std::string name(src, n);
    std::string key(folded, n);
    record.name.swap(name);
    record.key.swap(key);
  } catch (const std::bad_alloc&) {
    return XOVA_OUT_OF_MEMORY;
  }
  return XOVA_OK;
}

}  // namespace xova
