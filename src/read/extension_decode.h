// Document and extension records of a file being opened: their payloads go
// into the file's blocks, in memory when small and through a 512-byte staging
// buffer into a temporary file when large, so no payload size taken from the
// file is ever allocated.
#ifndef XOVA_READ_EXTENSION_DECODE_H
#define XOVA_READ_EXTENSION_DECODE_H

#include "ext/extension_block.h"
#include "frame/file_state.h"

namespace xova {

constexpr int kFirstExtensionSubtype = 1;
constexpr int kLastExtensionSubtype = kBlockSlots - 1;
// Pieces of a large payload pass through a buffer of this size.
constexpr int kPayloadStaging = 512;

// Reads the payload of a document record (subtype 0: the stream is after the
// record type, the line count comes next) or of an extension record (the
// stream is after the subtype, element size and count come next). Elements
// wider than one byte are stored in host order. A count of 0 gives an empty
// block, which the writer and the queries treat as no block.
//
// On success the slot holds the new block (an earlier one is released) and
// the stream is after the payload. On failure the slot keeps what it had and
// no temporary file remains: XOVA_BAD_FILE for a short or unusable header
// (element size < 1, count < 0, more than 2^31 - 1 bytes) or a short
// in-memory payload, XOVA_FILE_READ_ERROR for a short spilled payload,
// XOVA_TEMP_FILE_ERROR, XOVA_OUT_OF_MEMORY.
int ReadExtensionPayload(BlockPtr* slot, FileState& fs, int subtype);

// One extension record, the stream after its record type. Subtypes 1..32 go
// into their slot as ReadExtensionPayload does and set their present flag
// (only on success); other subtypes are passed over. XOVA_FILE_READ_ERROR
// when the subtype can't be read; XOVA_BAD_FILE when the skipped record's
// size fields are short or unusable, or its payload is not all there.
int ReadExtensionRecord(FileState& fs);

}  // namespace xova

#endif
