// Field readers over the data stream of a file being opened. Numbers are
// reversed when the file was written in the other byte order; texts never are.
// Each reader gives false on a short read or a failed positioning.
#ifndef XOVA_READ_RECORD_INPUT_H
#define XOVA_READ_RECORD_INPUT_H

#include <cstddef>
#include <cstdint>

#include "frame/file_state.h"

namespace xova {

void ReverseBytes(unsigned char* bytes, std::size_t n);

bool ReadBytes(FileState& fs, void* dst, std::size_t n);
// A 32-bit integer, reversed when the byte-swap flag is set.
bool ReadInt32(FileState& fs, std::int32_t* value);
// An 8-byte number, reversed when the byte-swap flag is set.
bool ReadDouble(FileState& fs, double* value);
// Consumes n bytes by reading them, in pieces of at most 32 bytes: for the
// short stretches inside records, where a read also proves the bytes exist.
bool SkipByReading(FileState& fs, std::int64_t n);
// Moves the stream n bytes forward without reading them.
bool SkipBySeeking(FileState& fs, std::int64_t n);

}  // namespace xova

#endif
