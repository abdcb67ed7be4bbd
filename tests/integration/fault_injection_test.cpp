// Faults on the device links, over real pseudo-terminals: devices that
// vanish, random bytes, endless lines, bursts, malformed GPS data, and a
// hundred Close/Open cycles. In every case the window keeps answering, what
// was shown is in the capture file, and the link works again after Close
// and Open.

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <poll.h>
#include <optional>
#include <random>
#include <unistd.h>

#include "base/coordination.h"
#include "app/main_console.h"
#include "aprs/station_windows.h"
#include "gps/garmin_link.h"
#include "gps/gps_link.h"
#include "platform/pty.h"
#include "tnc/tnc_link.h"
#include "tests/integration/device_question.h"
#include "tests/integration/station_rig.h"
#include "tests/integration/simulator_process.h"

using namespace tervane;

namespace {

// Watches the user-interface thread: the longest time its event loop went
// without running a 10 ms timer.
class Responsiveness {
 public:
  Responsiveness() {
    clock_.start();
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
      worstMs_ = std::max(worstMs_, clock_.restart());
    });
    timer_.start(10);
  }
  qint64 worstMs() const { return worstMs_; }
  // Runs what the test itself blocks on (starting or ending a simulator),
  // which is no stall of the program's windows.
  template <typename F>
  auto outsideTheWindow(F&& f) {
    struct Restart {
      QElapsedTimer& clock;
      ~Restart() { clock.restart(); }
    } restart{clock_};
    return f();
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 worstMs_ = 0;
};

// Writes all bytes to a pseudo-terminal master, waiting while it is full.
void writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else {
      pollfd p{fd, POLLOUT, 0};
      ::poll(&p, 1, 20);
      QCoreApplication::processEvents();
    }
  }
}

// Reads and throws away what the program wrote (its probe and commands).
void drain(int fd) {
  char buf[512];
  while (::read(fd, buf, sizeof buf) > 0) {
  }
}

// Starts a capture: the file is chosen in a save dialog, answered with path.
void startCapture(MainConsole& console, const QString& path) {
  QTimer* answer = new QTimer;
  QObject::connect(answer, &QTimer::timeout, answer, [answer, path] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) edit->setText(path);
    dialog->accept();
    answer->deleteLater();
  });
  answer->start(20);
  console.action("captureStart")->trigger();
}

// The numbered traffic lines ("<tag> N") found in a text, in order.
QStringList numbered(const QString& text, const QString& tag) {
  QStringList found;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    const qsizetype at = line.indexOf(tag);
    if (at >= 0) found << line.mid(at).trimmed();
  }
  return found;
}

void writeTraffic(const QString& path, const QString& tag, int count) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return;
  for (int i = 0; i < count; ++i) f.write(QStringLiteral("K%1X>APRS,WIDE2-1:>%2 %1\n").arg(10000 + i).arg(tag).toLatin1());
}

struct Station : StationRig {
  GpsLink gps{console, settings, shared, clock, nullptr};
  DeviceQuestionGuard question;

  Station() {
    wire();
    gps.setToggleTrackHook([this](bool on) { positions.setToggleTrackEnabled(on); });
    gps.attach();
    settings.mobile = 1;
    start();
  }
  ~Station() {
    console.action("gpsOff")->trigger();
    closeTnc(std::chrono::milliseconds(5000));
  }
  void useTnc(const QString& device) { qputenv("TERVANEAPRS_COM1", device.toLocal8Bit()); }
  void useGps(const QString& device) { qputenv("TERVANEAPRS_COM2", device.toLocal8Bit()); }
  void reopenTnc() {
    console.action("tncClose")->trigger();
    console.action("tncOpen")->trigger();
  }
};

}  // namespace

class FaultInjectionTest : public QObject {
  Q_OBJECT

