#include "dict/pending_label_edit.h"

#include <utility>

namespace xova {

void PutPendingEntry(PendingLabelEdit& edit, ValueLabelEntry entry) {
  auto it = edit.entries.begin();
  while (it != edit.entries.end() && CompareValues(edit.typeClass, *it, entry) < 0) ++it;
  if (it != edit.entries.end() && CompareValues(edit.typeClass, *it, entry) == 0) {
    *it = std::move(entry);  // moving never allocates
    return;
  }
  edit.entries.insert(it, std::move(entry));
}

}  // namespace xova
