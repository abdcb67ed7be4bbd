#include "gps/gps_link.h"

#include <QAction>
#include <QDateTime>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/console_shell.h"
#include "app/ui_post.h"
#include "base/text_format.h"
#include "gps/gps_override.h"
#include "gps/gps_time.h"

namespace tervane {

// One GPS > On: the worker's stop request and whether it has ended. Texts a
// run posts reach the console only while that run is the current one, so
// nothing a worker sends after GPS > Off overwrites the fixed position.
struct GpsLink::Run : WorkerRun {
  GpsWorkerParams params;
  GpsStopRequest stop;
  GpsTimeLatch time;
  // Stops what the run still posts from reaching the console.
  std::function<void()> retire;
};

namespace {

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

class QtGpsUi final : public GpsUi {
 public:
  QtGpsUi(ConsoleShell& console, std::function<void(bool)> toggleTrack)
      : console_(&console), post_(console.dialogParent()), toggleTrack_(std::move(toggleTrack)) {}

  // GPS > Off: what the ending run still posts no longer reaches the console.
  void retire() { post_.retire(); }

  void showPosition(const StationPosition& p) override {
    post([p](ConsoleShell& c) {
      c.showPosition(p);
      c.setStatus(StatusPart::Gps, QStringLiteral("GPS: fix at %1 UTC")
                                       .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("HH:mm:ss"))));
    });
  }
  void setToggleTrackEnabled(bool enabled) override {
    auto hook = toggleTrack_;
    // Graying the button always goes through, also from a run that GPS > Off ended.
    post(
        [hook, enabled](ConsoleShell&) {
          if (hook) hook(enabled);
        },
        !enabled);
  }
  void menuOn() override {
    post([](ConsoleShell& c) { c.setGpsMenuOn(true); });
  }
  void linkEnded() override {
    // What ended the link stays in the status bar until GPS > On again.
    const QString why = lastNotice_;
    post(
        [why](ConsoleShell& c) {
          c.setGpsMenuOn(false);
          if (!why.isEmpty()) c.setStatus(StatusPart::Gps, QStringLiteral("GPS: stopped (%1)").arg(why));
        },
        true);
  }
  void notice(std::string_view text) override {
    const QString line = latin1(std::string(text));
    lastNotice_ = line;
    post([line](ConsoleShell& c) { c.appendMonitorLines({line}); });
  }
  bool askDeviceOpenError(std::string_view what) override {
    ConsoleShell* console = console_;
    const QString failed = latin1(std::string(what));
    return post_.ask([console, failed] { return console->askDeviceOpenError(failed); });
  }

 private:
  template <typename F>
  void post(F&& f, bool evenAfterOff = false) {
    ConsoleShell* console = console_;
    post_([console, f = std::forward<F>(f)] { f(*console); }, evenAfterOff);
  }

  ConsoleShell* console_;
  UiPost post_;
  std::function<void(bool)> toggleTrack_;
  QString lastNotice_;  // the worker's thread alone
};

}  // namespace

GpsLink::GpsLink(ConsoleShell& console, StationSettings& settings, Coordination& shared, Clock& clock,
                 const ProfileStore* portStore)
    : console_(console), settings_(settings), shared_(shared), clock_(clock), portStore_(portStore) {}

GpsLink::~GpsLink() { stopWorker(); }

void GpsLink::stopWorker() {
  if (!run_) return;
  if (run_->retire) run_->retire();
  run_->stop.request();
  run_->requestStop();
}

void GpsLink::attach() {
  ConsoleCommands& c = console_.commands();
  c.gpsOn = [this] { on(); };
  c.gpsOff = [this] { off(); };
  c.gpsSetPcClock = [this] { setPcClock(); };
  c.gpsSetFixedLocation = [this] { setFixedStationLocation(); };
}

void GpsLink::on() {
  console_.setGpsMenuOn(true);
  if (thread_.isRunning()) return;
  auto run = std::make_shared<Run>();
  const std::shared_ptr<Run> previous = lastRun_;
  run->params = workerParams();
  run_ = run;
  lastRun_ = run;
  Coordination& shared = shared_;
  shared.gpsTimeReceived = false;
  auto ui = std::make_shared<QtGpsUi>(console_, toggleTrack_);
  run->retire = [ui] { ui->retire(); };
  // The device path is looked up here, on the user-interface thread, so that
  // the worker never reads the settings store.
  PortOpener opener = opener_;
  if (!opener) {
    const std::string devicePath = serialDevicePath(run->params.comNumber, portStore_);
    opener = [devicePath](int, int baud) { return openSerialDevice(devicePath, baud); };
  }
  const Clock* clock = &clock_;
  // A run still finishing keeps the device until it ends.
  startRun(thread_, run, previous, [run, ui, &shared, opener, clock] {
    GpsWorkerContext context{shared, *ui, opener, run->stop, {}, &run->time, clock};
    return runGpsWorker(run->params, context);
  });
}

