#include "tnc/tnc_link.h"

#include <QAction>
#include <QFileDialog>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QLineEdit>
#include <QTextCursor>
#include <chrono>
#include <thread>

#include "app/main_console.h"
#include "base/text_format.h"
#include "tnc/position_report.h"
#include "tnc/tnc_setup.h"

namespace tervane {

namespace {

QString fromLatin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The console shows a line without its line-end bytes.
QString displayText(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  return fromLatin1(line);
}

DisplayMode checkedMode(MainConsole& console) {
  if (console.action(QStringLiteral("filterHighlight"))->isChecked()) return DisplayMode::Highlight;
  if (console.action(QStringLiteral("filterFilter"))->isChecked()) return DisplayMode::Filter;
  return DisplayMode::FullText;
}

}  // namespace

// Everything the worker shows reaches the console through queued calls on
// the user-interface thread. Lines are collected and shown in batches, so a
// burst of traffic costs the window one update per batch, not per line.
class QtTncUi final : public TncUi {
 public:
  explicit QtTncUi(MainConsole& console) : console_(&console), pending_(std::make_shared<Pending>()) {}

  void showLine(std::string_view line) override {
    bool first = false;
    {
      std::lock_guard<std::mutex> lock(pending_->mutex);
      first = pending_->lines.isEmpty();
      pending_->lines.append(displayText(line));
    }
    if (!first) return;
    std::shared_ptr<Pending> pending = pending_;
    MainConsole* console = console_;
    QMetaObject::invokeMethod(
        console,
        [console, pending] {
          QStringList lines;
          {
            std::lock_guard<std::mutex> lock(pending->mutex);
            lines.swap(pending->lines);
          }
          console->appendMonitorLines(lines);
        },
        Qt::QueuedConnection);
  }

  void setUtcClock(std::string_view text) override {
    MainConsole* console = console_;
    QMetaObject::invokeMethod(
        console, [console, t = fromLatin1(text)] { console->utcClockField()->setText(t); }, Qt::QueuedConnection);
  }

  void prefillInputLine(std::string_view text) override {
    MainConsole* console = console_;
    QMetaObject::invokeMethod(
        console,
        [console, t = fromLatin1(text)] {
          QPlainTextEdit* input = console->inputLine();
          const QSignalBlocker block(input);
          input->setPlainText(t);
          input->setFocus();
          input->moveCursor(QTextCursor::End);
        },
        Qt::QueuedConnection);
  }

  void linkEnded() override {
    MainConsole* console = console_;
    QMetaObject::invokeMethod(console, [console] { console->setTncMenuOpen(false); }, Qt::QueuedConnection);
  }

  void notice(std::string_view text) override {
    MainConsole* console = console_;
    QMetaObject::invokeMethod(
        console, [console, t = fromLatin1(text)] { console->appendMonitorLines({t}); }, Qt::QueuedConnection);
  }

  bool askDeviceOpenError() override {
    bool carryOn = false;
    MainConsole* console = console_;
    QMetaObject::invokeMethod(
        console, [console, &carryOn] { carryOn = console->askDeviceOpenError(); }, Qt::BlockingQueuedConnection);
    return carryOn;
  }

  std::optional<std::string> askCaptureFileName(const std::string& defaultName) override {
    QString chosen;
    MainConsole* console = console_;
    QMetaObject::invokeMethod(
        console,
        [console, &chosen, &defaultName] {
          chosen = QFileDialog::getSaveFileName(console, QString(), QString::fromLocal8Bit(defaultName.c_str()),
                                                QStringLiteral("Text Files (*.txt);;All files (*.*)"));
        },
        Qt::BlockingQueuedConnection);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toLocal8Bit().toStdString();
  }

 private:
  struct Pending {
    std::mutex mutex;
    QStringList lines;
  };
  MainConsole* console_;
  std::shared_ptr<Pending> pending_;
};

// One TNC > Open: its worker's parameters, its port, and its stop request.
// A run that is still finishing when the next one starts is waited for by the
// new worker (never by the window), so the two never share the device.
struct TncLink::Run {
  TncWorkerParams params;
  TncPortSlot port;
  std::atomic<bool> stop{false};
  std::atomic<bool> ended{false};
  std::shared_ptr<Run> previous;

  void waitForPrevious() {
    if (!previous) return;
    for (int i = 0; i < 300 && !previous->ended; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    previous.reset();
  }
};

TncLink::TncLink(MainConsole& console, const Clock& clock, const ProfileStore* portStore)
    : console_(console),
      clock_(clock),
      portStore_(portStore),
      capture_(std::make_shared<CaptureSession>()),
      ui_(std::make_unique<QtTncUi>(console)) {
  opener_ = [this](int com, int baud) { return openSerialPort(com, baud, portStore_); };
}

TncLink::~TncLink() { close(); }

void TncLink::attach() {
  ConsoleCommands& c = console_.commands();
  c.tncOpen = [this] { open(); };
  c.tncClose = [this] { close(); };
  c.tncRunning = [this] { return isRunning(); };
  c.tncInitialize = [this] { initialize(); };
  c.sendPositionReport = [this] { sendPositionReport(); };
}

void TncLink::open() {
  if (thread_.isRunning()) return;
  Events& events = console_.shared().events;
  // Requests left over from an earlier link are not meant for this one.
  for (AutoResetEvent* e : {&events.tncStop, &events.transmitRequest, &events.transmitReady, &events.clearReady,
                            &events.clearRequest, &events.showFullText, &events.showHighlight, &events.showFiltered,
                            &events.timeTagToggle}) {
    e->discard();
  }
  auto run = std::make_shared<Run>();
  run->previous = lastRun_;
  const StationSettings& s = console_.settings();
  run->params.comNumber = s.portNumber + 1;
  run->params.baudIndex = s.baudRate;
  run->params.mobile = s.mobile != 0;
  run->params.displayMode = checkedMode(console_);
  run_ = run;
  lastRun_ = run;
  console_.timeTagButton()->setText(QStringLiteral("Time Tag On"));

  Coordination& shared = console_.shared();
  TncUi& ui = *ui_;
  const Clock& clock = clock_;
  StationSink* stations = stations_;
  std::shared_ptr<CaptureSession> capture = capture_;
  PortOpener opener = opener_;
  thread_.start([run, &shared, &ui, &clock, stations, capture, opener] {
    run->waitForPrevious();
    TncWorkerContext context{shared, clock, ui, stations, run->port, *capture, opener, &run->stop};
    const int result = runTncWorker(run->params, context);
    run->ended = true;
    return result;
  });
}

void TncLink::close() {
  if (run_) {
    run_->port.closeAndClear();
    run_->stop = true;
  }
  if (thread_.isStarted()) {
    console_.shared().events.tncStop.raise();
    thread_.forget();
  }
  run_.reset();
}

void TncLink::initialize() {
  if (!isRunning()) return;
  StationSettings& s = console_.settings();
  std::string phg;
  for (const std::string& text : tncInitializationTexts(s, &phg)) console_.sendToTnc(text);
  s.phg = phg;
}

void TncLink::sendPositionReport() {
  if (!isRunning()) return;
  const StationPosition p = console_.shared().values.position();
  const StationSettings& s = console_.settings();
  console_.sendToTnc(buildF2Text(clock_.utcNow(), p.latitudeDeg, p.latHemisphere, p.longitudeDeg, p.lonHemisphere,
                                 s.mobile != 0, s.phg, console_.shared().values.beaconComment()));
}

}  // namespace tervane
