// Day numbers: (year - 2000) * 372 + (month - 1) * 31 + (day - 1), every
// month taken as 31 days. They order like dates but are not consecutive;
// 0 means "no limit" where a field allows it.
#ifndef OESQX_SEAL_DAY_NUMBER_H
#define OESQX_SEAL_DAY_NUMBER_H

#include <ctime>

namespace oesqx::seal {

// Month and day counted from 1.
inline long DayNumber(int year, int month, int day) {
  return static_cast<long>(year - 2000) * 372 + (month - 1) * 31 + (day - 1);
}

// Today's day number from the current UTC date.
inline unsigned int TodayDayNumber() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  return static_cast<unsigned int>(DayNumber(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday));
}

}  // namespace oesqx::seal

#endif
