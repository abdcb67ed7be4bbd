#pragma once
// The Tracker menu: On, Off, Kep File ..., Select Satellites ... and the
// Tracker Status window's life.

#include <QPointer>
#include <atomic>
#include <memory>

#include "base/worker_thread.h"
#include "platform/clock.h"
#include "tracker/tracker_windows.h"

namespace tervane {

class MainConsole;

class TrackerLink {
 public:
  TrackerLink(MainConsole& console, const Clock& clock);
  ~TrackerLink();
  void attach();

  // Menu commands.
  void on();
  void off();
  void kepFile();
  // Runs the Satellite Selection dialog; true when it was confirmed.
  bool selectSatellites();

  bool isRunning() const { return thread_.isRunning(); }
  TrackerStatusWindow* statusWindow() const { return status_.data(); }

 private:
  struct Run;
  MainConsole& console_;
  const Clock& clock_;
  QPointer<TrackerStatusWindow> status_;
  std::shared_ptr<Run> run_;
  WorkerThread thread_;
};

}  // namespace tervane
