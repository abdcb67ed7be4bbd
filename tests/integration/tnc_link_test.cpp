// The TNC link end to end: the real worker on a real pseudo-terminal, with the
// simulated TNC at the other end, driven through the main console's menu.

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QListView>
#include <QRegularExpression>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "base/coordination.h"
#include "app/main_console.h"
#include "aprs/station_windows.h"
#include "tnc/tnc_link.h"
#include "tests/integration/device_question.h"
#include "tests/integration/station_rig.h"
#include "tests/integration/simulator_process.h"

using namespace tervane;

namespace {

// Answers the next "Device Open Error" question with the given button; the
// question's text comes back in *text.
void answerDeviceOpenError(const QString& button, bool* asked, QString* text = nullptr) {
  QTimer* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, timer, [timer, button, asked, text] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || box->windowTitle() != QStringLiteral("Device Open Error")) return;
    *asked = true;
    if (text != nullptr) *text = box->text();
    for (QAbstractButton* b : box->buttons()) {
      if (b->text() == button) b->click();
    }
    timer->deleteLater();
  });
  timer->start(20);
}

struct Station : StationRig {
  DeviceQuestionGuard question;

  explicit Station(const QString& device) {
    qputenv("TERVANEAPRS_COM1", device.toLocal8Bit());
    wire();
    start();
  }
  ~Station() { closeTnc(); }
  void open() { console.action("tncOpen")->trigger(); }
};

}  // namespace

class TncLinkTest : public QObject {
  Q_OBJECT

 private slots:
  void trafficReachesConsoleAndBothWindows() {
    SimulatedTnc tnc({"--sample-traffic", "--rate", "0", "--count", "40"});
    Station s(tnc.device());
    s.open();
    QVERIFY(s.link.isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(s.console.monitor()->blockCount() >= 30, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(s.stations.view()->model()->rowCount() >= 10, 5000);
    QVERIFY(s.positions.view()->model()->rowCount() >= 5);
    QVERIFY(s.positions.view()->model()->rowCount() < s.stations.view()->model()->rowCount());
    QTRY_VERIFY(!s.console.utcClockField()->text().isEmpty());
  }

  void typedLinesAndQueuedTextsArriveInOrder() {
    SimulatedTnc tnc({});
    Station s(tnc.device());
    s.settings.callsign = "N0DEMO";
    s.settings.latitude = "42.36";
    s.settings.longitude = "-71.06";
    s.open();
    QTRY_VERIFY_WITH_TIMEOUT(tnc.logHas(QStringLiteral("LINK\topen")), 5000);
    s.console.action("tncInitialize")->trigger();
    QTest::keyClicks(s.console.inputLine(), QStringLiteral("hello world"));
    QTest::keyClick(s.console.inputLine(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(tnc.logHas(QStringLiteral("TX\thello world")), 5000);
    const QStringList log = tnc.log();
    const int mycall = log.indexOf(QStringLiteral("CMD\tMYCALL N0DEMO"));
    const int conv = log.indexOf(QStringLiteral("CMD\tconv"));
    QVERIFY(mycall >= 0);
    QVERIFY(conv > mycall);
    QCOMPARE(log.indexOf(QStringLiteral("CMD\tB E 180")), mycall + 5);
    QVERIFY(log.indexOf(QStringLiteral("TX\thello world")) > conv);
    QCOMPARE(s.settings.phg.str(), std::string("0000"));
  }

  void positionReportAndQslReachTheTnc() {
    SimulatedTnc tnc({"--sample-traffic", "--rate", "0", "--count", "30"});
    Station s(tnc.device());
    s.settings.latitude = "42.3601";
    s.settings.longitude = "-71.0589";
    s.settings.phg = "5230";
    s.shared.values.setPosition(42.3601, -71.0589);
    s.open();
    QTRY_VERIFY_WITH_TIMEOUT(s.stations.view()->model()->rowCount() >= 3, 10000);
    // Without a callsign of its own the station sends nothing and says why.
    s.settings.callsign = "N0CALL";
    QTest::keyClick(s.console.inputLine(), Qt::Key_F2);
    QTRY_VERIFY_WITH_TIMEOUT(s.shown().contains(QStringLiteral("Position report not sent: no callsign is set")), 3000);
    s.settings.callsign = "N0DEMO";
    QTest::keyClick(s.console.inputLine(), Qt::Key_F2);
    QAbstractItemView* view = s.stations.view();
    for (int r : {0, 2}) view->selectionModel()->select(view->model()->index(r, 0), QItemSelectionModel::Select);
    const QString first = view->model()->index(0, 0).data().toString();
    const QString third = view->model()->index(2, 0).data().toString();
    s.stations.confirm();
    const QRegularExpression report(QStringLiteral("^TX\t/\\d{6}z4221\\.61N/07103\\.53W-PHG5230/CQ$"));
    QTRY_VERIFY_WITH_TIMEOUT(tnc.log().indexOf(report) >= 0, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(tnc.logHas(QStringLiteral("TX\tQSL %1 %2 ").arg(first, third)), 5000);
    QCOMPARE(tnc.log().filter(QRegularExpression(QStringLiteral("^TX\t/"))).size(), 1);
  }

  void silentTncCancelClosesTheLink() {
    SimulatedTnc tnc({"--silent"});
    Station s(tnc.device());
    bool asked = false;
    QString question;
    answerDeviceOpenError(QStringLiteral("Cancel"), &asked, &question);
    s.open();
    QTRY_VERIFY_WITH_TIMEOUT(asked, 5000);
    // The question names the port and the device that gave no answer.
    QVERIFY2(question.contains(QStringLiteral("COM1 (%1)").arg(tnc.device())), qPrintable(question));
    QTRY_VERIFY_WITH_TIMEOUT(!s.link.isRunning(), 5000);
    QTRY_VERIFY(s.console.action("tncOpen")->isEnabled());
    QVERIFY(!s.console.action("tncClose")->isEnabled());
    QVERIFY(!s.console.action("tncInitialize")->isEnabled());
  }

  void silentTncContinueKeepsTheLink() {
    SimulatedTnc tnc({"--silent"});
    Station s(tnc.device());
    bool asked = false;
    answerDeviceOpenError(QStringLiteral("Continue"), &asked);
    s.open();
    QTRY_VERIFY_WITH_TIMEOUT(asked, 5000);
    QTest::qWait(300);
    QVERIFY(s.link.isRunning());
    QVERIFY(s.console.action("tncClose")->isEnabled());
  }

  void closeEndsTheWorkerAndOpenTwiceStartsOne() {
    SimulatedTnc tnc({"--sample-traffic", "--rate", "20", "--loop"});
    Station s(tnc.device());
    s.open();
    s.link.open();  // a second Open while the worker runs starts nothing
    QTRY_VERIFY_WITH_TIMEOUT(s.console.monitor()->blockCount() > 2, 5000);
    QElapsedTimer t;
    t.start();
    s.console.action("tncClose")->trigger();
    QVERIFY(WorkerThread::joinAll(std::chrono::milliseconds(1000)));
    QVERIFY(t.elapsed() < 1000);
    for (int i = 0; i < 5; ++i) {
      s.console.action("tncOpen")->trigger();
      QVERIFY(s.link.isRunning());
      s.console.action("tncClose")->trigger();
    }
    s.open();
    QTest::qWait(300);
    QVERIFY(s.link.isRunning());
  }

  // Neither the capture file's dialog nor Clear Text holds up the link:
  // traffic goes on while the operator chooses the file, and a typed line
  // goes out at once behind two clears while the TNC never pauses.
  void captureDialogAndClearNeverHoldUpTheLink() {
    SimulatedTnc tnc({"--sample-traffic", "--rate", "20", "--loop"});
    Station s(tnc.device());
    s.open();
    QTRY_VERIFY_WITH_TIMEOUT(s.console.monitor()->blockCount() > 3, 5000);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("capture.txt"));
    int linesDuringDialog = -1;
    QTimer answer;
    QElapsedTimer shown;
    int before = 0;
    QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      if (!shown.isValid()) {
        shown.start();
        before = s.console.monitor()->blockCount();
      }
      if (shown.elapsed() < 1000) return;
      linesDuringDialog = s.console.monitor()->blockCount() - before;
      for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) edit->setText(path);
      dialog->accept();
      answer.stop();
    });
    answer.start(20);
    s.console.action("captureStart")->trigger();
    QVERIFY2(linesDuringDialog >= 10, qPrintable(QString::number(linesDuringDialog)));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path).size() > 0, 3000);

