#include "write/time_stamp.h"

#include <cstdio>

namespace xova {
namespace {

// English abbreviations whatever the locale: the header field is fixed.
const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int Clamp(int value, int low, int high) {
  return value < low ? low : value > high ? high : value;
}

}  // namespace

void FormatTimeStamp(const std::tm& when, char* out) {
  const int year = ((when.tm_year + 1900) % 100 + 100) % 100;
  std::snprintf(out, 18, "%02d %s %02d%02d:%02d:%02d", Clamp(when.tm_mday, 1, 31),
                kMonths[Clamp(when.tm_mon, 0, 11)], year, Clamp(when.tm_hour, 0, 23),
                Clamp(when.tm_min, 0, 59), Clamp(when.tm_sec, 0, 60));
}

}  // namespace xova
