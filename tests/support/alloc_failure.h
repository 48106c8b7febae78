// Test-only allocation failures: the test binaries replace the global
// operator new so that a chosen allocation, or every one from it on, fails.
#ifndef XOVA_TESTS_SUPPORT_ALLOC_FAILURE_H
#define XOVA_TESTS_SUPPORT_ALLOC_FAILURE_H

namespace xova_test {

// Fails the allocation that comes after `allowed` successful ones; with
// `sticky` every later allocation fails too, until ResetAllocFailure.
void FailAllocationAfter(long allowed, bool sticky = true);
void ResetAllocFailure();
// Allocations that failed since the last arming.
long FailedAllocations();

// Fails every allocation of more than `bytes` until called again with 0, so
// a test can show that a count read from a file is not allocated up front.
void LimitAllocationSize(unsigned long bytes);

// Runs `body` with the n-th allocation failing for n = 0, 1, 2, ... until a run
// meets no failure; returns the number of runs that met one. `body` gets
// whether an allocation failed in that run through FailedAllocations().
template <class Body>
long ForEachAllocationFailure(Body body, long limit = 100000) {
  long n = 0;
  for (; n < limit; ++n) {
    FailAllocationAfter(n);
    body();
    const bool failed = FailedAllocations() > 0;
    ResetAllocFailure();
    if (!failed) break;
  }
  return n;
}

// Disarms allocation failure in its scope's destructor.
struct AllocFailureScope {
  ~AllocFailureScope() { ResetAllocFailure(); }
};

}  // namespace xova_test

#endif
