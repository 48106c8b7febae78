// Turning a case as the file holds it into host form: numbers into host
// byte order, the file's system-missing value into the host's.
#ifndef XOVA_READ_CASE_CONVERSION_H
#define XOVA_READ_CASE_CONVERSION_H

#include "frame/file_state.h"
#include "frame/special_values.h"

namespace xova {

// Converts the case buffer in place. String elements (those whose blank-case
// byte is a blank) keep the file's bytes; other values, the file's highest
// and lowest included, only change byte order.
void ConvertElements(FileState& fs);

// Inline: it runs once per case, and most files need nothing done.
inline void ConvertCase(FileState& fs) {
  if (!fs.byteSwap && DoubleToBits(fs.sysmis) == kSysmisBits) return;
  ConvertElements(fs);
}

}  // namespace xova

#endif
