#include "dict/suffixed_name.h"

#include <cstring>

#include "dict/name_fold.h"
#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int kRadix = 26;

}  // namespace

std::size_t SuffixLetters(int n, char* letters) {
  letters[0] = '\0';
  if (n < 0) return 0;
  // Filled from the end, then moved to the front.
  char reversed[kMaxSuffixLetters];
  std::size_t count = 0;
  reversed[count++] = kLetters[n % kRadix];
  for (int q = n / kRadix; q > 0; q = (q - 1) / kRadix) {
    reversed[count++] = kLetters[(q - 1) % kRadix];
  }
  for (std::size_t i = 0; i < count; ++i) letters[i] = reversed[count - 1 - i];
  letters[count] = '\0';
  return count;
}

int MakeSuffixedName(char* dst, const char* base, int n, int maxLength) {
  char suffix[kMaxSuffixLetters + 1];
  const std::size_t letters = SuffixLetters(n, suffix);
  if (letters == 0 || !dst) return XOVA_BAD_FILE;
  const long room = static_cast<long>(maxLength) - static_cast<long>(letters) - 1;
  if (room < 2) return XOVA_BAD_FILE;
  const char* text = OrEmpty(base);
  const std::size_t prefix =
      WholeCharPrefix(text, std::strlen(text), static_cast<std::size_t>(room));
  if (prefix == 0) return XOVA_BAD_FILE;
  std::memcpy(dst, text, prefix);
  dst[prefix] = '_';
  std::memcpy(dst + prefix + 1, suffix, letters + 1);
  return XOVA_OK;
}

}  // namespace xova
