// Opening an existing data file: the header and the dictionary decoded into a
// new file state, for reading its cases, appending to it, or taking its
// dictionary for a new file.
#ifndef XOVA_READ_OPEN_FOR_READING_H
#define XOVA_READ_OPEN_FOR_READING_H

namespace xova {

enum class OpenPurpose { kRead = 1, kAppend = 2, kDictionaryOnly = 3 };

// 0 with the handle stored. Once the file state exists the handle is stored
// even on failure, but the handle has been closed again.
int OpenForReading(const char* fileName, int* handle, OpenPurpose purpose);

}  // namespace xova

#endif
