#include "tracker/tracker_link.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMetaObject>
#include <QTimer>
#include <chrono>
#include <thread>

#include "app/console_shell.h"
#include "app/ui_post.h"
#include "tracker/element_file.h"

namespace tervane {

namespace {

// Hands the worker's rows to the status window on the user-interface
// thread; a window already destroyed simply receives nothing.
class QtTrackerUi final : public TrackerUi {
 public:
  QtTrackerUi(TrackerStatusWindow* window, ConsoleShell* console)
      : window_(window), console_(console), post_(console->dialogParent()) {}
  void showSummary(const std::string& text) override {
    ConsoleShell* c = console_;
    post_([c, t = QString::fromUtf8(text.c_str())] { c->setStatus(StatusPart::Tracker, t); });
  }
  // Tracker Off: what the ending run still posts no longer reaches the
  // status bar (its status window goes with the run).
  void retire() { post_.retire(); }
  void showRow(int index, const TrackerRowText& row) override {
    QPointer<TrackerStatusWindow> w = window_;
    post_(
        [w, index, row] {
          if (w) w->showRow(index, row);
        },
        true);
  }
  void showWindow() override {
    QPointer<TrackerStatusWindow> w = window_;
    post_(
        [w] {
          if (w) w->show();
        },
        true);
  }

 private:
  QPointer<TrackerStatusWindow> window_;
  ConsoleShell* console_;
  UiPost post_;
};

}  // namespace

struct TrackerLink::Run : WorkerRun {
  explicit Run(WorkingValues& values) : beacon(values) {}
  PassBeaconSchedule beacon;
  std::unique_ptr<QtTrackerUi> ui;
};

TrackerLink::TrackerLink(ConsoleShell& console, StationSettings& settings, Coordination& shared, LinkOutbox& outbox,
                         const Clock& clock)
    : console_(console), settings_(settings), shared_(shared), outbox_(outbox), clock_(clock) {}

TrackerLink::~TrackerLink() {
  stopWorker();
  delete status_.data();
  delete passes_.data();
  delete skyPlot_.data();
}

void TrackerLink::stopWorker() {
  if (run_) run_->requestStop();
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
    passes_ = new PassesWindow(shared_, clock_, console_.dialogParent());
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
  if (!skyPlot_) skyPlot_ = new SkyPlotWindow(shared_, clock_, console_.dialogParent());
  return skyPlot_.data();
}

void TrackerLink::on() {
  Coordination& shared = shared_;
  if (shared.tracker.count == 0) selectSatellites();
  if (shared.tracker.count <= 0) return;
  console_.setTrackerMenuRunning(true);
  if (thread_.isRunning()) return;
  if (!status_) {
    status_ = new TrackerStatusWindow(
        [this] { console_.setMenuEnabled(MenuItem::TrackerShowStatus, true); }, console_.dialogParent());
  }
  status_->show();
  auto run = std::make_shared<Run>(shared.values);
  run->ui = std::make_unique<QtTrackerUi>(status_.data(), &console_);
  run_ = run;
  const Clock& clock = clock_;
  LinkOutbox& outbox = outbox_;
  startRun(thread_, run, nullptr, [run, &shared, &clock, &outbox] {
    TrackerWorker worker(shared, *run->ui, outbox, run->beacon);
    return worker.run(clock, run->stopFlag(), [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
  });
}

void TrackerLink::off() {
  console_.setTrackerMenuRunning(false);
  console_.setStatus(StatusPart::Tracker, QStringLiteral("Tracker: off"));
  std::shared_ptr<Run> run = run_;
  // The pass schedule ends now; the worker puts the station's own path back
  // on its way out.
  if (run) run->beacon.stop();
  if (run) run->ui->retire();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (run) run->requestStop();
  run_.reset();
  thread_.forget();
  // The window goes once the worker has really ended (it may be inside a
  // crossing search); the window's thread never waits for it.
  QPointer<TrackerStatusWindow> window = status_;
  status_.clear();
  auto* poll = new QTimer(console_.dialogParent());
  QObject::connect(poll, &QTimer::timeout, poll, [poll, window, run] {
    if (run && !run->ended()) return;
    delete window.data();
    QApplication::restoreOverrideCursor();
    poll->deleteLater();
  });
  poll->start(20);
}

void TrackerLink::kepFile() {
  StationSettings& s = settings_;
  const QString chosen = QFileDialog::getOpenFileName(console_.dialogParent(), QString(),
                                                      QString::fromLocal8Bit(s.kepFileName.c_str()),
                                                      QStringLiteral("Text Files (*.txt);;All files (*.*)"));
  if (!chosen.isEmpty()) s.kepFileName = chosen.toLocal8Bit().toStdString();
}

bool TrackerLink::selectSatellites() {
  StationSettings& s = settings_;
  if (s.kepFileName.empty()) kepFile();
  if (s.kepFileName.empty()) kepFile();
  std::vector<ElementRecord> available = scanElementFile(s.kepFileName.str());
  const QString note =
      available.empty()
          ? QStringLiteral("No satellites were found in the element file %1.").arg(QString::fromLocal8Bit(s.kepFileName.c_str()))
          : QString();
  SatelliteSelection selection(std::move(available), s);
  SatelliteSelectionDialog dialog(selection, note, console_.dialogParent());
  if (dialog.exec() != QDialog::Accepted) return false;
  selection.commit(s, shared_.tracker);
  return true;
}

}  // namespace tervane
