#include "tracker/tracker_link.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMetaObject>
#include <QTimer>
#include <chrono>
#include <thread>

#include "app/main_console.h"
#include "tracker/element_file.h"

namespace tervane {

namespace {

// Hands the worker's rows to the status window on the user-interface
// thread; a window already destroyed simply receives nothing.
class QtTrackerUi final : public TrackerUi {
 public:
  QtTrackerUi(TrackerStatusWindow* window, MainConsole* console) : window_(window), console_(console) {}
  void showSummary(const std::string& text) override {
    QPointer<MainConsole> c = console_;
    std::shared_ptr<std::atomic<bool>> live = live_;
    QMetaObject::invokeMethod(
        qApp,
        [c, live, t = QString::fromUtf8(text.c_str())] {
          if (c && *live) c->setStatus(StatusPart::Tracker, t);
        },
        Qt::QueuedConnection);
  }
  // Tracker Off: what the ending run still posts no longer reaches the status bar.
  void retire() { *live_ = false; }
  void showRow(int index, const TrackerRowText& row) override {
    QPointer<TrackerStatusWindow> w = window_;
    QMetaObject::invokeMethod(
        qApp,
        [w, index, row] {
          if (w) w->showRow(index, row);
        },
        Qt::QueuedConnection);
  }
  void showWindow() override {
    QPointer<TrackerStatusWindow> w = window_;
    QMetaObject::invokeMethod(
        qApp,
        [w] {
          if (w) w->show();
        },
        Qt::QueuedConnection);
  }

 private:
  QPointer<TrackerStatusWindow> window_;
  QPointer<MainConsole> console_;
  std::shared_ptr<std::atomic<bool>> live_ = std::make_shared<std::atomic<bool>>(true);
};

}  // namespace

struct TrackerLink::Run {
  explicit Run(WorkingValues& values) : beacon(values) {}
  PassBeaconSchedule beacon;
  std::atomic<bool> stop{false};
  std::atomic<bool> ended{false};
  std::unique_ptr<QtTrackerUi> ui;
};

TrackerLink::TrackerLink(MainConsole& console, const Clock& clock) : console_(console), clock_(clock) {}

TrackerLink::~TrackerLink() {
  if (run_) run_->stop = true;
  delete status_.data();
  delete passes_.data();
  delete skyPlot_.data();
}

void TrackerLink::attach() {
  ConsoleCommands& c = console_.commands();
  c.trackerOn = [this] { on(); };
  c.trackerOff = [this] { off(); };
  c.kepFile = [this] { kepFile(); };
  c.selectSatellites = [this] { selectSatellites(); };
  c.showPasses = [this] {
    passesWindow()->show();
    passesWindow()->raise();
  };
  c.showSkyPlot = [this] {
    skyPlotWindow()->show();
    skyPlotWindow()->raise();
  };
}

PassesWindow* TrackerLink::passesWindow() {
  if (!passes_) {
    passes_ = new PassesWindow(console_.shared(), clock_, &console_);
    passes_->setPassChosen([this](int satellite, const SatellitePass& pass) {
      SkyPlotWindow* plot = skyPlotWindow();
      plot->show();
      plot->raise();
      plot->showPass(satellite, pass);
    });
  }
  return passes_.data();
}

SkyPlotWindow* TrackerLink::skyPlotWindow() {
  if (!skyPlot_) skyPlot_ = new SkyPlotWindow(console_.shared(), clock_, &console_);
  return skyPlot_.data();
}

void TrackerLink::on() {
  Coordination& shared = console_.shared();
  if (shared.tracker.count == 0) selectSatellites();
  if (shared.tracker.count <= 0) return;
  console_.setTrackerMenuRunning(true);
  if (thread_.isRunning()) return;
  if (!status_) {
    status_ = new TrackerStatusWindow(
        [this] { console_.action(QStringLiteral("trackerShowStatus"))->setEnabled(true); }, &console_);
  }
  status_->show();
  shared.events.trackerStop.discard();
  auto run = std::make_shared<Run>(shared.values);
  run->ui = std::make_unique<QtTrackerUi>(status_.data(), &console_);
  run_ = run;
  const Clock& clock = clock_;
  thread_.start([run, &shared, &clock] {
    TrackerWorker worker(shared, *run->ui, run->beacon);
    const int result =
        worker.run(clock, &run->stop, [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
    run->ended = true;
    return result;
  });
}

void TrackerLink::off() {
  console_.setTrackerMenuRunning(false);
  console_.setStatus(StatusPart::Tracker, QStringLiteral("Tracker: off"));
  Coordination& shared = console_.shared();
  std::shared_ptr<Run> run = run_;
  // The pass schedule ends now; the worker puts the station's own path back
  // on its way out.
  if (run) run->beacon.stop();
  if (run) run->ui->retire();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  shared.events.trackerStop.raise();
  if (run) run->stop = true;
  run_.reset();
  thread_.forget();
  // The window goes once the worker has really ended (it may be inside a
  // crossing search); the window's thread never waits for it.
  QPointer<TrackerStatusWindow> window = status_;
  status_.clear();
  auto* poll = new QTimer(&console_);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, window, run] {
    if (run && !run->ended) return;
    delete window.data();
    QApplication::restoreOverrideCursor();
    poll->deleteLater();
  });
  poll->start(20);
}

void TrackerLink::kepFile() {
  StationSettings& s = console_.settings();
  const QString chosen = QFileDialog::getOpenFileName(&console_, QString(), QString::fromLocal8Bit(s.kepFileName.c_str()),
                                                      QStringLiteral("Text Files (*.txt);;All files (*.*)"));
  if (!chosen.isEmpty()) s.kepFileName = chosen.toLocal8Bit().toStdString();
}

bool TrackerLink::selectSatellites() {
  StationSettings& s = console_.settings();
  if (s.kepFileName.empty()) kepFile();
  if (s.kepFileName.empty()) kepFile();
  std::vector<ElementRecord> available = scanElementFile(s.kepFileName.str());
  const QString note =
      available.empty()
          ? QStringLiteral("No satellites were found in the element file %1.").arg(QString::fromLocal8Bit(s.kepFileName.c_str()))
          : QString();
  SatelliteSelection selection(std::move(available), s);
  SatelliteSelectionDialog dialog(selection, note, &console_);
  if (dialog.exec() != QDialog::Accepted) return false;
  selection.commit(s, console_.shared().tracker);
  return true;
}

}  // namespace tervane
