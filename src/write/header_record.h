// The 176-byte header record that opens every data file.
#ifndef XOVA_WRITE_HEADER_RECORD_H
#define XOVA_WRITE_HEADER_RECORD_H

#include <cstdint>

#include "frame/file_state.h"
#include "write/le_writer.h"

namespace xova {

constexpr std::int32_t kHeaderRecordSize = 176;
constexpr std::int64_t kCaseCountOffset = 80;

// 3 when the multiple-response set or the QEB block holds an element, else 2:
// readers that know no version 3 then keep away from those records.
std::int32_t HeaderVersionCode(const FileState& fs);

// Writes the header from the file's version code, header case size,
// compression, weight index, case count, time stamp and id string.
void WriteHeaderRecord(LeWriter& out, const FileState& fs);

}  // namespace xova

#endif
