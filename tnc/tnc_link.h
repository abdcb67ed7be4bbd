#pragma once
// The TNC menu's link to the TNC worker: TNC > Open and Close, Initialize,
// File > Send Position Report, and the user-interface side of everything the
// worker shows and asks.

#include <atomic>
#include <memory>

#include "base/worker_thread.h"
#include "platform/clock.h"
#include "tnc/tnc_worker.h"

namespace tervane {

class MainConsole;
class ProfileStore;
class QtTncUi;

class TncLink {
 public:
  TncLink(MainConsole& console, const Clock& clock, const ProfileStore* portStore);
  ~TncLink();

  // Where decoded stations go once the station windows exist.
  void setStationSink(StationSink* sink) { stations_ = sink; }
  // Opens the link with a port opener of the caller's choosing (tests).
  void setPortOpener(PortOpener opener) { opener_ = std::move(opener); }

  // Menu commands; the console has already set its menu states.
  void open();
  void close();
  bool isRunning() const { return thread_.isRunning(); }
  void initialize();
  void sendPositionReport();

  // Registers the link's commands with the console's menu.
  void attach();

 private:
  struct Run;
  MainConsole& console_;
  const Clock& clock_;
  const ProfileStore* portStore_;
  StationSink* stations_ = nullptr;
  PortOpener opener_;
  std::shared_ptr<CaptureSession> capture_;
  std::unique_ptr<QtTncUi> ui_;
  std::shared_ptr<Run> run_;
  std::shared_ptr<Run> lastRun_;
  WorkerThread thread_;
};

}  // namespace tervane
