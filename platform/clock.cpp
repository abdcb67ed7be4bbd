#include "platform/clock.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace tervane {

namespace {

// Days since 1970-01-01 for a civil date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(y + (m <= 2));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

CalendarTime fromTm(const std::tm& tm, int millisecond) {
  CalendarTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.millisecond = millisecond;
  return t;
}

}  // namespace

CalendarTime calendarFromUnix(std::int64_t unixSeconds) {
  std::int64_t days = unixSeconds / 86400;
  std::int64_t rest = unixSeconds % 86400;
  if (rest < 0) {
    rest += 86400;
    days -= 1;
  }
  CalendarTime t;
  civilFromDays(days, &t.year, &t.month, &t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

std::int64_t unixFromCalendar(const CalendarTime& utc) {
  return daysFromCivil(utc.year, static_cast<unsigned>(utc.month), static_cast<unsigned>(utc.day)) * 86400 +
         utc.hour * 3600 + utc.minute * 60 + utc.second;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

CalendarTime SystemClock::utcNow() const {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  CalendarTime t = calendarFromUnix(ts.tv_sec);
  t.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
  return t;
}

CalendarTime SystemClock::localNow() const {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
  const std::time_t seconds = ts.tv_sec;
  localtime_r(&seconds, &tm);
  return fromTm(tm, static_cast<int>(ts.tv_nsec / 1000000));
}

std::int64_t SystemClock::unixSeconds() const {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts.tv_sec;
}

bool SystemClock::setUtc(const CalendarTime& utc, std::string* reason) {
  timespec ts{};
  ts.tv_sec = static_cast<std::time_t>(unixFromCalendar(utc));
  ts.tv_nsec = static_cast<long>(utc.millisecond) * 1000000L;
  if (clock_settime(CLOCK_REALTIME, &ts) == 0) return true;
  if (reason != nullptr) *reason = std::strerror(errno);
  return false;
}

CalendarTime FixedClock::utcNow() const { return calendarFromUnix(seconds_); }
CalendarTime FixedClock::localNow() const { return calendarFromUnix(seconds_ + localOffset_); }

bool FixedClock::setUtc(const CalendarTime& utc, std::string* /*reason*/) {
  seconds_ = unixFromCalendar(utc);
  return true;
}

}  // namespace tervane
