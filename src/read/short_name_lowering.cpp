#include "read/short_name_lowering.h"

#include <cstring>
#include <cwchar>
#include <cwctype>

namespace xova {
namespace {

constexpr std::size_t kNoChar = static_cast<std::size_t>(-1);
constexpr std::size_t kPartialChar = static_cast<std::size_t>(-2);

// Writes the lower case of `wc`, read from the `k` bytes at `src`; returns
// the bytes written.
std::size_t LowerChar(const char* src, std::size_t k, wchar_t wc, char* out) {
  char lower[MB_LEN_MAX];
  std::mbstate_t state{};
  const wchar_t small = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(wc)));
  const std::size_t m = std::wcrtomb(lower, small, &state);
  if (m == kNoChar || m == 0) {
    std::memcpy(out, src, k);
    return k;
  }
  std::memcpy(out, lower, m);
  return m;
}

}  // namespace

std::size_t LowerName(const char* text, std::size_t n, char* out) {
  std::size_t written = 0;
  for (std::size_t i = 0; i < n;) {
    // A fresh state per character: the restartable forms keep no hidden
    // state that another thread's conversions could disturb.
    std::mbstate_t state{};
    wchar_t wc = 0;
    const std::size_t k = std::mbrtowc(&wc, text + i, n - i, &state);
    if (k == 0 || k == kNoChar || k == kPartialChar) {
      out[written++] = text[i++];
      continue;
    }
    written += LowerChar(text + i, k, wc, out + written);
    i += k;
  }
  out[written] = '\0';
  return written;
}

}  // namespace xova