 private slots:
  void tncVanishesAndTheLinkComesBack() {
    QTemporaryDir dir;
    const QString traffic = dir.filePath(QStringLiteral("traffic.txt"));
    writeTraffic(traffic, QStringLiteral("vanish line"), 100000);
    const QString capture = dir.filePath(QStringLiteral("capture.txt"));
    Station s;
    Responsiveness ui;
    {
      SimulatedTnc tnc({"--traffic", traffic, "--rate", "0"});
      ui.outsideTheWindow([] {});
      s.useTnc(tnc.device());
      startCapture(s.console, capture);
      s.console.action("tncOpen")->trigger();
      QTRY_VERIFY_WITH_TIMEOUT(s.console.monitor()->blockCount() > 50, 10000);
      ui.outsideTheWindow([&tnc] { tnc.stop(); });  // the device goes away under a running worker
      // One line names the port and why, and the menu shows the link closed.
      QTRY_VERIFY_WITH_TIMEOUT(!s.link.isRunning(), 5000);
      QTRY_VERIFY(s.console.action("tncOpen")->isEnabled());
      QVERIFY(!s.console.action("tncClose")->isEnabled());
      const QString lost = QStringLiteral("TNC port COM1 (%1) stopped working").arg(tnc.device());
      QCOMPARE(s.shown().count(lost), 1);
    }
    // Every line shown before the device vanished is in the capture file.
    const QStringList shown = numbered(s.shown(), QStringLiteral("vanish line"));
    QVERIFY(shown.size() > 50);
    {
      QFile f(capture);
      QVERIFY(f.open(QIODevice::ReadOnly));
      QCOMPARE(numbered(QString::fromLatin1(f.readAll()), QStringLiteral("vanish line")), shown);
    }

    std::optional<SimulatedTnc> again;
    ui.outsideTheWindow([&again] { again.emplace(QStringList{"--sample-traffic", "--rate", "50", "--loop"}); });
    s.useTnc(again->device());
    s.reopenTnc();
    const int before = s.console.monitor()->blockCount();
    QTRY_VERIFY_WITH_TIMEOUT(s.console.monitor()->blockCount() > before + 5, 10000);
    QTest::keyClicks(s.console.inputLine(), QStringLiteral("back again"));
    QTest::keyClick(s.console.inputLine(), Qt::Key_Return);
    // The simulated TNC is in command mode, so it takes the line as a command.
    QTRY_VERIFY_WITH_TIMEOUT(again->logHas(QStringLiteral("CMD\tback again")), 5000);
    QVERIFY2(ui.worstMs() < 500, qPrintable(QString::number(ui.worstMs())));
  }

