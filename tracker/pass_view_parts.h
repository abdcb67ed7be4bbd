#pragma once
// What the pass views (Upcoming Passes and the Sky Plot) share besides their
// base window: the texts of times and angles, the prediction limits, and the
// job that predicts on a worker thread. Internal to the pass views.

#include <QApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/worker_thread.h"
#include "tracker/pass_table.h"

namespace tervane::pass_views {

inline constexpr std::int64_t kSecondsPerDay = 86400;
// The table is predicted afresh this often, so that it reaches as far ahead
// as it says.
inline constexpr std::int64_t kRepredictSeconds = 60;
// How far ahead the sky plot looks for a satellite's next pass.
inline constexpr int kSkyPlotDays = kMostPassDays;
// Points along a pass's track on the sky plot.
inline constexpr std::int64_t kTrackPoints = 240;

QString latin1(const std::string& s);
std::string clockText(std::int64_t unixSeconds);
std::string dateText(std::int64_t unixSeconds);
std::string spanText(std::int64_t seconds);
std::string durationText(std::int64_t seconds);
// The azimuth clockwise from north, 0 to 360 as a compass reads (the
// tracker's own -180 to 180 turned).
double compassAzimuth(double azimuthDeg);
// The compass azimuth with its compass point ("123.4 ESE").
std::string azimuthText(double azimuthDeg);
std::string elevationText(double elevationDeg);
std::string stationText(double latitudeDeg, double longitudeDeg);

}  // namespace tervane::pass_views

namespace tervane {

// One prediction at a time on a worker thread. Its result reaches the
// window on the window's thread, unless a newer prediction has been started
// since or the window is gone; the window never waits for it.
class PassJob {
 public:
  explicit PassJob(QObject* owner) : owner_(owner) {}

  template <typename Result>
  void start(std::function<Result()> compute, std::function<void(Result)> done) {
    const int generation = ++started_;
    auto deliver = std::make_shared<std::function<void(Result)>>(
        [this, owner = QPointer<QObject>(owner_), generation, done = std::move(done)](Result result) {
          if (!owner || generation != started_) return;
          delivered_ = generation;
          done(std::move(result));
        });
    thread_.start([compute = std::move(compute), deliver] {
      Result result = compute();
      QMetaObject::invokeMethod(
          qApp, [deliver, result = std::move(result)]() mutable { (*deliver)(std::move(result)); },
          Qt::QueuedConnection);
      return 0;
    });
  }
  bool busy() const { return delivered_ != started_; }

 private:
  QObject* owner_;
  int started_ = 0;
  int delivered_ = 0;
  WorkerThread thread_;
};

}  // namespace tervane
