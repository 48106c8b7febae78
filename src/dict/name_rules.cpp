#include "dict/name_rules.h"

#include <cctype>
#include <cstring>

#include "dict/name_fold.h"
#include "dict/variable_record.h"
#include "frame/api_guard.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

const char* const kReservedWords[] = {"ALL", "AND", "BY",  "EQ", "GE", "GT",  "LE",
                                      "LT",  "NE",  "NOT", "OR", "TO", "WITH"};

bool IsAllowedByte(unsigned char c) {
  return c > 0x7F || std::isupper(c) || std::islower(c) || std::isdigit(c) || c == '@' ||
         c == '#' || c == '$' || c == '_' || c == '.';
}

bool IsReservedWord(const char* folded) {
  for (const char* word : kReservedWords) {
    if (std::strcmp(folded, word) == 0) return true;
  }
  return false;
}

}  // namespace

int ValidateName(std::size_t length, const char* name) {
  if (!name) return XOVA_NAME_BAD_LENGTH;
  length = TrimmedLength(name, length);
  if (length < 1 || length > static_cast<std::size_t>(kMaxNameLength)) {
    return XOVA_NAME_BAD_LENGTH;
  }
  for (std::size_t i = 0; i < length;) {
    const int m = CharLength(name + i, length - i);
    if (m < 1) return XOVA_NAME_BAD_CHARACTER;
    if (m == 1 && !IsAllowedByte(static_cast<unsigned char>(name[i]))) {
      return XOVA_NAME_BAD_CHARACTER;
    }
    i += static_cast<std::size_t>(m);
  }
  const unsigned char first = static_cast<unsigned char>(name[0]);
  if (first <= 0x7F && (std::isdigit(first) || first == '_' || first == '.')) {
    return XOVA_NAME_BAD_FIRST_CHARACTER;
  }
  char copy[kMaxNameLength + 1];
  std::memcpy(copy, name, length);
  copy[length] = '\0';
  if (FoldName(copy, copy) == XOVA_OK && IsReservedWord(copy)) return XOVA_NAME_RESERVED_WORD;
  if (first == '#') return XOVA_NAME_HASH_PREFIX;
  if (first == '$') return XOVA_NAME_DOLLAR_PREFIX;
  return XOVA_NAME_VALID;
}

}  // namespace xova

extern "C" XOVA_API int XOVA_CALL xovaValidateVarname(const char* varName) noexcept {
  const char* name = xova::OrEmpty(varName);
  return xova::ValidateName(std::strlen(name), name);
}
