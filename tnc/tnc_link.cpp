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
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "app/console_shell.h"
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

  // Called on the user-interface thread by TNC > Open and Close.
  void showCondition(const QString& text) {
    retry_->active = false;
    console_->setStatus(StatusPart::Link, text);
  }

  void showLine(std::string_view line) override { queue(displayText(line)); }

  void setUtcClock(std::string_view text) override {
    ConsoleShell* console = console_;
    QMetaObject::invokeMethod(
        window_, [console, t = fromLatin1(text)] { console->setUtcClock(t); }, Qt::QueuedConnection);
  }

  void prefillInputLine(std::string_view text) override {
    ConsoleShell* console = console_;
    QMetaObject::invokeMethod(
        window_,
        [console, t = fromLatin1(text)] { console->prefillInputLine(t); },
        Qt::QueuedConnection);
  }

  void linkEnded() override {
    ConsoleShell* console = console_;
    std::shared_ptr<Pending> pending = pending_;
    QMetaObject::invokeMethod(
        window_,
        [console, pending] {
          drain(*console, *pending);  // the line that says why comes first
          console->setTncMenuOpen(false);
        },
        Qt::QueuedConnection);
  }

  void captureEnded() override {
    ConsoleShell* console = console_;
    QMetaObject::invokeMethod(
        window_, [console] { console->setCaptureState(CaptureState::Idle); }, Qt::QueuedConnection);
  }

  // Notices keep their place among the monitored lines; some carry what a
  // server said.
  void notice(std::string_view text) override { queue(receivedText(text)); }

  void linkCondition(LinkCondition condition, std::string_view detail, int retrySeconds) override {
    ConsoleShell* console = console_;
    std::shared_ptr<Retry> retry = retry_;
    QMetaObject::invokeMethod(
        window_,
        [console, retry, condition, d = receivedText(detail), retrySeconds] {
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
        },
        Qt::QueuedConnection);
  }

  bool askDeviceOpenError(std::string_view what) override {
    bool carryOn = false;
    ConsoleShell* console = console_;
    const QString failed = fromLatin1(what);
    QMetaObject::invokeMethod(
        window_, [console, &carryOn, failed] { carryOn = console->askDeviceOpenError(failed); },
        Qt::BlockingQueuedConnection);
    return carryOn;
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
    QMetaObject::invokeMethod(
        window_,
        [console, window, pending] {
          QTimer::singleShot(kConsoleBatchMs, window, [console, pending] { drain(*console, *pending); });
        },
        Qt::QueuedConnection);
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
  QWidget* window_;
  std::shared_ptr<Pending> pending_;
  std::shared_ptr<Retry> retry_;
};

// One TNC > Open: its worker's parameters, its link and streams, and its
// stop request. A run that is still finishing when the next one starts is
// waited for by the new worker (never by the window), so the two never
// share the device.
struct TncLink::Run {
  std::unique_ptr<LinkKind> link;
  StreamSlot streams;
  std::shared_ptr<OutboundQueue> outbound = std::make_shared<OutboundQueue>();
  std::atomic<bool> stop{false};
  std::atomic<bool> ended{false};
  std::shared_ptr<Run> previous;

  void waitForPrevious() {
    if (!previous) return;
    for (int i = 0; i < 300 && !previous->ended; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    previous.reset();
  }
};

TncLink::TncLink(ConsoleShell& console, StationSettings& settings, Coordination& shared, const Clock& clock,
                 const ProfileStore* portStore)
    : console_(console),
      settings_(settings),
      shared_(shared),
      clock_(clock),
      portStore_(portStore),
      capture_(std::make_shared<CaptureSession>()),
      ui_(std::make_shared<QtTncUi>(console)) {}

TncLink::~TncLink() { close(); }

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

LinkSpec TncLink::chooseLink() {
  const StationSettings& s = settings_;
  const char* override = std::getenv(kLinkOverrideVariable);
  if (override != nullptr && override[0] != '\0') {
    if (const std::optional<LinkSpec> spec = parseLinkOverride(override)) return *spec;
    console_.appendMonitorLines({QStringLiteral("%1=%2 names no link (tnc:COMn, kiss:COMn, kiss-tcp:HOST:PORT, "
                                                "aprs-is:HOST:PORT); the link of the settings is used.")
                                     .arg(QString::fromLatin1(kLinkOverrideVariable), QString::fromLocal8Bit(override))});
  }
  return linkSpecFromSettings(s);
}

void TncLink::open() {
  if (thread_.isRunning()) return;
  // An e-mail prompt left over from an earlier link is not meant for this one.
  shared_.events.emailPrompt.discard();
  const StationSettings& s = settings_;
  spec_ = chooseLink();
  PortOpener opener = opener_;
  if (!opener) {
    // The device is looked up here, on the user-interface thread, which
    // alone reads the settings store.
    const std::string device = serialDevicePath(spec_.comNumber, portStore_);
    opener = [device](int, int baud) { return openSerialDevice(device, baud); };
  }
  auto run = std::make_shared<Run>();
  run->previous = lastRun_;
  const StationPosition position = shared_.values.position();
  run->link = makeLink(spec_, s, position.latitudeDeg, position.longitudeDeg, std::move(opener));
  run_ = run;
  lastRun_ = run;
  outbox_.attach(run->outbound);
  console_.resetTimeTagCaption();
  ui_->showCondition(QStringLiteral("Link: connecting"));

  Coordination& shared = shared_;
  // The run holds the user interface it posts to, so a run still finishing
  // after its link object has gone never reaches for what is gone.
  std::shared_ptr<TncUi> ui = ui_;
  const Clock& clock = clock_;
  StationSink* stations = stations_;
  std::shared_ptr<CaptureSession> capture = capture_;
  thread_.start([run, &shared, ui, &clock, stations, capture] {
    run->waitForPrevious();
    TncWorkerContext context{shared,       clock,    *ui,        stations,           *run->link,
                             run->streams, *capture, &run->stop, run->outbound.get()};
    const int result = runTncWorker(context);
    run->ended = true;
    return result;
  });
}

void TncLink::close() {
  ui_->showCondition(QStringLiteral("Link: closed"));
  outbox_.detach();  // what has not gone out yet goes with the run
  if (run_) {
    run_->stop = true;
    run_->streams.closeForGood();
  }
  if (thread_.isStarted()) thread_.forget();
  run_.reset();
}

void TncLink::initialize() {
  if (!isRunning()) return;
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
  outbox_.post(Outbound::packet(std::string(
      withoutLineEnd(buildPositionReport(clock_.utcNow(), p.latitudeDeg, p.latHemisphere, p.longitudeDeg,
                                         p.lonHemisphere, shared_.values.mobileMode, s.phg,
                                         shared_.values.beaconComment())))));
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
