#pragma once
// The system clock seam: UTC and local calendar time, whole seconds since 1970,
// and setting the clock. Workers and the decoder read time only through a
// Clock so tests can run with a fixed or accelerated one.

#include <atomic>
#include <cstdint>
#include <string>

#include "base/calendar_time.h"

namespace tervane {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual CalendarTime utcNow() const = 0;
  virtual CalendarTime localNow() const = 0;
  // Seconds of universal time since 1970-01-01 00:00:00 UTC.
  virtual std::int64_t unixSeconds() const = 0;
  // Sets the clock to the given UTC calendar time; on failure returns false
  // and puts the system's reason into *reason.
  virtual bool setUtc(const CalendarTime& utc, std::string* reason) = 0;
};

// The PC clock.
class SystemClock final : public Clock {
 public:
  CalendarTime utcNow() const override;
  CalendarTime localNow() const override;
  std::int64_t unixSeconds() const override;
  bool setUtc(const CalendarTime& utc, std::string* reason) override;
};

// A clock that stands still at a given instant (or is moved by hand), for
// tests and tools. Local time equals UTC shifted by a fixed offset. It may be
// moved on one thread while workers read it on others.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(std::int64_t unixSeconds = 0, int localOffsetSeconds = 0)
      : seconds_(unixSeconds), localOffset_(localOffsetSeconds) {}
  void set(std::int64_t unixSeconds) { seconds_ = unixSeconds; }
  void advance(std::int64_t seconds) { seconds_ += seconds; }
  CalendarTime utcNow() const override;
  CalendarTime localNow() const override;
  std::int64_t unixSeconds() const override { return seconds_; }
  bool setUtc(const CalendarTime& utc, std::string* reason) override;

 private:
  std::atomic<std::int64_t> seconds_;
  int localOffset_;
};

// Calendar conversions in UTC (proleptic Gregorian), independent of the
// process's time zone.
CalendarTime calendarFromUnix(std::int64_t unixSeconds);
std::int64_t unixFromCalendar(const CalendarTime& utc);
int daysInMonth(int year, int month);

}  // namespace tervane
