// The header record of a file being read: its byte order and file-level fields.
#ifndef XOVA_READ_HEADER_DECODE_H
#define XOVA_READ_HEADER_DECODE_H

#include "frame/file_state.h"

namespace xova {

// Positions the stream at offset 24 and decodes the rest of the header, up to
// the first record type. The version code alone decides the byte order: a
// value of 1..3 as read, or after reversing its bytes, sets fs.byteSwap.
// XOVA_OK, or XOVA_BAD_FILE with no field of `fs` changed.
int DecodeHeader(FileState& fs) noexcept;

}  // namespace xova

#endif
