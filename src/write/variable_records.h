// The variable record of one variable (type 2) with its label, missing values
// and the continuation records of its further elements.
#ifndef XOVA_WRITE_VARIABLE_RECORDS_H
#define XOVA_WRITE_VARIABLE_RECORDS_H

#include <cstdint>

#include "dict/variable_record.h"
#include "write/le_writer.h"

namespace xova {

constexpr std::int32_t kVariableRecordType = 2;
constexpr std::int32_t kContinuationWidth = -1;

// Writes the variable record with its short name (assigned before), then one
// 32-byte continuation record per element after the first.
void WriteVariableRecord(LeWriter& out, const VariableRecord& var);

}  // namespace xova

#endif
