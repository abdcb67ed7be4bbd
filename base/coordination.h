#pragma once
// The vocabulary through which the user-interface thread and the workers meet:
// the process-wide events, the waypoint hand-off to the GPS and the shared
// working values (what the station sends goes through each link run's
// outbound queue instead). One Coordination object is created at program start and outlives
// every worker.

#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "base/events.h"
#include "base/fixed_text.h"
#include "base/station_settings.h"

namespace tervane {

struct Events {
  AutoResetEvent emailPrompt;
  AutoResetEvent trackerShowStatus;
  AutoResetEvent gpsUploadReady;
  AutoResetEvent gpsUploadRequest;
};

// One waypoint for the GPS receiver: a tracked station's last position.
struct Waypoint {
  FixedText<32> name;
  double latitudeDeg = 0;
  double longitudeDeg = 0;
};

// The one-slot hand-off from the position table to the GPS worker. Whoever
// holds the gpsUploadReady token owns it.
struct WaypointBatch {
  std::vector<Waypoint> waypoints;
};

// The station's current position with its hemisphere letters, always changed
// as a whole.
struct StationPosition {
  double latitudeDeg = 0;
  double longitudeDeg = 0;
  char latHemisphere = 'S';
  char lonHemisphere = 'W';
};

// Working values derived from the settings that the workers read. Each value
// is read whole: numbers and flags are atomic, texts and the position are
// copied under a lock.
class WorkingValues {
 public:
  StationPosition position() const;
  // Sets the position and derives both letters from the signs.
  void setPosition(double latitudeDeg, double longitudeDeg);
  // Sets the position with letters as received (a GPS sentence's own letters).
  void setPosition(const StationPosition& position);

  std::string beaconComment() const { return read(beaconComment_); }
  void setBeaconComment(std::string_view text) { write(beaconComment_, text); }
  std::string currentUnproto() const { return read(currentUnproto_); }
  void setCurrentUnproto(std::string_view text) { write(currentUnproto_, text); }
  std::string emailAddress() const { return read(emailAddress_); }
  void setEmailAddress(std::string_view text) { write(emailAddress_, text); }
  std::string captureDirectory() const { return read(captureDirectory_); }
  void setCaptureDirectory(std::string_view text) { write(captureDirectory_, text); }
  std::string phgText() const { return read(phgText_); }
  void setPhgText(std::string_view text) { write(phgText_, text); }
  std::string callsign() const { return read(callsign_); }
  void setCallsign(std::string_view text) { write(callsign_, text); }
  // The path of the station's own reports outside satellite passes, which
  // the end of a pass puts back.
  std::string normalUnprotoVia() const { return read(normalUnprotoVia_); }
  void setNormalUnprotoVia(std::string_view text) { write(normalUnprotoVia_, text); }

  std::array<FixedText<32>, kFilterSlots> filterStrings() const;
  void setFilterStrings(const std::array<FixedText<32>, kFilterSlots>& strings);

  // The station's own PC beacon schedule, as the settings give it.
  std::atomic<double> beaconMinutes{30.0};
  // While a satellite pass runs, the PC beacons on the pass's schedule
  // instead, whoever beacons otherwise; the own schedule is left alone and
  // applies again when the pass ends.
  std::atomic<bool> passActive{false};
  std::atomic<double> passBeaconMinutes{0.0};
  std::atomic<double> lastBeaconHours{0.0};
  std::atomic<bool> tncBeaconFlag{true};
  // How the console shows monitored lines, as the Text Filter menu chooses
  // (0 full text, 1 highlight, 2 filter), and whether they carry time tags
  // (the Time Tag button). Every link run reads them as it shows a line.
  std::atomic<int> displayMode{0};
  std::atomic<bool> timeTags{false};
  std::atomic<bool> mobileMode{false};

 private:
  std::string read(const std::string& text) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return text;
  }
  void write(std::string& text, std::string_view value) {
    std::lock_guard<std::mutex> lock(mutex_);
    text.assign(value);
  }

  mutable std::mutex mutex_;
  StationPosition position_;
  std::string beaconComment_{"CQ"};
  std::string currentUnproto_{"APRS"};
  std::string emailAddress_;
  std::string captureDirectory_;
  std::string phgText_{"4310"};
  std::string callsign_;
  std::string normalUnprotoVia_;
  std::array<FixedText<32>, kFilterSlots> filterStrings_{};
};

// The satellites the tracker follows. Written by the user-interface thread
// only while the tracker is off; read by the tracker worker.
struct TrackerTables {
  int count = 0;
  std::array<FixedText<32>, kSatelliteSlots> names{};
  std::array<FixedText<128>, kSatelliteSlots> line1{};
  std::array<FixedText<128>, kSatelliteSlots> line2{};
  std::array<bool, kSatelliteSlots> autoBeacon{};
  std::array<int, kSatelliteSlots> leadTimeTens{};
  std::array<int, kSatelliteSlots> beaconIntervalTens{};
  std::array<FixedText<64>, kSatelliteSlots> unprotoVia{};
};

struct Coordination {
  Events events;
  WaypointBatch waypointBatch;
  WorkingValues values;
  TrackerTables tracker;
  std::atomic<bool> gpsLinkUp{false};
  std::atomic<int> gpsHour{0};
  std::atomic<int> gpsMinute{0};
  std::atomic<int> gpsSecond{0};
  std::atomic<bool> gpsTimeReceived{false};
};

// Derives the working values and tracker settings from the record, in the
// order the main window's initialisation does it. For a mobile station the
// record's tncBeaconOn is cleared (a mobile station is always PC-initiated),
// and tncBeaconFlag follows the cleared value.
void publishWorkingValues(StationSettings& settings, Coordination& shared);


}  // namespace tervane
