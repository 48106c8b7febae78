// The 33 block slots of a file (subtype 0 holds the documents, 1..32 the
// extension records), reached by handle.
#ifndef XOVA_EXT_BLOCK_SLOTS_H
#define XOVA_EXT_BLOCK_SLOTS_H

#include <cstdint>

namespace xova {

// Checks: handle (5), read or append handle (8), committed (30), subtype (73).
int StoreBlock(int handle, int subtype, std::int32_t elemSize, std::int32_t count,
               const void* data);
// Checks as StoreBlock; an empty slot gives 73.
int AppendBlock(int handle, int subtype, std::int32_t count, const void* data);
// Checks: handle (5), subtype (73); outputs 0 first.
int BlockInfo(int handle, int subtype, std::int32_t* elemSize, std::int32_t* count);
int ReadBlock(int handle, int subtype, std::int32_t maxCount, std::int32_t* gotCount, void* dst);
int DeleteBlock(int handle, int subtype);

}  // namespace xova

#endif
