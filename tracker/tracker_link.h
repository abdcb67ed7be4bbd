#pragma once
// The Tracker menu: On, Off, Kep File ..., Select Satellites ..., the
// Tracker Status window's life, and the Upcoming Passes and Sky Plot windows.

#include <QPointer>
#include <atomic>
#include <memory>

#include "base/worker_thread.h"
#include "platform/clock.h"
#include "tracker/pass_windows.h"
#include "tracker/tracker_windows.h"

namespace tervane {

class ConsoleShell;
struct Coordination;
class LinkOutbox;
struct StationSettings;

class TrackerLink {
 public:
  // outbox: where the path of a pass and its end go (the link that is open).
  TrackerLink(ConsoleShell& console, StationSettings& settings, Coordination& shared, LinkOutbox& outbox,
              const Clock& clock);
  ~TrackerLink();
  void attach();
  // Asks the worker to end, as at program exit; nothing on the screen changes.
  void stopWorker();

  // Menu commands.
  void on();
  void off();
  void kepFile();
  // Runs the Satellite Selection dialog; true when it was confirmed.
  bool selectSatellites();

  bool isRunning() const { return thread_.isRunning(); }
  TrackerStatusWindow* statusWindow() const { return status_.data(); }
  // The pass windows, made when first shown.
  PassesWindow* passesWindow();
  SkyPlotWindow* skyPlotWindow();

 private:
  struct Run;
  ConsoleShell& console_;
  StationSettings& settings_;
  Coordination& shared_;
  LinkOutbox& outbox_;
  const Clock& clock_;
  QPointer<TrackerStatusWindow> status_;
  QPointer<PassesWindow> passes_;
  QPointer<SkyPlotWindow> skyPlot_;
  std::shared_ptr<Run> run_;
  WorkerThread thread_;
};

}  // namespace tervane
