#include "tnc/tnc_link.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <functional>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "app/console_shell.h"
#include "app/ui_post.h"
#include "aprs/received_text.h"
#include "base/text_format.h"
#include "tnc/position_report.h"
#include "tnc/tnc_setup.h"

namespace tervane {

namespace {

// Lines reach the console at most this often, however fast they come.
constexpr int kConsoleBatchMs = 16;

QString fromLatin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The console shows a line without its line-end bytes.
QString displayText(std::string_view line) {
  return receivedText(withoutLineEnd(line));
}


// "WIDE1-1, WIDE2-1" as its hops.
std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> hops;
  std::string hop;
  for (char c : path + ",") {
    if (c == ',') {
      if (!hop.empty()) hops.push_back(hop);
      hop.clear();
    } else if (c != ' ') {
      hop += c;
    }
  }
  return hops;
}

}  // namespace

// Everything the worker shows reaches the console through queued calls on
// the user-interface thread. Lines are collected and shown in batches, once
// per frame at most, so a fast feed costs the window one update per batch,
// not per line.
class QtTncUi final : public TncUi {
 public:
  explicit QtTncUi(ConsoleShell& console)
      : console_(&console),
        window_(console.dialogParent()),
        post_(console.dialogParent()),
        pending_(std::make_shared<Pending>()),
        retry_(std::make_shared<Retry>()) {
    // While a link waits to try again, the status bar counts the seconds down.
    auto* tick = new QTimer(window_);
    std::shared_ptr<Retry> retry = retry_;
    ConsoleShell* shown = console_;
    QObject::connect(tick, &QTimer::timeout, tick, [shown, retry] {
      if (retry->active) shown->setStatus(StatusPart::Link, retry->text());
    });
    tick->start(1000);
  }

  // Runs fn on the user-interface thread.
  void post(std::function<void()> fn) { post_(std::move(fn)); }

  // Called on the user-interface thread by TNC > Open and Close.
  void showCondition(const QString& text) {
    retry_->active = false;
    console_->setStatus(StatusPart::Link, text);
  }

  void showLine(std::string_view line) override { queue(displayText(line)); }

  void setUtcClock(std::string_view text) override {
    ConsoleShell* console = console_;
    post_([console, t = fromLatin1(text)] { console->setUtcClock(t); });
  }

  void prefillInputLine(std::string_view text) override {
    ConsoleShell* console = console_;
    post_([console, t = fromLatin1(text)] { console->prefillInputLine(t); });
  }

  void linkEnded() override {
    ConsoleShell* console = console_;
    std::shared_ptr<Pending> pending = pending_;
    post_([console, pending] {
      drain(*console, *pending);  // the line that says why comes first
      console->setTncMenuOpen(false);
    });
  }

  void captureEnded() override {
    ConsoleShell* console = console_;
    post_([console] { console->setCaptureState(CaptureState::Idle); });
  }

  // Notices keep their place among the monitored lines; some carry what a
  // server said.
  void notice(std::string_view text) override { queue(receivedText(text)); }

  void linkCondition(LinkCondition condition, std::string_view detail, int retrySeconds) override {
    ConsoleShell* console = console_;
    std::shared_ptr<Retry> retry = retry_;
    post_([console, retry, condition, d = receivedText(detail), retrySeconds] {
      retry->active = condition == LinkCondition::Retrying;
      switch (condition) {
        case LinkCondition::Up:
          console->setStatus(StatusPart::Link, QStringLiteral("Link: up (%1)").arg(d));
          break;
        case LinkCondition::Retrying:
          retry->detail = d;
          retry->until = std::chrono::steady_clock::now() + std::chrono::seconds(retrySeconds);
          console->setStatus(StatusPart::Link, retry->text());
          break;
        case LinkCondition::Failed:
          console->setStatus(StatusPart::Link, QStringLiteral("Link: failed (%1)").arg(d));
          break;
        case LinkCondition::Closed:
          console->setStatus(StatusPart::Link, QStringLiteral("Link: closed"));
          break;
      }
    });
  }

  bool askDeviceOpenError(std::string_view what) override {
    ConsoleShell* console = console_;
    const QString failed = fromLatin1(what);
    return post_.ask([console, failed] { return console->askDeviceOpenError(failed); });
  }

