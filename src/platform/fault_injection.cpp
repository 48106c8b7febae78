#include "platform/fault_injection.h"

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

FaultPlan& Plan() {
  static FaultPlan plan;
  return plan;
}

}  // namespace

void ArmFault(FaultKind kind, long nth, bool sticky) {
  FaultPlan& plan = Plan();
  plan = FaultPlan();
  plan.armedKind = static_cast<int>(kind);
  plan.nth = nth;
  plan.sticky = sticky;
}

void DisarmFaults() {
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
