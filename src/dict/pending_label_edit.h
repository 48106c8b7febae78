// The open edit of one variable's labels, made by the single-label setters and
// folded into the label sets later.
#ifndef XOVA_DICT_PENDING_LABEL_EDIT_H
#define XOVA_DICT_PENDING_LABEL_EDIT_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dict/value_label_entry.h"

namespace xova {

struct PendingLabelEdit {
  std::int32_t typeClass = kNumericClass;
  std::vector<ValueLabelEntry> entries;  // ascending, no two values equal
  std::string key;                       // the variable's folded name
};

using PendingLabelSlot = std::unique_ptr<PendingLabelEdit>;

// Puts the entry in order; an entry with an equal value takes the new value and
// label. A std::bad_alloc leaves the edit as it was.
void PutPendingEntry(PendingLabelEdit& edit, ValueLabelEntry entry);

}  // namespace xova

#endif
