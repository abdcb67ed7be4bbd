// The APRS-IS link end to end against a small APRS-IS server of our own on
// loopback: the login and the server's answer, the feed into the console and
// both station windows, sending only with a verified login, a dropped
// connection, a refused login, and a server whose lines are anything but
// tidy.

#include <QAction>
#include <QFile>
#include <QListView>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "app/main_console.h"
#include "aprs/station_windows.h"
#include "base/coordination.h"
#include "tests/integration/simulator_process.h"
#include "tests/integration/station_rig.h"
#include "tnc/tnc_link.h"

using namespace tervane;

namespace {

struct Station : StationRig {
  Station(const QString& linkChoice, bool receiveOnly, const QString& capturePath = {}) {
    qputenv("TERVANEAPRS_LINK", linkChoice.toLocal8Bit());
    settings.callsign = "n0demo-1";
    settings.aprsIsReceiveOnly = receiveOnly ? 1 : 0;
    settings.latitude = "42.36";
    settings.longitude = "-71.06";
    wire();
    start();
    if (!capturePath.isEmpty()) link.captureInto(capturePath.toLocal8Bit().toStdString());
    console.action("tncOpen")->trigger();
  }
  ~Station() { closeTnc(); }
};

}  // namespace

class AprsIsTest : public QObject {
  Q_OBJECT

