#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/main_console.h"
#include "base/transmit_courier.h"
#include "tracker/element_file.h"
#include "tracker/element_writer.h"
#include "tracker/tracker_link.h"

using namespace tervane;

namespace {

std::vector<ElementRecord> sats(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) {
    OrbitDescription o;
    o.name = "SAT-" + std::to_string(i);
    o.catalogNumber = 40000 + i;
    o.epochUnix = 1796621563;
    o.inclinationDeg = 97;
    text += formatElementSet(o);
  }
  return scanElementText(text);
}

void pick(SatelliteSelectionDialog& d, int index) {
  d.availableList()->setCurrentIndex(index);
  emit d.availableList()->activated(index);
}

// Confirms or cancels the next modal dialog of the given title.
void answerDialog(const QString& title, bool accept) {
  QTimer* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, timer, [timer, title, accept] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (d == nullptr || d->windowTitle() != title) return;
    accept ? d->accept() : d->reject();
    timer->deleteLater();
  });
  timer->start(20);
}

}  // namespace

class TrackerWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void statusWindowColumnsAndRows() {
    bool dismissed = false;
    TrackerStatusWindow w([&dismissed] { dismissed = true; });
    QCOMPARE(w.windowTitle(), QStringLiteral("Tracker Status"));
    const char* headings[] = {"Name", "AOS/LOS", "Range", "Elevation", "Azimuth", "Sub Sat Lat", "Sub Sat Lon",
                              "Altitude"};
    const int widths[] = {140, 80, 80, 80, 80, 80, 80, 80};
    for (int c = 0; c < 8; ++c) {
      QCOMPARE(w.table()->horizontalHeaderItem(c)->text(), QString::fromLatin1(headings[c]));
      QCOMPARE(w.table()->columnWidth(c), widths[c]);
    }
    LookAngles a;
    a.rangeKm = 2345.678;
    a.elevationDeg = -5.004;
    for (int second = 0; second < 3; ++second) {
      for (int i = 0; i < 3; ++i) w.showRow(i, formatTrackerRow("SAT-" + std::to_string(i), "Not Today", a));
    }
    QCOMPARE(w.table()->rowCount(), 3);
    QCOMPARE(w.table()->item(2, 0)->text(), QStringLiteral("SAT-2"));
    QCOMPARE(w.table()->item(0, 2)->text(), QStringLiteral("2345.68"));
    QCOMPARE(w.table()->item(0, 3)->text(), QStringLiteral("-5.00"));
    QVERIFY(w.table()->item(0, 2)->textAlignment() & Qt::AlignRight);
    QVERIFY(w.table()->item(0, 1)->textAlignment() & Qt::AlignLeft);
    w.show();
    w.dismissButton()->click();
    QVERIFY(!w.isVisible());
    QVERIFY(dismissed);
  }

  void selectionDialogEdits() {
    StationSettings s;
    SatelliteSelection sel(sats(3), s);
    SatelliteSelectionDialog d(sel, QString());
    QCOMPARE(d.windowTitle(), QStringLiteral("Satellite Selection"));
    QCOMPARE(d.availableList()->count(), 3);
    QVERIFY(d.viaBox()->text().isEmpty());
    pick(d, 0);
    QCOMPARE(d.intervalBox()->text(), QStringLiteral("    1.00"));
    QCOMPARE(d.leadBox()->text(), QStringLiteral("    3.00"));
    QCOMPARE(d.viaBox()->text(), QStringLiteral("RELAY, WIDE"));
    QVERIFY(!d.autoBeaconBox()->isChecked());
    d.leadBox()->setText(QStringLiteral("2.5"));
    d.addButton()->click();
    QCOMPARE(sel.choices().at(0).leadTimeTens, 15);
    QVERIFY(d.leadBox()->text().isEmpty());
    pick(d, 0);
    QCOMPARE(d.leadBox()->text(), QStringLiteral("    2.50"));
    pick(d, 1);
    d.addButton()->click();
    QCOMPARE(d.selectedList()->count(), 2);

    d.selectedList()->item(0)->setSelected(true);
    d.selectedList()->item(1)->setSelected(true);
    d.viaBox()->setText(QStringLiteral("ARISS"));
    QCOMPARE(sel.choices().at(0).passVia, std::string("ARISS"));
    QCOMPARE(sel.choices().at(1).passVia, std::string("ARISS"));
    pick(d, 2);  // setting the boxes is a change, also for the selected rows
    QCOMPARE(sel.choices().at(0).passVia, std::string("RELAY, WIDE"));
    d.addButton()->click();  // and so is clearing them
    QCOMPARE(sel.choices().at(1).passVia, std::string());
    QCOMPARE(sel.choices().at(1).leadTimeTens, 0);

    d.selectedList()->clearSelection();
    d.selectedList()->item(0)->setSelected(true);
    d.deleteButton()->click();
    QCOMPARE(d.selectedList()->count(), 2);
    QCOMPARE(d.selectedList()->item(0)->text(), QStringLiteral("SAT-1"));

    d.availableList()->setEditText(QStringLiteral("typed"));
    const std::size_t before = sel.rowCount();
    d.addButton()->click();  // nothing picked: nothing happens
    QCOMPARE(sel.rowCount(), before);
  }

  void seventeenthSatelliteIsRefusedWithANote() {
    StationSettings s;
    SatelliteSelection sel(sats(17), s);
    SatelliteSelectionDialog d(sel, QString());
    for (int i = 0; i < 17; ++i) {
      pick(d, i);
      d.addButton()->click();
    }
    QCOMPARE(d.selectedList()->count(), 16);
    QVERIFY(d.noteLabel()->text().contains(QStringLiteral("16")));
  }

  void trackerOnAskForSatellitesAndOffEndsTheWorker() {
    QTemporaryDir dir;
    const std::string keps = dir.filePath(QStringLiteral("keps.txt")).toStdString();
    {
      std::ofstream out(keps);
      OrbitDescription o;
      o.name = "SAT-A";
      o.catalogNumber = 41000;
      o.epochUnix = 1796621563;
      o.inclinationDeg = 97;
      out << formatElementSet(o);
    }
    StationSettings settings;
    settings.kepFileName = keps;
    Coordination shared;
    TransmitCourier courier(shared);
    MainConsole console(settings, shared, courier);
    SystemClock clock;
    TrackerLink tracker(console, clock);
    tracker.attach();
    console.initialise();

    answerDialog(QStringLiteral("Satellite Selection"), false);
    console.action("trackerOn")->trigger();  // cancelled: the tracker stays off
    QVERIFY(!tracker.isRunning());
    QVERIFY(console.action("trackerOn")->isEnabled());

    settings.satellitesObserved = 1;
    settings.satelliteID[0] = 41000;
    answerDialog(QStringLiteral("Satellite Selection"), true);
    console.action("trackerOn")->trigger();
    QVERIFY(tracker.isRunning());
    QCOMPARE(shared.tracker.count, 1);
    QVERIFY(!console.action("trackerOn")->isEnabled());
    QVERIFY(!console.action("kepFile")->isEnabled());
    QVERIFY(!console.action("selectSatellites")->isEnabled());
    QVERIFY(console.action("trackerOff")->isEnabled());
    QPointer<TrackerStatusWindow> window = tracker.statusWindow();
    QVERIFY(window);
    QTRY_COMPARE_WITH_TIMEOUT(window->table()->rowCount(), 1, 5000);
    QCOMPARE(window->table()->item(0, 0)->text(), QStringLiteral("SAT-A"));
    window->dismissButton()->click();
    QVERIFY(console.action("trackerShowStatus")->isEnabled());
    console.action("trackerShowStatus")->trigger();
    QTRY_VERIFY(window->isVisible());

    shared.values.beaconMinutes = 1;
    console.action("trackerOff")->trigger();
    QCOMPARE(shared.values.beaconMinutes.load(), 0.0);
    QVERIFY(console.action("trackerOn")->isEnabled());
    QVERIFY(!console.action("trackerShowStatus")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 5000);
    QVERIFY(WorkerThread::joinAll(std::chrono::milliseconds(3000)));
  }
};

QTEST_MAIN(TrackerWindowsTest)
#include "tracker_windows_test.moc"
