#include "support/alloc_failure.h"

#include <cstdlib>
#include <new>

namespace {

long g_allowed = -1;  // -1: never fail
bool g_sticky = false;
long g_failed = 0;
std::size_t g_sizeLimit = 0;  // 0: no limit

bool ShouldFail() {
  if (g_allowed < 0) return false;
  if (g_allowed > 0) {
    --g_allowed;
    return false;
  }
  ++g_failed;
  if (!g_sticky) g_allowed = -1;
  return true;
}

void* Allocate(std::size_t n) {
  if (g_sizeLimit != 0 && n > g_sizeLimit) return nullptr;
  if (ShouldFail()) return nullptr;
  return std::malloc(n ? n : 1);
}

}  // namespace

namespace xova_test {

void FailAllocationAfter(long allowed, bool sticky) {
  g_failed = 0;
  g_sticky = sticky;
  g_allowed = allowed;
}

void ResetAllocFailure() {
  g_allowed = -1;
}

void LimitAllocationSize(unsigned long bytes) {
  g_sizeLimit = bytes;
}

long FailedAllocations() {
  return g_failed;
}

}  // namespace xova_test

void* operator new(std::size_t n) {
  void* p = Allocate(n);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](std::size_t n) {
  void* p = Allocate(n);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  return Allocate(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
  return Allocate(n);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