  void randomBytesAndEndlessLines() {
    PtyPair pty = openPseudoTerminal();
    QVERIFY(pty.masterFd >= 0);
    Station s;
    Responsiveness ui;
    s.useTnc(QString::fromStdString(pty.slavePath));
    writeAll(pty.masterFd, "cmd:");
    s.console.action("tncOpen")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(s.link.isRunning(), 3000);
    std::mt19937 random(7);
    std::string noise(200000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    writeAll(pty.masterFd, noise);
    writeAll(pty.masterFd, std::string(50000, 'x'));  // a line that never ends
    writeAll(pty.masterFd, "\r\nN0CALL>APRS:!4237.14N/07120.83W-after the noise\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().contains(QStringLiteral("after the noise")), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(s.positions.view()->model()->rowCount() > 0, true, 5000);
    drain(pty.masterFd);
    QVERIFY2(ui.worstMs() < 500, qPrintable(QString::number(ui.worstMs())));
    s.console.action("tncClose")->trigger();
    WorkerThread::joinAll(std::chrono::milliseconds(3000));
    closePseudoTerminal(pty);
  }

  void burstOfTenThousandLinesIsShownAndCaptured() {
    QTemporaryDir dir;
    const QString traffic = dir.filePath(QStringLiteral("burst.txt"));
    writeTraffic(traffic, QStringLiteral("burst line"), 10000);
    SimulatedTnc tnc({"--traffic", traffic, "--rate", "0"});
    Station s;
    Responsiveness ui;
    s.useTnc(tnc.device());
    const QString capture = dir.filePath(QStringLiteral("capture.txt"));
    startCapture(s.console, capture);
    s.console.action("tncOpen")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().contains(QStringLiteral("burst line 19999")), 60000);
    s.console.action("captureStop")->trigger();
    QTest::qWait(600);
    QFile f(capture);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString captured = QString::fromLatin1(f.readAll());
    QCOMPARE(captured.count(QStringLiteral("burst line")), 10000);
    QCOMPARE(s.shown().count(QStringLiteral("burst line")), 10000);
    QVERIFY2(ui.worstMs() < 500, qPrintable(QString::number(ui.worstMs())));
  }

  void hundredCloseAndOpenWhileTrafficFlows() {
    SimulatedTnc tnc({"--sample-traffic", "--rate", "100", "--loop"});
    Station s;
    Responsiveness ui;
    s.useTnc(tnc.device());
    s.console.action("tncOpen")->trigger();
    for (int i = 0; i < 100; ++i) {
      s.reopenTnc();
      QTest::qWait(5);
    }
    QTRY_VERIFY_WITH_TIMEOUT(s.link.isRunning(), 5000);
    const int before = s.console.monitor()->blockCount();
    QTRY_VERIFY_WITH_TIMEOUT(s.console.monitor()->blockCount() > before + 5, 10000);
    QVERIFY2(ui.worstMs() < 500, qPrintable(QString::number(ui.worstMs())));
  }

  void gpsVanishesAndTheLinkComesBack() {
    Station s;
    Responsiveness ui;
    s.settings.gpsType = 0;
    {
      SimulatedGps gps({"--garmin", "--lat", "-33.9", "--lon", "18.4"});
      ui.outsideTheWindow([] {});
      s.useGps(gps.device());
      s.console.action("gpsOn")->trigger();
      QTRY_COMPARE_WITH_TIMEOUT(s.console.latitudeField()->text(), QStringLiteral("33.900000 S"), 5000);
      ui.outsideTheWindow([&gps] { gps.stop(); });  // the receiver goes away while the worker polls it
      QTest::qWait(1500);
      QCOMPARE(s.console.latitudeField()->text(), QStringLiteral("33.900000 S"));
      s.console.action("gpsOff")->trigger();
      QVERIFY(WorkerThread::joinAll(std::chrono::milliseconds(5000)));
    }
    std::optional<SimulatedGps> again;
    ui.outsideTheWindow([&again] { again.emplace(QStringList{"--garmin", "--lat", "51.5", "--lon", "-0.25"}); });
    s.useGps(again->device());
    s.console.action("gpsOn")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(s.console.latitudeField()->text(), QStringLiteral("51.500000 N"), 5000);
    QCOMPARE(s.console.longitudeField()->text(), QStringLiteral("  0.250000 W"));
    QVERIFY2(ui.worstMs() < 500, qPrintable(QString::number(ui.worstMs())));
  }

  void gpsSendsMalformedSentencesAndBrokenFrames() {
    PtyPair nmea = openPseudoTerminal();
    QVERIFY(nmea.masterFd >= 0);
    Station s;
    Responsiveness ui;
    s.settings.gpsType = 1;
    s.useGps(QString::fromStdString(nmea.slavePath));
    s.console.action("gpsOn")->trigger();
    QTest::qWait(100);
    const std::string junk =
        "\n$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"  // good
        "$GPGGA,12\r\n$GPGGA,,,,,,,,\r\n$GPGGA,123520.55,4807.0,N\r\n$GPGGA,abcdef,x,N,y,E,1*00\r\n"
        "$GPGGA," + std::string(3000, '9') + "\r\n\x10\x10\x03$GNGGA,123521,4807.038,S,01131.000,W,1,08,0.9,545.4,M,46.9,M,,\r\n";
    writeAll(nmea.masterFd, junk);
    QTRY_COMPARE_WITH_TIMEOUT(s.console.latitudeField()->text(), QStringLiteral("48.117300 S"), 5000);
    drain(nmea.masterFd);
    s.console.action("gpsOff")->trigger();
    WorkerThread::joinAll(std::chrono::milliseconds(3000));
    closePseudoTerminal(nmea);

    // A Garmin receiver that answers with bad checksums, stray DLE bytes and
    // truncated frames: the worker goes on polling and the window answers.
    PtyPair garmin = openPseudoTerminal();
    QVERIFY(garmin.masterFd >= 0);
    s.settings.gpsType = 0;
    s.useGps(QString::fromStdString(garmin.slavePath));
    s.console.action("gpsOn")->trigger();
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
      const std::uint8_t ack[] = {254, 0};
      std::vector<std::uint8_t> frame = encodeGarminFrame(6, ack);
      frame[frame.size() - 3] ^= 0x5a;  // a wrong checksum
      std::string bytes(frame.begin(), frame.end());
      bytes += "\x10\x10\x10";
      bytes += std::string(static_cast<std::size_t>(random() % 40), static_cast<char>(random()));
      writeAll(garmin.masterFd, bytes);
      drain(garmin.masterFd);
      QTest::qWait(20);
    }
    QVERIFY2(ui.worstMs() < 500, qPrintable(QString::number(ui.worstMs())));
    s.console.action("gpsOff")->trigger();
    QVERIFY(WorkerThread::joinAll(std::chrono::milliseconds(5000)));
    closePseudoTerminal(garmin);
  }
};

QTEST_MAIN(FaultInjectionTest)
#include "fault_injection_test.moc"