 private:
  struct Pending {
    std::mutex mutex;
    QStringList lines;
  };
  // Touched on the user-interface thread only.
  struct Retry {
    bool active = false;
    QString detail;
    std::chrono::steady_clock::time_point until;
    QString text() const {
      const auto left = std::chrono::ceil<std::chrono::seconds>(until - std::chrono::steady_clock::now()).count();
      return left > 0 ? QStringLiteral("Link: retrying in %1 s (%2)").arg(left).arg(detail)
                      : QStringLiteral("Link: retrying now (%1)").arg(detail);
    }
  };

  void queue(QString line) {
    bool first = false;
    {
      std::lock_guard<std::mutex> lock(pending_->mutex);
      first = pending_->lines.isEmpty();
      pending_->lines.append(std::move(line));
    }
    if (!first) return;
    std::shared_ptr<Pending> pending = pending_;
    ConsoleShell* console = console_;
    QWidget* window = window_;
    post_([console, window, pending] {
      QTimer::singleShot(kConsoleBatchMs, window, [console, pending] { drain(*console, *pending); });
    });
  }

  static void drain(ConsoleShell& console, Pending& pending) {
    QStringList lines;
    {
      std::lock_guard<std::mutex> lock(pending.mutex);
      lines.swap(pending.lines);
    }
    console.appendMonitorLines(lines);
  }

  ConsoleShell* console_;
  QWidget* window_;  // the user-interface thread alone
  UiPost post_;
  std::shared_ptr<Pending> pending_;
  std::shared_ptr<Retry> retry_;
};

// One opening of one link: its link and streams and its queue.
struct TncLink::Run : WorkerRun {
  std::unique_ptr<LinkKind> link;
  StreamSlot streams;
  std::shared_ptr<OutboundQueue> outbound = std::make_shared<OutboundQueue>();
};

// Where one link stands, written by its worker (through its SlotUi) and read
// by the Links window and the IGate.
struct LinkState {
  mutable std::mutex mutex;
  LinkCondition condition = LinkCondition::Closed;
  std::string detail;
  std::chrono::steady_clock::time_point retryUntil;
  std::string lastError;
  std::atomic<bool> verified{false};
  std::atomic<bool> ended{true};
  LinkCounters counters;
};

struct TncLink::Slot {
  LinkConfig config;
  std::shared_ptr<LinkState> state = std::make_shared<LinkState>();
  std::shared_ptr<Run> run;
  std::shared_ptr<Run> lastRun;
  WorkerThread thread;
  bool running() const { return thread.isRunning() && !state->ended; }
};

// One link's view of the console: its notices carry its name (but the first
// link's), the status bar follows the first link, and every link keeps its
// condition for the Links window.
class TncLink::SlotUi final : public TncUi {
 public:
  SlotUi(std::shared_ptr<QtTncUi> console, std::shared_ptr<LinkState> state, std::string prefix, bool first,
         std::function<void()> onEnded)
      : console_(std::move(console)), state_(std::move(state)), prefix_(std::move(prefix)), first_(first),
        onEnded_(std::move(onEnded)) {}

  void showLine(std::string_view line) override { console_->showLine(line); }
  void setUtcClock(std::string_view text) override {
    if (first_) console_->setUtcClock(text);
  }
  void prefillInputLine(std::string_view text) override { console_->prefillInputLine(text); }
  void linkEnded() override {
    state_->ended = true;
    console_->post(onEnded_);
  }
  void captureEnded() override { console_->captureEnded(); }
  void notice(std::string_view text) override {
    console_->notice(prefix_.empty() ? std::string(text) : prefix_ + std::string(text));
  }
  bool askDeviceOpenError(std::string_view what) override { return console_->askDeviceOpenError(what); }
  void loginVerified(bool verified) override { state_->verified = verified; }
  void linkCondition(LinkCondition condition, std::string_view detail, int retrySeconds) override {
    {
      std::lock_guard<std::mutex> lock(state_->mutex);
      state_->condition = condition;
      state_->detail = std::string(detail);
      state_->retryUntil = std::chrono::steady_clock::now() + std::chrono::seconds(retrySeconds);
      if ((condition == LinkCondition::Retrying || condition == LinkCondition::Failed) && !detail.empty()) {
        state_->lastError = std::string(detail);
      }
    }
    if (condition != LinkCondition::Up) state_->verified = false;
    if (first_) console_->linkCondition(condition, detail, retrySeconds);
  }