    s.console.clearTextButton()->click();
    s.console.clearTextButton()->click();
    QTest::keyClicks(s.console.inputLine(), QStringLiteral("after two clears"));
    QTest::keyClick(s.console.inputLine(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(tnc.logHas(QStringLiteral("CMD\tafter two clears")), 3000);
  }

  // File > Capture Text > Start shows capturing only while a file takes the
  // lines, and only the folder of such a file is offered the next time.
  void captureMenuFollowsTheFile_data() {
    QTest::addColumn<QString>("chosen");  // "" cancels the file dialog
    QTest::addColumn<bool>("capturing");
    QTest::newRow("a folder that exists") << QStringLiteral("capture.txt") << true;
    QTest::newRow("a folder that does not exist") << QStringLiteral("missing/capture.txt") << false;
    QTest::newRow("no file chosen") << QString() << false;
  }
  void captureMenuFollowsTheFile() {
    QFETCH(QString, chosen);
    QFETCH(bool, capturing);
    Station s(QStringLiteral("/nonexistent/tty"));
    QTemporaryDir dir;
    s.shared.values.setCaptureDirectory("/earlier/");
    const QString path = chosen.isEmpty() ? QString() : dir.filePath(chosen);
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      answer.stop();
      if (path.isEmpty()) {
        dialog->reject();
        return;
      }
      for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) edit->setText(path);
      dialog->accept();
    });
    answer.start(20);
    s.console.action("captureStart")->trigger();

    QCOMPARE(s.link.capture().isCapturing(), capturing);
    QCOMPARE(s.console.captureState(), capturing ? CaptureState::Capturing : CaptureState::Idle);
    QCOMPARE(s.console.action("captureStart")->isEnabled(), !capturing);
    QCOMPARE(s.console.action("captureStop")->isEnabled(), capturing);
    QCOMPARE(s.console.action("capturePause")->isEnabled(), capturing);
    QCOMPARE(QString::fromStdString(s.shared.values.captureDirectory()),
             capturing ? dir.path() + QLatin1Char('/') : QStringLiteral("/earlier/"));
    if (!chosen.isEmpty() && !capturing) {
      QVERIFY2(s.shown().contains(path) && s.shown().contains(QStringLiteral("No such file or directory")),
               qPrintable(s.shown()));
    }
  }

  void portThatCannotBeOpenedSaysWhy() {
    Station s(QStringLiteral("/nonexistent/tty"));
    s.open();
    QTRY_VERIFY_WITH_TIMEOUT(!s.link.isRunning(), 3000);
    QTRY_VERIFY(s.console.action("tncOpen")->isEnabled());
    QVERIFY(s.console.monitor()->toPlainText().contains(QStringLiteral("/nonexistent/tty")));
    QVERIFY(s.console.monitor()->toPlainText().contains(QStringLiteral("No such file or directory")));
  }
};

QTEST_MAIN(TncLinkTest)
#include "tnc_link_test.moc"
