// Shared helpers of the value-label and missing-value tests: variables added
// through the internals and a compact description of the label sets.
#ifndef XOVA_TESTS_DICT_LABEL_TEST_SUPPORT_H
#define XOVA_TESTS_DICT_LABEL_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "dict/name_fold.h"
#include "dict/value_label_fold.h"
#include "frame/file_state.h"
#include "frame/handle_table.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace xova_test {

// Defines a variable as the definition call would: next free position, indexed
// by its folded name, display defaults applied.
inline xova::VariableRecord* AddVariable(int handle, const std::string& name, int type) {
  xova::FileState* fs = xova::LookupHandle(handle);
  auto var = std::make_unique<xova::VariableRecord>();
  char key[xova::kMaxNameLength + 1];
  if (!fs || xova::FoldName(key, name.c_str()) != XOVA_OK) return nullptr;
  var->name = name;
  var->key = key;
  var->type = type;
  var->position = static_cast<std::int32_t>(fs->dict.ElementCount() + 1);
  xova::ApplyDisplayDefaults(var.get(), xova::kAllDisplayDefaults);
  if (xova::AddToIndex(fs->dict, var.get()) != XOVA_OK) return nullptr;
  fs->dict.vars.push_back(std::move(var));
  return fs->dict.vars.back().get();
}

inline std::string DescribeEntry(std::int32_t cls, const xova::ValueLabelEntry& e) {
  char value[32];
  if (cls == xova::kNumericClass) {
    std::snprintf(value, sizeof value, "%g", e.number);
  } else {
    std::snprintf(value, sizeof value, "'%s'", e.text);
  }
  return std::string(value) + "=" + e.label;
}

// One line per set in list order: class, entries in order, positions in order,
// e.g. "N 1=one 2=two @1,3".
inline std::string DescribeSets(const xova::FileState& fs) {
  std::string out;
  for (const xova::ValueLabelSet& set : fs.labelSets) {
    out += set.typeClass == xova::kNumericClass ? "N" : "C";
    for (const auto& e : set.entries) out += " " + DescribeEntry(set.typeClass, e);
    out += " @";
    for (std::size_t i = 0; i < set.variables.size(); ++i) {
      out += (i ? "," : "") + std::to_string(set.variables[i].value);
    }
    out += "\n";
  }
  return out;
}

// The pending edit as "<key> <entries>", or "none".
inline std::string DescribePending(const xova::FileState& fs) {
  if (!fs.pendingLabels) return "none";
  std::string out = fs.pendingLabels->key;
  for (const auto& e : fs.pendingLabels->entries) {
    out += " " + DescribeEntry(fs.pendingLabels->typeClass, e);
  }
  return out;
}

// A write handle with a few variables: N1 (numeric, position 1), S2 (width 2,
// position 2), N3 (numeric, 3), S8 (width 8, 4), S9 (width 9, 5..6), N7 (7).
class ValueLabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(file_.open_result(), XOVA_OK);
    h_ = file_.handle();
    fs_ = xova::LookupHandle(h_);
    for (const auto& v : std::vector<std::pair<const char*, int>>{
             {"N1", 0}, {"S2", 2}, {"N3", 0}, {"S8", 8}, {"S9", 9}, {"N7", 0}}) {
      ASSERT_NE(AddVariable(h_, v.first, v.second), nullptr);
    }
  }

  std::string Sets() const { return DescribeSets(*fs_); }
  std::string Pending() const { return DescribePending(*fs_); }
  // Both together, to show that a refused call changed nothing.
  std::string State() const { return Sets() + "|" + Pending(); }
  int Fold() { return xova::FoldPendingLabels(*fs_); }
  // Makes a variable unfindable by name, as if it had gone.
  void Hide(const char* name) { xova::FindVariable(fs_->dict, name)->key = "#hidden"; }

  WriteHandle file_;
  int h_ = -1;
  xova::FileState* fs_ = nullptr;
};

}  // namespace xova_test

#endif
