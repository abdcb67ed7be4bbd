#pragma once
// The TNC menu's links and their workers: TNC > Open and Close with the
// links chosen in the settings (or for one run by TERVANEAPRS_LINK), each
// link opened and closed on its own from the Links window, Initialize,
// File > Send Position Report, File > Capture Text, the IGate between the
// radio links and APRS-IS, and the user-interface side of everything the
// workers show and ask.
//
// The first link is the one the TNC menu and TNC/APRS Settings have always
// managed: its lines are shown as they come, typed lines and the Control
// and Converse buttons go to it, and the status bar follows it. Every
// further link's lines carry its short name before them.

#include <QStringList>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "base/worker_thread.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "tnc/capture_session.h"
#include "tnc/link_choice.h"
#include "tnc/tnc_worker.h"
#include "igate/packet_router.h"
#include "tnc/link_board.h"

class QString;

namespace tervane {

class ConsoleShell;
struct Coordination;
struct StationSettings;
class ProfileStore;
class QtTncUi;


class TncLink final : public LinkBoard {
 public:
  TncLink(ConsoleShell& console, StationSettings& settings, Coordination& shared, const Clock& clock,
          const ProfileStore* portStore);
  ~TncLink() override;

  // Where decoded stations go once the station windows exist.
  void setStationSink(StationSink* sink) { stations_ = sink; }
  // Opens serial links with a port opener of the caller's choosing (tests).
  void setPortOpener(PortOpener opener) { opener_ = std::move(opener); }

  // Menu commands; the console has already set its menu states. Open and
  // Close act on every link of the list.
  void open();
  void close();
  // True while any link's worker runs.
  bool isRunning() const;
  // The Links window: the links of the last TNC > Open (or of the settings
  // before it), each opened and closed on its own.
  std::vector<LinkRow> linkRows() const override;
  void openLink(std::size_t index) override;
  void closeLink(std::size_t index) override;
  // The further links of the settings were edited: while no link runs, the
  // list is read again at once; otherwise at the next TNC > Open.
  void linksEdited() override;
  IgateCounts igateCounts() const override { return router_->counts(); }
  // Why the IGate does not run; empty when it does.
  std::string igateIdleReason() const override;
  // The IGate's settings changed: it takes them at once.
  void igateSettingsChanged() override { updateIgate(); }
  // Whether the IGate is on: by the settings, or for one run by
  // TERVANEAPRS_IGATE=1. Turning it on or off here sets the settings.
  bool igateOn() const override;
  void setIgateOn(bool on) override;
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
  // Where the station's own items go: the queue of the first link's open
  // run. Any thread may post; false when it is not open.
  LinkOutbox& outbox() { return outbox_; }
  // The queues of every open radio link that transmits: a satellite pass's
  // path goes to each of them.
  LinkOutbox& radioOutbox() { return radioOutbox_; }
  // The first link the last TNC > Open started.
  const LinkSpec& linkSpec() const { return spec_; }

  // Registers the link's commands with the console's menu.
  void attach();

 private:
  struct Run;
  struct Slot;
  class SlotUi;
  std::vector<LinkConfig> plannedLinks(QStringList* problems) const;
  std::vector<LinkConfig> chooseLinks();
  void rebuildSlots();
  void startSlot(std::size_t index);
  void stopSlot(std::size_t index);
  // A worker ended by itself: the TNC menu closes once none runs.
  void afterRunEnded();
  // Gives the IGate the links that are open now, or turns it off.
  void updateIgate();
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
  LinkOutbox radioOutbox_;
  std::vector<std::unique_ptr<Slot>> slots_;
  std::shared_ptr<PacketRouter> router_ = std::make_shared<PacketRouter>();
  std::string igateIdle_;
  bool igateForRun_ = false;
  // Cleared when the link object goes, for calls still queued to it.
  std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
};

}  // namespace tervane
