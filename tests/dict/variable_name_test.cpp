#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dict/dictionary.h"
#include "dict/formats.h"
#include "dict/variable_create.h"
#include "frame/handle_table.h"
#include "support/alloc_failure.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova::FileMode;
using xova_test::WriteHandle;

xova::Dictionary& DictOf(const WriteHandle& w) {
  return xova::LookupHandle(w.handle())->dict;
}

// Puts a write handle into another mode or commit state for one test, and back.
class StateScope {
 public:
  StateScope(const WriteHandle& w, FileMode mode, int committed)
      : fs_(xova::LookupHandle(w.handle())) {
    fs_->mode = mode;
    fs_->committed = static_cast<std::uint8_t>(committed);
  }
  ~StateScope() {
    fs_->mode = FileMode::kWrite;
    fs_->committed = 0;
  }

 private:
  xova::FileState* fs_;
};

int ClosedHandle() {
  WriteHandle w;
  return w.handle();  // the slot is empty again once w is gone
}

TEST(SetVarName, EntryChecksComeFirstInOrder) {
  EXPECT_EQ(xovaSetVarName(-1, "a", 0), XOVA_BAD_HANDLE);
  EXPECT_EQ(xovaSetVarName(1000, "a", 0), XOVA_BAD_HANDLE);
  EXPECT_EQ(xovaSetVarName(ClosedHandle(), "a", 0), XOVA_BAD_HANDLE);
  WriteHandle w;
  ASSERT_EQ(w.open_result(), XOVA_OK);
  {
    StateScope read(w, FileMode::kRead, 1);
    EXPECT_EQ(xovaSetVarName(w.handle(), "a", 999), XOVA_OPEN_FOR_READ);
  }
  {
    StateScope append(w, FileMode::kAppend, 1);
    EXPECT_EQ(xovaSetVarName(w.handle(), "a", 0), XOVA_OPEN_FOR_READ);
  }
  {
    StateScope committed(w, FileMode::kWrite, 1);
    EXPECT_EQ(xovaSetVarName(w.handle(), "a", 999), XOVA_ALREADY_COMMITTED);
  }
  EXPECT_TRUE(DictOf(w).empty());
  // Then the type, then the name, then the duplicate.
  EXPECT_EQ(xovaSetVarName(w.handle(), "1bad", 256), XOVA_BAD_VARIABLE_TYPE);
  ASSERT_EQ(xovaSetVarName(w.handle(), "a", 0), XOVA_OK);
  EXPECT_EQ(xovaSetVarName(w.handle(), "1bad", 0), XOVA_BAD_VARIABLE_NAME);
  EXPECT_EQ(xovaSetVarName(w.handle(), "A", 300), XOVA_BAD_VARIABLE_TYPE);
  EXPECT_EQ(xovaSetVarName(w.handle(), "A", 5), XOVA_DUPLICATE_VARIABLE);
  EXPECT_EQ(DictOf(w).size(), 1u);
}

TEST(SetVarName, TypeRange) {
  WriteHandle w;
  EXPECT_EQ(xovaSetVarName(w.handle(), "a", 256), XOVA_BAD_VARIABLE_TYPE);
  EXPECT_EQ(xovaSetVarName(w.handle(), "a", -1), XOVA_BAD_VARIABLE_TYPE);
  EXPECT_TRUE(DictOf(w).empty());
  EXPECT_EQ(xovaSetVarName(w.handle(), "a", 255), XOVA_OK);
  EXPECT_EQ(xovaSetVarName(w.handle(), "b", 1), XOVA_OK);
  EXPECT_EQ(xovaSetVarName(w.handle(), "c", 0), XOVA_OK);
  EXPECT_EQ(DictOf(w).size(), 3u);
}

