// The GPS receiver end to end: the real GPS worker on a pseudo-terminal with
// the simulated receiver, driven through the GPS menu.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>

#include "base/coordination.h"
#include "app/main_console.h"
#include "aprs/station_windows.h"
#include "gps/gps_link.h"
#include "tests/gps/gpsd_peer.h"
#include "tests/integration/simulator_process.h"

using namespace tervane;

namespace {

struct Station {
  StationSettings settings;
  Coordination shared;
  FixedClock clock{1796621563};
  MainConsole console{settings, shared};
  PositionWindow positions{shared, &console};
  GpsLink gps{console, settings, shared, clock, nullptr};

  Station(const QString& device, bool mobile, int gpsType) {
    qputenv("TERVANEAPRS_COM2", device.toLocal8Bit());
    settings.mobile = mobile ? 1 : 0;
    settings.gpsType = gpsType;
    settings.latitude = "10.5";
    settings.longitude = "20.25";
    gps.setToggleTrackHook([this](bool on) { positions.setToggleTrackEnabled(on); });
    gps.attach();
    console.initialise();
  }
  ~Station() {
    qunsetenv("TERVANEAPRS_GPS");
    console.action("gpsOff")->trigger();
    WorkerThread::joinAll(std::chrono::milliseconds(3000));
  }
};

enum class Then { Nothing, OffAndOnWithASilentReceiver, ReceiverFallsSilent };

// Answers the next "Device Open Error" question with Continue; the
// question's text comes back in *text.
void continueAtDeviceOpenError(bool* asked, QString* text) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, timer, [timer, asked, text] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    *asked = true;
    *text = box->text();
    for (QAbstractButton* b : box->buttons()) {
      if (b->text() == QStringLiteral("Continue")) b->click();
    }
    timer->deleteLater();
  });
  timer->start(20);
}

StationEntry entry(const char* call, double lat, double lon) {
  StationEntry e;
  e.positionValid = e.callsignFound = true;
  e.sourceCall = call;
  e.latitudeDeg = lat;
  e.longitudeDeg = lon;
  return e;
}

}  // namespace

class GpsLinkTest : public QObject {
  Q_OBJECT

