// What the GPS sources decide without a device: the time Set PC Clock may
// use, which gpsd fixes move the station, and TERVANEAPRS_GPS.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "base/text_format.h"
#include "gps/gps_override.h"
#include "gps/gps_time.h"
#include "gps/gpsd_client.h"

namespace tervane {
namespace {

std::int64_t utc(int year, int month, int day, int hour, int minute, int second) {
  return unixFromCalendar(CalendarTime{year, month, day, hour, minute, second, 0});
}

std::string text(const CalendarTime& t) {
  return textf("%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute, t.second,
               t.millisecond);
}

TEST(SetPcClock, TakesOnlyAFreshGpsTimeOnTheRightDate) {
  struct Row {
    const char* name;
    const char* gpsTime;        // hh:mm:ss
    std::optional<GpsDate> date;
    std::int64_t receivedAt;    // PC clock at arrival
    std::int64_t now;           // PC clock at Set PC Clock
    const char* expected;       // nothing: the clock stays
  };
  const std::int64_t beforeMidnight = utc(2026, 12, 7, 23, 59, 58);
  const std::int64_t newYear = utc(2027, 1, 1, 0, 0, 2);
  const Row rows[] = {
      {"just past midnight on the receiver: the next day", "00:00:01", std::nullopt, beforeMidnight, beforeMidnight,
       "2026-12-08 00:00:01.250"},
      {"just before midnight, the PC past it: the day before, across the year", "23:59:59", std::nullopt, newYear,
       newYear, "2026-12-31 23:59:59.250"},
      {"the same day", "12:34:56", std::nullopt, utc(2026, 12, 7, 12, 0, 0), utc(2026, 12, 7, 12, 0, 0),
       "2026-12-07 12:34:56.250"},
      {"the receiver's date wins", "10:00:00", GpsDate{2026, 12, 10}, beforeMidnight, beforeMidnight,
       "2026-12-10 10:00:00.250"},
      {"moved on by the seconds since it came", "12:00:00", GpsDate{2026, 12, 7}, beforeMidnight,
       beforeMidnight + kGpsTimeFreshSeconds, "2026-12-07 12:00:05.250"},
      {"too old", "12:00:00", GpsDate{2026, 12, 7}, beforeMidnight, beforeMidnight + kGpsTimeFreshSeconds + 1,
       nullptr},
      {"from before the PC clock was set back", "12:00:00", GpsDate{2026, 12, 7}, beforeMidnight + 3600,
       beforeMidnight, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    GpsTimeReading reading;
    ASSERT_EQ(std::sscanf(row.gpsTime, "%d:%d:%d", &reading.hour, &reading.minute, &reading.second), 3);
    reading.date = row.date;
    reading.receivedAtUnix = row.receivedAt;
    CalendarTime pcNow = calendarFromUnix(row.now);
    pcNow.millisecond = 250;
    const std::optional<CalendarTime> set = pcClockFromGps(reading, pcNow);
    if (row.expected == nullptr) {
      EXPECT_FALSE(set) << text(*set);
    } else {
      ASSERT_TRUE(set);
      EXPECT_EQ(text(*set), row.expected);
    }
  }
}

TEST(SetPcClock, AGgaTimeKeepsTheRmcDateOfTheSameSecondOnly) {
  GpsTimeLatch latch;
  latch.store({12, 0, 0, GpsDate{2026, 12, 7}, 100});
  latch.storeTimeOfDay(12, 0, 0, 100);
  ASSERT_TRUE(latch.last()->date);
  EXPECT_EQ(latch.last()->date->day, 7);
  latch.storeTimeOfDay(12, 0, 1, 101);
  EXPECT_FALSE(latch.last()->date);
  EXPECT_EQ(latch.last()->receivedAtUnix, 101);
}

// The question before the PC clock is set tells which way it is off.
TEST(SetPcClock, TellsHowFarAndWhichWayThePcClockIsOff) {
  const struct {
    std::int64_t gpsMinusPc;
    const char* text;
  } rows[] = {
      {3, "3 s behind the GPS time"},
      {-3725, "1 h 02 min 05 s ahead of the GPS time"},
      {86400 + 61, "1 d 00 h 01 min 01 s behind the GPS time"},
      {0, "in step with the GPS time"},
  };
  for (const auto& r : rows) EXPECT_EQ(pcClockOffsetText(r.gpsMinusPc), r.text);
}

TEST(GpsdFixes, OnlyA2DFixOrBetterMovesTheStationOrGivesTheTime) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Row {
    const char* name;
    GpsdFix fix;
    const char* position;  // "lat lon letters" or nothing
    bool time;
  };
  const std::int64_t t = utc(2026, 12, 7, 12, 0, 0);
  const Row rows[] = {
      {"no fix yet", {1, true, 51.5, -0.25, true, t}, nullptr, false},
      {"mode not seen", {0, true, 51.5, -0.25, true, t}, nullptr, false},
      {"2D", {2, true, 42.3612, -71.0573, true, t}, "42.361200 -71.057300 NW", true},
      {"3D south and east", {3, true, -33.9, 151.2, true, t}, "-33.900000 151.200000 SE", true},
      {"on the equator and the meridian", {3, true, 0.0, 0.0, false, 0}, "0.000000 0.000000 SW", false},
      {"time without a position", {3, false, 0, 0, true, t}, nullptr, true},
      {"not a number", {3, true, nan, 10.0, true, t}, nullptr, true},
      {"off the globe", {3, true, 91.0, 10.0, true, t}, nullptr, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const GpsdTaken taken = takeFromGpsdFix(row.fix);
    if (row.position == nullptr) {
      EXPECT_FALSE(taken.position);
    } else {
      ASSERT_TRUE(taken.position);
      const StationPosition& p = *taken.position;
      EXPECT_EQ(textf("%.6f %.6f %c%c", p.latitudeDeg, p.longitudeDeg, p.latHemisphere, p.lonHemisphere),
                row.position);
    }
    EXPECT_EQ(taken.time.has_value(), row.time);
    if (taken.time) {
      EXPECT_EQ(text(*taken.time), "2026-12-07 12:00:00.000");
    }
  }
}

TEST(GpsOverride, ReadsGpsdWithHostAndPort) {
  struct Row {
    const char* text;
    const char* expected;  // "host port" or nothing
  };
  const Row rows[] = {
      {"gpsd:127.0.0.1:29470", "127.0.0.1 29470"},
      {"gpsd:gps.example.org", "gps.example.org 2947"},
      {"gpsd", "localhost 2947"},
      {"gpsd::3000", "localhost 3000"},
      {"gpsd:[::1]:2950", "::1 2950"},
      {"gpsd:[fe80::1]", "fe80::1 2947"},
      {"gpsd:host:0", nullptr},
      {"gpsd:host:65536", nullptr},
      {"gpsd:host:29x", nullptr},
      {"gpsd:host:", nullptr},
      {"gpsd:fe80::1", nullptr},
      {"gpsd:[::1", nullptr},
      {"gpsdx", nullptr},
      {"garmin:COM1", nullptr},
      {"", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const std::optional<GpsdAddress> address = parseGpsOverride(row.text);
    if (row.expected == nullptr) {
      EXPECT_FALSE(address) << address->host;
    } else {
      ASSERT_TRUE(address);
      EXPECT_EQ(address->host + " " + std::to_string(address->port), row.expected);
    }
  }
  EXPECT_FALSE(parseGpsOverride("gpsd:" + std::string(254, 'h'))) << "longer than a domain name";
}

}  // namespace
}  // namespace tervane
