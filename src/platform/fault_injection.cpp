#include "platform/fault_injection.h"

#include <atomic>

namespace xova {
namespace platform {
namespace {

struct FaultPlan {
  long counts[kFaultKinds] = {};
  int armedKind = -1;
  long nth = 0;
  bool sticky = false;
  std::FILE* lastStream = nullptr;
  bool fired = false;
  long long bytesBefore = 0;
};

// Handles on different threads must share no mutable state, so each thread
// has a plan of its own. Until a test first arms or disarms, the seam is off
// and an operation costs one relaxed load: callers never touch the plans.
std::atomic<bool> g_seamInUse{false};
thread_local FaultPlan t_plan;

FaultPlan& Plan() {
  return t_plan;
}

}  // namespace

void ArmFault(FaultKind kind, long nth, bool sticky) {
  g_seamInUse.store(true, std::memory_order_relaxed);
  FaultPlan& plan = Plan();
  plan = FaultPlan();
  plan.armedKind = static_cast<int>(kind);
  plan.nth = nth;
  plan.sticky = sticky;
}

void DisarmFaults() {
  g_seamInUse.store(true, std::memory_order_relaxed);
  Plan() = FaultPlan();
}

long FaultCount(FaultKind kind) {
  return Plan().counts[static_cast<int>(kind)];
}

std::FILE* LastFaultStream() {
  return Plan().lastStream;
}

long long BytesBeforeFault() {
  return Plan().bytesBefore;
}

bool FaultHits(FaultKind kind, std::FILE* stream, std::size_t bytes) {
  if (!g_seamInUse.load(std::memory_order_relaxed)) return false;
  FaultPlan& plan = Plan();
  const int k = static_cast<int>(kind);
  const long n = ++plan.counts[k];
  if (k != plan.armedKind || n < plan.nth || (n > plan.nth && !plan.sticky)) {
    if (!plan.fired) plan.bytesBefore += static_cast<long long>(bytes);
    return false;
  }
  plan.fired = true;
  plan.lastStream = stream;
  return true;
}

}  // namespace platform
}  // namespace xova
