// A full APRS-IS feed against the real windows: the small APRS-IS server of
// the tests feeds lines at a steady rate to the program's own main console,
// station windows and capture, in this process. Reports what a load run
// must show: lines lost (capture file and station windows against what the
// server sent), the window's worst delay in answering input, and the share
// of a core the program used while the feed ran. Not a test: it asserts
// nothing and runs for a minute; scripts/load-aprs-is runs it.
//
// With TERVANE_LOAD_RADIO_LINK set (to "kiss-tcp:127.0.0.1:PORT" of a Dire
// Wolf), that link is the first and APRS-IS the second, the IGate is on, and
// the run also reports what the radio link brought and the gate carried.
//
//   aprs_is_load SERVER-PROGRAM [LINES-PER-SECOND] [SECONDS] [STATIONS]

#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QListView>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/main_console.h"
#include "aprs/station_windows.h"
#include "base/coordination.h"
#include "tnc/tnc_link.h"

using namespace tervane;

namespace {

double cpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Posts a key press to the input line every 50 ms and measures how long the
// window takes to take it.
class InputProbe : public QObject {
 public:
  explicit InputProbe(QWidget* target) : target_(target) {
    target_->installEventFilter(this);
    connect(&timer_, &QTimer::timeout, this, [this] {
      if (pending_) return;
      pending_ = true;
      posted_.start();
      QCoreApplication::postEvent(target_, new QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier));
    });
    timer_.start(50);
  }
  std::vector<qint64> delaysMs() const { return delays_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == target_ && event->type() == QEvent::KeyPress && pending_) {
      pending_ = false;
      delays_.push_back(posted_.elapsed());
    }
    return false;
  }

 private:
  QWidget* target_;
  QTimer timer_;
  QElapsedTimer posted_;
  bool pending_ = false;
  std::vector<qint64> delays_;
};

int countLines(const QString& path, const QByteArray& mark) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return 0;
  return static_cast<int>(f.readAll().count(mark));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: aprs_is_load SERVER-PROGRAM [LINES-PER-SECOND] [SECONDS] [STATIONS]\n");
    return 2;
  }
  const QString serverProgram = QString::fromLocal8Bit(argv[1]);
  const int rate = argc > 2 ? std::atoi(argv[2]) : 500;
  const int seconds = argc > 3 ? std::atoi(argv[3]) : 60;
  const int stationCount = argc > 4 ? std::atoi(argv[4]) : 20000;
  const int total = rate * seconds;

  QTemporaryDir dir;
  QProcess server;
  server.start(serverProgram, {QStringLiteral("--rate"), QString::number(rate), QStringLiteral("--count"),
                               QString::number(total), QStringLiteral("--stations"), QString::number(stationCount),
                               QStringLiteral("--log"), dir.filePath(QStringLiteral("server.log"))});
  server.waitForStarted();
  server.waitForReadyRead(5000);
  const QString address = QString::fromLatin1(server.readLine()).trimmed();
  const QByteArray radio = qgetenv("TERVANE_LOAD_RADIO_LINK");
  qputenv("TERVANEAPRS_LINK", (radio.isEmpty() ? QByteArray() : radio + ",") + ("aprs-is:" + address).toLocal8Bit());

  StationSettings settings;
  if (radio.isEmpty()) {
    settings.callsign = "N0CALL-10";
    settings.aprsIsReceiveOnly = 1;
  } else {
    settings.callsign = "K1TVA-10";
    settings.igateOn = 1;
  }
  Coordination shared;
  SystemClock clock;
  MainConsole console(settings, shared);
  PositionWindow positions(shared, &console);
  StationsWindow stations([&console](const std::string& t) { return console.sendToTnc(Outbound::packet(t)); },
                         &console);
  StationWindowsSink sink(positions, stations);
  TncLink link(console, settings, shared, clock, nullptr);
  link.setStationSink(&sink);
  link.attach();
  console.initialise();
  console.show();
  positions.show();
  stations.show();

  const QString capture = dir.filePath(QStringLiteral("capture.txt"));
  link.captureInto(capture.toStdString());
  console.setCaptureState(CaptureState::Capturing);
  InputProbe probe(console.inputLine());
  QElapsedTimer wall;
  wall.start();
  const double cpuAtStart = cpuSeconds();
  console.action(QStringLiteral("tncOpen"))->trigger();

  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, &app, [&] {
    if (countLines(capture, "load line ") >= total || wall.elapsed() > (seconds + 30) * 1000) app.quit();
  });
  watch.start(1000);
  app.exec();
  const double cpu = cpuSeconds() - cpuAtStart;
  const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;

  const int captured = countLines(capture, "load line ");
  std::vector<qint64> delays = probe.delaysMs();
  std::sort(delays.begin(), delays.end());
  const qint64 worst = delays.empty() ? -1 : delays.back();
  const qint64 median = delays.empty() ? -1 : delays[delays.size() / 2];
  const int expectedStations = std::min(stationCount, total);
  std::printf("feed                 %d lines at %d lines/s from %d stations\n", total, rate, stationCount);
  std::printf("captured             %d lines (lost %d)\n", captured, total - captured);
  std::printf("console              %d lines kept (the console keeps the last %d)\n",
              console.monitor()->blockCount(), MainConsole::kConsoleLines);
  std::printf("stations window      %d of %d stations\n", stations.view()->model()->rowCount(), expectedStations);
  std::printf("position window      %d rows\n", positions.view()->model()->rowCount());
  std::printf("input delay          median %lld ms, worst %lld ms over %zu probes\n", static_cast<long long>(median),
              static_cast<long long>(worst), delays.size());
  std::printf("CPU                  %.1f s in %.1f s: %.2f of a core\n", cpu, elapsed, cpu / elapsed);
  if (!radio.isEmpty()) {
    const std::vector<LinkRow> rows = link.linkRows();
    for (const LinkRow& r : rows) {
      std::printf("link %-15s %s, %llu in, %llu out, %llu copies\n", r.name.c_str(), r.end.c_str(),
                  static_cast<unsigned long long>(r.packetsIn), static_cast<unsigned long long>(r.packetsOut),
                  static_cast<unsigned long long>(r.duplicates));
    }
    const IgateCounts c = link.igateCounts();
    std::printf("IGate                RF to APRS-IS %llu gated, %llu not; APRS-IS to RF %llu gated, %llu not\n",
                static_cast<unsigned long long>(c.gatedToIs), static_cast<unsigned long long>(c.refusedToIs),
                static_cast<unsigned long long>(c.gatedToRf), static_cast<unsigned long long>(c.refusedToRf));
  }
  console.action(QStringLiteral("tncClose"))->trigger();
  server.terminate();
  server.waitForFinished(2000);
  WorkerThread::joinAll(std::chrono::milliseconds(3000));
  return captured == total ? 0 : 1;
}
