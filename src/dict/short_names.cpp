#include "dict/short_names.h"

#include <cstring>

#include "dict/name_fold.h"
#include "dict/name_index.h"
#include "dict/suffixed_name.h"
#include "xovaio32.h"

namespace xova {
namespace {

void SetShortName(VariableRecord& var, const char* text, std::size_t length) {
  std::memcpy(var.shortName, text, length);
  var.shortName[length] = '\0';
}

// Inserts the record's short name among the taken ones; a name already taken
// (or one that could not be inserted) is cleared again.
int Claim(NameIndex& taken, VariableRecord& var) {
  const int rc = taken.Insert(var.shortName, var.shortName, CompareText);
  if (rc != XOVA_OK) var.shortName[0] = '\0';
  return rc;
}

// Start of the last character of the first `length` bytes of `text`. The
// walk goes from the front: in some code pages a trail byte looks like '_'.
std::size_t LastCharStart(const char* text, std::size_t length) {
  std::size_t last = 0;
  for (std::size_t i = 0; i < length;) {
    last = i;
    const int k = CharLength(text + i, length - i);
    i += k < 1 ? 1 : static_cast<std::size_t>(k);
  }
  return last;
}

bool IsStrippedTail(char c) {
  return c == '.' || c == '_';
}

// The first 8 bytes of `key` in whole characters, trailing '.' and '_' removed.
std::size_t CutKey(const std::string& key) {
  std::size_t n = WholeCharPrefix(key.data(), key.size(), kShortNameLength);
  while (n > 0) {
    const std::size_t last = LastCharStart(key.data(), n);
    if (n - last != 1 || !IsStrippedTail(key[last])) break;
    n = last;
  }
  return n;
}

int ExactPass(Dictionary& dict, NameIndex& taken) {
  for (auto& var : dict.vars) {
    var->shortName[0] = '\0';
    if (var->key.empty() || var->key.size() > kShortNameLength) continue;
    SetShortName(*var, var->key.data(), var->key.size());
    if (Claim(taken, *var) == XOVA_OUT_OF_MEMORY) return XOVA_OUT_OF_MEMORY;
  }
  return XOVA_OK;
}

int CutPass(Dictionary& dict, NameIndex& taken) {
  for (auto& var : dict.vars) {
    if (var->shortName[0] != '\0') continue;
    const std::size_t n = CutKey(var->key);
    if (n == 0) continue;  // nothing left to try: the suffix pass decides
    SetShortName(*var, var->key.data(), n);
    if (Claim(taken, *var) == XOVA_OUT_OF_MEMORY) return XOVA_OUT_OF_MEMORY;
  }
  return XOVA_OK;
}

int ClaimSuffixed(VariableRecord& var, NameIndex& taken) {
  // Each taken candidate belongs to another variable, so this ends after at
  // most one try per variable, or when the suffixes run out.
  for (int n = 0;; ++n) {
    char candidate[kShortNameLength + 1];
    if (int rc = MakeSuffixedName(candidate, var.key.c_str(), n, kShortNameLength)) return rc;
    SetShortName(var, candidate, std::strlen(candidate));
    const int rc = Claim(taken, var);
    if (rc != XOVA_DUPLICATE_VARIABLE) return rc;
  }
}

int SuffixPass(Dictionary& dict, NameIndex& taken) {
  for (auto& var : dict.vars) {
    if (var->shortName[0] != '\0') continue;
    if (int rc = ClaimSuffixed(*var, taken)) return rc;
  }
  return XOVA_OK;
}

}  // namespace

int AssignShortNames(Dictionary& dict) {
  // Its objects are the short-name buffers; it owns only its chain entries.
  std::unique_ptr<NameIndex> taken = NameIndex::Create(kNameIndexBuckets);
  if (!taken) return XOVA_OUT_OF_MEMORY;
  if (int rc = ExactPass(dict, *taken)) return rc;
  if (int rc = CutPass(dict, *taken)) return rc;
  return SuffixPass(dict, *taken);
}

int AssignShortNames(FileState& fs) {
  return AssignShortNames(fs.dict);
}

}  // namespace xova
