// Case input and positioning on read handles: one case at a time into the
// case buffer, single values or the whole case out to the caller.
#include <cstdint>
#include <cstring>
#include <limits>

#include "dict/variable_handle.h"
#include "frame/api_guard.h"
#include "frame/entry_checks.h"
#include "frame/text.h"
#include "platform/shared_file.h"
#include "read/case_conversion.h"
#include "read/case_count_estimate.h"
#include "read/case_position_index.h"
#include "read/decompression_state.h"
#include "xovaio32.h"

namespace xova {
namespace {

// The case after it has no number, so this one can't be delivered.
constexpr std::int32_t kLastCaseNumber = std::numeric_limits<std::int32_t>::max();

std::int64_t CaseOffset(const FileState& fs, std::int64_t n) {
  return fs.firstCasePosition + n * static_cast<std::int64_t>(fs.caseBuffer.size());
}

int ReadUncompressed(FileState& fs) {
  std::FILE* in = fs.stream.get();
  if (!in) return XOVA_FILE_READ_ERROR;
  const std::size_t size = fs.caseBuffer.size();
  if (platform::Read(in, fs.caseBuffer.data(), size) == size) return XOVA_OK;
  // Back to the start of the case, so that no later read begins mid-case.
  platform::Seek(in, CaseOffset(fs, fs.caseNumber), SEEK_SET);
  return XOVA_END_OF_DATA;
}

std::int32_t Elements(const FileState& fs) {
  return static_cast<std::int32_t>(fs.caseBuffer.size() / 8);
}

// A case that can't be decoded where its position is known ends the data.
int DecodeAt(FileState& fs, CasePositionIndex& index, std::int64_t p) {
  DecompressionState& d = *fs.decoder;
  if (int rc = MapDecodeResult(GoToCodePosition(d, p))) return rc;
  if (int rc = MapDecodeResult(DecodeElements(d, fs.caseBuffer.data(), Elements(fs)))) {
    index.count = fs.caseNumber;
    index.countFound = true;
    return rc;
  }
  // The case is whole; an entry that could not be added is found again by
  // decoding from this case.
  RecordCasePosition(index, fs.caseNumber + 1, d.CodePosition(), true);
  return XOVA_OK;
}

int ReadCompressed(FileState& fs) {
  if (!fs.decoder) return XOVA_FILE_READ_ERROR;
  CasePositionIndex* index = fs.caseIndex.get();
  if (!index) {
    return MapDecodeResult(DecodeElements(*fs.decoder, fs.caseBuffer.data(), Elements(fs)));
  }
  std::int64_t p = 0;
  if (int rc = FindCasePosition(*index, fs.caseNumber, &p)) return rc;
  return DecodeAt(fs, *index, p);
}

// Cases beyond the number that failed can't exist. The count taken from a
// failure never exceeds what is known of the file: its whole cases when
// uncompressed, the end seen by a scan or the highest case decoded when
// compressed and indexed.
void NoteEndOfData(FileState& fs) {
  std::int64_t bound = -1;
  if (!fs.compression) {
    bound = WholeUncompressedCases(fs);
  } else if (CasePositionIndex* index = fs.caseIndex.get()) {
    bound = index->countFound ? index->count : index->highestCase;
  }
  std::int64_t count = fs.caseNumber;
  if (bound >= 0 && bound < count) count = bound;
  fs.caseCount = static_cast<std::int32_t>(count);
  if (fs.caseIndex) fs.caseIndex->count = fs.caseCount;
}

int ReadCase(FileState& fs) {
  const std::int32_t loaded = fs.caseLoaded;
  fs.caseLoaded = 0;
  if (fs.caseBuffer.empty() || fs.caseNumber >= kLastCaseNumber) return XOVA_END_OF_DATA;
  const int rc = fs.compression ? ReadCompressed(fs) : ReadUncompressed(fs);
  if (rc == XOVA_OUT_OF_MEMORY) {
    fs.caseLoaded = loaded;  // the buffer was not touched
    return rc;
  }
  if (rc != XOVA_OK) {
    NoteEndOfData(fs);
    return XOVA_END_OF_DATA;
  }
  ConvertCase(fs);
  fs.caseLoaded = 1;
  ++fs.caseNumber;
  return XOVA_OK;
}

// Where a value's bytes start in the case buffer; false when a handle (from
// another file, say) points outside it. Positions below 1 wrap far beyond
// any case, which has at most 2^31 - 1 elements.
bool ValueOffset(const FileState& fs, std::int32_t position, std::int32_t bytes,
                 std::uint64_t* offset) {
  *offset = static_cast<std::uint64_t>(static_cast<std::uint32_t>(position) - 1u) * 8;
  return *offset + static_cast<std::uint64_t>(bytes) <= fs.caseBuffer.size();
}

// The case is loaded (CheckLoadedCase). Width and position are taken as one
// number first: it is an element of the case only for a numeric handle
// inside it (a width, or a position below 1, lands far beyond any case).
// Anything else is sorted out in the checks' order.
int GetNumeric(const FileState& fs, double varHandle, double* value) {
  const std::uint64_t index = (DoubleToBits(varHandle) & 0xFFFFFFFFFFu) - 1;
  if (index < fs.caseBuffer.size() / 8) {
    if (value) std::memcpy(value, fs.caseBuffer.data() + 8 * index, 8);
    return XOVA_OK;
  }
  return DecodeVarHandle(varHandle).width != 0 ? XOVA_NOT_NUMERIC : XOVA_NO_SUCH_VARIABLE;
}

// No buffer is a buffer with no room. The case is loaded (CheckLoadedCase).
int GetChar(const FileState& fs, double varHandle, char* value, int valueSize) {
  const VarHandleParts var = DecodeVarHandle(varHandle);
  if (var.width == 0) return XOVA_NOT_STRING;
  std::uint64_t offset = 0;
  if (!ValueOffset(fs, var.position, var.width, &offset)) return XOVA_NO_SUCH_VARIABLE;
  if (!value || var.width >= valueSize) return XOVA_BUFFER_TOO_SMALL;
  std::memcpy(value, fs.caseBuffer.data() + offset, static_cast<std::size_t>(var.width));
  value[var.width] = '\0';
  return XOVA_OK;
}

int WholeCaseIn(FileState& fs, void* caseRec) {
  if (!caseRec) return XOVA_BUFFER_TOO_SMALL;
  if (int rc = ReadCase(fs)) return rc;
  std::memcpy(caseRec, fs.caseBuffer.data(), fs.caseBuffer.size());
  return XOVA_OK;
}

// A failed positioning leaves the stream at the current case, so the case
// number stays true to it.
int SeekUncompressed(FileState& fs, std::int32_t n) {
  std::FILE* in = fs.stream.get();
  if (!in || !platform::Seek(in, CaseOffset(fs, n), SEEK_SET)) {
    if (in) platform::Seek(in, CaseOffset(fs, fs.caseNumber), SEEK_SET);
    return XOVA_BAD_FILE;
  }
  fs.caseNumber = n;
  return XOVA_OK;
}

// Negative numbers name no case and are refused like an unreachable one.
int SeekCase(FileState& fs, std::int32_t n) {
  if (n == fs.caseNumber) return XOVA_OK;
  if (n < 0) return XOVA_BAD_FILE;
  if (!fs.compression) return SeekUncompressed(fs, n);
  if (!fs.caseIndex) {
    if (int rc = BuildCaseIndex(fs)) return rc;
  }
  fs.caseNumber = n;
  return XOVA_OK;
}

int CountCases(FileState& fs, std::int32_t* count) {
  if (fs.caseCount >= 0) {
    *count = fs.caseCount;
  } else if (fs.caseIndex && fs.caseIndex->count >= 0) {
    *count = fs.caseIndex->count;
  } else if (fs.estimatedCount >= 0) {
    *count = fs.estimatedCount;
  } else if (fs.compression) {
    if (!fs.decoder || EstimateCaseCount(*fs.decoder, fs.elementCount, count) != 0) {
      return XOVA_FILE_READ_ERROR;
    }
  } else {
    const std::int64_t whole = WholeUncompressedCases(fs);
    if (whole < 0) return XOVA_FILE_READ_ERROR;
    *count = whole < kLastCaseNumber ? static_cast<std::int32_t>(whole) : kLastCaseNumber;
  }
  fs.estimatedCount = *count;
  return XOVA_OK;
}

}  // namespace
}  // namespace xova

