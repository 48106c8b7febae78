// A function that does nothing but deliver a value, in a shared library of
// its own: the cost of the call itself, which every getter call pays.
#ifndef XOVA_BENCH_EMPTY_CALL_H
#define XOVA_BENCH_EMPTY_CALL_H

#ifdef __cplusplus
extern "C" {
#endif

__attribute__((visibility("default"))) int EmptyGetValue(int handle, double varHandle,
                                                         double* value);

#ifdef __cplusplus
}
#endif

#endif
