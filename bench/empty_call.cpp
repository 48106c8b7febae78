#include "empty_call.h"

extern "C" int EmptyGetValue(int handle, double varHandle, double* value) {
  if (value) *value = varHandle;
  return handle < 0;
}
