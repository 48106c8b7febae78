// The variables of one file in definition order, with their name index.
#ifndef XOVA_DICT_DICTIONARY_H
#define XOVA_DICT_DICTIONARY_H

#include <cstdint>
#include <memory>
#include <vector>

#include "dict/name_index.h"
#include "dict/variable_record.h"

namespace xova {

struct Dictionary {
  NameIndex index;  // folded name -> VariableRecord
  std::vector<std::unique_ptr<VariableRecord>> vars;

  std::size_t size() const { return vars.size(); }
  bool empty() const { return vars.empty(); }
  // Elements of a whole case: the last variable's position plus its element
  // count minus 1; 0 for an empty dictionary.
  std::int64_t ElementCount() const;
};

// Folds `name` and looks it up; null when there is no such variable (also for
// a name FoldName refuses).
VariableRecord* FindVariable(const Dictionary& dict, const char* name);

// Inserts the record's key into the index: 0, XOVA_DUPLICATE_VARIABLE or
// XOVA_OUT_OF_MEMORY.
int AddToIndex(Dictionary& dict, VariableRecord* record);

}  // namespace xova

#endif