 private slots:
  void verifiedLoginFillsTheWindowsAndSends() {
    SimulatedAprsIs server({"--rate", "0", "--count", "200", "--stations", "40"});
    Station s(server.link(), false);
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().contains(QStringLiteral("load line 199")), 10000);
    QVERIFY(server.logHas(QStringLiteral("LOGIN\tuser N0DEMO-1 pass 13528 vers TervaneAPRS 1.0.0 filter "
                                         "r/42.36/-71.06/100")));
    QVERIFY(s.shown().contains(QStringLiteral("# logresp N0DEMO-1 verified, server TERVANE")));
    QCOMPARE(s.shown().count(QStringLiteral("load line ")), 200);
    QTRY_COMPARE_WITH_TIMEOUT(s.stations.view()->model()->rowCount(), 40, 5000);
    // Of the forty stations, four send only status reports and four only
    // objects (one object each): 36 rows. The server's comment lines are
    // never taken for stations.
    QTRY_COMPARE_WITH_TIMEOUT(s.positions.view()->model()->rowCount(), 36, 5000);
    // The PC beacon (a network link has no TNC beacon) and F2.
    QTest::keyClick(s.console.inputLine(), Qt::Key_F2);
    QTRY_COMPARE_WITH_TIMEOUT(server.log().filter(QStringLiteral("RX\t")).size(), 2, 5000);
    const QRegularExpression report(QStringLiteral("^RX\tN0DEMO-1>APZTVA,TCPIP\\*:/\\d{6}z4221\\.60N/07103\\.60W-PHG4310/CQ$"));
    for (const QString& line : server.log().filter(QStringLiteral("RX\t"))) QVERIFY2(report.match(line).hasMatch(), qPrintable(line));
  }

  void receiveOnlyLoginSendsNothingAndSaysSo() {
    SimulatedAprsIs server({"--rate", "0", "--count", "10"});
    Station s(server.link(), true);
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().contains(QStringLiteral("# logresp N0DEMO-1 unverified")), 10000);
    QVERIFY(server.logHas(QStringLiteral("LOGIN\tuser N0DEMO-1 pass -1 vers TervaneAPRS 1.0.0 filter "
                                         "r/42.36/-71.06/100")));
    QTest::keyClick(s.console.inputLine(), Qt::Key_F2);
    QTest::keyClicks(s.console.inputLine(), QStringLiteral(">typed status"));
    QTest::keyClick(s.console.inputLine(), Qt::Key_Return);
    // The PC beacon, F2 and the typed line, each said once.
    QTRY_COMPARE_WITH_TIMEOUT(s.shown().count(QStringLiteral("Not sent (the APRS-IS login is receive-only)")), 3,
                              5000);
    QVERIFY(s.shown().contains(QStringLiteral("Not sent (the APRS-IS login is receive-only): >typed status")));
    QTest::qWait(300);
    QVERIFY(server.log().filter(QStringLiteral("RX\t")).isEmpty());
  }

  void droppedConnectionsAreMadeAgain() {
    SimulatedAprsIs server({"--rate", "0", "--count", "150", "--drop-after", "50"});
    Station s(server.link(), false);
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().contains(QStringLiteral("load line 149")), 20000);
    QCOMPARE(s.shown().count(QStringLiteral("APRS-IS: the connection to")), 2);
    QCOMPARE(s.shown().count(QStringLiteral("APRS-IS: connected to")), 3);
    QCOMPARE(s.shown().count(QStringLiteral("load line ")), 150);
  }

  // Every good packet of a feed with LF, CR and CR LF line ends, an endless
  // line, zero bytes, and comments in UTF-8 and in Latin-1 reaches the
  // console, as its own line, and the Position window with its position;
  // the capture file keeps the bytes as they came.
  void untidyFeedKeepsEveryGoodPacket() {
    struct Packet {
      QByteArray bytes;  // on the wire, without the line end
      QString shown;     // the console line
      QString name;      // the Position window's row
    };
    QList<Packet> packets;
    const auto position = [](int k) {
      return QStringLiteral("%1").arg(10 + k, 2, 10, QLatin1Char('0')) + QStringLiteral("00.00N/07100.00W-");
    };
    const auto plain = [&](const QString& call, const QString& comment) {
      const QString line = call + QStringLiteral(">APRS,TCPIP*,qAC,T2TEST:!") + position(packets.size()) + comment;
      packets.append({line.toLatin1(), line, call});
    };
    for (int i = 0; i < 41; ++i) plain(QStringLiteral("K1LF%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("LF"));
    for (int i = 0; i < 11; ++i) plain(QStringLiteral("K2CR%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("CR"));
    const QString utf8 =
        QStringLiteral("K3UTF>APRS,TCPIP*:!") + position(packets.size()) + QStringLiteral("Müller ≈ 42 Ω");
    packets.append({utf8.toUtf8(), utf8, QStringLiteral("K3UTF")});
    const QString latin1 =
        QStringLiteral("K3LAT>APRS,TCPIP*:!") + position(packets.size()) + QStringLiteral("Müller à Zürich");
    packets.append({latin1.toLatin1(), latin1, QStringLiteral("K3LAT")});
    // UTF-8 cut off at the end is no UTF-8: every byte shows as Latin-1.
    const QString cut = QStringLiteral("K3CUT>APRS,TCPIP*:!") + position(packets.size());
    packets.append(
        {cut.toLatin1() + "M\xc3\xbcller \xc3", cut + QStringLiteral("MÃ¼ller Ã"), QStringLiteral("K3CUT")});
    const QString nul = QStringLiteral("K4NUL>APRS,TCPIP*:!") + position(packets.size());
    packets.append({nul.toLatin1() + "before" + QByteArray(1, '\0') + "after", nul + QStringLiteral("beforeafter"),
                    QStringLiteral("K4NUL")});
    const QString afterNuls =
        QStringLiteral("K5NUL>APRS,TCPIP*:!") + position(packets.size()) + QStringLiteral("after three");
    packets.append({QByteArray(3, '\0') + afterNuls.toLatin1(), afterNuls, QStringLiteral("K5NUL")});
    const QString last = QStringLiteral("K6END>APRS,TCPIP*:!") + position(packets.size()) + QStringLiteral("last");
    packets.append({last.toLatin1(), last, QStringLiteral("K6END")});

    QByteArray feed;
    const char* ends[] = {"\r\n", "\n", "\r"};
    for (qsizetype k = 0; k < packets.size(); ++k) {
      const char* end = k < 41 ? "\n" : ends[k % 3];
      feed += packets[k].bytes + end;
      if (k == 41) {
        // An endless line; the comment after it must come through whole.
        feed += "K9BIG>APRS,TCPIP*:!" + position(70).toLatin1() + QByteArray(100000, 'x') + "\n";
        feed += "# after the long line\r\n";
      }
    }
    QTemporaryDir dir;
    const QString feedPath = dir.filePath(QStringLiteral("feed.bin"));
    QFile file(feedPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(feed);
    file.close();
    const QString capturePath = dir.filePath(QStringLiteral("capture.txt"));

    SimulatedAprsIs server({"--send", feedPath, "--count", "0"});
    Station s(server.link(), true, capturePath);
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().contains(packets.last().shown), 10000);
    const QStringList lines = s.shown().split(QLatin1Char('\n'));
    for (const Packet& p : packets) QVERIFY2(lines.count(p.shown) == 1, qPrintable(p.shown));
    QCOMPARE(lines.count(QStringLiteral("# after the long line")), 1);
    QCOMPARE(s.shown().count(QStringLiteral("APRS-IS: a line longer than 1022 bytes is dropped")), 1);
    QVERIFY(!s.shown().contains(QStringLiteral("xxx")));

    QMap<QString, QString> expected;
    for (qsizetype k = 0; k < packets.size(); ++k) {
      expected.insert(packets[k].name, QStringLiteral("%1.000000 N").arg(10 + k));
    }
    const QAbstractItemModel* table = s.positions.view()->model();
    QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), static_cast<int>(packets.size()), 5000);
    QMap<QString, QString> shownPositions;
    for (int row = 0; row < table->rowCount(); ++row) {
      shownPositions.insert(table->index(row, 0).data().toString(), table->index(row, 4).data().toString());
    }
    QCOMPARE(shownPositions, expected);

    s.link.stopCapture();
    QFile captured(capturePath);
    QVERIFY(captured.open(QIODevice::ReadOnly));
    const QByteArray bytes = captured.readAll();
    QCOMPARE(bytes.count(utf8.toUtf8()), 1);
    QCOMPARE(bytes.count(latin1.toLatin1()), 1);
    QVERIFY(!bytes.contains('\0'));
  }

  void refusedLoginIsTriedAgainLater() {
    SimulatedAprsIs server({"--refuse"});
    Station s(server.link(), false);
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().contains(QStringLiteral("# Invalid login string, closing connection")), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().contains(QStringLiteral("Trying again in")), 5000);
    QVERIFY(s.link.isRunning());
    QTRY_COMPARE_WITH_TIMEOUT(server.log().filter(QStringLiteral("LOGIN\t")).size(), 2, 10000);
  }
};

QTEST_MAIN(AprsIsTest)
#include "aprs_is_test.moc"
