#include "time/date_time.h"

#include <cmath>
#include <cstdint>

#include "frame/text.h"
#include "xovaio32.h"

namespace xova {
namespace {

const int kDaysInMonth[13] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr std::int32_t kOriginJulianDay = 2299160;  // 14 October 1582
constexpr double kSecondsPerDay = 86400.0;
constexpr std::int32_t kLastMarchYear = 1469999;    // 146097 * c must fit 32 bits
constexpr std::int32_t kLastDayNumber = 536292871;  // 4 * n + 2312163 must fit 32 bits
constexpr double kFirstUnrepresentableDay = 2147483648.0;

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

}  // namespace

int DateToSeconds(int day, int month, int year, double* date) {
  StoreOut(date, 0.0);
  if (month < 1 || month > 12 || day < 1 || day > kDaysInMonth[month]) return XOVA_BAD_DATE;
  if (month == 2 && day == 29 && !IsLeapYear(year)) return XOVA_BAD_DATE;
  const std::int32_t m = month >= 3 ? month - 3 : month + 9;
  const std::int32_t y = month >= 3 ? year : year - 1;
  if (year < 1582 || y > kLastMarchYear) return XOVA_BAD_DATE;
  const std::int32_t c = y / 100;
  const std::int32_t r = y % 100;
  const std::int32_t julian = day + (153 * m + 2) / 5 + (1461 * r) / 4 + (146097 * c) / 4 + 1721119;
  if (julian < kOriginJulianDay) return XOVA_BAD_DATE;
  StoreOut(date, static_cast<double>(julian - kOriginJulianDay) * kSecondsPerDay);
  return XOVA_OK;
}

int TimeToSeconds(int days, int hours, int minutes, double seconds, double* time) {
  if (days < 0 || hours < 0 || hours > 23 || minutes < 0 || minutes > 59) return XOVA_BAD_TIME;
  if (!(seconds >= 0.0 && seconds < 60.0)) return XOVA_BAD_TIME;  // also refuses NaN
  StoreOut(time, ((days * 24.0 + hours) * 60.0 + minutes) * 60.0 + seconds);
  return XOVA_OK;
}

int SecondsToDate(double date, int* day, int* month, int* year) {
  if (!(date >= 0.0)) return XOVA_BAD_DATE;
  const double whole = std::trunc(date / kSecondsPerDay);
  if (whole > kLastDayNumber) return XOVA_BAD_DATE;
  const std::int32_t n = static_cast<std::int32_t>(whole);
  const std::int32_t a = 4 * n + 2312163;
  const std::int32_t b = 4 * ((a % 146097) / 4) + 3;
  const std::int32_t e = 5 * (((b % 1461) + 4) / 4) - 3;
  const std::int32_t m = e / 153;
  const std::int32_t d = ((e % 153) + 5) / 5;
  std::int32_t y = b / 1461 + 100 * (a / 146097);
  std::int32_t mon;
  if (m < 10) {
    mon = m + 3;
  } else {
    mon = m - 9;
    y += 1;
  }
  StoreOut(day, d);
  StoreOut(month, mon);
  StoreOut(year, y);
  return XOVA_OK;
}

int SecondsToTime(double time, int* days, int* hours, int* minutes, double* seconds) {
  if (!(time >= 0.0)) return XOVA_BAD_TIME;
  if (time / kSecondsPerDay >= kFirstUnrepresentableDay) return XOVA_BAD_TIME;
  const int d = static_cast<int>(time / kSecondsPerDay);
  const double s = std::fmod(time, 60.0);
  const int k = static_cast<int>(std::fmod(time, kSecondsPerDay) / 60.0);
  StoreOut(days, d);
  StoreOut(hours, k / 60);
  StoreOut(minutes, k % 60);
  StoreOut(seconds, s);
  return XOVA_OK;
}

}  // namespace xova

extern "C" {

XOVA_API int XOVA_CALL xovaConvertDate(int day, int month, int year, double* date) noexcept {
  return xova::DateToSeconds(day, month, year, date);
}

XOVA_API int XOVA_CALL xovaConvertTime(int days, int hours, int minutes, double seconds,
                                       double* time) noexcept {
  return xova::TimeToSeconds(days, hours, minutes, seconds, time);
}

XOVA_API int XOVA_CALL xovaConvertXOVADate(int* day, int* month, int* year, double date) noexcept {
  return xova::SecondsToDate(date, day, month, year);
}

XOVA_API int XOVA_CALL xovaConvertXOVATime(int* days, int* hours, int* minutes, double* seconds,
                                           double time) noexcept {
  return xova::SecondsToTime(time, days, hours, minutes, seconds);
}

}  // extern "C"