 private slots:
  void garminPositionFollowsAndWaypointsUpload() {
    SimulatedGps sim({"--garmin", "--lat", "-33.9", "--lon", "-18.4", "--time", "12:34:56"});
    Station s(sim.device(), true, 0);
    s.console.action("gpsOn")->trigger();
    QVERIFY(!s.console.action("gpsOn")->isEnabled());
    QVERIFY(s.console.action("gpsSetFixed")->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(s.console.latitudeField()->text(), QStringLiteral("33.900000 S"), 5000);
    QCOMPARE(s.console.longitudeField()->text(), QStringLiteral(" 18.400000 W"));
    QVERIFY(s.shared.values.position().latitudeDeg < 0);
    QTRY_VERIFY(s.positions.toggleTrackButton()->isEnabled());
    QTRY_VERIFY(s.shared.gpsTimeReceived.load());
    QCOMPARE(s.shared.gpsHour.load(), 12);
    QCOMPARE(s.shared.gpsSecond.load(), 56);

    for (const char* c : {"N0CALL", "KB1XYZ-9", "W1ABC"}) s.positions.addOrUpdate(entry(c, 42.5, -71.25));
    QAbstractItemView* view = s.positions.view();
    for (int r = 0; r < 3; ++r)
      view->selectionModel()->select(view->model()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    s.positions.toggleTrackButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(s.positions.toggleTrackButton()->isEnabled(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains(QStringLiteral("XFERCMPLT")), 5000);
    const QStringList log = sim.log();
    QVERIFY(log.contains(QStringLiteral("RECORDS\t3")));
    int waypoints = 0;
    for (const QString& l : log) {
      if (l.startsWith(QStringLiteral("WPT\t108\t"))) ++waypoints;
    }
    QCOMPARE(waypoints, 3);
    QVERIFY(log.filter(QStringLiteral("KB1XYZ-9")).size() == 1);
    QVERIFY(log.filter(QStringLiteral("KB1XYZ-9")).first().startsWith(QStringLiteral("WPT\t108\t57\t")));

    s.console.action("gpsSetFixed")->trigger();
    QCOMPARE(s.settings.latitude.str(), std::string("-33.900000"));
    s.console.action("gpsOff")->trigger();
    QVERIFY(s.console.action("gpsOn")->isEnabled());
    QVERIFY(!s.console.action("gpsSetClock")->isEnabled());
    QCOMPARE(s.console.latitudeField()->text(), QStringLiteral("33.900000 S"));
    QTest::qWait(500);  // nothing the ending worker sends may move it
    QCOMPARE(s.console.latitudeField()->text(), QStringLiteral("33.900000 S"));
    QTRY_VERIFY_WITH_TIMEOUT(!s.positions.toggleTrackButton()->isEnabled(), 3000);
  }

  void offRestoresTheFixedPosition() {
    SimulatedGps sim({"--garmin", "--lat", "-33.9", "--lon", "-18.4"});
    Station s(sim.device(), true, 0);
    s.console.action("gpsOn")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(s.console.latitudeField()->text(), QStringLiteral("33.900000 S"), 5000);
    s.console.action("gpsOff")->trigger();
    QCOMPARE(s.console.latitudeField()->text(), QStringLiteral("10.500000 N"));
    QTest::qWait(500);
    QCOMPARE(s.console.latitudeField()->text(), QStringLiteral("10.500000 N"));
    QCOMPARE(s.shared.values.position().latitudeDeg, 10.5);
  }

  // Set PC Clock takes the receiver's time only from the running link and
  // only while it is fresh, and puts it on the date nearest to the PC's. It
  // asks first, showing both times and how far apart they are, and says
  // what it changed. The clock is the test's own; the PC's is never set.
  void setPcClockUsesOnlyAFreshTimeOfTheRunningLink_data() {
    QTest::addColumn<QString>("receiverTime");
    QTest::addColumn<int>("then");
    QTest::addColumn<QString>("answer");  // "": no question is expected
    QTest::addColumn<QString>("expectedUtc");
    QTest::newRow("00:00:01 on the receiver at 23:59:58 on the PC is the next day")
        << QStringLiteral("00:00:01") << int(Then::Nothing) << QStringLiteral("Set Clock")
        << QStringLiteral("2026-12-08 00:00:01");
    QTest::newRow("Cancel at the question leaves the clock")
        << QStringLiteral("00:00:01") << int(Then::Nothing) << QStringLiteral("Cancel")
        << QStringLiteral("2026-12-07 23:59:58");
    QTest::newRow("a time from before GPS Off and On is not used")
        << QStringLiteral("04:00:00") << int(Then::OffAndOnWithASilentReceiver) << QString()
        << QStringLiteral("2026-12-07 23:59:58");
    QTest::newRow("a time older than a few seconds is not used")
        << QStringLiteral("04:00:00") << int(Then::ReceiverFallsSilent) << QString()
        << QStringLiteral("2026-12-08 00:00:08");
  }
  void setPcClockUsesOnlyAFreshTimeOfTheRunningLink() {
    QFETCH(QString, receiverTime);
    QFETCH(int, then);
    QFETCH(QString, answer);
    QFETCH(QString, expectedUtc);
    SimulatedGps sim({"--garmin", "--lat", "-33.9", "--lon", "-18.4", "--time", receiverTime});
    SimulatedGps silent({"--garmin", "--silent"});
    Station s(sim.device(), false, 0);
    s.clock.set(1796687998);  // 2026-12-07 23:59:58 UTC
    s.console.action("gpsOn")->trigger();
    QVERIFY(!s.console.action("gpsSetFixed")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(s.shared.gpsTimeReceived.load(), 5000);
    if (then == int(Then::OffAndOnWithASilentReceiver)) {
      s.console.action("gpsOff")->trigger();
      qputenv("TERVANEAPRS_COM2", silent.device().toLocal8Bit());
      bool asked = false;
      QString deviceQuestion;
      continueAtDeviceOpenError(&asked, &deviceQuestion);
      s.console.action("gpsOn")->trigger();
      QTRY_VERIFY_WITH_TIMEOUT(asked, 5000);
      // The question names the port and the device that gave no answer.
      QVERIFY2(deviceQuestion.contains(QStringLiteral("COM2 (%1)").arg(silent.device())), qPrintable(deviceQuestion));
    } else if (then == int(Then::ReceiverFallsSilent)) {
      sim.stop();
      s.clock.advance(10);
    }
    QString question;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, &answerer, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || box->windowTitle() != QStringLiteral("Set PC Clock")) return;
      question = box->informativeText();
      for (QAbstractButton* b : box->buttons()) {
        if (b->text() == answer) b->click();
      }
    });
    answerer.start(20);
    s.console.action("gpsSetClock")->trigger();
    const CalendarTime t = s.clock.utcNow();
    QCOMPARE(QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second),
             expectedUtc);
    const QString shown = s.console.monitor()->toPlainText();
    QCOMPARE(shown.contains(QStringLiteral("the PC clock was not set")), then != int(Then::Nothing));
    QCOMPARE(question.isEmpty(), answer.isEmpty());
    if (!answer.isEmpty()) {
      QVERIFY2(question.contains(QStringLiteral("GPS time: 2026-12-08 00:00:01 UTC")) &&
                   question.contains(QStringLiteral("PC time: 2026-12-07 23:59:58 UTC")) &&
                   question.contains(QStringLiteral("3 s behind the GPS time")),
               qPrintable(question));
    }
    QCOMPARE(shown.contains(QStringLiteral("PC clock set from the GPS time: 2026-12-07 23:59:58 UTC is now "
                                           "2026-12-08 00:00:01 UTC (it was 3 s behind the GPS time).")),
             answer == QLatin1String("Set Clock"));
    QCOMPARE(s.console.latitudeField()->text(), QStringLiteral("10.500000 N"));
  }

