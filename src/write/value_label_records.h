// The value-label record (type 3) of one label set and the variable-index
// record (type 4) that lists the variables sharing it.
#ifndef XOVA_WRITE_VALUE_LABEL_RECORDS_H
#define XOVA_WRITE_VALUE_LABEL_RECORDS_H

#include "dict/value_label_set.h"
#include "write/le_writer.h"

namespace xova {

// Writes the pair of records for every set in list order. A set without
// entries or variables (none is ever kept) would make an unreadable pair and
// is left out.
void WriteValueLabelRecords(LeWriter& out, const LabelSetList& sets);

}  // namespace xova

#endif
