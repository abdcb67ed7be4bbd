// A whole satellite pass in a few seconds: the tracker worker on an
// accelerated clock steers the real TNC worker, and the simulated TNC at the
// other end of a pseudo-terminal receives the pass commands and the PC
// beacons.

#include <QAction>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

#include "base/coordination.h"
#include "app/main_console.h"
#include "tnc/tnc_link.h"
#include "tracker/element_file.h"
#include "tracker/element_writer.h"
#include "tracker/tracker_worker.h"

using namespace tervane;

namespace {

// A clock that the test moves on; safe to read from every thread.
class SharedClock final : public Clock {
 public:
  explicit SharedClock(std::int64_t start) : seconds_(start) {}
  void advance() { ++seconds_; }
  CalendarTime utcNow() const override { return calendarFromUnix(seconds_); }
  CalendarTime localNow() const override { return calendarFromUnix(seconds_); }
  std::int64_t unixSeconds() const override { return seconds_; }
  bool setUtc(const CalendarTime&, std::string*) override { return false; }

 private:
  std::atomic<std::int64_t> seconds_;
};

class NoUi final : public TrackerUi {
 public:
  void showRow(int, const TrackerRowText&) override {}
  void showWindow() override {}
};

constexpr double kLat = 42.36;
constexpr double kLon = -71.06;
constexpr std::int64_t kStart = 1796621563;

}  // namespace

class TrackerPassTest : public QObject {
  Q_OBJECT

 private slots:
  void passCommandsAndBeaconsReachTheTnc() {
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("tnc.log"));
    QProcess sim;
    sim.start(QStringLiteral(TERVANE_TNCSIM_PATH),
              {"--log", logPath, "--sample-traffic", "--rate", "40", "--loop"});
    QVERIFY(sim.waitForStarted());
    for (int i = 0; i < 100 && !sim.canReadLine(); ++i) sim.waitForReadyRead(50);
    qputenv("TERVANEAPRS_COM1", sim.readLine().trimmed());

    StationSettings settings;
    settings.latitude = "42.36";
    settings.longitude = "-71.06";
    settings.callsign = "N0DEMO";  // the TNC beacons by itself, as new settings have it
    Coordination shared;
    SharedClock clock(kStart);
    MainConsole console(settings, shared);
    TncLink link(console, settings, shared, clock, nullptr);
    link.attach();
    console.initialise();
    console.action("tncOpen")->trigger();

    const auto orbit = orbitPassingOver("DEMOSAT-1", 99001, kLat, kLon, kStart, 90);
    const auto records = scanElementText(formatElementSet(orbit));
    shared.tracker.count = 1;
    shared.tracker.names[0] = records.at(0).name.view();
    shared.tracker.line1[0] = records.at(0).line1.view();
    shared.tracker.line2[0] = records.at(0).line2.view();
    shared.tracker.leadTimeTens[0] = 6;
    shared.tracker.beaconIntervalTens[0] = 6;
    shared.tracker.autoBeacon[0] = true;
    shared.tracker.unprotoVia[0] = "ARISS";

    std::atomic<bool> stop{false};
    NoUi ui;
    std::atomic<int> activeSeen{0};
    std::thread tracker([&] {
      TrackerWorker worker(shared, ui, link.outbox());
      worker.run(clock, &stop, [&](int) {
        if (worker.activeSatellite() == 0) activeSeen = 1;
        if (activeSeen == 1 && worker.activeSatellite() == -1) activeSeen = 2;
        clock.advance();
        std::this_thread::sleep_for(std::chrono::milliseconds(8));
      });
    });
    QTRY_VERIFY_WITH_TIMEOUT(activeSeen == 2, 60000);
    stop = true;
    tracker.join();
    QCOMPARE(shared.values.beaconMinutes.load(), 30.0);
    QVERIFY(!shared.values.passActive.load());

    // The end of the pass was queued for the link as the pass ended; the
    // TNC has it once its worker has written it.
    const auto readLog = [&logPath] {
      QFile log(logPath);
      return log.open(QIODevice::ReadOnly) ? QString::fromLatin1(log.readAll()).split(QLatin1Char('\n'))
                                           : QStringList();
    };
    QTRY_VERIFY_WITH_TIMEOUT(readLog().contains(QStringLiteral("CMD\tUNPROTO APRS VIA WIDE1-1,WIDE2-1")), 10000);
    const QStringList records2 = readLog();
    const int unproto = records2.indexOf(QStringLiteral("CMD\tUNPROTO APRS VIA ARISS"));
    QVERIFY2(unproto >= 0, qPrintable(records2.join(QLatin1Char('|')).right(2000)));
    QCOMPARE(records2.value(unproto + 1), QStringLiteral("CMD\tB E  0"));
    int beacons = 0;
    for (const QString& r : records2) {
      if (r.startsWith(QStringLiteral("TX\t/")) && r.contains(QStringLiteral("4221.60N/07103.60W-PHG"))) ++beacons;
    }
    // The PC beacons through the pass although the TNC beacons by itself
    // otherwise, and after the pass the station's own path and the TNC's own
    // beacon are back.
    QVERIFY2(beacons >= 3, qPrintable(QString::number(beacons)));
    const int restored = records2.indexOf(QStringLiteral("CMD\tUNPROTO APRS VIA WIDE1-1,WIDE2-1"), unproto);
    QVERIFY2(restored > unproto, qPrintable(records2.join(QLatin1Char('|')).right(2000)));
    QCOMPARE(records2.value(restored + 1), QStringLiteral("CMD\tB E 180"));
    console.action("tncClose")->trigger();
    WorkerThread::joinAll(std::chrono::milliseconds(3000));
    sim.terminate();
    sim.waitForFinished(2000);
  }
};

QTEST_MAIN(TrackerPassTest)
#include "tracker_pass_test.moc"
