#pragma once
// The TNC menu's link to the TNC worker: TNC > Open and Close with the link
// kind chosen in the settings (or for one run by TERVANEAPRS_LINK),
// Initialize, File > Send Position Report, File > Capture Text, and the
// user-interface side of everything the worker shows and asks.

#include <atomic>
#include <memory>

#include "base/worker_thread.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "tnc/capture_session.h"
#include "tnc/link_choice.h"
#include "tnc/tnc_worker.h"

class QString;

namespace tervane {

class ConsoleShell;
struct Coordination;
struct StationSettings;
class ProfileStore;
class QtTncUi;

class TncLink {
 public:
  TncLink(ConsoleShell& console, StationSettings& settings, Coordination& shared, const Clock& clock,
          const ProfileStore* portStore);
  ~TncLink();

  // Where decoded stations go once the station windows exist.
  void setStationSink(StationSink* sink) { stations_ = sink; }
  // Opens serial links with a port opener of the caller's choosing (tests).
  void setPortOpener(PortOpener opener) { opener_ = std::move(opener); }

  // Menu commands; the console has already set its menu states.
  void open();
  void close();
  bool isRunning() const { return thread_.isRunning(); }
  void initialize();
  void sendPositionReport();
  // File > Capture Text: the file is chosen here, on the user-interface
  // thread, so the worker never waits for the operator.
  void startCapture();
  // Starts capturing into the file at path (chosen already) and remembers
  // its folder; false, after a console line saying why and with the menu back
  // to not capturing, when it cannot be opened.
  bool captureInto(const std::string& path);
  void stopCapture() { capture_->stop(); }
  void pauseCapture(bool paused) { capture_->setPaused(paused); }
  const CaptureSession& capture() const { return *capture_; }
  // Where the station's own items go: the queue of the open run. Any thread
  // may post; false when no link is open.
  LinkOutbox& outbox() { return outbox_; }
  // The link the last TNC > Open started.
  const LinkSpec& linkSpec() const { return spec_; }

  // Registers the link's commands with the console's menu.
  void attach();

 private:
  struct Run;
  LinkSpec chooseLink();
  // One line for the operator in the console, among the monitored lines.
  void notice(const QString& text);

  ConsoleShell& console_;
  StationSettings& settings_;
  Coordination& shared_;
  const Clock& clock_;
  const ProfileStore* portStore_;
  StationSink* stations_ = nullptr;
  PortOpener opener_;
  LinkSpec spec_;
  std::shared_ptr<CaptureSession> capture_;
  std::shared_ptr<QtTncUi> ui_;
  LinkOutbox outbox_;
  std::shared_ptr<Run> run_;
  std::shared_ptr<Run> lastRun_;
  WorkerThread thread_;
};

}  // namespace tervane
