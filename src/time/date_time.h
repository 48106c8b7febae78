// Conversion between calendar dates or clock times and the seconds stored in
// files. Dates count seconds from midnight at the start of 14 October 1582.
#ifndef XOVA_TIME_DATE_TIME_H
#define XOVA_TIME_DATE_TIME_H

namespace xova {

int DateToSeconds(int day, int month, int year, double* date);
int TimeToSeconds(int days, int hours, int minutes, double seconds, double* time);
int SecondsToDate(double date, int* day, int* month, int* year);
int SecondsToTime(double time, int* days, int* hours, int* minutes, double* seconds);

}  // namespace xova

#endif
