// Extension records (type 7): one per non-empty block of subtypes 1 to 32.
#ifndef XOVA_WRITE_EXTENSION_RECORDS_H
#define XOVA_WRITE_EXTENSION_RECORDS_H

#include <array>

#include "ext/extension_block.h"
#include "write/le_writer.h"

namespace xova {

using BlockView = std::array<ExtensionBlock*, kBlockSlots>;

// Writes the record of one block, its payload unaltered: 0,
// XOVA_FILE_WRITE_ERROR or XOVA_TEMP_FILE_ERROR.
int WriteExtensionRecord(LeWriter& out, int subtype, ExtensionBlock& block);

// Writes the records of subtypes 1 to 32 in ascending order, skipping absent
// and empty blocks (slot 0, the documents, has a record of its own). The
// first failure ends the work.
int WriteExtensionRecords(LeWriter& out, const BlockView& blocks);

}  // namespace xova

#endif
