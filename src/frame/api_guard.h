// Keeps C++ exceptions from crossing the C boundary.
#ifndef XOVA_FRAME_API_GUARD_H
#define XOVA_FRAME_API_GUARD_H

#include "xovaio32.h"

namespace xova {

// Runs the body of an exported function. Internal code only throws when an
// allocation fails (std::bad_alloc, or a size the allocator cannot represent),
// and every operation is written so that such a throw leaves its state as it
// was; the caller sees XOVA_OUT_OF_MEMORY.
template <class Body>
int Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return XOVA_OUT_OF_MEMORY;
  }
}

}  // namespace xova

#endif
