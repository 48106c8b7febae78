// Name validation, folding, suffixed names and the short-name assignment on
// arbitrary bytes. The first byte picks the locale (C or UTF-8), the counter
// and the length limit of the suffixed names; the rest is a list of names,
// one a line.
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "dict/name_fold.h"
#include "dict/name_rules.h"
#include "dict/short_names.h"
#include "dict/suffixed_name.h"
#include "dict/variable_record.h"
#include "fuzz_check.h"
#include "xovaio32.h"

namespace {

constexpr size_t kMaxNames = 64;

void SelectLocale(bool utf8) {
  if (utf8) {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (std::setlocale(LC_ALL, name)) return;
    }
  }
  std::setlocale(LC_ALL, "C");
}

// Folds into a buffer of exactly 65 bytes, so a write past it is caught.
void CheckFold(const std::string& name) {
  std::vector<char> folded(xova::kMaxNameLength + 1, '#');
  const int rc = xova::FoldName(folded.data(), name.c_str());
  const size_t trimmed = xova::TrimmedLength(name.c_str());
  if (trimmed < 1 || trimmed > static_cast<size_t>(xova::kMaxNameLength)) {
    CHECK(rc == XOVA_BAD_VARIABLE_NAME);
    CHECK(folded[0] == '#');  // untouched
    return;
  }
  CHECK(rc == XOVA_OK);
  CHECK(std::strlen(folded.data()) == trimmed);
  // Folding a folded name changes nothing, and works in place.
  std::vector<char> again(folded);
  CHECK(xova::FoldName(again.data(), again.data()) == XOVA_OK);
  CHECK(std::strcmp(again.data(), folded.data()) == 0);
}

void CheckSuffixed(const std::string& base, int n, int maxLength) {
  std::vector<char> dst(static_cast<size_t>(maxLength) + 1, '#');
  const int rc = xova::MakeSuffixedName(dst.data(), base.c_str(), n, maxLength);
  if (rc != XOVA_OK) {
    CHECK(rc == XOVA_BAD_FILE);
    CHECK(dst[0] == '#');
    return;
  }
  char letters[xova::kMaxSuffixLetters + 1];
  const size_t count = xova::SuffixLetters(n, letters);
  CHECK(count >= 1 && count <= xova::kMaxSuffixLetters);
  const std::string made = dst.data();
  CHECK(made.size() <= static_cast<size_t>(maxLength));
  CHECK(made.size() > count + 1);
  const size_t prefix = made.size() - count - 1;
  CHECK(made.compare(0, prefix, base, 0, prefix) == 0);
  CHECK(made[prefix] == '_');
  CHECK(made.compare(prefix + 1, std::string::npos, letters) == 0);
}

void CheckShortNames(const std::vector<std::string>& names) {
  xova::Dictionary dict;
  for (const std::string& name : names) {
    char key[xova::kMaxNameLength + 1];
    if (xova::FoldName(key, name.c_str()) != XOVA_OK) continue;
    auto var = std::make_unique<xova::VariableRecord>();
    var->name = name;
    var->key = key;
    var->position = dict.vars.empty() ? 1 : dict.vars.back()->position + 1;
    if (xova::AddToIndex(dict, var.get()) != XOVA_OK) continue;  // a duplicate
    dict.vars.push_back(std::move(var));
  }
  const int rc = xova::AssignShortNames(dict);
  CHECK(rc == XOVA_OK || rc == XOVA_BAD_FILE);
  if (rc != XOVA_OK) return;
  std::set<std::string> seen;
  for (const auto& var : dict.vars) {
    const size_t len = strnlen(var->shortName, sizeof var->shortName);
    CHECK(len >= 1 && len <= xova::kShortNameLength);
    CHECK(seen.insert(var->shortName).second);
    // Keys are unique and exact names are claimed first, so one that fits is kept.
    if (var->key.size() <= xova::kShortNameLength) CHECK(var->key == var->shortName);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  SelectLocale(data[0] & 1);
  const int n = (data[0] >> 1) & 0x3f;  // up to 63: one and two letters
  const int maxLength = data[0] & 0x80 ? xova::kMaxNameLength : 8;

  std::vector<std::string> names;
  const char* text = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;
  const int whole = xova::ValidateName(length, text);
  CHECK(whole >= XOVA_NAME_VALID && whole <= XOVA_NAME_BAD_FIRST_CHARACTER);
  size_t start = 0;
  while (start <= length && names.size() < kMaxNames) {
    const char* nl = static_cast<const char*>(std::memchr(text + start, '\n', length - start));
    const size_t end = nl ? static_cast<size_t>(nl - text) : length;
    names.emplace_back(text + start, end - start);
    start = end + 1;
  }
  for (const std::string& name : names) {
    const int valid = xova::ValidateName(name.size(), name.data());
    CHECK(valid >= XOVA_NAME_VALID && valid <= XOVA_NAME_BAD_FIRST_CHARACTER);
    if (valid == XOVA_NAME_VALID) {
      // Trailing blanks do not count; what is left is 1..64 bytes and folds.
      const size_t trimmed = xova::TrimmedLength(name.data(), name.size());
      CHECK(trimmed >= 1 && trimmed <= static_cast<size_t>(xova::kMaxNameLength));
    }
    CheckFold(name);
    CheckSuffixed(name, n, maxLength);
  }
  CheckShortNames(names);
  return 0;
}