 private:
  std::shared_ptr<QtTncUi> console_;
  std::shared_ptr<LinkState> state_;
  std::string prefix_;
  bool first_;
  std::function<void()> onEnded_;
};

TncLink::TncLink(ConsoleShell& console, StationSettings& settings, Coordination& shared, const Clock& clock,
                 const ProfileStore* portStore)
    : console_(console),
      settings_(settings),
      shared_(shared),
      clock_(clock),
      portStore_(portStore),
      capture_(std::make_shared<CaptureSession>()),
      ui_(std::make_shared<QtTncUi>(console)) {
  const char* igate = std::getenv("TERVANEAPRS_IGATE");
  igateForRun_ = igate != nullptr && std::string_view(igate) == "1";
}

bool TncLink::igateOn() const { return igateForRun_ || settings_.igateOn != 0; }

void TncLink::setIgateOn(bool on) {
  igateForRun_ = false;
  settings_.igateOn = on ? 1 : 0;
  updateIgate();
}

TncLink::~TncLink() {
  close();
  *alive_ = false;
}

void TncLink::attach() {
  ConsoleCommands& c = console_.commands();
  c.tncOpen = [this] { open(); };
  c.tncClose = [this] { close(); };
  c.tncRunning = [this] { return isRunning(); };
  c.tncSend = [this](Outbound item) { return isRunning() && outbox_.post(std::move(item)); };
  c.tncInitialize = [this] { initialize(); };
  c.sendPositionReport = [this] { sendPositionReport(); };
  c.captureStart = [this] { startCapture(); };
  c.captureStop = [this] { stopCapture(); };
  c.capturePause = [this] { pauseCapture(true); };
  c.captureResume = [this] { pauseCapture(false); };
}

// The links of the settings, or of TERVANEAPRS_LINK for this run; what
// cannot be read goes to problems (may be null) as console lines.
std::vector<LinkConfig> TncLink::plannedLinks(QStringList* problems) const {
  std::vector<std::string> unread;
  std::vector<LinkConfig> links = linkConfigsFromSettings(settings_, &unread);
  for (const std::string& p : unread) {
    if (problems == nullptr) break;
    problems->append(QStringLiteral("The settings' %1 names no link (tnc:COMn, kiss:COMn, kiss-tcp:HOST:PORT, "
                                    "aprs-is:HOST:PORT); it is not opened.")
                         .arg(QString::fromUtf8(p.c_str())));
  }
  const char* override = std::getenv(kLinkOverrideVariable);
  if (override != nullptr && override[0] != '\0') {
    if (const std::optional<std::vector<LinkSpec>> specs = parseLinkList(override)) {
      // The override's links replace the list; an APRS-IS link logs in as
      // TNC/APRS Settings say, and says itself when its login is receive-only.
      std::vector<LinkConfig> chosen;
      for (const LinkSpec& spec : *specs) {
        LinkConfig link;
        link.spec = spec;
        chosen.push_back(std::move(link));
      }
      chosen.front().name = links.front().name;
      links = std::move(chosen);
    } else if (problems != nullptr) {
      problems->append(QStringLiteral("%1=%2 names no link (tnc:COMn, kiss:COMn, kiss-tcp:HOST:PORT, "
                                      "aprs-is:HOST:PORT); the link of the settings is used.")
                           .arg(QString::fromLatin1(kLinkOverrideVariable), QString::fromLocal8Bit(override)));
    }
  }
  nameLinks(links);
  return links;
}

std::vector<LinkConfig> TncLink::chooseLinks() {
  QStringList problems;
  std::vector<LinkConfig> links = plannedLinks(&problems);
  for (const QString& p : problems) notice(p);
  return links;
}

bool TncLink::isRunning() const {
  return std::any_of(slots_.begin(), slots_.end(), [](const std::unique_ptr<Slot>& s) { return s->running(); });
}

void TncLink::open() {
  if (isRunning()) return;
  // An e-mail prompt left over from an earlier link is not meant for this one.
  shared_.events.emailPrompt.discard();
  rebuildSlots();
  console_.resetTimeTagCaption();
  for (std::size_t i = 0; i < slots_.size(); ++i) startSlot(i);
  updateIgate();
}

