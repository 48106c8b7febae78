// A seam for tests: it makes a chosen write, positioning, flush or
// temporary-file creation fail, so every failure path of the writer can be
// driven on demand. Every such operation of the platform layer asks it first.
// Disarmed it only counts the operations. Plans and counts are per thread,
// and until a test first arms or disarms nothing is counted at all.
#ifndef XOVA_PLATFORM_FAULT_INJECTION_H
#define XOVA_PLATFORM_FAULT_INJECTION_H

#include <cstddef>
#include <cstdio>

namespace xova {
namespace platform {

enum class FaultKind { kWrite, kSeek, kFlush, kTempFile };
constexpr int kFaultKinds = 4;

// Restarts the counts; the `nth` (1-based) operation of `kind` from now on
// fails, and with `sticky` every later one of that kind as well.
void ArmFault(FaultKind kind, long nth, bool sticky);

// Restarts the counts with nothing armed.
void DisarmFaults();

// Operations of `kind` since the last ArmFault or DisarmFaults.
long FaultCount(FaultKind kind);

// The stream of the latest injected failure (null for temp-file creation).
std::FILE* LastFaultStream();

// Bytes handed to writes that went ahead before the first injected failure.
long long BytesBeforeFault();

// Counts one operation of `kind` on `stream` (of `bytes` for a write); true
// when it must fail.
bool FaultHits(FaultKind kind, std::FILE* stream, std::size_t bytes = 0);

}  // namespace platform
}  // namespace xova

#endif