TEST(SetVarName, NamingRulesDecide) {
  WriteHandle w;
  for (const char* bad :
       {"", "   ", " lead", "#scratch", "$sys", "1st", "_x", ".x", "a-b", "with", "To"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(xovaSetVarName(w.handle(), bad, 0), XOVA_BAD_VARIABLE_NAME);
  }
  EXPECT_EQ(xovaSetVarName(w.handle(), nullptr, 0), XOVA_BAD_VARIABLE_NAME);
  EXPECT_EQ(xovaSetVarName(w.handle(), std::string(65, 'x').c_str(), 0), XOVA_BAD_VARIABLE_NAME);
  EXPECT_TRUE(DictOf(w).empty());
  EXPECT_EQ(xovaSetVarName(w.handle(), std::string(64, 'x').c_str(), 0), XOVA_OK);
  EXPECT_EQ(xovaSetVarName(w.handle(), "@at", 0), XOVA_OK);
  EXPECT_EQ(xovaSetVarName(w.handle(), "WITHIN", 0), XOVA_OK);
}

TEST(SetVarName, TrailingBlanksAreNotPartOfTheName) {
  WriteHandle w;
  ASSERT_EQ(xovaSetVarName(w.handle(), "Age   ", 0), XOVA_OK);
  const xova::VariableRecord* var = xova::FindVariable(DictOf(w), "AGE");
  ASSERT_NE(var, nullptr);
  EXPECT_EQ(var->name, "Age");
  EXPECT_EQ(var->key, "AGE");
  EXPECT_EQ(xova::FindVariable(DictOf(w), "age "), var);
  // A 64-byte name followed by blanks is still 64 bytes long.
  EXPECT_EQ(xovaSetVarName(w.handle(), (std::string(64, 'y') + "  ").c_str(), 0), XOVA_OK);
}

TEST(SetVarName, DuplicateInAnotherCaseChangesNothing) {
  WriteHandle w;
  ASSERT_EQ(xovaSetVarName(w.handle(), "Age", 0), XOVA_OK);
  EXPECT_EQ(xovaSetVarName(w.handle(), "aGE", 10), XOVA_DUPLICATE_VARIABLE);
  ASSERT_EQ(DictOf(w).size(), 1u);
  EXPECT_EQ(DictOf(w).vars[0]->name, "Age");
  EXPECT_EQ(DictOf(w).vars[0]->type, 0);
}

TEST(SetVarName, PositionsFollowTheElementsOfEarlierVariables) {
  WriteHandle w;
  const struct {
    const char* name;
    int type;
  } defs[] = {{"n1", 0}, {"s8", 8}, {"s9", 9}, {"n2", 0}, {"s255", 255}, {"n3", 0}};
  for (const auto& d : defs) ASSERT_EQ(xovaSetVarName(w.handle(), d.name, d.type), XOVA_OK);
  const xova::Dictionary& dict = DictOf(w);
  const int expected[] = {1, 2, 3, 5, 6, 38};
  for (std::size_t i = 0; i < dict.size(); ++i) {
    EXPECT_EQ(dict.vars[i]->position, expected[i]) << dict.vars[i]->name;
    EXPECT_EQ(dict.vars[i]->name, defs[i].name);
  }
  EXPECT_EQ(dict.ElementCount(), 38);
}

TEST(SetVarName, FiveElementCase) {
  WriteHandle w;
  for (auto [name, type] : {std::pair{"a", 0}, {"b", 8}, {"c", 9}, {"d", 0}}) {
    ASSERT_EQ(xovaSetVarName(w.handle(), name, type), XOVA_OK);
  }
  EXPECT_EQ(DictOf(w).vars[3]->position, 5);
  EXPECT_EQ(DictOf(w).ElementCount(), 5);
}

TEST(SetVarName, NewVariablesStartWithTheDefaults) {
  WriteHandle w;
  ASSERT_EQ(xovaSetVarName(w.handle(), "num", 0), XOVA_OK);
  ASSERT_EQ(xovaSetVarName(w.handle(), "str", 12), XOVA_OK);
  const xova::VariableRecord& num = *DictOf(w).vars[0];
  const xova::VariableRecord& str = *DictOf(w).vars[1];
  EXPECT_EQ(num.printFormat, xova::PackFormat(5, 8, 2));
  EXPECT_EQ(num.writeFormat, xova::PackFormat(5, 8, 2));
  EXPECT_EQ(str.printFormat, xova::PackFormat(1, 12, 0));
  EXPECT_EQ(str.writeFormat, xova::PackFormat(1, 12, 0));
  EXPECT_EQ(num.measureLevel, 3);
  EXPECT_EQ(str.measureLevel, 1);
  EXPECT_EQ(num.columnWidth, 0);
  EXPECT_EQ(str.columnWidth, 0);
  EXPECT_EQ(num.alignment, 1);
  EXPECT_EQ(str.alignment, 0);
  for (const xova::VariableRecord* v : {&num, &str}) {
    EXPECT_EQ(v->hasLabel, 0);
    EXPECT_TRUE(v->label.empty());
    EXPECT_EQ(v->missingCode, 0);
    EXPECT_STREQ(v->shortName, "");
  }
  EXPECT_EQ(str.type, 12);
}

TEST(CaseSizeGuard, StopsJustBelowTheLimit) {
  // 0x1FFFFFFC elements are 0xFFFFFFE0 bytes; one more reaches 0xFFFFFFE8.
  EXPECT_TRUE(xova::CaseSizeFits(0, 1));
  EXPECT_TRUE(xova::CaseSizeFits(0x1FFFFFFB, 1));
  EXPECT_FALSE(xova::CaseSizeFits(0x1FFFFFFC, 1));
  EXPECT_TRUE(xova::CaseSizeFits(0x1FFFFFFC - 32, 32));
  EXPECT_FALSE(xova::CaseSizeFits(0x1FFFFFFC - 31, 32));
}

TEST(CaseSizeGuard, RefusesAVariableThatWouldOverflowTheCase) {
  xova::Dictionary dict;
  // One huge string placed so that the case holds 0x1FFFFFFB elements.
  auto last = std::make_unique<xova::VariableRecord>();
  last->type = 255;
  last->position = 0x1FFFFFFB - 31;
  last->name = last->key = "BIG";
  ASSERT_EQ(xova::AddToIndex(dict, last.get()), XOVA_OK);
  dict.vars.push_back(std::move(last));
  EXPECT_EQ(xova::DefineVariable(dict, "s", 9), XOVA_OUT_OF_MEMORY);  // needs two elements
  EXPECT_EQ(dict.size(), 1u);
  EXPECT_EQ(xova::FindVariable(dict, "s"), nullptr);
  ASSERT_EQ(xova::DefineVariable(dict, "n", 0), XOVA_OK);  // the last element that fits
  EXPECT_EQ(dict.vars[1]->position, 0x1FFFFFFC);
  EXPECT_EQ(xova::DefineVariable(dict, "m", 0), XOVA_OUT_OF_MEMORY);
  // The duplicate is reported before the size.
  EXPECT_EQ(xova::DefineVariable(dict, "N", 0), XOVA_DUPLICATE_VARIABLE);
}

// Every allocation of a definition may fail; each failure leaves the variable
// neither listed nor indexed, and the run that meets none defines it.
void ExpectAtomicDefinition(const WriteHandle& w, const char* name, int type) {
  const xova::Dictionary& dict = DictOf(w);
  const std::size_t before = dict.size();
  int lastRc = -1;
  const long failures = xova_test::ForEachAllocationFailure([&] {
    lastRc = xovaSetVarName(w.handle(), name, type);
    if (xova_test::FailedAllocations() > 0) {
      EXPECT_EQ(lastRc, XOVA_OUT_OF_MEMORY);
      EXPECT_EQ(dict.size(), before);
      EXPECT_EQ(xova::FindVariable(dict, name), nullptr);
    }
  });
  EXPECT_GT(failures, 0);
  EXPECT_EQ(lastRc, XOVA_OK);
  ASSERT_EQ(dict.size(), before + 1);
  EXPECT_EQ(xova::FindVariable(dict, name), dict.vars.back().get());
}

TEST(SetVarName, OutOfMemoryLeavesTheDictionaryUnchanged) {
  WriteHandle w;
  ExpectAtomicDefinition(w, "a_rather_long_first_name_beyond_small_buffers", 0);
  // Fill the list to its capacity so that the next definition must grow it.
  while (DictOf(w).vars.size() < DictOf(w).vars.capacity()) {
    const std::string name = "v" + std::to_string(DictOf(w).size());
    ASSERT_EQ(xovaSetVarName(w.handle(), name.c_str(), 3), XOVA_OK);
  }
  ExpectAtomicDefinition(w, "another_long_name_that_needs_the_heap_too", 20);
  EXPECT_EQ(DictOf(w).vars.back()->type, 20);
}

}  // namespace
