#include "dict/name_fold.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "dict/variable_record.h"
#include "xovaio32.h"

namespace xova {

std::size_t TrimmedLength(const char* text, std::size_t length) {
  while (length > 0 && text[length - 1] == ' ') --length;
  return length;
}

std::size_t TrimmedLength(const char* text) {
  return text ? TrimmedLength(text, std::strlen(text)) : 0;
}

int CharLength(const char* text, std::size_t left) {
  if (left == 0) return 0;
  std::mbstate_t state{};
  const std::size_t k = std::mbrlen(text, left, &state);
  if (k == static_cast<std::size_t>(-1) || k == static_cast<std::size_t>(-2)) return -1;
  return k == 0 ? 1 : static_cast<int>(k);  // an embedded NUL is one byte
}

std::size_t WholeCharPrefix(const char* text, std::size_t length, std::size_t max) {
  if (max > length) max = length;
  std::size_t i = 0;
  while (i < max) {
    const int k = CharLength(text + i, max - i);
    if (k < 1) break;
    i += static_cast<std::size_t>(k);
  }
  return i;
}

namespace {

constexpr std::size_t kNoChar = static_cast<std::size_t>(-1);

// Writes the `k` bytes of the character `wc` (read from `src`) upper-cased to
// `out`. A capital of another multibyte length would change the name's byte
// length, so such a character keeps its original bytes.
void FoldChar(const char* src, std::size_t k, wchar_t wc, char* out) {
  char upper[MB_LEN_MAX];
  std::mbstate_t state{};
  const wchar_t capital = static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(wc)));
  const std::size_t m = std::wcrtomb(upper, capital, &state);
  std::memcpy(out, m == k ? upper : src, k);
}

}  // namespace

int FoldName(char* dst, const char* src) {
  const std::size_t n = TrimmedLength(src);
  if (n < 1 || n > static_cast<std::size_t>(kMaxNameLength)) return XOVA_BAD_VARIABLE_NAME;
  char folded[kMaxNameLength + 1];
  for (std::size_t i = 0; i < n;) {
    std::mbstate_t state{};
    wchar_t wc = 0;
    const std::size_t k = std::mbrtowc(&wc, src + i, n - i, &state);
    if (k == 0 || k == kNoChar || k == kNoChar - 1) {
      folded[i] = src[i];  // not a whole character: the byte stays
      ++i;
      continue;
    }
    FoldChar(src + i, k, wc, folded + i);
    i += k;
  }
  std::memcpy(dst, folded, n);
  dst[n] = '\0';
  return XOVA_OK;
}

}  // namespace xova