GpsWorkerParams GpsLink::workerParams() {
  const StationSettings& s = settings_;
  GpsWorkerParams params;
  params.comNumber = s.gpsPortNumber + 1;
  params.gpsType = gpsTypeFromIndex(s.gpsType);
  params.gpsdHost = s.gpsdHost.str();
  params.gpsdPort = s.gpsdPort;
  const char* fromEnvironment = std::getenv(kGpsOverrideVariable);
  if (fromEnvironment == nullptr) return params;
  if (const std::optional<GpsdAddress> gpsd = parseGpsOverride(fromEnvironment)) {
    params.gpsType = GpsType::Gpsd;
    params.gpsdHost = gpsd->host;
    params.gpsdPort = gpsd->port;
  } else {
    console_.appendMonitorLines({QStringLiteral("%1=%2 is not understood (use gpsd:HOST:PORT); the GPS settings apply.")
                                     .arg(QLatin1String(kGpsOverrideVariable), QString::fromLocal8Bit(fromEnvironment))});
  }
  return params;
}

void GpsLink::off() {
  console_.setGpsMenuOn(false);
  if (run_) {
    if (run_->retire) run_->retire();
    run_->stop.request();
    run_->requestStop();
  }
  const StationSettings& s = settings_;
  WorkingValues& values = shared_.values;
  values.setPosition(leadingNumber(s.latitude), leadingNumber(s.longitude));
  console_.showPosition(values.position());
  if (thread_.isStarted()) thread_.forget();
  shared_.gpsTimeReceived = false;
  run_.reset();
}

void GpsLink::setPcClock() {
  if (!thread_.isStarted() || !run_) return;
  // The GPS time for the PC clock now, or nothing after a console line
  // saying why there is none.
  const std::shared_ptr<Run> run = run_;
  const auto gpsTimeNow = [this, run](const CalendarTime& pcNow) -> std::optional<CalendarTime> {
    const std::optional<GpsTimeReading> reading = run->time.last();
    if (!reading) {
      console_.appendMonitorLines({QStringLiteral("No time has come from the GPS receiver yet; the PC clock was not set.")});
      return std::nullopt;
    }
    const std::optional<CalendarTime> utc = pcClockFromGps(*reading, pcNow);
    if (!utc) {
      console_.appendMonitorLines({QStringLiteral(
          "The GPS receiver has sent no time for a while; the PC clock was not set.")});
    }
    return utc;
  };
  const CalendarTime pcAsked = clock_.utcNow();
  const std::optional<CalendarTime> gpsAsked = gpsTimeNow(pcAsked);
  if (!gpsAsked) return;

  QMessageBox box(console_.dialogParent());
  box.setWindowTitle(QStringLiteral("Set PC Clock"));
  box.setIcon(QMessageBox::Question);
  box.setText(QStringLiteral("Set the PC clock to the GPS time?"));
  box.setInformativeText(
      QStringLiteral("GPS time: %1\nPC time: %2\nThe PC clock is %3.")
          .arg(latin1(utcClockText(*gpsAsked)), latin1(utcClockText(pcAsked)),
               latin1(pcClockOffsetText(unixFromCalendar(*gpsAsked) - unixFromCalendar(pcAsked)))));
  QPushButton* set = box.addButton(QStringLiteral("Set Clock"), QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
  box.setDefaultButton(set);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() != set) return;

  // The question may have stood open for a while: the time set is the one
  // of this moment, from a reading that is still fresh.
  const CalendarTime pcBefore = clock_.utcNow();
  const std::optional<CalendarTime> utc = gpsTimeNow(pcBefore);
  if (!utc) return;
  std::string reason;
  if (!clock_.setUtc(*utc, &reason)) {
    console_.appendMonitorLines({QStringLiteral("The PC clock was not set from the GPS time: %1.").arg(latin1(reason))});
    return;
  }
  const std::int64_t movedSeconds = unixFromCalendar(*utc) - unixFromCalendar(pcBefore);
  console_.appendMonitorLines(
      {QStringLiteral("PC clock set from the GPS time: %1 is now %2 (it was %3).")
           .arg(latin1(utcClockText(pcBefore)), latin1(utcClockText(*utc)), latin1(pcClockOffsetText(movedSeconds)))});
}

void GpsLink::setFixedStationLocation() {
  const StationPosition p = shared_.values.position();
  StationSettings& s = settings_;
  s.latitude = textf("%9.6f", p.latitudeDeg);
  s.longitude = textf("%10.6f", p.longitudeDeg);
}

}  // namespace tervane
