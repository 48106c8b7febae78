// The creation date and time written into a new file's header.
#ifndef XOVA_WRITE_TIME_STAMP_H
#define XOVA_WRITE_TIME_STAMP_H

#include <ctime>

namespace xova {

// Writes "dd Mon yy" directly followed by "hh:mm:ss" and a NUL (18 bytes).
void FormatTimeStamp(const std::tm& when, char* out);

}  // namespace xova

#endif
