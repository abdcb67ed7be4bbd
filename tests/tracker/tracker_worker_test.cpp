#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>
#include <vector>

#include "base/coordination.h"
#include "tnc/text_tnc_link.h"
#include "tracker/element_file.h"
#include "tracker/element_writer.h"
#include "tracker/tracker_worker.h"
#include "tests/eventually.h"

namespace tervane {
namespace {

constexpr double kLat = 42.36;
constexpr double kLon = -71.06;
constexpr std::int64_t kStart = 1796621563;  // 2026-12-07 05:32:43 UTC

class RecordingUi final : public TrackerUi {
 public:
  void showRow(int index, const TrackerRowText& row) override { rows[index] = row; }
  void showWindow() override { ++shown; }
  std::map<int, TrackerRowText> rows;
  int shown = 0;
};

// An open link as far as the tracker can tell: its outbox takes the pass's
// items, and texts() gives what a text-mode TNC would be written for them.
class LinkStandIn {
 public:
  LinkStandIn() { outbox.attach(queue_); }
  std::vector<std::string> texts() {
    while (std::optional<Outbound> item = queue_->take()) {
      for (std::string& t : textTncWrites(*item)) texts_.push_back(std::move(t));
    }
    return texts_;
  }
  LinkOutbox outbox;

 private:
  std::shared_ptr<OutboundQueue> queue_ = std::make_shared<OutboundQueue>();
  std::vector<std::string> texts_;
};

// Puts a satellite arranged to rise riseIn seconds after kStart into slot i.
void addSatellite(Coordination& shared, int i, const char* name, std::int64_t riseIn, int leadTens, int intervalTens,
                  bool autoBeacon = true) {
  const auto orbit = orbitPassingOver(name, 99001 + i, kLat, kLon, kStart, riseIn);
  const auto records = scanElementText(formatElementSet(orbit));
  const auto k = static_cast<std::size_t>(i);
  shared.tracker.names[k] = records.at(0).name.view();
  shared.tracker.line1[k] = records.at(0).line1.view();
  shared.tracker.line2[k] = records.at(0).line2.view();
  shared.tracker.leadTimeTens[k] = leadTens;
  shared.tracker.beaconIntervalTens[k] = intervalTens;
  shared.tracker.autoBeacon[k] = autoBeacon;
  shared.tracker.unprotoVia[k] = "ARISS";
  shared.tracker.count = std::max(shared.tracker.count, i + 1);
}

const std::vector<std::string> kPassTexts = {"\x03UNPROTO APRS VIA ARISS\r", "B E  0\r",
                                             "\x03UNPROTO APRS VIA WIDE1-1,WIDE2-1\r", "B E 180\r", "conv\r"};

struct PassLog {
  std::int64_t start = 0, end = 0, rise = 0, set = 0;
  int startsSeen = 0;
};

// Runs the tracker second by second and notes when satellite 0's pass starts and ends.
PassLog runPass(Coordination& shared, TrackerWorker& w, RecordingUi& ui, std::int64_t seconds) {
  PassLog log;
  w.start(kStart);
  log.rise = w.nextCrossing(0);
  bool active = false;
  double prevEl = -90;
  for (std::int64_t now = kStart; now < kStart + seconds; ++now) {
    EXPECT_TRUE(w.tick(now));
    const double el = std::stod(ui.rows[0].elevation);
    if (prevEl <= 0 && el > 0 && log.rise == 0) log.rise = now;
    if (prevEl > 0 && el <= 0 && log.set == 0) log.set = now;
    prevEl = el;
    const bool nowActive = w.activeSatellite() == 0;
    if (nowActive && !active) {
      log.start = now;
      ++log.startsSeen;
      EXPECT_EQ(ui.rows[0].crossing.back(), 'B');
      EXPECT_DOUBLE_EQ(shared.values.lastBeaconHours.load(), -24.0);
    }
    if (!nowActive && active && log.end == 0) log.end = now;
    active = nowActive;
  }
  return log;
}

TEST(TrackerWorker, AutoBeaconPassSwitchesPathAndSteersTheBeacon) {
  Coordination shared;
  shared.values.setPosition(kLat, kLon);
  shared.values.setCurrentUnproto("APRS");
  shared.values.setNormalUnprotoVia("WIDE1-1,WIDE2-1");
  shared.values.beaconMinutes = 30;
  addSatellite(shared, 0, "PASSER", 600, 18, 6);
  LinkStandIn tnc;
  RecordingUi ui;
  TrackerWorker w(shared, ui, tnc.outbox);
  const PassLog log = runPass(shared, w, ui, 2400);
  ASSERT_GT(log.rise, kStart);
  ASSERT_GT(log.set, log.rise);
  EXPECT_EQ(log.startsSeen, 1);
  // The pass starts at the first second whose rise is at most 10 x lead + 9 seconds away.
  EXPECT_EQ(log.start, log.rise - 189);
  // It ends at the (10 x lead + 1)-th second of falling elevation after the set.
  EXPECT_EQ(log.end, log.set + 181);
  // After the pass the station's own path and the TNC's own beacon are back.
  EXPECT_EQ(tnc.texts(), kPassTexts);
  EXPECT_FALSE(shared.values.passActive.load());
  EXPECT_DOUBLE_EQ(shared.values.beaconMinutes.load(), 30.0);
}

TEST(TrackerWorker, OffWhileAPassStartsLeavesNoPassBeacon) {
  Coordination shared;
  shared.values.setPosition(kLat, kLon);
  shared.values.beaconMinutes = 30;
  addSatellite(shared, 0, "PASSER", 100, 18, 6);  // within its lead time at once
  RecordingUi ui;
  PassBeaconSchedule beacon(shared.values);
  LinkStandIn tnc;
  TrackerWorker w(shared, ui, tnc.outbox, beacon);
  w.start(kStart);
  // The operator chooses Tracker Off just before the pass would start.
  beacon.stop();
  w.tick(kStart);
  EXPECT_EQ(w.activeSatellite(), 0);
  EXPECT_FALSE(shared.values.passActive.load());
  EXPECT_FALSE(beacon.begin(1.0));
  EXPECT_FALSE(shared.values.passActive.load());
  EXPECT_EQ(shared.values.beaconMinutes.load(), 30.0);  // the station's own schedule goes on
}

TEST(TrackerWorker, LeadTimeZeroAndBeaconIntervalZero) {
  Coordination shared;
  shared.values.setPosition(kLat, kLon);
  addSatellite(shared, 0, "PASSER", 300, 0, 0);
  RecordingUi ui;
  LinkOutbox noLink;
  TrackerWorker w(shared, ui, noLink);
  shared.values.beaconMinutes = 30;
  const PassLog log = runPass(shared, w, ui, 1500);
  EXPECT_EQ(log.start, log.rise - 9);
  EXPECT_EQ(log.end, log.set + 1);
  EXPECT_FALSE(shared.values.passActive.load());
  EXPECT_EQ(shared.values.beaconMinutes.load(), 30.0);
}

TEST(TrackerWorker, PassBeaconIntervalKeepsFractionsOfAMinute) {
  Coordination shared;
  shared.values.setPosition(kLat, kLon);
  addSatellite(shared, 0, "PASSER", 200, 18, 3);
  RecordingUi ui;
  LinkOutbox noLink;
  TrackerWorker w(shared, ui, noLink);
  w.start(kStart);
  for (std::int64_t now = kStart; w.activeSatellite() != 0 && now < kStart + 60; ++now) w.tick(now);
  EXPECT_EQ(w.activeSatellite(), 0);
  EXPECT_TRUE(shared.values.passActive.load());
  EXPECT_DOUBLE_EQ(shared.values.passBeaconMinutes.load(), 0.5);
}

TEST(TrackerWorker, OverlappingWindowsOneSatelliteAtATime) {
  Coordination shared;
  shared.values.setPosition(kLat, kLon);
  addSatellite(shared, 0, "FIRST", 200, 18, 6);
  addSatellite(shared, 1, "SECOND", 260, 18, 6);
  RecordingUi ui;
  LinkOutbox noLink;
  TrackerWorker w(shared, ui, noLink);
  w.start(kStart);
  for (std::int64_t now = kStart; now < kStart + 200; ++now) w.tick(now);
  EXPECT_EQ(w.activeSatellite(), 0);
  EXPECT_EQ(ui.rows[0].crossing.back(), 'B');
  EXPECT_EQ(ui.rows[1].crossing.back(), 'W');
}

TEST(TrackerWorker, SatelliteAboveTheHorizonAtStartWaitsForItsSet) {
  Coordination shared;
  shared.values.setPosition(kLat, kLon);
  addSatellite(shared, 0, "OVERHEAD", -200, 18, 6);  // rose 200 s before the start
  RecordingUi ui;
  LinkOutbox noLink;
  TrackerWorker w(shared, ui, noLink);
  w.start(kStart);
  w.tick(kStart);
  EXPECT_GT(std::stod(ui.rows[0].elevation), 0.0);
  const std::int64_t set = w.nextCrossing(0);
  EXPECT_GT(set, kStart);
  for (std::int64_t now = kStart; now < set + 300; ++now) {
    w.tick(now);
    EXPECT_EQ(w.activeSatellite(), -1);
  }
  EXPECT_EQ(ui.rows[0].crossing.back(), 'W');
}

TEST(TrackerWorker, CrossingSecondShowsNotTodayAndPlainRowsHaveTwoBlanks) {
  Coordination shared;
  shared.values.setPosition(kLat, kLon);
  addSatellite(shared, 0, "PLAIN", 100, 18, 6, false);
  RecordingUi ui;
  LinkOutbox noLink;
  TrackerWorker w(shared, ui, noLink);
  w.start(kStart);
  const std::int64_t rise = w.nextCrossing(0);
  w.tick(rise - 61);
  EXPECT_EQ(ui.rows[0].crossing, "00:01:01  ");
  w.tick(rise);
  EXPECT_EQ(ui.rows[0].crossing, "Not Today");
  EXPECT_EQ(w.activeSatellite(), -1);
}

TEST(TrackerWorker, StopRequestAndShowStatusEvent) {
  Coordination shared;
  addSatellite(shared, 0, "ANY", 1000, 18, 6);
  RecordingUi ui;
  LinkOutbox noLink;
  TrackerWorker w(shared, ui, noLink);
  std::atomic<bool> stop{false};
  w.stopOn(&stop);
  w.start(kStart);
  shared.events.trackerShowStatus.raise();
  EXPECT_TRUE(w.tick(kStart));
  EXPECT_EQ(ui.shown, 1);
  stop = true;
  EXPECT_FALSE(w.tick(kStart + 1));
}

TEST(TrackerWorker, RunEndsOnStopWithAnAcceleratedClock) {
  Coordination shared;
  addSatellite(shared, 0, "ANY", 1000, 18, 6);
  RecordingUi ui;
  LinkOutbox noLink;
  TrackerWorker w(shared, ui, noLink);
  FixedClock clock(kStart);
  std::atomic<bool> stop{false};
  int sleeps = 0;
  const int result = w.run(clock, &stop, [&](int) {
    clock.advance(1);
    if (++sleeps == 50) stop = true;
  });
  EXPECT_EQ(result, 0);
  EXPECT_GE(sleeps, 50);
  EXPECT_EQ(ui.rows.size(), 1u);
}

TEST(TrackerRow, Formats) {
  LookAngles a;
  a.rangeKm = 2345.678;
  a.elevationDeg = -5.004;
  a.azimuthDeg = -90;
  a.subLatitudeDeg = 12.345;
  a.subLongitudeDeg = -170.5;
  a.altitudeKm = 420.126;
  const TrackerRowText row = formatTrackerRow("ISS (ZARYA)             ", "00:01:02 B", a);
  EXPECT_EQ(row.name, "ISS (ZARYA)");
  EXPECT_EQ(row.range, "        2345.68");
  EXPECT_EQ(row.elevation, " -5.00");
  EXPECT_EQ(row.azimuth, "-90.00");
  EXPECT_EQ(row.subLatitude, " 12.35");
  EXPECT_EQ(row.subLongitude, "-170.50");
  EXPECT_EQ(row.altitude, "  420.13");
}

}  // namespace
}  // namespace tervane
