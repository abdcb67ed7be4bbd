#pragma once
// A simulated Garmin receiver as it answers on its serial line: product
// request, protocol list, position and date/time on command, and waypoint
// upload. Bytes in, bytes out; the device keeps no time of its own but is
// told the seconds since the link opened (for the moving track) and reads
// the date and time from a Clock.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace tervane::gpssim {

struct GarminDeviceOptions {
  // The waypoint format named in the protocol list (D108 by default); 0
  // leaves every D1xx entry out of the list.
  int waypointFormat = 108;
  double latitudeDeg = 42.36;
  double longitudeDeg = -71.06;
  // Moving along a small circle around the position instead of standing.
  bool track = false;
  // A fixed time of day (seconds since midnight UTC) instead of the clock's.
  std::optional<int> secondOfDay;
  // Never answers (a receiver that is switched off or set to another protocol).
  bool silent = false;
};

// Where the receiver is at `elapsedSeconds` after the link opened.
struct TrackPoint {
  double latitudeDeg = 0;
  double longitudeDeg = 0;
};
TrackPoint trackPosition(const GarminDeviceOptions& options, double elapsedSeconds);

inline constexpr double kTrackRadiusDeg = 0.005;
inline constexpr double kTrackPeriodSeconds = 120.0;

class GarminDevice {
 public:
  GarminDevice(GarminDeviceOptions options, const Clock& clock);

  // Takes bytes from the program and returns what the receiver sends back.
  std::vector<std::uint8_t> receive(std::span<const std::uint8_t> bytes, double elapsedSeconds);

  // The records of what was uploaded since the last call, one line each:
  // "RECORDS\t<count>", "WPT\t<format>\t<size>\t<name>\t<lat>\t<lon>" and
  // "XFERCMPLT".
  std::vector<std::string> takeLogLines();

  // The link closed: an unfinished frame is dropped.
  void reset();

  // The protocol list (packet 253) the receiver sends after its product data.
  std::vector<std::uint8_t> protocolList() const;

 private:
  void handle(std::uint8_t type, std::span<const std::uint8_t> data, double elapsedSeconds,
              std::vector<std::uint8_t>& out);
  void logWaypoint(std::span<const std::uint8_t> record);

  GarminDeviceOptions options_;
  const Clock& clock_;
  std::vector<std::uint8_t> input_;
  std::vector<std::string> log_;
};

}  // namespace tervane::gpssim
