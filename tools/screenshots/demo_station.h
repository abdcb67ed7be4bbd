#pragma once
// The demonstration station that the user guide's pictures show: its
// settings, the packets its TNC monitored, and the satellites it tracks. All
// of it is made up; the instant is fixed so that the pictures only change
// when the windows do.

#include <cstdint>
#include <string>
#include <vector>

#include "base/station_settings.h"

namespace tervane::demo {

inline constexpr double kStationLatitudeDeg = 42.3601;   // Boston
inline constexpr double kStationLongitudeDeg = -71.0589;
// Local time as the time tags and capture names use it: US Eastern summer time.
inline constexpr int kLocalOffsetSeconds = -4 * 3600;

// Catalog numbers of the demonstration satellites.
inline constexpr int kRisingSoon = 99001;  // DEMOSAT-1, rises a few minutes after the epoch
inline constexpr int kWaiting = 99002;     // DEMOSAT-2, auto-beacon on, waits for its own pass
inline constexpr int kNoBeacon = 99003;    // DEMOSAT-3, auto-beacon off
inline constexpr int kSpare = 99004;       // DEMOSAT-4, in the file but not tracked
inline constexpr int kNeverUp = 99010;     // DEMOGEO-1, stationary below the station's horizon

// 2026-06-12 14:32:07 UTC, the moment the main window shows.
std::int64_t demoInstant();
// The epoch of the element sets: DEMOSAT-1 rises kRiseAfterEpochSeconds later.
std::int64_t elementEpoch();
inline constexpr std::int64_t kRiseAfterEpochSeconds = 150;

StationSettings demoSettings();

// Monitor lines as the TNC printed them, without their line ends, each with
// its local arrival second.
struct HeardLine {
  std::int64_t unixSeconds;
  std::string text;
};
std::vector<HeardLine> demoTraffic();

// An element file: the five demonstration satellites in NORAD two-line
// format with name lines.
std::string demoElementText();

}  // namespace tervane::demo
