#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "xovaio32.h"

namespace {

struct DateExample {
  int day, month, year, rc;
  double seconds;
};

TEST(ConvertDate, WorkedExamples) {
  const DateExample examples[] = {
      {14, 10, 1582, XOVA_OK, 0.0},         {15, 10, 1582, XOVA_OK, 86400.0},
      {13, 10, 1582, XOVA_BAD_DATE, 0.0},   {1, 1, 1583, XOVA_OK, 6825600.0},
      {1, 1, 1900, XOVA_OK, 10010390400.0}, {1, 1, 1970, XOVA_OK, 12219379200.0},
      {1, 1, 2000, XOVA_OK, 13166064000.0}, {29, 2, 2000, XOVA_OK, 13171161600.0},
      {29, 2, 1900, XOVA_BAD_DATE, 0.0},    {29, 2, 2004, XOVA_OK, 13297392000.0},
      {31, 4, 2001, XOVA_BAD_DATE, 0.0},    {29, 2, 1470000, XOVA_OK, 46338776697600.0},
      {1, 3, 1470000, XOVA_BAD_DATE, 0.0},
  };
  for (const auto& e : examples) {
    double out = -1.0;
    EXPECT_EQ(xovaConvertDate(e.day, e.month, e.year, &out), e.rc)
        << e.day << "." << e.month << "." << e.year;
    EXPECT_EQ(out, e.seconds) << e.day << "." << e.month << "." << e.year;
  }
}

TEST(ConvertDate, RejectsImpossibleComponents) {
  const int bad[][3] = {{30, 2, 2000}, {31, 2, 2000},   {0, 1, 2000},      {32, 1, 2000},
                        {1, 0, 2000},  {1, 13, 2000},   {1, -1, 2000},     {-5, 3, 2000},
                        {1, 1, 1581},  {31, 12, -4000}, {1, 1, 2147483647}};
  for (const auto& b : bad) {
    double out = -1.0;
    EXPECT_EQ(xovaConvertDate(b[0], b[1], b[2], &out), XOVA_BAD_DATE)
        << b[0] << "." << b[1] << "." << b[2];
    EXPECT_EQ(out, 0.0);
  }
  EXPECT_EQ(xovaConvertDate(1, 1, 2000, nullptr), XOVA_OK);
}

TEST(ConvertTime, ComposesInTheStatedOrder) {
  double out = -1.0;
  EXPECT_EQ(xovaConvertTime(1, 2, 3, 4.5, &out), XOVA_OK);
  EXPECT_EQ(out, 93784.5);
  EXPECT_EQ(xovaConvertTime(3, 0, 0, 0.0, &out), XOVA_OK);
  EXPECT_EQ(out, 259200.0);
  EXPECT_EQ(xovaConvertTime(0, 0, 0, -0.0, &out), XOVA_OK);  // -0.0 is not below 0.0
  EXPECT_EQ(out, 0.0);
  EXPECT_EQ(xovaConvertTime(2147483647, 23, 59, 59.5, &out), XOVA_OK);
  EXPECT_EQ(out, ((2147483647 * 24.0 + 23) * 60.0 + 59) * 60.0 + 59.5);
}

TEST(ConvertTime, RejectsOutOfRangeComponentsAndLeavesTheOutput) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Bad {
    int d, h, m;
    double s;
  } bad[] = {{0, 24, 0, 0.0}, {0, 0, 0, 60.0}, {-1, 0, 0, 0.0}, {0, -1, 0, 0.0}, {0, 0, 60, 0.0},
             {0, 0, -1, 0.0}, {0, 0, 0, -0.5}, {0, 0, 0, nan},  {0, 0, 0, inf}};
  for (const auto& b : bad) {
    double out = 123.0;
    EXPECT_EQ(xovaConvertTime(b.d, b.h, b.m, b.s, &out), XOVA_BAD_TIME);
    EXPECT_EQ(out, 123.0);
  }
}

TEST(ConvertXOVADate, WorkedExamples) {
  struct Back {
    double seconds;
    int day, month, year;
  } examples[] = {{0.0, 14, 10, 1582},         {86399.9, 14, 10, 1582},
                  {86400.0, 15, 10, 1582},     {10000000000.0, 2, 9, 1899},
                  {13166064000.0, 1, 1, 2000}, {46335704140799.0, 18, 10, 1469902}};
  for (const auto& e : examples) {
    int d = 0, m = 0, y = 0;
    EXPECT_EQ(xovaConvertXOVADate(&d, &m, &y, e.seconds), XOVA_OK) << e.seconds;
    EXPECT_EQ(d, e.day) << e.seconds;
    EXPECT_EQ(m, e.month) << e.seconds;
    EXPECT_EQ(y, e.year) << e.seconds;
  }
}

