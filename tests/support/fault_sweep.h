// Sweeps of injected failures: every operation of every kind that a piece of
// work performs is made to fail once, and once for good, in turn.
#ifndef XOVA_TESTS_SUPPORT_FAULT_SWEEP_H
#define XOVA_TESTS_SUPPORT_FAULT_SWEEP_H

#include <functional>
#include <string>

#include "platform/fault_injection.h"

namespace xova_test {

// Disarms the seam when a test ends, however it ends.
class FaultScope {
 public:
  FaultScope() { xova::platform::DisarmFaults(); }
  ~FaultScope() { xova::platform::DisarmFaults(); }
  FaultScope(const FaultScope&) = delete;
  FaultScope& operator=(const FaultScope&) = delete;
};

struct Fault {
  xova::platform::FaultKind kind;
  long nth;
  bool sticky;
  std::string Describe() const;
};

// Operation counts of a run with nothing armed, taken at the moment of the call.
struct FaultCounts {
  long counts[xova::platform::kFaultKinds] = {};
  static FaultCounts Now();
  long Total() const;
};

// Calls `run` once for every fault among `counts` operations (one-shot and
// sticky, and one past the last so a run without a failure is covered too).
// `run` arms the fault itself (with ArmFault) at the point where counting began.
void ForEachFault(const FaultCounts& counts, const std::function<void(const Fault&)>& run);

// True when the armed fault has fired since it was armed.
bool Fired(const Fault& fault);

}  // namespace xova_test

#endif
