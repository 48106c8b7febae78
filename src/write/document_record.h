// The document record (type 6): the documents block as lines of 80 bytes.
#ifndef XOVA_WRITE_DOCUMENT_RECORD_H
#define XOVA_WRITE_DOCUMENT_RECORD_H

#include "ext/extension_block.h"
#include "write/le_writer.h"

namespace xova {

constexpr int kDocumentsSlot = 0;
constexpr int kDocumentLineLength = 80;

// Writes the record when the block holds an element; nothing otherwise. A
// last line shorter than 80 bytes is padded with blanks and counted, so that
// the line count always covers the bytes that follow it. 0,
// XOVA_FILE_WRITE_ERROR or XOVA_TEMP_FILE_ERROR.
int WriteDocumentRecord(LeWriter& out, ExtensionBlock* documents);

}  // namespace xova

#endif
