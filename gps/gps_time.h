#pragma once
// The GPS time as GPS > Set PC Clock uses it: the last time of day the
// running link received, the receiver's date when it sent one, and the PC
// time at which it arrived, so that a time from an earlier link, or one that
// has gone stale, never reaches the PC clock.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "platform/clock.h"

namespace tervane {

struct GpsDate {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
};

struct GpsTimeReading {
  int hour = 0;
  int minute = 0;
  int second = 0;
  // The receiver's own date (gpsd, an RMC sentence); nothing when it sent
  // only the time of day.
  std::optional<GpsDate> date;
  // The PC clock when the time arrived, in seconds since 1970.
  std::int64_t receivedAtUnix = 0;
};

// A reading older than this is not used.
inline constexpr int kGpsTimeFreshSeconds = 5;

// The last reading of one GPS > On, written by its worker and read by the
// user-interface thread.
class GpsTimeLatch {
 public:
  // A time with the receiver's date.
  void store(const GpsTimeReading& reading);
  // A time of day alone. It keeps the date of the last dated reading when
  // both name the same second (the GGA and RMC sentences of one fix).
  void storeTimeOfDay(int hour, int minute, int second, std::int64_t receivedAtUnix);
  std::optional<GpsTimeReading> last() const;

 private:
  mutable std::mutex mutex_;
  std::optional<GpsTimeReading> last_;
};

// What Set PC Clock puts on the PC clock, given the PC's UTC now: the GPS
// time moved on by the seconds since it arrived, on the receiver's date, or
// without one on the date that puts it nearest to the PC time at arrival
// (so 00:00:01 from the receiver at 23:59:58 on the PC is the next day).
// The PC's milliseconds stay. Nothing when the reading is more than
// kGpsTimeFreshSeconds old, or lies ahead of the PC clock (which was set
// back since).
std::optional<CalendarTime> pcClockFromGps(const GpsTimeReading& reading, const CalendarTime& pcUtcNow);

// "2026-12-08 00:00:01 UTC", to the second.
std::string utcClockText(const CalendarTime& utc);
// How the PC clock stands to the GPS time, from the GPS time minus the PC
// time in seconds: "3 s behind the GPS time", "1 h 02 min 05 s ahead of the
// GPS time", "in step with the GPS time".
std::string pcClockOffsetText(std::int64_t gpsMinusPcSeconds);

}  // namespace tervane
