// Fitting a string value into a fixed-width field, as value labels and
// missing values store them.
#ifndef XOVA_DICT_FIT_SHORT_STRING_H
#define XOVA_DICT_FIT_SHORT_STRING_H

namespace xova {

// Widest string variable that may carry value labels or missing values.
constexpr int kShortStringWidth = 8;

// Copies `value` into `field` (at least `width` + 1 bytes), blank-padded to
// exactly `width` characters and NUL-terminated; a width of 0 or less gives an
// empty field. True when the value fits: nothing but blanks beyond the width.
bool FitShortString(char* field, const char* value, int width);

// Fits `value` to `width` and then pads it with blanks to the 8 characters of
// a label entry (`field` holds 9 bytes). `width` is 1..8.
bool FitAndPadShortString(char* field, const char* value, int width);

}  // namespace xova

#endif
