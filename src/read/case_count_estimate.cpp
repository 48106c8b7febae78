#include "read/case_count_estimate.h"

#include <cstdint>
#include <limits>

#include "frame/file_state.h"
#include "platform/shared_file.h"

namespace xova {
namespace {

constexpr int kSampleCases = 100;
constexpr int kRestoreFailed = 3;

std::int32_t ClampCount(std::int64_t count) {
  if (count < 0) return 0;
  const std::int64_t most = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(count < most ? count : most);
}

// Skips the sample; an end within it gives the exact count.
int SampleCount(DecompressionState& d, std::int32_t elements, std::int64_t* count) {
  Rewind(d);
  for (int n = 0; n < kSampleCases; ++n) {
    const int rc = SkipElements(d, elements);
    if (rc == kDecodeEnd) {
      *count = n;
      return kDecodeDone;
    }
    if (rc != kDecodeDone) return rc;
  }
  // Just after the last block the sample used.
  const std::int64_t at = d.wantedPosition;
  const std::int64_t length = platform::FileLength(d.stream);
  if (at < 0 || length < 0) return kDecodeReadError;
  const std::int64_t mean = (at - d.start) / kSampleCases;
  *count = mean > 0 ? (length - d.start) / mean : 0;
  return kDecodeDone;
}

}  // namespace

std::int64_t WholeUncompressedCases(const FileState& fs) {
  const std::int64_t caseBytes = static_cast<std::int64_t>(fs.elementCount) * 8;
  const std::int64_t length = platform::FileLength(fs.stream.get());
  if (length < 0 || caseBytes <= 0) return -1;
  if (length <= fs.firstCasePosition) return 0;
  return (length - fs.firstCasePosition) / caseBytes;
}

int EstimateCaseCount(DecompressionState& d, std::int32_t elements, std::int32_t* count) {
  *count = 0;
  if (elements <= 0) return kDecodeDone;
  const std::int64_t noted = d.CodePosition();
  std::int64_t found = 0;
  int rc = SampleCount(d, elements, &found);
  if (GoToCodePosition(d, noted) != kDecodeDone) {
    // Decoding on from the sample's end would deliver wrong cases: until it
    // is positioned again, the decoder reads nothing.
    d.wantedPosition = -1;
    d.codeIndex = 8;
    if (rc == kDecodeDone) rc = kRestoreFailed;
  }
  if (rc == kDecodeDone) *count = ClampCount(found);
  return rc;
}

}  // namespace xova
