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
constexpr std::int64_t kLargestBlock = kCodesPerBlock * 9;  // codes and eight raw values

constexpr std::uint64_t kEveryByte = 0x0101010101010101u;

// Byte i of the block in bits 8i to 8i+7.
std::uint64_t LoadLittle64(const unsigned char* b) {
  std::uint64_t w;
  std::memcpy(&w, b, sizeof w);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  w = __builtin_bswap64(w);
#endif
  return w;
}

std::uint64_t ReverseBytes(std::uint64_t w) {
  unsigned char b[8];
  std::memcpy(b, &w, 8);
  std::reverse(b, b + 8);
  std::memcpy(&w, b, 8);
  return w;
}

// The top bit of every byte of x that is zero.
std::uint64_t ZeroBytes(std::uint64_t x) {
  const std::uint64_t low7 = 0x7F * kEveryByte;
  return ~(((x & low7) + low7) | x | low7);
}

// Raw values that follow a block: one per 253 before the end code. Counted
// in one word: this runs once per block.
int RawValuesOf(const unsigned char* codes) {
  const std::uint64_t w = LoadLittle64(codes);
  const std::uint64_t ends = ZeroBytes(w ^ (kCodeEnd * kEveryByte));
  const std::uint64_t raws = ZeroBytes(w ^ (kCodeRaw * kEveryByte));
  const std::uint64_t beforeEnd = (ends & (~ends + 1)) - 1;  // all bits when no end
  return static_cast<int>((((raws & beforeEnd) >> 7) * kEveryByte) >> 56);
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
  d.windowLength = 0;
  return result;
}

// The window's bytes from the wanted position on, or -1 when the window
// doesn't reach it.
std::int64_t WindowBytesAtWanted(const DecompressionState& d) {
  const std::int64_t end = d.windowPosition + d.windowLength;
  if (d.windowLength <= 0 || d.streamPosition != end) return -1;
  if (d.wantedPosition < d.windowPosition || d.wantedPosition > end) return -1;
  return end - d.wantedPosition;
}

