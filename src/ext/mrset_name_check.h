// Whether a multiple-response set name is still free in a set text.
#ifndef XOVA_EXT_MRSET_NAME_CHECK_H
#define XOVA_EXT_MRSET_NAME_CHECK_H

#include <cstddef>

namespace xova {

// Walks the lines of `existing` (NUL-terminated; null counts as empty) and
// compares each set name with the first `length` bytes of `name`, both in
// lower case. XOVA_MRSET_NAME_TAKEN when a set of that name exists;
// XOVA_MRSET_TEXT_MALFORMED when a line has no usable name before its "=" or
// does not end in a line feed; else 0.
int CheckMrSetNameFree(const char* existing, const char* name, std::size_t length);

}  // namespace xova

#endif
