// Adding one multiple-response set to the set text of a file being written.
#ifndef XOVA_EXT_MRSET_LINE_H
#define XOVA_EXT_MRSET_LINE_H

namespace xova {

constexpr int kMaxMrSetLabel = 60;
constexpr int kMaxCountedValue = 255;

// Checks the definition and appends its line ("$name=", the kind, the label
// and the variable names as given) to the multiple-response set text. With
// `numeric` every variable must be numeric and `countedValue` is the counted
// value already formatted; otherwise every variable must be a string and a
// dichotomy's counted value must be 1..255 bytes. The counted value of a
// category set is ignored. 0, XOVA_LABEL_TRUNCATED when the label was cut to
// 60 bytes, or the first error; an error leaves the text as it was.
int AddMrSetLine(int handle, const char* mrSetName, const char* mrSetLabel, int isDichotomy,
                 const char* countedValue, const char* const* varNames, int numVars, bool numeric);

}  // namespace xova

#endif
