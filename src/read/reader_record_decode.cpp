#include "read/reader_record_decode.h"

#include <memory>
#include <new>
#include <utility>

#include "read/record_input.h"
#include "xovaio32.h"

namespace xova {
namespace {

int DecodeRecord(FileState& fs) {
  std::int32_t count, extra;
  if (!ReadInt32(fs, &count) || count <= 0) return XOVA_BAD_FILE;
  if (!ReadInt32(fs, &extra)) return XOVA_BAD_FILE;
  auto record = std::make_unique<ReaderRecord>();
  record->count = count;
  record->extra = extra;
  // The values grow only as they are read: a hostile count fails at the end
  // of the file instead of reserving memory for it.
  for (std::int32_t i = 0; i < count; ++i) {
    std::int32_t value;
    if (!ReadInt32(fs, &value)) return XOVA_BAD_FILE;
    record->values.push_back(value);
  }
  fs.readerRecord = std::move(record);
  return XOVA_OK;
}

}  // namespace

int DecodeReaderRecord(FileState& fs) noexcept {
  try {
    return DecodeRecord(fs);
  } catch (const std::bad_alloc&) {
    return XOVA_OUT_OF_MEMORY;
  }
}

}  // namespace xova
