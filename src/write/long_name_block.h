// The long-name block (subtype 13): "short=full" for every variable, entries
// separated by tabs, rebuilt at commit so readers recover the full names.
#ifndef XOVA_WRITE_LONG_NAME_BLOCK_H
#define XOVA_WRITE_LONG_NAME_BLOCK_H

#include <cstddef>

#include "frame/file_state.h"

namespace xova {

constexpr int kLongNameSubtype = 13;
// The text is gathered here and appended to the block whenever the next entry
// might not fit, so the block grows by few large appends.
constexpr std::size_t kLongNameStaging = 4096;

// Replaces the block with the text of the variables in dictionary order (the
// short names must be assigned): 0, XOVA_OUT_OF_MEMORY or
// XOVA_TEMP_FILE_ERROR (the slot is then empty).
int RebuildLongNameBlock(FileState& fs);

}  // namespace xova

#endif