TEST(ConvertXOVADate, RejectsNegativeNaNAndTooLarge) {
  for (double bad : {-1.0, -0.5, std::numeric_limits<double>::quiet_NaN(), 46335704140800.0,
                     std::numeric_limits<double>::infinity(), 1e300}) {
    int d = 7, m = 7, y = 7;
    EXPECT_EQ(xovaConvertXOVADate(&d, &m, &y, bad), XOVA_BAD_DATE) << bad;
    EXPECT_EQ(d + m + y, 21);
  }
}

TEST(ConvertXOVATime, WorkedExamples) {
  int d = 0, h = 0, m = 0;
  double s = 0;
  EXPECT_EQ(xovaConvertXOVATime(&d, &h, &m, &s, 93784.5), XOVA_OK);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(m, 3);
  EXPECT_EQ(s, 4.5);
  EXPECT_EQ(xovaConvertXOVATime(&d, &h, &m, &s, 10000000000.75), XOVA_OK);
  EXPECT_EQ(d, 115740);
  EXPECT_EQ(h, 17);
  EXPECT_EQ(m, 46);
  EXPECT_EQ(s, 40.75);
  EXPECT_EQ(xovaConvertXOVATime(&d, &h, &m, &s, 59.5), XOVA_OK);
  EXPECT_EQ(d + h + m, 0);
  EXPECT_EQ(s, 59.5);
  EXPECT_EQ(xovaConvertXOVATime(&d, &h, &m, &s, 86399.99), XOVA_OK);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(h, 23);
  EXPECT_EQ(m, 59);
  EXPECT_EQ(s, std::fmod(86399.99, 60.0));
}

TEST(ConvertXOVATime, RejectsNegativeNaNAndDayOverflow) {
  for (double bad : {-1.0, std::numeric_limits<double>::quiet_NaN(), 185542587187200.0,
                     std::numeric_limits<double>::infinity()}) {
    int d = 7, h = 7, m = 7;
    double s = 7.0;
    EXPECT_EQ(xovaConvertXOVATime(&d, &h, &m, &s, bad), XOVA_BAD_TIME) << bad;
    EXPECT_EQ(d + h + m, 21);
    EXPECT_EQ(s, 7.0);
  }
  int d = 0;
  EXPECT_EQ(xovaConvertXOVATime(&d, nullptr, nullptr, nullptr, 185542587187199.0), XOVA_OK);
  EXPECT_EQ(d, 2147483647);
}

bool IsLeap(int y) {
  return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
}

int DaysIn(int month, int year) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

// Walking the calendar day by day, each date is one day after the one before
// and converts back to itself.
TEST(DateRoundTrip, ConsecutiveDaysFrom1582) {
  int day = 14, month = 10, year = 1582;
  double expected = 0.0;
  for (int i = 0; i < 200000; ++i) {
    double secs = -1;
    ASSERT_EQ(xovaConvertDate(day, month, year, &secs), XOVA_OK);
    ASSERT_EQ(secs, expected) << day << "." << month << "." << year;
    int d = 0, m = 0, y = 0;
    ASSERT_EQ(xovaConvertXOVADate(&d, &m, &y, secs + 43200.5), XOVA_OK);
    ASSERT_TRUE(d == day && m == month && y == year) << day << "." << month << "." << year;
    expected += 86400.0;
    if (++day > DaysIn(month, year)) {
      day = 1;
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
}

TEST(DateRoundTrip, RandomDatesAcrossTheWholeRange) {
  std::mt19937 rng(20261208);
  std::uniform_int_distribution<int> years(1583, 1469901);
  std::uniform_int_distribution<int> months(1, 12);
  for (int i = 0; i < 200000; ++i) {
    const int year = years(rng);
    const int month = months(rng);
    const int day = std::uniform_int_distribution<int>(1, DaysIn(month, year))(rng);
    double secs = 0;
    ASSERT_EQ(xovaConvertDate(day, month, year, &secs), XOVA_OK);
    int d = 0, m = 0, y = 0;
    ASSERT_EQ(xovaConvertXOVADate(&d, &m, &y, secs), XOVA_OK);
    ASSERT_TRUE(d == day && m == month && y == year) << day << "." << month << "." << year;
  }
}

TEST(TimeRoundTrip, ComponentsComeBack) {
  std::mt19937 rng(7);
  for (int i = 0; i < 100000; ++i) {
    const int days = std::uniform_int_distribution<int>(0, 3000000)(rng);
    const int hours = std::uniform_int_distribution<int>(0, 23)(rng);
    const int minutes = std::uniform_int_distribution<int>(0, 59)(rng);
    const int seconds = std::uniform_int_distribution<int>(0, 59)(rng);
    double t = 0;
    ASSERT_EQ(xovaConvertTime(days, hours, minutes, seconds, &t), XOVA_OK);
    int d = 0, h = 0, m = 0;
    double s = 0;
    ASSERT_EQ(xovaConvertXOVATime(&d, &h, &m, &s, t), XOVA_OK);
    ASSERT_TRUE(d == days && h == hours && m == minutes && s == seconds) << t;
  }
}

}  // namespace
