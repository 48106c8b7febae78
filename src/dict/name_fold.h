// Case folding of variable names: every lookup by name is case-insensitive.
#ifndef XOVA_DICT_NAME_FOLD_H
#define XOVA_DICT_NAME_FOLD_H

#include <cstddef>

namespace xova {

// Bytes up to and including the last byte that is not a blank.
std::size_t TrimmedLength(const char* text);
std::size_t TrimmedLength(const char* text, std::size_t length);

// Folds `src` into `dst` (they may be the same buffer of at least 65 bytes):
// each character upper-cased under the current locale, trailing blanks cut.
// XOVA_BAD_VARIABLE_NAME, with `dst` untouched, when the trimmed length is not
// 1..64. The folded name always has the byte length of the original: a
// character whose capital has another multibyte length stays as it is.
int FoldName(char* dst, const char* src);

// Multibyte length of the character at `text` looking at no more than `left`
// bytes; below 1 for an invalid or incomplete sequence.
int CharLength(const char* text, std::size_t left);

// The longest prefix of the first `max` bytes of `text` (of `length` bytes)
// that splits no multibyte character.
std::size_t WholeCharPrefix(const char* text, std::size_t length, std::size_t max);

}  // namespace xova

#endif
