#include "support/fault_sweep.h"

namespace xova_test {

using xova::platform::FaultKind;
using xova::platform::kFaultKinds;

std::string Fault::Describe() const {
  static const char* const kNames[kFaultKinds] = {"write", "seek", "flush", "temp file"};
  return std::string(kNames[static_cast<int>(kind)]) + " #" + std::to_string(nth) +
         (sticky ? " and later" : " once");
}

FaultCounts FaultCounts::Now() {
  FaultCounts now;
  for (int k = 0; k < kFaultKinds; ++k) {
    now.counts[k] = xova::platform::FaultCount(static_cast<FaultKind>(k));
  }
  return now;
}

long FaultCounts::Total() const {
  long total = 0;
  for (long n : counts) total += n;
  return total;
}

void ForEachFault(const FaultCounts& counts, const std::function<void(const Fault&)>& run) {
  for (int k = 0; k < kFaultKinds; ++k) {
    for (long nth = 1; nth <= counts.counts[k] + 1; ++nth) {
      for (bool sticky : {false, true}) run(Fault{static_cast<FaultKind>(k), nth, sticky});
    }
  }
}

bool Fired(const Fault& fault) {
  return xova::platform::FaultCount(fault.kind) >= fault.nth;
}

}  // namespace xova_test