void TncLink::rebuildSlots() {
  std::vector<LinkConfig> links = chooseLinks();
  // A link that is still finishing keeps its place, so the next run of it
  // waits for it.
  std::vector<std::unique_ptr<Slot>> previous = std::move(slots_);
  slots_.clear();
  for (std::size_t i = 0; i < links.size(); ++i) {
    auto slot = std::make_unique<Slot>();
    slot->config = std::move(links[i]);
    if (i < previous.size() && previous[i]->config.spec.type == slot->config.spec.type) {
      slot->lastRun = previous[i]->lastRun;
    }
    slots_.push_back(std::move(slot));
  }
  spec_ = slots_.front()->config.spec;
}

void TncLink::linksEdited() {
  if (!isRunning()) rebuildSlots();
}

void TncLink::startSlot(std::size_t index) {
  Slot& slot = *slots_[index];
  if (slot.running()) return;
  const bool first = index == 0;
  const LinkConfig& config = slot.config;
  StationSettings s = settings_;
  if (config.filter) s.aprsIsFilter = *config.filter;
  if (config.spec.type == LinkType::AprsIs && !config.transmits) s.aprsIsReceiveOnly = 1;
  PortOpener opener = opener_;
  if (!opener) {
    // The device is looked up here, on the user-interface thread, which
    // alone reads the settings store.
    const std::string device = serialDevicePath(config.spec.comNumber, portStore_);
    opener = [device](int, int baud) { return openSerialDevice(device, baud); };
  }
  auto run = std::make_shared<Run>();
  const std::shared_ptr<Run> previous = slot.lastRun;
  const StationPosition position = shared_.values.position();
  run->link = makeLink(config.spec, s, position.latitudeDeg, position.longitudeDeg, std::move(opener));
  slot.run = run;
  slot.lastRun = run;
  {
    std::lock_guard<std::mutex> lock(slot.state->mutex);
    slot.state->condition = LinkCondition::Retrying;
    slot.state->detail = "connecting";
    slot.state->retryUntil = std::chrono::steady_clock::now();
  }
  slot.state->ended = false;
  slot.state->verified = false;
  if (first) {
    outbox_.attach(run->outbound);
    ui_->showCondition(QStringLiteral("Link: connecting"));
  }
  const LinkKindEntry& kind = linkKindOf(config.spec.type);
  if (kind.radio && config.transmits) radioOutbox_.add(run->outbound);

  LinkPlace place;
  place.index = static_cast<int>(index);
  place.prefix = first ? std::string() : "[" + config.name + "] ";
  place.rf = kind.radio;
  place.transmits = config.transmits;
  place.ownBeaconTime = !first;
  std::shared_ptr<std::atomic<bool>> alive = alive_;
  auto ui = std::make_shared<SlotUi>(ui_, slot.state, place.prefix, first, [this, alive] {
    if (*alive) afterRunEnded();
  });

  Coordination& shared = shared_;
  // The run holds the user interface it posts to, so a run still finishing
  // after its link object has gone never reaches for what is gone.
  const Clock& clock = clock_;
  StationSink* stations = stations_;
  std::shared_ptr<CaptureSession> capture = capture_;
  std::shared_ptr<PacketRouter> router = router_;
  std::shared_ptr<LinkState> state = slot.state;
  startRun(slot.thread, run, previous, [run, &shared, ui, &clock, stations, capture, router, state, place] {
    TncWorkerContext context{shared,       clock,    *ui,        stations,           *run->link,
                             run->streams, *capture, run->stopFlag(), run->outbound.get(), place,
                             router.get(), &state->counters};
    return runTncWorker(context);
  });
}

void TncLink::stopSlot(std::size_t index) {
  Slot& slot = *slots_[index];
  if (index == 0) {
    ui_->showCondition(QStringLiteral("Link: closed"));
    outbox_.detach();  // what has not gone out yet goes with the run
  }
  if (slot.run) {
    radioOutbox_.remove(slot.run->outbound);
    slot.run->requestStop();
    slot.run->streams.closeForGood();
  }
  {
    std::lock_guard<std::mutex> lock(slot.state->mutex);
    slot.state->condition = LinkCondition::Closed;
    slot.state->detail.clear();
  }
  slot.state->ended = true;
  slot.state->verified = false;
  if (slot.thread.isStarted()) slot.thread.forget();
  slot.run.reset();
}

