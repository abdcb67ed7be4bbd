// The KISS links against the real Dire Wolf, with no sound card and no
// radio: packets made into audio are decoded by Dire Wolf and reach the
// console and the Position window over KISS TCP and over Dire Wolf's KISS
// pseudo-terminal opened as a serial port; the program's own reports, sent
// to Dire Wolf over KISS, come out of its transmitter as exactly those
// reports; a Dire Wolf stopped and started again under a running link is
// found again.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "app/main_console.h"
#include "aprs/station_windows.h"
#include "base/coordination.h"
#include "tests/integration/device_question.h"
#include "tests/integration/station_rig.h"
#include "tests/integration/direwolf.h"
#include "tnc/ax25.h"
#include "tnc/kiss.h"
#include "tnc/tnc_link.h"

using namespace tervane;
using SteadyClock = std::chrono::steady_clock;

namespace {

// Packets of our own making around 42.36 N 71.06 W: plain, compressed,
// Mic-E, object, status and a message.
const QStringList kPackets = {
    QStringLiteral("N1DWA>APRS,WIDE2-1:!4221.61N/07103.53W-home 01"),
    QStringLiteral("N1DWB-9>APRS,WIDE1-1,WIDE2-1:=4222.10N/07104.20W>090/035 car 02"),
    QStringLiteral("N1DWC>APRS:/071200z4223.00N/07105.00W_weather 03"),
    QStringLiteral("N1DWD>APRS:@071200z4224.00N/07106.00W-PHG5130/stamped 04"),
    QStringLiteral("N1DWE>APRS,WIDE2-1:>status text 05"),
    QStringLiteral("N1DWF>APRS::N0CALL-1 :hello 06{6"),
    QStringLiteral("N1DWG-7>T2SP0W,WIDE1-1:`c51!f?>/]\"3x}mic-e 07"),
    QStringLiteral("N1DWH>APRS:!/5L!!<*e7>7P[compressed 08"),
    QStringLiteral("N1DWI>APRS:;NETCTL   *071200z4225.00N/07107.00W-object 09"),
    QStringLiteral("N1DWJ>APRS,WIDE2-1:!4226.00N/07108.00W#digi 10"),
};

// A second KISS client beside the program: when Dire Wolf hands each frame
// out, for the console's delay.
class KissWatcher {
 public:
  explicit KissWatcher(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    timeval wait{0, 100000};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    thread_ = std::thread([this] { run(); });
  }
  ~KissWatcher() {
    quit_ = true;
    thread_.join();
    ::close(fd_);
  }
  bool connected() const { return connected_; }
  std::map<QString, SteadyClock::time_point> arrivals() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return arrivals_;
  }

 private:
  void run() {
    KissDeframer deframer;
    std::uint8_t buffer[4096];
    while (!quit_) {
      const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) continue;
      const auto now = SteadyClock::now();
      deframer.feed(buffer, static_cast<std::size_t>(n), [this, now](int, std::string_view payload) {
        if (auto f = readUiFrame(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size())) {
          std::lock_guard<std::mutex> lock(mutex_);
          arrivals_.emplace(QString::fromLatin1(monitorLine(*f).c_str()), now);
        }
      });
    }
  }

  int fd_ = -1;
  bool connected_ = false;
  std::atomic<bool> quit_{false};
  mutable std::mutex mutex_;
  std::map<QString, SteadyClock::time_point> arrivals_;
  std::thread thread_;
};

struct Station : StationRig {
  DeviceQuestionGuard question;
  std::map<QString, SteadyClock::time_point> shownAt;

  explicit Station(const QString& linkChoice) {
    qputenv("TERVANEAPRS_LINK", linkChoice.toLocal8Bit());
    settings.callsign = "N0DEMO-1";
    settings.unprotoVia = "WIDE1-1";
    wire();
    start();
    // When each packet first shows in the console.
    QObject::connect(console.monitor(), &QPlainTextEdit::textChanged, console.monitor(), [this] {
      const QString text = console.monitor()->toPlainText();
      const auto now = SteadyClock::now();
      for (const QString& p : kPackets) {
        if (!shownAt.count(p) && text.contains(p)) shownAt.emplace(p, now);
      }
    });
  }
  ~Station() { closeTnc(); }
  int positionRows() const { return positions.view()->model()->rowCount(); }
};

}  // namespace

class DireWolfTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    if (!direwolf::installed()) QSKIP("Dire Wolf (direwolf, gen_packets, atest) is not installed");
  }

  void receivesEveryPacketOverKissTcp() {
    direwolf::Instance dw({});
    Station s(QStringLiteral("kiss-tcp:127.0.0.1:%1").arg(dw.kissPort()));
    s.console.action("tncOpen")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(dw.kissClients() == 1, 10000);
    KissWatcher watcher(dw.kissPort());
    QVERIFY(watcher.connected());
    QTRY_VERIFY_WITH_TIMEOUT(dw.kissClients() == 2, 5000);

    const QByteArray audio = direwolf::afskAudio(kPackets, 44100);
    dw.feed(audio);
    for (const QString& p : kPackets) QTRY_VERIFY2_WITH_TIMEOUT(s.shown().contains(p), qPrintable(p), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(s.positionRows() >= 5, 3000);
    QCOMPARE(s.shown().count(QStringLiteral("N1DW")), kPackets.size());

    // How long a frame Dire Wolf hands out takes to show in the console.
    const auto arrivals = watcher.arrivals();
    QStringList delays;
    qint64 worstMs = 0;
    for (const QString& p : kPackets) {
      if (!arrivals.count(p) || !s.shownAt.count(p)) continue;
      const qint64 ms = std::chrono::duration_cast<std::chrono::milliseconds>(s.shownAt.at(p) - arrivals.at(p)).count();
      worstMs = std::max(worstMs, ms);
      delays << QString::number(ms);
    }
    qInfo("Dire Wolf to console, ms per packet: %s (worst %lld)", qPrintable(delays.join(QLatin1Char(' '))),
          static_cast<long long>(worstMs));
  }

  void burstOfThousandFramesLosesNone() {
    direwolf::Instance dw({11025});
    Station s(QStringLiteral("kiss-tcp:127.0.0.1:%1").arg(dw.kissPort()));
    s.console.action("tncOpen")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(dw.kissClients() == 1, 10000);
    QStringList burst;
    for (int i = 0; i < 1000; ++i) {
      burst << QStringLiteral("K%1BST-%2>APRS,WIDE2-1:>burst frame %3").arg(i % 10).arg(i % 16).arg(i, 4, 10, QLatin1Char('0'));
    }
    const QByteArray audio = direwolf::afskAudio(burst, 11025);
    QElapsedTimer timer;
    timer.start();
    dw.feed(audio);
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().contains(QStringLiteral("burst frame 0999")), 60000);
    QTest::qWait(200);
    QCOMPARE(s.shown().count(QStringLiteral("burst frame")), 1000);
    qInfo("1000 frames decoded by Dire Wolf and shown in %lld ms", static_cast<long long>(timer.elapsed()));
  }

  void ownReportsGoOnTheAirExactly() {
    direwolf::Instance dw({44100, true});
    Station s(QStringLiteral("kiss-tcp:127.0.0.1:%1").arg(dw.kissPort()));
    s.settings.mobile = 0;
    s.shared.values.setPosition(42.3601, -71.0589);
    s.shared.values.tncBeaconFlag = true;  // "TNC initiates": a KISS TNC has no beacon, the PC sends it
    s.shared.values.beaconMinutes = 30;
    s.shared.values.lastBeaconHours = -24;  // due at once
    s.settings.phg = "5230";
    s.shared.values.setPhgText("5230");
    s.console.action("tncOpen")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(dw.kissClients() == 1, 10000);
    // The beacon is due at once; if Dire Wolf was not listening yet, it goes
    // out as soon as the link is up.
    QTRY_VERIFY2_WITH_TIMEOUT(s.shown().count(QStringLiteral("Sent: N0DEMO-1>APZTVA,WIDE1-1:/")) == 1,
                              qPrintable(s.shown()), 10000);
    // Dire Wolf holds what comes in its first second; F2 goes out after it.
    QTest::qWait(1200);
    QTest::keyClick(s.console.inputLine(), Qt::Key_F2);
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().count(QStringLiteral("Sent: N0DEMO-1>APZTVA,WIDE1-1:/")) == 2, 5000);
    QStringList sent;
    for (const QString& line : s.shown().split(QLatin1Char('\n'))) {
      if (line.startsWith(QStringLiteral("Sent: "))) sent << line.mid(6);
    }
    QTRY_COMPARE_WITH_TIMEOUT(direwolf::decodeTransmitted(dw.transmitFile(), 44100).size(), 2, 10000);
    QStringList onAir = direwolf::decodeTransmitted(dw.transmitFile(), 44100);
    onAir.sort();
    sent.sort();
    QCOMPARE(onAir, sent);
    for (const QString& report : onAir) QVERIFY(report.contains(QStringLiteral("z4221.61N/07103.53W-PHG5230/CQ")));
  }

  void kissOnDireWolfsPseudoTerminal() {
    direwolf::Instance dw({44100, false, true});
    QTRY_VERIFY_WITH_TIMEOUT(!dw.ptyPath().isEmpty(), 10000);
    qputenv("TERVANEAPRS_COM2", dw.ptyPath().toLocal8Bit());
    Station s(QStringLiteral("kiss:COM2"));
    s.console.action("tncOpen")->trigger();
    QTest::qWait(300);
    QVERIFY(s.link.isRunning());
    dw.feed(direwolf::afskAudio(kPackets.mid(0, 3), 44100));
    for (const QString& p : kPackets.mid(0, 3)) QTRY_VERIFY2_WITH_TIMEOUT(s.shown().contains(p), qPrintable(p), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(s.positionRows() == 3, 3000);
  }

  void direWolfStoppedAndStartedAgainIsFoundAgain() {
    direwolf::Instance dw({});
    Station s(QStringLiteral("kiss-tcp:127.0.0.1:%1").arg(dw.kissPort()));
    s.console.action("tncOpen")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().count(QStringLiteral("KISS link: connected to")) == 1, 10000);
    dw.stop();
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().contains(QStringLiteral("KISS link: the connection to")), 10000);
    QVERIFY(s.link.isRunning());
    dw.start();
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().count(QStringLiteral("KISS link: connected to")) == 2, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(dw.kissClients() >= 1, 5000);
    dw.feed(direwolf::afskAudio(kPackets.mid(0, 2), 44100));
    for (const QString& p : kPackets.mid(0, 2)) QTRY_VERIFY2_WITH_TIMEOUT(s.shown().contains(p), qPrintable(p), 15000);
  }
};

QTEST_MAIN(DireWolfTest)
#include "direwolf_test.moc"
