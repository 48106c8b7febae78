#include "dict/fit_short_string.h"

#include <cstring>

namespace xova {

bool FitShortString(char* field, const char* value, int width) {
  int i = 0;
  for (; i < width && value[i] != '\0'; ++i) field[i] = value[i];
  const bool ended = i < width;
  for (int k = i; k < width; ++k) field[k] = ' ';
  field[width > 0 ? width : 0] = '\0';
  if (ended) return true;
  for (const char* rest = value + i; *rest != '\0'; ++rest) {
    if (*rest != ' ') return false;
  }
  return true;
}

bool FitAndPadShortString(char* field, const char* value, int width) {
  if (width > kShortStringWidth) width = kShortStringWidth;  // the entry has room for 8 only
  if (!FitShortString(field, value, width)) return false;
  const int used = width > 0 ? width : 0;
  std::memset(field + used, ' ', static_cast<std::size_t>(kShortStringWidth - used));
  field[kShortStringWidth] = '\0';
  return true;
}

}  // namespace xova
