// Counting the cases of a file that is being read, exactly where the data
// allows it and by estimate where it doesn't.
#ifndef XOVA_READ_CASE_COUNT_ESTIMATE_H
#define XOVA_READ_CASE_COUNT_ESTIMATE_H

#include <cstdint>
#include <cstdio>

#include "read/decompression_state.h"

namespace xova {

struct FileState;

// Whole cases of an uncompressed file from its length, or -1 when the length
// can't be had.
std::int64_t WholeUncompressedCases(const FileState& fs);

// Cases of a compressed file: exact when its data ends within 100 cases, else
// the data length over the mean size of the first 100. The decoder is put
// back where it stood. 0, kDecodeReadError (reading, or the stream's position
// or length, failed) or 3 (the decoder could not be put back); on failure the
// count is 0.
int EstimateCaseCount(DecompressionState& d, std::int32_t elements, std::int32_t* count);

}  // namespace xova

#endif
