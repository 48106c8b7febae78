// The invariant check of the fuzz targets: a broken invariant is a finding,
// reported where it broke.
#ifndef XOVA_FUZZ_FUZZ_CHECK_H
#define XOVA_FUZZ_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

#define CHECK(cond)                                                                       \
  do {                                                                                    \
    if (!(cond)) {                                                                        \
      std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (0)

#endif
