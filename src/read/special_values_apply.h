// The special values a file read uses to recognise missing data.
#ifndef XOVA_READ_SPECIAL_VALUES_APPLY_H
#define XOVA_READ_SPECIAL_VALUES_APPLY_H

#include <cstdint>

#include "frame/file_state.h"

namespace xova {

// What a reader assumes when a file says nothing usable: -3.402823e38,
// 3.402821e38 and -3.402822e38 as the nearest doubles (not the host values).
constexpr std::uint64_t kFileDefaultSysmisBits = 0xC7EFFFFF966AD924ull;
constexpr std::uint64_t kFileDefaultHighestBits = 0x47EFFFFE5ADF7DD4ull;
constexpr std::uint64_t kFileDefaultLowestBits = 0xC7EFFFFEF8A52B7Cull;

// Sets sysmis, highest and lowest from the first three elements of block 4
// when it has 8-byte elements and at least three of them, else to the
// defaults above. Never fails: an unreadable block counts as unusable.
void ApplySpecialValues(FileState& fs);

}  // namespace xova

#endif