using namespace xova;

extern "C" {

XOVA_API int XOVA_CALL xovaReadCaseRecord(int handle) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckCaseInput(handle, &fs)) return rc;
  return Guarded([&] { return ReadCase(*fs); });
}

XOVA_API int XOVA_CALL xovaWholeCaseIn(int handle, void* caseRec) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckCaseInput(handle, &fs)) return rc;
  return Guarded([&] { return WholeCaseIn(*fs, caseRec); });
}

XOVA_API int XOVA_CALL xovaGetValueNumeric(int handle, double varHandle, double* value) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckLoadedCase(handle, &fs)) return rc;
  return GetNumeric(*fs, varHandle, value);
}

XOVA_API int XOVA_CALL xovaGetValueChar(int handle, double varHandle, char* value,
                                        int valueSize) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckLoadedCase(handle, &fs)) return rc;
  return GetChar(*fs, varHandle, value, valueSize);
}

XOVA_API int XOVA_CALL xovaSeekNextCase(int handle, int caseNumber) noexcept {
  FileState* fs = nullptr;
  if (int rc = CheckCaseInput(handle, &fs)) return rc;
  return Guarded([&] { return SeekCase(*fs, caseNumber); });
}

XOVA_API int XOVA_CALL xovaGetEstimatedNofCases(int handle, int* caseCount) noexcept {
  StoreOut(caseCount, 0);
  FileState* fs = nullptr;
  if (int rc = CheckCaseInput(handle, &fs)) return rc;
  return Guarded([&] {
    std::int32_t count = 0;
    const int rc = CountCases(*fs, &count);
    if (rc == XOVA_OK) StoreOut(caseCount, count);
    return rc;
  });
}

}  // extern "C"
