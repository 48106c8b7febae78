// Dictionaries and locales for the name tests.
#ifndef XOVA_TESTS_DICT_NAME_TEST_HELPERS_H
#define XOVA_TESTS_DICT_NAME_TEST_HELPERS_H

#include <clocale>
#include <memory>
#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "dict/name_fold.h"
#include "dict/variable_record.h"
#include "xovaio32.h"

namespace name_test {

// Appends a variable as a file read would: name as given, key folded when
// the name can be folded (else the raw name), position after the last one.
// Not indexed.
inline xova::VariableRecord& Append(xova::Dictionary& dict, const std::string& name, int type = 0) {
  auto var = std::make_unique<xova::VariableRecord>();
  var->name = name;
  char folded[xova::kMaxNameLength + 1];
  var->key = xova::FoldName(folded, name.c_str()) == XOVA_OK ? std::string(folded) : name;
  var->type = type;
  var->position = dict.vars.empty() ? 1 : dict.vars.back()->position + dict.vars.back()->Elements();
  dict.vars.push_back(std::move(var));
  return *dict.vars.back();
}

// Appends and indexes, as a definition would; the index result is returned.
inline int Define(xova::Dictionary& dict, const std::string& name, int type = 0) {
  return xova::AddToIndex(dict, &Append(dict, name, type));
}

inline std::vector<std::string> ShortNames(const xova::Dictionary& dict) {
  std::vector<std::string> out;
  for (const auto& var : dict.vars) out.emplace_back(var->shortName);
  return out;
}

inline std::vector<std::string> LongNames(const xova::Dictionary& dict) {
  std::vector<std::string> out;
  for (const auto& var : dict.vars) out.push_back(var->name);
  return out;
}

// Selects a locale for one test and restores the previous one afterwards.
class ScopedLocale {
 public:
  ScopedLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {}
  ~ScopedLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

  // Tries the usual UTF-8 locale names; false when the system has none.
  bool SelectUtf8() {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8", "en_US.utf8"}) {
      if (std::setlocale(LC_ALL, name)) return true;
    }
    return false;
  }
  void SelectC() { std::setlocale(LC_ALL, "C"); }

 private:
  std::string saved_;
};

}  // namespace name_test

#endif
