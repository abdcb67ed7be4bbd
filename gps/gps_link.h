#pragma once
// The GPS menu: On, Off, Set PC Clock and Set Fixed Station Location, and the
// user-interface side of what the GPS worker shows and asks.

#include <functional>
#include <memory>

#include "base/worker_thread.h"
#include "gps/gps_worker.h"
#include "platform/clock.h"

namespace tervane {

class ConsoleShell;
struct Coordination;
struct StationSettings;
class ProfileStore;

class GpsLink {
 public:
  GpsLink(ConsoleShell& console, StationSettings& settings, Coordination& shared, Clock& clock,
          const ProfileStore* portStore);
  ~GpsLink();

  // Where the worker enables and disables "Toggle Track".
  void setToggleTrackHook(std::function<void(bool)> hook) { toggleTrack_ = std::move(hook); }
  // Replaces opening the serial device that COMn maps to.
  void setPortOpener(PortOpener opener) { opener_ = std::move(opener); }
  void attach();
  // Asks the worker to end, as at program exit; nothing on the screen changes.
  void stopWorker();

  void on();
  void off();
  void setPcClock();
  void setFixedStationLocation();
  bool isRunning() const { return thread_.isRunning(); }

  // One GPS > On (defined with the link).
  struct Run;

 private:
  // The source GPS > On starts: the stored settings, or TERVANEAPRS_GPS.
  GpsWorkerParams workerParams();

  ConsoleShell& console_;
  StationSettings& settings_;
  Coordination& shared_;
  Clock& clock_;
  const ProfileStore* portStore_;
  PortOpener opener_;
  std::function<void(bool)> toggleTrack_;
  std::shared_ptr<Run> run_;
  std::shared_ptr<Run> lastRun_;
  WorkerThread thread_;
};

}  // namespace tervane
