#include "gps/gps_time.h"

#include <cstdlib>

#include "base/text_format.h"

namespace tervane {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Allows for the PC clock ticking to the next second between the stamp of a
// reading and the moment it is looked at.
constexpr std::int64_t kAheadToleranceSeconds = 1;

bool sameSecond(const GpsTimeReading& a, int hour, int minute, int second) {
  return a.hour == hour && a.minute == minute && a.second == second;
}

}  // namespace

void GpsTimeLatch::store(const GpsTimeReading& reading) {
  std::lock_guard<std::mutex> lock(mutex_);
  last_ = reading;
}

void GpsTimeLatch::storeTimeOfDay(int hour, int minute, int second, std::int64_t receivedAtUnix) {
  std::lock_guard<std::mutex> lock(mutex_);
  GpsTimeReading reading;
  reading.hour = hour;
  reading.minute = minute;
  reading.second = second;
  reading.receivedAtUnix = receivedAtUnix;
  if (last_ && last_->date && sameSecond(*last_, hour, minute, second)) reading.date = last_->date;
  last_ = reading;
}

std::optional<GpsTimeReading> GpsTimeLatch::last() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_;
}

std::optional<CalendarTime> pcClockFromGps(const GpsTimeReading& reading, const CalendarTime& pcUtcNow) {
  const std::int64_t now = unixFromCalendar(pcUtcNow);
  const std::int64_t age = now - reading.receivedAtUnix;
  if (age > kGpsTimeFreshSeconds || age < -kAheadToleranceSeconds) return std::nullopt;

  const std::int64_t secondOfDay = reading.hour * 3600 + reading.minute * 60 + reading.second;
  std::int64_t gpsUnix = 0;
  if (reading.date) {
    CalendarTime dated;
    dated.year = reading.date->year;
    dated.month = reading.date->month;
    dated.day = reading.date->day;
    gpsUnix = unixFromCalendar(dated) + secondOfDay;
  } else {
    CalendarTime arrival = calendarFromUnix(reading.receivedAtUnix);
    arrival.hour = arrival.minute = arrival.second = 0;
    const std::int64_t sameDay = unixFromCalendar(arrival) + secondOfDay;
    gpsUnix = sameDay;
    for (const std::int64_t candidate : {sameDay - kSecondsPerDay, sameDay + kSecondsPerDay}) {
      if (std::llabs(candidate - reading.receivedAtUnix) < std::llabs(gpsUnix - reading.receivedAtUnix))
        gpsUnix = candidate;
    }
  }
  CalendarTime result = calendarFromUnix(gpsUnix + (age > 0 ? age : 0));
  result.millisecond = pcUtcNow.millisecond;
  return result;
}

std::string utcClockText(const CalendarTime& utc) {
  return textf("%04d-%02d-%02d %02d:%02d:%02d UTC", utc.year, utc.month, utc.day, utc.hour, utc.minute, utc.second);
}

std::string pcClockOffsetText(std::int64_t gpsMinusPcSeconds) {
  if (gpsMinusPcSeconds == 0) return "in step with the GPS time";
  const long long total = std::llabs(gpsMinusPcSeconds);
  const long long days = total / kSecondsPerDay;
  const long long hours = total % kSecondsPerDay / 3600;
  const long long minutes = total % 3600 / 60;
  const long long seconds = total % 60;
  std::string amount;
  if (days > 0) {
    amount = textf("%lld d %02lld h %02lld min %02lld s", days, hours, minutes, seconds);
  } else if (hours > 0) {
    amount = textf("%lld h %02lld min %02lld s", hours, minutes, seconds);
  } else if (minutes > 0) {
    amount = textf("%lld min %02lld s", minutes, seconds);
  } else {
    amount = textf("%lld s", seconds);
  }
  return amount + (gpsMinusPcSeconds > 0 ? " behind the GPS time" : " ahead of the GPS time");
}

}  // namespace tervane