void TncLink::close() {
  if (slots_.empty()) ui_->showCondition(QStringLiteral("Link: closed"));
  for (std::size_t i = 0; i < slots_.size(); ++i) stopSlot(i);
  updateIgate();
}

void TncLink::openLink(std::size_t index) {
  if (slots_.empty()) rebuildSlots();
  if (index >= slots_.size() || slots_[index]->running()) return;
  if (!isRunning()) {
    shared_.events.emailPrompt.discard();
    console_.setTncMenuOpen(true);
  }
  startSlot(index);
  updateIgate();
}

void TncLink::closeLink(std::size_t index) {
  if (index >= slots_.size()) return;
  stopSlot(index);
  updateIgate();
  if (!isRunning()) console_.setTncMenuOpen(false);
}

void TncLink::afterRunEnded() {
  updateIgate();
  if (!isRunning()) ui_->linkEnded();
}

std::vector<LinkRow> TncLink::linkRows() const {
  std::vector<LinkRow> rows;
  std::vector<LinkConfig> planned;
  // Before the first TNC > Open: the links it would open.
  if (slots_.empty()) planned = plannedLinks(nullptr);
  const auto now = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < std::max(slots_.size(), planned.size()); ++i) {
    LinkRow row;
    const LinkConfig& config = slots_.empty() ? planned[i] : slots_[i]->config;
    row.name = config.name;
    row.end = linkEndText(config.spec);
    row.radio = linkKindOf(config.spec.type).radio;
    row.transmits = config.transmits;
    if (!slots_.empty()) {
      const Slot& slot = *slots_[i];
      const LinkState& st = *slot.state;
      row.running = slot.running();
      {
        std::lock_guard<std::mutex> lock(st.mutex);
        row.condition = st.condition;
        row.detail = st.detail;
        row.lastError = st.lastError;
        row.retrySeconds = static_cast<int>(
            std::max<std::int64_t>(0, std::chrono::ceil<std::chrono::seconds>(st.retryUntil - now).count()));
      }
      if (!row.running && row.condition != LinkCondition::Failed) row.condition = LinkCondition::Closed;
      row.verified = st.verified;
      row.packetsIn = st.counters.packetsIn;
      row.packetsOut = st.counters.packetsOut;
      row.duplicates = st.counters.duplicates;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string TncLink::igateIdleReason() const {
  if (!igateOn()) return "off";
  if (!igateIdle_.empty()) return igateIdle_;
  // Set up, but APRS-IS must have verified the login before anything goes up.
  for (const std::unique_ptr<Slot>& slot : slots_) {
    if (slot->running() && slot->config.spec.type == LinkType::AprsIs && slot->config.transmits) {
      return slot->state->verified ? std::string() : "idle: the APRS-IS server has not verified the login";
    }
  }
  return "idle: no APRS-IS link that transmits is open";
}

// The IGate needs a radio link that hears and an APRS-IS link that may
// send; messages go down through the first radio link that frames its own
// packets (KISS), when one transmits.
void TncLink::updateIgate() {
  igateIdle_.clear();
  if (!igateOn()) {
    router_->setIgate(std::nullopt);
    return;
  }
  Slot* is = nullptr;
  Slot* rfHears = nullptr;
  Slot* rfSends = nullptr;
  for (const std::unique_ptr<Slot>& slot : slots_) {
    if (!slot->running()) continue;
    const LinkConfig& c = slot->config;
    if (c.spec.type == LinkType::AprsIs) {
      if (is == nullptr && c.transmits) is = slot.get();
    } else {
      if (rfHears == nullptr) rfHears = slot.get();
      if (rfSends == nullptr && c.transmits && c.spec.type != LinkType::TextTnc) rfSends = slot.get();
    }
  }
  if (rfHears == nullptr || is == nullptr) {
    igateIdle_ = rfHears == nullptr ? "idle: no radio link is open" : "idle: no APRS-IS link that transmits is open";
    router_->setIgate(std::nullopt);
    return;
  }
  PacketRouter::IgateSetup setup;
  setup.login = upperAscii(settings_.callsign.view());
  for (const std::string& hop : splitPath(settings_.igatePath.str())) setup.rfPath.push_back(PathEntry{hop, false});
  const std::shared_ptr<OutboundQueue> isQueue = is->run->outbound;
  const std::shared_ptr<LinkState> isState = is->state;
  setup.toIs = [isQueue, isState](Outbound item) {
    if (!isState->verified) return false;
    isQueue->post(std::move(item));
    return true;
  };
  if (rfSends != nullptr) {
    const std::shared_ptr<OutboundQueue> rfQueue = rfSends->run->outbound;
    setup.toRf = [rfQueue](Outbound item) {
      rfQueue->post(std::move(item));
      return true;
    };
  }
  router_->setIgate(std::move(setup));
}

void TncLink::initialize() {
  if (!isRunning()) return;
  // Initialize sets up the first link's TNC; the others frame their own packets.
  StationSettings& s = settings_;
  const std::string phg = computePhg(leadingNumber(s.power), leadingNumber(s.height), leadingNumber(s.gain),
                                     leadingNumber(s.direction));
  Outbound item;
  item.kind = Outbound::Kind::Initialize;
  item.settings = std::make_shared<const StationSettings>(s);
  // The TNC's own beacon would carry the stored position for as long as
  // the TNC runs: a station that is not set up has it turned off instead.
  const std::string refusal =
      reportRefusal(s.callsign.view(), leadingNumber(s.latitude), leadingNumber(s.longitude), phg);
  if (!refusal.empty() && s.tncBeaconOn != 0) {
    item.tncBeaconAllowed = false;
    notice(QStringLiteral("TNC beacon turned off: %1.").arg(QString::fromUtf8(refusal.c_str())));
  }
  outbox_.post(std::move(item));
  s.phg = phg;
}

// The report goes out on every open link that transmits, each in its own
// form.
void TncLink::sendPositionReport() {
  if (!isRunning()) {
    notice(QStringLiteral("Position report not sent: no link is open (TNC > Open)."));
    return;
  }
  const StationPosition p = shared_.values.position();
  const StationSettings& s = settings_;
  const std::string refusal = reportRefusal(s.callsign.view(), p.latitudeDeg, p.longitudeDeg, s.phg.view());
  if (!refusal.empty()) {
    notice(QStringLiteral("Position report not sent: %1.").arg(QString::fromUtf8(refusal.c_str())));
    return;
  }
  const Outbound report = Outbound::packet(std::string(
      withoutLineEnd(buildPositionReport(clock_.utcNow(), p.latitudeDeg, p.latHemisphere, p.longitudeDeg,
                                         p.lonHemisphere, shared_.values.mobileMode, s.phg,
                                         shared_.values.beaconComment()))));
  for (const std::unique_ptr<Slot>& slot : slots_) {
    if (slot->running() && slot->run && slot->config.transmits) slot->run->outbound->post(report);
  }
}

void TncLink::notice(const QString& text) { console_.appendMonitorLines({text}); }

void TncLink::startCapture() {
  WorkingValues& values = shared_.values;
  // Until a capture folder has been chosen, the home folder is offered
  // rather than wherever the program happened to be started.
  std::string directory = values.captureDirectory();
  if (directory.empty()) directory = QDir::homePath().toLocal8Bit().toStdString() + "/";
  const std::string offered = defaultCaptureName(directory, clock_.localNow());
  const QString chosen = QFileDialog::getSaveFileName(console_.dialogParent(), QString(),
                                                      QString::fromLocal8Bit(offered.c_str()),
                                                      QStringLiteral("Text Files (*.txt);;All files (*.*)"));
  if (chosen.isEmpty()) {
    // Nothing chosen, nothing captured: the menu says so.
    console_.setCaptureState(CaptureState::Idle);
    return;
  }
  captureInto(chosen.toLocal8Bit().toStdString());
}

bool TncLink::captureInto(const std::string& path) {
  std::string reason;
  std::unique_ptr<LineFile> file = LineFile::create(path, &reason);
  if (!file) {
    // The menu goes back to not capturing, and the folder is not offered
    // again next time.
    console_.appendMonitorLines({QStringLiteral("Capture file %1 could not be opened: %2. Nothing is captured.")
                                     .arg(QString::fromLocal8Bit(path.c_str()), QString::fromLocal8Bit(reason.c_str()))});
    console_.setCaptureState(CaptureState::Idle);
    return false;
  }
  shared_.values.setCaptureDirectory(captureDirectoryOf(path));
  capture_->start(std::move(file));
  return true;
}

}  // namespace tervane
