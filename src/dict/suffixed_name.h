// Names made unique by a counter suffix: a prefix of a base name, "_" and the
// counter written in letters (A..Z, then AA..ZZ, AAA, ...).
#ifndef XOVA_DICT_SUFFIXED_NAME_H
#define XOVA_DICT_SUFFIXED_NAME_H

#include <cstddef>

namespace xova {

// Longest suffix the counter of MakeSuffixedName can need (n up to INT_MAX).
constexpr std::size_t kMaxSuffixLetters = 7;

// Writes the letters of counter `n` (bijective base 26: 0 -> A, 25 -> Z,
// 26 -> AA) and a NUL into `letters` (kMaxSuffixLetters + 1 bytes); returns
// their count, 0 for a negative `n`.
std::size_t SuffixLetters(int n, char* letters);

// Builds into `dst` (at least maxLength + 1 bytes) as many whole characters of
// `base` as leave room for "_" and the suffix of `n`, then "_" and the suffix.
// XOVA_BAD_FILE, with `dst` untouched, when fewer than 2 bytes are left for
// the prefix, no whole character fits, or `n` is negative.
int MakeSuffixedName(char* dst, const char* base, int n, int maxLength);

}  // namespace xova

#endif
