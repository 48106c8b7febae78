// The blank case every case starts from: system-missing in numeric elements,
// blanks in string elements.
#ifndef XOVA_WRITE_BLANK_CASE_H
#define XOVA_WRITE_BLANK_CASE_H

#include <vector>

#include "dict/variable_record.h"

namespace xova {

// Fills the elements of one variable. Elements that would lie outside the
// case are left alone.
void FillBlankElements(const VariableRecord& var, double sysmis,
                       std::vector<unsigned char>& blankCase);

}  // namespace xova

#endif
