#include <gtest/gtest.h>

#include "frame/entry_checks.h"
#include "frame/handle_table.h"
#include "support/open_handles.h"
#include "xovaio32.h"

namespace {

using xova::FileMode;
using xova_test::WriteHandle;

struct Case {
  FileMode mode;
  int committed;
  int definition, caseOutput, caseInput, committedQuery, plain;
};

TEST(EntryChecks, EachGroupChecksModeAndCommitInItsOrder) {
  const Case cases[] = {
      {FileMode::kWrite, 0, XOVA_OK, XOVA_NOT_COMMITTED, XOVA_OPEN_FOR_WRITE, XOVA_NOT_COMMITTED,
       XOVA_OK},
      {FileMode::kWrite, 1, XOVA_ALREADY_COMMITTED, XOVA_OK, XOVA_OPEN_FOR_WRITE, XOVA_OK, XOVA_OK},
      {FileMode::kRead, 1, XOVA_OPEN_FOR_READ, XOVA_OPEN_FOR_READ, XOVA_OK, XOVA_OK, XOVA_OK},
      {FileMode::kAppend, 1, XOVA_OPEN_FOR_READ, XOVA_OK, XOVA_OPEN_FOR_WRITE, XOVA_OK, XOVA_OK},
      // The mode decides before the commit flag does.
      {FileMode::kRead, 0, XOVA_OPEN_FOR_READ, XOVA_OPEN_FOR_READ, XOVA_OK, XOVA_NOT_COMMITTED,
       XOVA_OK},
  };
  WriteHandle w;
  xova::FileState* state = xova::LookupHandle(w.handle());
  for (const Case& c : cases) {
    state->mode = c.mode;
    state->committed = static_cast<std::uint8_t>(c.committed);
    xova::FileState* fs = nullptr;
    EXPECT_EQ(xova::CheckDefinition(w.handle(), &fs), c.definition);
    EXPECT_EQ(xova::CheckCaseOutput(w.handle(), &fs), c.caseOutput);
    EXPECT_EQ(xova::CheckCaseInput(w.handle(), &fs), c.caseInput);
    EXPECT_EQ(xova::CheckCommitted(w.handle(), &fs), c.committedQuery);
    EXPECT_EQ(xova::CheckHandle(w.handle(), &fs), c.plain);
    EXPECT_EQ(fs, state);
  }
  state->mode = FileMode::kWrite;
  state->committed = 0;
}

TEST(EntryChecks, BadHandleComesFirstAndStoresNothing) {
  for (int h : {-1, 1000, 999}) {
    xova::FileState* fs = nullptr;
    EXPECT_EQ(xova::CheckDefinition(h, &fs), XOVA_BAD_HANDLE);
    EXPECT_EQ(xova::CheckCaseOutput(h, &fs), XOVA_BAD_HANDLE);
    EXPECT_EQ(xova::CheckCaseInput(h, &fs), XOVA_BAD_HANDLE);
    EXPECT_EQ(xova::CheckCommitted(h, &fs), XOVA_BAD_HANDLE);
    EXPECT_EQ(xova::CheckHandle(h, &fs), XOVA_BAD_HANDLE);
    EXPECT_EQ(fs, nullptr);
  }
}

TEST(EntryChecks, FileSettingsFollowTheDefinitionGroup) {
  WriteHandle w;
  xova::FileState* state = xova::LookupHandle(w.handle());
  state->mode = FileMode::kRead;
  EXPECT_EQ(xovaSetIdString(w.handle(), "x"), XOVA_OPEN_FOR_READ);
  state->mode = FileMode::kAppend;
  EXPECT_EQ(xovaSetIdString(w.handle(), "x"), XOVA_OPEN_FOR_READ);
  EXPECT_EQ(xovaSetCompression(w.handle(), 7), XOVA_OPEN_FOR_READ);  // mode before argument
  state->mode = FileMode::kWrite;
  state->committed = 1;
  EXPECT_EQ(xovaSetIdString(w.handle(), "x"), XOVA_ALREADY_COMMITTED);
  EXPECT_EQ(xovaSetCompression(w.handle(), 1), XOVA_ALREADY_COMMITTED);
  state->committed = 0;
  EXPECT_STREQ(state->idString, "");
}

}  // namespace