  void nmeaReceiverMovesAMobileStation() {
    SimulatedGps sim({"--sample-nmea", "--rate", "5"});
    Station s(sim.device(), true, 1);
    s.console.action("gpsOn")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(s.console.latitudeField()->text().startsWith(QStringLiteral("42.")), 5000);
    QVERIFY(s.console.longitudeField()->text().endsWith(QStringLiteral(" W")));
  }

  // TERVANEAPRS_GPS puts gpsd in place of the stored Garmin receiver.
  void gpsdMovesAMobileStation() {
    if (GpsdPeer::program().empty()) QSKIP("gpsd is not installed");
    GpsdPeer gpsd;
    QVERIFY(gpsd.start());
    qputenv("TERVANEAPRS_GPS", QByteArray("gpsd:127.0.0.1:") + QByteArray::number(gpsd.port()));
    Station s(QStringLiteral("/nonexistent/gps"), true, 0);
    s.console.action("gpsOn")->trigger();
    QVERIFY(gpsd.feed({"$GPRMC,120000.00,A,3354.0000,S,01824.0000,E,0.0,0.0,071225,,,A*4D\r\n",
                       "$GPGGA,120000.00,3354.0000,S,01824.0000,E,1,08,0.9,12.5,M,-33.8,M,,*6E\r\n"}));
    QTRY_COMPARE_WITH_TIMEOUT(s.console.latitudeField()->text(), QStringLiteral("33.900000 S"), 5000);
    QCOMPARE(s.console.longitudeField()->text(), QStringLiteral(" 18.400000 E"));
    QVERIFY(!s.positions.toggleTrackButton()->isEnabled());
    QVERIFY(s.console.action("gpsSetClock")->isEnabled());
    s.console.action("gpsOff")->trigger();
    QCOMPARE(s.console.latitudeField()->text(), QStringLiteral("10.500000 N"));
  }

  void portThatCannotBeOpenedTurnsTheGpsOff() {
    Station s(QStringLiteral("/nonexistent/gps"), true, 0);
    s.console.action("gpsOn")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(s.console.action("gpsOn")->isEnabled(), 3000);
    QVERIFY(s.console.monitor()->toPlainText().contains(QStringLiteral("/nonexistent/gps")));
  }
};

QTEST_MAIN(GpsLinkTest)
#include "gps_link_test.moc"
