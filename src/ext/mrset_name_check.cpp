#include "ext/mrset_name_check.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "dict/name_fold.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr std::size_t kMaxSetName = 64;

// Lower-cases `length` bytes character by character into `dst` (room for
// length + 1). A character whose lower case has another byte length, or an
// invalid byte, stays as it is, so the length never changes.
void LowerName(char* dst, const char* src, std::size_t length) {
  std::size_t i = 0;
  while (i < length) {
    std::mbstate_t in{};
    wchar_t wc = 0;
    const std::size_t k = std::mbrtowc(&wc, src + i, length - i, &in);
    if (k == 0 || k == static_cast<std::size_t>(-1) || k == static_cast<std::size_t>(-2)) {
      dst[i] = src[i];
      ++i;
      continue;
    }
    char lower[MB_LEN_MAX];
    std::mbstate_t out{};
    const std::size_t m = std::wcrtomb(
        lower, static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(wc))), &out);
    std::memcpy(dst + i, m == k ? lower : src + i, k);
    i += k;
  }
  dst[length] = '\0';
}

// Bytes before the first NUL at p, at most MB_LEN_MAX: what one character may use.
std::size_t CharRoom(const char* p) {
  std::size_t n = 0;
  while (n < MB_LEN_MAX && p[n] != '\0') ++n;
  return n;
}

// Length of the set name at the start of `line` (the bytes before its "="),
// or 0 when the name is empty, ends the line, is longer than 64 bytes or
// holds an invalid character.
std::size_t SetNameLength(const char* line) {
  std::size_t i = 0;
  while (line[i] != '=') {
    const char c = line[i];
    if (c == '\0' || c == '\r' || c == '\n') return 0;
    const int m = CharLength(line + i, CharRoom(line + i));
    if (m < 1) return 0;
    i += static_cast<std::size_t>(m);
    if (i > kMaxSetName) return 0;
  }
  return i;
}

// The start of the next line, or null when this one does not end in a line
// feed (end of the text, or a carriage return on its own).
const char* NextLine(const char* p) {
  p += std::strcspn(p, "\r\n");
  if (*p == '\r') ++p;
  return *p == '\n' ? p + 1 : nullptr;
}

}  // namespace

int CheckMrSetNameFree(const char* existing, const char* name, std::size_t length) {
  if (length > kMaxSetName) length = kMaxSetName;
  char wanted[kMaxSetName + 1];
  LowerName(wanted, name, length);
  for (const char* line = existing ? existing : ""; *line != '\0';) {
    const std::size_t n = SetNameLength(line);
    if (n == 0) return XOVA_MRSET_TEXT_MALFORMED;
    char have[kMaxSetName + 1];
    LowerName(have, line, n);
    if (std::strcmp(have, wanted) == 0) return XOVA_MRSET_NAME_TAKEN;
    line = NextLine(line + n);
    if (!line) return XOVA_MRSET_TEXT_MALFORMED;
  }
  return XOVA_OK;
}

}  // namespace xova
