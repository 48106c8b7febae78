// Setting the attributes of a defined variable: label, formats, weight role.
#ifndef XOVA_DICT_VARIABLE_DEFINE_H
#define XOVA_DICT_VARIABLE_DEFINE_H

#include "dict/variable_record.h"
#include "frame/file_state.h"

namespace xova {

// Stores the label cut to 256 bytes (0 or XOVA_VAR_LABEL_TRUNCATED); an empty
// text removes it. Throws std::bad_alloc with the old label kept.
int SetLabel(VariableRecord& var, const char* label);

// Validates and stores the print (`isPrint` 1) or write format: 0, or 20 / 21
// with the stored format unchanged.
int SetFormat(VariableRecord& var, int isPrint, int code, int decimals, int width);

// Makes a numeric variable the file's weight: 0 or XOVA_NOT_NUMERIC.
int SetWeight(FileState& fs, const VariableRecord& var);

}  // namespace xova

#endif
