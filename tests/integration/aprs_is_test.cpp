// The APRS-IS link end to end against a small APRS-IS server of our own on
// loopback: the login and the server's answer, the feed into the console and
// both station windows, sending only with a verified login, a dropped
// connection and a refused login.

#include <QAction>
#include <QListView>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

#include "app/main_console.h"
#include "aprs/station_windows.h"
#include "base/coordination.h"
#include "base/transmit_courier.h"
#include "tests/integration/simulator_process.h"
#include "tests/integration/station_rig.h"
#include "tnc/tnc_link.h"

using namespace tervane;

namespace {

struct Station : StationRig {
  Station(const QString& linkChoice, bool receiveOnly) {
    qputenv("TERVANEAPRS_LINK", linkChoice.toLocal8Bit());
    settings.callsign = "n0call-1";
    settings.aprsIsReceiveOnly = receiveOnly ? 1 : 0;
    settings.latitude = "42.36";
    settings.longitude = "-71.06";
    wire();
    start();
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
    QVERIFY(server.logHas(QStringLiteral("LOGIN\tuser N0CALL-1 pass 13023 vers TervaneAPRS 1.0.0 filter "
                                         "r/42.36/-71.06/100")));
    QVERIFY(s.shown().contains(QStringLiteral("# logresp N0CALL-1 verified, server TERVANE")));
    QCOMPARE(s.shown().count(QStringLiteral("load line ")), 200);
    QTRY_COMPARE_WITH_TIMEOUT(s.stations.view()->model()->rowCount(), 40, 5000);
    // Of the forty stations, four send only status reports and four only
    // objects (one object each): 36 rows. The server's comment lines are
    // never taken for stations.
    QTRY_COMPARE_WITH_TIMEOUT(s.positions.view()->model()->rowCount(), 36, 5000);
    // The PC beacon (a network link has no TNC beacon) and F2.
    QTest::keyClick(s.console.inputLine(), Qt::Key_F2);
    QTRY_COMPARE_WITH_TIMEOUT(server.log().filter(QStringLiteral("RX\t")).size(), 2, 5000);
    const QRegularExpression report(QStringLiteral("^RX\tN0CALL-1>APZTVA,TCPIP\\*:/\\d{6}z4221\\.60N/07103\\.60W-PHG4310/CQ$"));
    for (const QString& line : server.log().filter(QStringLiteral("RX\t"))) QVERIFY2(report.match(line).hasMatch(), qPrintable(line));
  }

  void receiveOnlyLoginSendsNothingAndSaysSo() {
    SimulatedAprsIs server({"--rate", "0", "--count", "10"});
    Station s(server.link(), true);
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().contains(QStringLiteral("# logresp N0CALL-1 unverified")), 10000);
    QVERIFY(server.logHas(QStringLiteral("LOGIN\tuser N0CALL-1 pass -1 vers TervaneAPRS 1.0.0 filter "
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
