#pragma once
// The satellite tracker's thread: once a second it propagates every tracked
// satellite, computes its look angles from the station, keeps each one's next
// horizon crossing, refreshes the status rows, and for satellites marked for
// auto-beacon switches the TNC's path and steers the PC beacon through the
// pass.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/coordination.h"
#include "base/outbound.h"
#include "platform/clock.h"
#include "tracker/orbit_model.h"

namespace tervane {

// The texts of one row of the Tracker Status window.
struct TrackerRowText {
  std::string name;
  std::string crossing;  // "HH:MM:SS  ", "HH:MM:SS W", "HH:MM:SS B" or "Not Today"
  std::string range;     // "%15.2f" km
  std::string elevation; // "%6.2f" degrees
  std::string azimuth;
  std::string subLatitude;
  std::string subLongitude;
  std::string altitude;  // "%8.2f" km
};

TrackerRowText formatTrackerRow(std::string_view name, std::string crossing, const LookAngles& angles);

// What the worker shows; called on the worker's thread, carried out on the
// user-interface thread without waiting.
class TrackerUi {
 public:
  virtual ~TrackerUi() = default;
  virtual void showRow(int index, const TrackerRowText& row) = 0;
  virtual void showWindow() = 0;
  // One line for the status bar: the pass under way, or the next one.
  virtual void showSummary(const std::string& text) { (void)text; }
};

// The PC beacon schedule as the tracker steers it through a pass. During a
// pass the PC beacons on the pass's schedule, whatever the station's own
// beacon choice; the station's own schedule is never touched, so it applies
// again when the pass ends. Tracker Off stops the schedule for good, so that
// a pass starting at that very moment cannot begin after Off has ended it.
class PassBeaconSchedule {
 public:
  explicit PassBeaconSchedule(WorkingValues& values) : values_(values) {}
  // A pass starts: a PC beacon at the next check, then one every
  // beaconMinutes. False, and nothing changed, once stopped.
  bool begin(double beaconMinutes);
  // A pass ends: the station's own beacon schedule applies again.
  void end();
  // Tracker Off: as end(), and no pass may begin again.
  void stop();

 private:
  WorkingValues& values_;
  std::mutex mutex_;
  bool stopped_ = false;
};

// The tracker's state for one run. start() loads the satellites of the
// tracker tables and predicts their crossings; tick() is one second of the
// loop. The run itself (run()) reads the clock, so tests drive tick() with
// any instants they like.
class TrackerWorker {
 public:
  // With a schedule of its own, or with the one that Tracker Off stops. The
  // pass's path and its end go to the open link through the outbox.
  TrackerWorker(Coordination& shared, TrackerUi& ui, LinkOutbox& outbox);
  TrackerWorker(Coordination& shared, TrackerUi& ui, LinkOutbox& outbox, PassBeaconSchedule& beacon);

  void start(std::int64_t nowUnix);
  // The run's stop request, which tick() looks at between satellites.
  void stopOn(const std::atomic<bool>* requested) { stop_ = requested; }
  // One second. False when the worker is to end (its stop request).
  bool tick(std::int64_t nowUnix);
  // The run ends: a pass in progress ends with it.
  void finish();

  int activeSatellite() const { return active_; }
  std::int64_t nextCrossing(int i) const { return nextCrossing_[static_cast<std::size_t>(i)]; }
  int satelliteCount() const { return count_; }

  // The loop: start, then one tick per new clock second until the stop
  // request. sleepMs pauses the thread (tests may advance a clock).
  int run(const Clock& clock, const std::atomic<bool>* stopRequested, const std::function<void(int)>& sleepMs);

 private:
  std::string passLogic(int i, double elevationDeg, std::int64_t secs);
  // Puts the station's own path back, and the TNC's own beacon where the
  // TNC beacons by itself, after a pass (or Tracker Off during one).
  void restoreAfterPass();

  Coordination& shared_;
  TrackerUi& ui_;
  LinkOutbox& outbox_;
  std::unique_ptr<PassBeaconSchedule> ownBeacon_;
  PassBeaconSchedule& beacon_;
  const std::atomic<bool>* stop_ = nullptr;
  int count_ = 0;
  std::array<OrbitModel, kSatelliteSlots> models_{};
  std::array<std::int64_t, kSatelliteSlots> nextCrossing_{};
  std::array<double, kSatelliteSlots> previousElevation_{};
  int active_ = -1;
  int passCounter_ = 0;
};

}  // namespace tervane
