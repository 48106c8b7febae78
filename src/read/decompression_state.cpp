#include "read/decompression_state.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "frame/file_state.h"
#include "platform/shared_file.h"
#include "xovaio32.h"

namespace xova {
namespace {

constexpr int kCodesPerBlock = 8;
constexpr int kBias = 100;
constexpr unsigned char kCodePadding = 0;
constexpr unsigned char kCodeEnd = 252;
constexpr unsigned char kCodeRaw = 253;
constexpr unsigned char kCodeBlanks = 254;
constexpr unsigned char kCodeSysmis = 255;

// Raw values that follow a block: one per 253 before the end code.
int RawValuesOf(const unsigned char* codes) {
  int n = 0;
  for (int i = 0; i < kCodesPerBlock && codes[i] != kCodeEnd; ++i) {
    if (codes[i] == kCodeRaw) ++n;
  }
  return n;
}

// Positions the stream only when it doesn't stand at the wanted block, so
// sequential decoding reads straight through the stream's buffer.
bool PositionStream(DecompressionState& d) {
  if (d.streamPosition == d.wantedPosition) return true;
  if (!platform::Seek(d.stream, d.wantedPosition, SEEK_SET)) return false;
  d.streamPosition = d.wantedPosition;
  return true;
}

// After a failed read the stream may stand anywhere (and carry its end or
// error flag): the next load positions it afresh.
int Failed(DecompressionState& d, int result) {
  d.streamPosition = -1;
  return result;
}

// Steps over the code at the code index. False at the end code or when a raw
// value is missing; the decoder then stays on that code.
bool ConsumeCode(DecompressionState& d, bool* element) {
  const unsigned char code = d.codes[d.codeIndex];
  if (code == kCodeEnd) return false;
  if (code == kCodeRaw) {
    if (d.rawIndex >= d.rawCount) return false;
    ++d.rawIndex;
  }
  ++d.codeIndex;
  *element = code != kCodePadding;
  return true;
}

// Whether the code at the code index ends the data (the end code) or the
// block is broken; only meaningful after ConsumeCode gave false.
int StopResult(const DecompressionState& d) {
  return d.codes[d.codeIndex] == kCodeEnd ? kDecodeEnd : kDecodeReadError;
}

}  // namespace

int CreateDecoder(FileState& fs) {
  std::unique_ptr<DecompressionState, DecoderDeleter> d(new (std::nothrow) DecompressionState);
  if (!d) return XOVA_OUT_OF_MEMORY;
  d->stream = fs.stream.get();
  d->start = fs.firstCasePosition;
  d->sysmis = fs.sysmis;
  d->byteSwap = fs.byteSwap;
  Rewind(*d);
  fs.decoder = std::move(d);
  return XOVA_OK;
}

void Rewind(DecompressionState& d) {
  d.streamPosition = -1;
  d.wantedPosition = d.start;
  d.codeIndex = kCodesPerBlock;
  d.blockPosition = d.start - kCodesPerBlock;
  d.rawIndex = 0;
  d.rawCount = 0;
}

// Reads into locals and takes them only once the whole block is there.
int LoadCodeBlock(DecompressionState& d) {
  if (!d.stream || d.wantedPosition < d.start) return kDecodeReadError;
  if (!PositionStream(d)) return Failed(d, kDecodeReadError);
  unsigned char codes[kCodesPerBlock];
  const std::size_t got = platform::Read(d.stream, codes, sizeof codes);
  if (got != sizeof codes) {
    const bool atEnd = got == 0 && std::feof(d.stream);
    return Failed(d, atEnd ? kDecodeEnd : kDecodeReadError);
  }
  const int rawCount = RawValuesOf(codes);
  unsigned char raw[kCodesPerBlock][8];
  const std::size_t wanted = static_cast<std::size_t>(rawCount);
  if (wanted > 0 && platform::Read(d.stream, raw, 8 * wanted) != 8 * wanted) {
    return Failed(d, kDecodeReadError);
  }
  std::memcpy(d.codes, codes, sizeof codes);
  std::memcpy(d.raw, raw, 8 * wanted);
  d.blockPosition = d.wantedPosition;
  d.rawCount = rawCount;
  d.codeIndex = 0;
  d.rawIndex = 0;
  d.wantedPosition += kCodesPerBlock + 8 * static_cast<std::int64_t>(rawCount);
  d.streamPosition = d.wantedPosition;
  return kDecodeDone;
}

namespace {

// Expands the codes of the current block into `out` until n elements are
// there or the block is used up; the decoder stays on a code it can't expand.
// Gives kDecodeDone to go on, or the stop (kDecodeEnd, kDecodeReadError).
int ExpandBlock(DecompressionState& d, unsigned char* out, std::int32_t n, std::int32_t* produced) {
  // Locals, not the decoder's fields: the output bytes may alias anything,
  // so fields would be reloaded after every element written.
  unsigned char codes[kCodesPerBlock];
  std::memcpy(codes, d.codes, sizeof codes);
  const std::int32_t rawCount = d.rawCount;
  const bool swap = d.byteSwap != 0;
  const double sysmis = d.sysmis;
  std::int32_t rawIndex = d.rawIndex;
  std::int32_t made = *produced;
  std::int32_t i = d.codeIndex;
  int result = kDecodeDone;
  for (; i < kCodesPerBlock && made < n; ++i) {
    const unsigned char code = codes[i];
    unsigned char* element = out + 8 * static_cast<std::size_t>(made);
    if (code >= 1 && code <= kCodeEnd - 1) {
      const double value = static_cast<double>(code - kBias);
      std::memcpy(element, &value, 8);
    } else if (code == kCodeBlanks) {
      std::memset(element, ' ', 8);
    } else if (code == kCodeSysmis) {
      std::memcpy(element, &sysmis, 8);
    } else if (code == kCodeRaw && rawIndex < rawCount) {
      std::memcpy(element, d.raw[rawIndex++], 8);
      if (swap) std::reverse(element, element + 8);
    } else if (code == kCodePadding) {
      continue;
    } else {
      result = code == kCodeEnd ? kDecodeEnd : kDecodeReadError;
      break;
    }
    ++made;
  }
  d.rawIndex = rawIndex;
  d.codeIndex = i;
  *produced = made;
  return result;
}

}  // namespace

int DecodeElements(DecompressionState& d, unsigned char* buffer, std::int32_t n) {
  std::int32_t produced = 0;
  while (produced < n) {
    if (d.codeIndex >= kCodesPerBlock) {
      const int rc = LoadCodeBlock(d);
      if (rc == kDecodeEnd && produced > 0) return kDecodeReadError;  // case cut short
      if (rc != kDecodeDone) return rc;
    }
    const int rc = ExpandBlock(d, buffer, n, &produced);
    if (rc == kDecodeEnd && produced > 0) return kDecodeReadError;
    if (rc != kDecodeDone) return rc;
  }
  return kDecodeDone;
}

int SkipElements(DecompressionState& d, std::int64_t n) {
  std::int64_t counted = 0;
  while (counted < n) {
    if (d.codeIndex >= kCodesPerBlock) {
      const int rc = LoadCodeBlock(d);
      if (rc != kDecodeDone) return rc;
    }
    // The rest of the block in one pass; a stop leaves the decoder on its code.
    std::int32_t i = d.codeIndex;
    for (; i < kCodesPerBlock && counted < n; ++i) {
      const unsigned char code = d.codes[i];
      if (code == kCodeEnd || (code == kCodeRaw && d.rawIndex >= d.rawCount)) {
        d.codeIndex = i;
        return code == kCodeEnd ? kDecodeEnd : kDecodeReadError;
      }
      d.rawIndex += code == kCodeRaw;
      counted += code != kCodePadding;
    }
    d.codeIndex = i;
  }
  return kDecodeDone;
}

int GoToCodePosition(DecompressionState& d, std::int64_t p) {
  if (p < d.start) {
    Rewind(d);
    return kDecodeDone;
  }
  // A decoder whose next block is unknown has no trustworthy position.
  const bool placed = d.wantedPosition >= d.start;
  if (placed && p == d.CodePosition()) return kDecodeDone;
  const int e = static_cast<int>((p - d.start) % kCodesPerBlock);
  const std::int64_t blockAt = p - e;
  if (!placed || blockAt != d.blockPosition) {
    const std::int64_t wanted = d.wantedPosition;
    d.wantedPosition = blockAt;
    const int rc = LoadCodeBlock(d);
    if (rc != kDecodeDone) {
      d.wantedPosition = wanted;
      return rc;
    }
  }
  // Counts codes, not elements: exact also when zero codes lie before p.
  d.codeIndex = 0;
  d.rawIndex = 0;
  while (d.codeIndex <= e) {
    bool element = false;
    if (!ConsumeCode(d, &element)) return StopResult(d);
  }
  return kDecodeDone;
}

int MapDecodeResult(int result) {
  switch (result) {
    case kDecodeDone:
      return XOVA_OK;
    case kDecodeEnd:
      return XOVA_END_OF_DATA;
    case kDecodeReadError:
      return XOVA_FILE_READ_ERROR;
    default:
      return XOVA_BAD_CASE_DATA;
  }
}

}  // namespace xova
