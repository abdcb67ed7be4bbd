#include "tracker/tracker_worker.h"

#include <algorithm>

#include "base/text_format.h"
#include "tnc/tnc_setup.h"
#include "tracker/crossing.h"
#include "tracker/element_record.h"

namespace tervane {

TrackerRowText formatTrackerRow(std::string_view name, std::string crossing, const LookAngles& a) {
  TrackerRowText row;
  row.name = std::string(shownName(name));
  row.crossing = std::move(crossing);
  row.range = textf("%15.2f", a.rangeKm);
  row.elevation = textf("%6.2f", a.elevationDeg);
  row.azimuth = textf("%6.2f", a.azimuthDeg);
  row.subLatitude = textf("%6.2f", a.subLatitudeDeg);
  row.subLongitude = textf("%6.2f", a.subLongitudeDeg);
  row.altitude = textf("%8.2f", a.altitudeKm);
  return row;
}

bool PassBeaconSchedule::begin(double beaconMinutes) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopped_) return false;
  values_.passBeaconMinutes = beaconMinutes;
  values_.lastBeaconHours = -24.0;
  values_.passActive = true;
  return true;
}

void PassBeaconSchedule::end() {
  std::lock_guard<std::mutex> lock(mutex_);
  values_.passActive = false;
}

void PassBeaconSchedule::stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopped_ = true;
  values_.passActive = false;
}

TrackerWorker::TrackerWorker(Coordination& shared, TrackerUi& ui, LinkOutbox& outbox)
    : shared_(shared),
      ui_(ui),
      outbox_(outbox),
      ownBeacon_(std::make_unique<PassBeaconSchedule>(shared.values)),
      beacon_(*ownBeacon_) {}

TrackerWorker::TrackerWorker(Coordination& shared, TrackerUi& ui, LinkOutbox& outbox, PassBeaconSchedule& beacon)
    : shared_(shared), ui_(ui), outbox_(outbox), beacon_(beacon) {}

void TrackerWorker::start(std::int64_t nowUnix) {
  const TrackerTables& t = shared_.tracker;
  count_ = std::clamp(t.count, 0, kSatelliteSlots);
  const StationPosition station = shared_.values.position();
  for (int i = 0; i < count_; ++i) {
    const auto k = static_cast<std::size_t>(i);
    models_[k].loadElements(t.names[k].view(), t.line1[k].view(), t.line2[k].view());
    previousElevation_[k] = 0;
    nextCrossing_[k] = models_[k].findCrossing(nowUnix, station.latitudeDeg, station.longitudeDeg).value_or(0);
  }
  active_ = -1;
  passCounter_ = 0;
}



std::string TrackerWorker::passLogic(int i, double el, std::int64_t secs) {
  const auto k = static_cast<std::size_t>(i);
  const TrackerTables& t = shared_.tracker;
  const double prev = previousElevation_[k];
  if (active_ == -1 && secs / 10 <= t.leadTimeTens[k] && el < 0) {
    passCounter_ = 0;
    active_ = i;
    // The link takes the pass's path before the pass's first beacon: both
    // go through the same queue, the path first.
    Outbound start{Outbound::Kind::PassStart};
    start.destination = shared_.values.currentUnproto();
    start.path = t.unprotoVia[k].str();
    outbox_.post(std::move(start));
    // The pass beacon interval is kept in tens of seconds; 3 tens are half a minute.
    beacon_.begin(t.beaconIntervalTens[k] / 6.0);
  }
  if (active_ != i) return "W";
  if (el < prev && el <= 0) ++passCounter_;
  if (el <= 0 && prev > 0) passCounter_ = 0;
  if (passCounter_ > 10 * t.leadTimeTens[k]) {
    beacon_.end();
    restoreAfterPass();
    active_ = -1;
  }
  return "B";
}

void TrackerWorker::restoreAfterPass() {
  WorkingValues& v = shared_.values;
  Outbound end{Outbound::Kind::PassEnd};
  end.destination = v.currentUnproto();
  end.path = v.normalUnprotoVia();
  if (v.tncBeaconFlag) end.tncBeaconTens = beaconPeriodTens(v.beaconMinutes);
  outbox_.post(std::move(end));  // nothing to put back when no link is open
}

void TrackerWorker::finish() {
  if (active_ == -1) return;
  beacon_.stop();
  restoreAfterPass();
  active_ = -1;
}

bool TrackerWorker::tick(std::int64_t now) {
  const TrackerTables& t = shared_.tracker;
  int soonest = -1;
  for (int i = 0; i < count_; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const StationPosition station = shared_.values.position();
    if (nextCrossing_[k] > 0 && nextCrossing_[k] < now) {
      nextCrossing_[k] =
          models_[k].findCrossing(now + kResearchDelaySeconds, station.latitudeDeg, station.longitudeDeg).value_or(0);
    }
    models_[k].propagate(now);
    const LookAngles angles = models_[k].lookAngles(station.latitudeDeg, station.longitudeDeg);
    if (shared_.events.trackerShowStatus.poll()) ui_.showWindow();
    if (stop_ != nullptr && stop_->load()) return false;

    const std::int64_t secs = nextCrossing_[k] - now;
    std::string crossing = "Not Today";
    if (secs >= 1) {
      const std::int64_t h = secs / 3600;
      const std::int64_t m = secs / 60 % 60;
      const std::int64_t s = secs % 60;
      const std::string hms = textf("%02lld:%02lld:%02lld", static_cast<long long>(h), static_cast<long long>(m),
                                    static_cast<long long>(s));
      crossing = hms + (t.autoBeacon[k] ? " " + passLogic(i, angles.elevationDeg, secs) : std::string("  "));
    }
    ui_.showRow(i, formatTrackerRow(models_[k].name(), std::move(crossing), angles));
    previousElevation_[k] = angles.elevationDeg;
    if (secs >= 1 && (soonest == -1 || nextCrossing_[k] < nextCrossing_[static_cast<std::size_t>(soonest)])) {
      soonest = i;
    }
  }
  if (active_ != -1) {
    ui_.showSummary("Tracker: pass of " + std::string(shownName(models_[static_cast<std::size_t>(active_)].name())) +
                    ", beaconing");
  } else if (soonest != -1) {
    const auto k = static_cast<std::size_t>(soonest);
    const std::int64_t secs = nextCrossing_[k] - now;
    ui_.showSummary(textf("Tracker: next crossing %s in %02lld:%02lld:%02lld",
                          std::string(shownName(models_[k].name())).c_str(), static_cast<long long>(secs / 3600),
                          static_cast<long long>(secs / 60 % 60), static_cast<long long>(secs % 60)));
  } else {
    ui_.showSummary("Tracker: no crossing today");
  }
  return true;
}

int TrackerWorker::run(const Clock& clock, const std::atomic<bool>* stopRequested,
                       const std::function<void(int)>& sleepMs) {
  const auto stopping = [stopRequested] { return stopRequested != nullptr && stopRequested->load(); };
  stopOn(stopRequested);
  start(clock.unixSeconds());
  std::int64_t previous = 0;
  while (!stopping()) {
    std::int64_t now = clock.unixSeconds();
    while (now == previous && !stopping()) {
      sleepMs(100);
      now = clock.unixSeconds();
    }
    previous = now;
    if (stopping() || !tick(now)) break;
  }
  finish();
  return 0;
}

}  // namespace tervane
