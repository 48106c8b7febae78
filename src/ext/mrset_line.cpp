#include "ext/mrset_line.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "dict/dictionary.h"
#include "dict/name_fold.h"
#include "dict/name_rules.h"
#include "ext/mrset_name_check.h"
#include "ext/set_text_translator.h"
#include "frame/entry_checks.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr std::size_t kMaxMrSetName = 63;  // without the leading "$"
// "$", name, "=", "D255 ", value, " 60 ", label, line feed.
constexpr std::size_t kFixedLineRoom = 1 + 64 + 1 + 5 + kMaxCountedValue + 4 + kMaxMrSetLabel + 1;
constexpr std::size_t kRoomPerVariable = 1 + 64;

// The set name the text carries: "$" and the caller's name without trailing
// blanks; 0 or XOVA_MRSET_BAD_NAME.
int MakeSetName(const char* mrSetName, char* setName, std::size_t* length) {
  const char* name = OrEmpty(mrSetName);
  const std::size_t n = TrimmedLength(name);
  if (n > kMaxMrSetName) return XOVA_MRSET_BAD_NAME;
  setName[0] = '$';
  std::memcpy(setName + 1, name, n);
  setName[n + 1] = '\0';
  *length = n + 1;
  if (ValidateName(n + 1, setName) != XOVA_NAME_DOLLAR_PREFIX) return XOVA_MRSET_BAD_NAME;
  return XOVA_OK;
}

// The duplicate check over the text already stored (brought into memory for it).
int CheckExistingSets(ExtensionBlock* block, const char* setName, std::size_t length) {
  if (!block) return XOVA_OK;
  if (block->elemSize != 1) return XOVA_BAD_EXT_INDEX;  // not a text: nothing can be added to it
  if (int rc = BlockLoad(block)) return rc;
  const char* text =
      block->count > 0 && block->data ? reinterpret_cast<const char*>(block->data) : "";
  const int rc = CheckMrSetNameFree(text, setName, length);
  BlockUnload(block);
  return rc;
}

// Parts before the variables; true when the label was cut.
bool AppendHead(std::string* line, const char* setName, bool dichotomy, const char* value,
                const char* label) {
  char number[24];
  *line += setName;
  *line += '=';
  if (dichotomy) {
    std::snprintf(number, sizeof number, "D%zu ", std::strlen(value));
    *line += number;
    *line += value;
  } else {
    *line += 'C';
  }
  std::size_t labelLength = std::strlen(label);
  const bool cut = labelLength > static_cast<std::size_t>(kMaxMrSetLabel);
  if (cut) labelLength = kMaxMrSetLabel;
  std::snprintf(number, sizeof number, " %zu", labelLength);
  *line += number;
  if (labelLength > 0) {
    *line += ' ';
    line->append(label, labelLength);
  }
  return cut;
}

int CheckMember(const Dictionary& dict, const char* varName, bool numeric) {
  const VariableRecord* var = FindVariable(dict, varName);
  if (!var) return XOVA_NO_SUCH_VARIABLE;
  if (numeric && var->IsString()) return XOVA_NOT_NUMERIC;
  if (!numeric && !var->IsString()) return XOVA_NOT_STRING;
  return XOVA_OK;
}

int AppendLine(BlockPtr* slot, const std::string& line) {
  if (line.size() > static_cast<std::size_t>(INT32_MAX - 1)) return XOVA_OUT_OF_MEMORY;
  const std::int32_t n = static_cast<std::int32_t>(line.size());
  if (!*slot) return BlockReplace(slot, 1, n, line.data());
  return BlockAppend(slot->get(), n, line.data());
}

}  // namespace

int AddMrSetLine(int handle, const char* mrSetName, const char* mrSetLabel, int isDichotomy,
                 const char* countedValue, const char* const* varNames, int numVars, bool numeric) {
  FileState* fs = nullptr;
  if (int rc = CheckDefinition(handle, &fs)) return rc;
  if (numVars < 2 || !varNames) return XOVA_EMPTY_VARIABLE_LIST;
  const bool dichotomy = isDichotomy != 0;
  const char* value = OrEmpty(countedValue);
  if (dichotomy && !numeric) {
    const std::size_t n = std::strlen(value);
    if (n == 0 || n > static_cast<std::size_t>(kMaxCountedValue)) return XOVA_BAD_STRING_VALUE;
  }
  char setName[kMaxMrSetName + 2];
  std::size_t setNameLength = 0;
  if (int rc = MakeSetName(mrSetName, setName, &setNameLength)) return rc;
  BlockPtr& slot = fs->blocks[kMultRespSetsSubtype];
  if (int rc = CheckExistingSets(slot.get(), setName, setNameLength)) return rc;

  std::string line;
  line.reserve(kFixedLineRoom + kRoomPerVariable * static_cast<std::size_t>(numVars));
  const bool cut = AppendHead(&line, setName, dichotomy, value, OrEmpty(mrSetLabel));
  for (int i = 0; i < numVars; ++i) {
    if (int rc = CheckMember(fs->dict, varNames[i], numeric)) return rc;
    line += ' ';
    line += OrEmpty(varNames[i]);
  }
  line += '\n';
  if (int rc = AppendLine(&slot, line)) return rc;
  return cut ? XOVA_LABEL_TRUNCATED : XOVA_OK;
}

}  // namespace xova