// Makes the window start at the wanted position and reads on into it; gives
// how many bytes it holds from there (fewer than asked only at the end of the
// file or on an error), or -1 when the stream can't be positioned.
std::int64_t RefillWindow(DecompressionState& d, std::int64_t kept) {
  if (kept > 0) {
    std::memmove(d.window, d.window + (d.wantedPosition - d.windowPosition),
                 static_cast<std::size_t>(kept));
  } else {
    kept = 0;
    if (!PositionStream(d)) return -1;
  }
  d.windowPosition = d.wantedPosition;
  const std::size_t room = static_cast<std::size_t>(kDecodeWindowSize - kept);
  const std::size_t got = platform::Read(d.stream, d.window + kept, room);
  d.windowLength = static_cast<std::int32_t>(kept + static_cast<std::int64_t>(got));
  d.streamPosition = d.windowPosition + d.windowLength;
  return d.windowLength;
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

// Takes the block only once it and its raw values are wholly there.
int LoadCodeBlock(DecompressionState& d) {
  if (!d.stream || d.wantedPosition < d.start) return kDecodeReadError;
  std::int64_t have = WindowBytesAtWanted(d);
  if (have < kLargestBlock) {
    have = RefillWindow(d, have);
    if (have < 0) return Failed(d, kDecodeReadError);
  }
  if (have < kCodesPerBlock) {
    const bool atEnd = have == 0 && std::feof(d.stream);
    return Failed(d, atEnd ? kDecodeEnd : kDecodeReadError);
  }
  const unsigned char* block = d.window + (d.wantedPosition - d.windowPosition);
  const int rawCount = RawValuesOf(block);
  const std::int64_t size = kCodesPerBlock + 8 * static_cast<std::int64_t>(rawCount);
  if (have < size) return Failed(d, kDecodeReadError);
  std::memcpy(d.codes, block, kCodesPerBlock);
  // Always all eight: a fixed copy is cheaper, and the window has the slack.
  std::memcpy(d.raw, block + kCodesPerBlock, sizeof d.raw);
  d.blockPosition = d.wantedPosition;
  d.rawCount = rawCount;
  d.codeIndex = 0;
  d.rawIndex = 0;
  d.wantedPosition += size;
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
  std::int32_t i = d.codeIndex;
  // A code gives at most one element, so when the rest of the block fits in
  // the room left, the loop needs no room check. Otherwise it stops early
  // (padding gives none) and the caller comes back for the rest.
  const std::int32_t room = n - *produced;
  const std::int32_t stop = kCodesPerBlock - i <= room ? kCodesPerBlock : i + room;
  unsigned char* element = out + 8 * static_cast<std::size_t>(*produced);
  unsigned char* const first = element;
  int result = kDecodeDone;
  for (; i < stop; ++i) {
    const unsigned char code = codes[i];
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
    element += 8;
  }
  d.rawIndex = rawIndex;
  d.codeIndex = i;
  *produced += static_cast<std::int32_t>((element - first) / 8);
  return result;
}

// What each code gives when the block lies whole in the window: a fixed
// 8-byte element (numbers, blanks, the file's sysmis), a raw value, nothing
// (padding), or a stop (the end code) left to the careful path.
// The kinds that give no element come last.
enum CodeKind : unsigned char { kKindFixed, kKindRaw, kKindPadding, kKindStop };

struct CodeTable {
  std::uint64_t fixed[256];
  unsigned char kind[256];
  CodeTable() {
    for (int c = 0; c < 256; ++c) {
      const double value = static_cast<double>(c - kBias);
      std::memcpy(&fixed[c], &value, 8);
      kind[c] = kKindFixed;
    }
    std::memset(&fixed[kCodeBlanks], ' ', 8);
    kind[kCodePadding] = kKindPadding;
    kind[kCodeEnd] = kKindStop;
    kind[kCodeRaw] = kKindRaw;
  }
};
const CodeTable kCodeTable;

// The decoder's own copy of the fixed elements, with its file's sysmis: one
// branch fewer per element, and sysmis values mixed in at random can't be
// mispredicted.
void PrepareFixedElements(DecompressionState& d) {
  std::uint64_t sysmisBits;
  std::memcpy(&sysmisBits, &d.sysmis, 8);
  if (d.fixedReady && d.fixedSysmisBits == sysmisBits) return;
  std::memcpy(d.fixed, kCodeTable.fixed, sizeof d.fixed);
  std::memcpy(d.fixed[kCodeSysmis], &sysmisBits, 8);
  d.fixedSysmisBits = sysmisBits;
  d.fixedReady = true;
}

// One code of a block that lies whole in the window: the bytes it adds at
// `element` (8, or 0 for padding), or -1 for the end code.
inline int ExpandCode(unsigned char code, const unsigned char* raw, std::int32_t* r, bool swap,
                      const unsigned char (*fixed)[8], unsigned char* element) {
  const unsigned char kind = kCodeTable.kind[code];
  if (kind >= kKindPadding) return kind == kKindPadding ? 0 : -1;
  // A select, not a branch: raw values fall at random among the numbers.
  std::uint64_t fixedBits;
  std::uint64_t rawBits;
  std::memcpy(&fixedBits, fixed[code], 8);
  std::memcpy(&rawBits, raw + 8 * *r, 8);  // inside the whole block for any r < 8
  if (swap) rawBits = ReverseBytes(rawBits);
  const std::uint64_t isRaw = 0 - static_cast<std::uint64_t>(kind == kKindRaw);
  const std::uint64_t bits = (fixedBits & ~isRaw) | (rawBits & isRaw);
  std::memcpy(element, &bits, 8);
  *r += static_cast<std::int32_t>(isRaw & 1);
  return 8;
}

// Expands blocks straight from the window while each lies there whole (then
// every raw value before an end code is there too), with no copy and no
// count per block. The last block touched becomes the current one, exactly
// as loading and expanding it would leave it. Gives the elements made.
std::int32_t ExpandFromWindow(DecompressionState& d, unsigned char* out, std::int32_t n) {
  const unsigned char* const windowEnd = d.window + d.windowLength;
  const unsigned char* block = d.window + (d.wantedPosition - d.windowPosition);
  const unsigned char* current = nullptr;
  const bool swap = d.byteSwap != 0;
  PrepareFixedElements(d);
  const unsigned char(*const fixed)[8] = d.fixed;
  unsigned char* element = out;
  unsigned char* const end = out + 8 * static_cast<std::size_t>(n);
  std::int32_t i = 0;
  std::int32_t r = 0;
  while (element < end && windowEnd - block >= kLargestBlock) {
    current = block;
    const unsigned char* raw = block + kCodesPerBlock;
    const std::int64_t room = (end - element) / 8;
    const std::int32_t stop =
        room < kCodesPerBlock ? static_cast<std::int32_t>(room) : kCodesPerBlock;
    i = 0;
    r = 0;
    // True at the end code. Called with a constant for a whole block, so
    // that copy of the loop is unrolled.
    auto expand = [&](std::int32_t count) {
      for (; i < count; ++i) {
        const int made = ExpandCode(block[i], raw, &r, swap, fixed, element);
        if (made < 0) return true;
        element += made;
      }
      return false;
    };
    const bool stopped = stop == kCodesPerBlock ? expand(kCodesPerBlock) : expand(stop);
    if (stopped || i < kCodesPerBlock) break;  // the rest of this block waits
    block = raw + 8 * r;
  }
  if (!current) return 0;
  const int rawCount = RawValuesOf(current);
  std::memcpy(d.codes, current, kCodesPerBlock);
  std::memcpy(d.raw, current + kCodesPerBlock, sizeof d.raw);
  d.blockPosition = d.windowPosition + (current - d.window);
  d.rawCount = rawCount;
  d.codeIndex = i;
  d.rawIndex = r;
  d.wantedPosition = d.blockPosition + kCodesPerBlock + 8 * static_cast<std::int64_t>(rawCount);
  return static_cast<std::int32_t>((element - out) / 8);
}

}  // namespace

int DecodeElements(DecompressionState& d, unsigned char* buffer, std::int32_t n) {
  std::int32_t produced = 0;
  while (produced < n) {
    if (d.codeIndex >= kCodesPerBlock) {
      if (d.wantedPosition >= d.start && WindowBytesAtWanted(d) >= kLargestBlock) {
        const std::int32_t made =
            ExpandFromWindow(d, buffer + 8 * static_cast<std::size_t>(produced), n - produced);
        produced += made;
        continue;
      }
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

}  // namespace xova
