#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/main_console.h"
#include "tracker/element_file.h"
#include "tests/tracker/element_lines.h"
#include "tracker/element_writer.h"
#include "tracker/pass_windows.h"
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
    QCOMPARE(d.viaBox()->text(), QStringLiteral("ARISS"));
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
    d.viaBox()->setText(QStringLiteral("PSAT"));
    QCOMPARE(sel.choices().at(0).passVia, std::string("PSAT"));
    QCOMPARE(sel.choices().at(1).passVia, std::string("PSAT"));
    pick(d, 2);  // setting the boxes is a change, also for the selected rows
    QCOMPARE(sel.choices().at(0).passVia, std::string("ARISS"));
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

  // A box that holds what the choice cannot take says why beside it, and
  // neither reaches the selected rows nor lets Add/Modify or OK take it.
  void refusedBoxesReachNoChoice_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("because");
    QTest::newRow("negative beacon interval") << "beaconInterval" << "-5" << "negative";
    QTest::newRow("lead time that is no number") << "leadTime" << "abc" << "number";
    QTest::newRow("path AX.25 cannot carry") << "via" << "ARISS;RS0ISS" << "digipeaters";
  }
  void refusedBoxesReachNoChoice() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, because);
    StationSettings s;
    SatelliteSelection sel(sats(2), s);
    SatelliteSelectionDialog d(sel, QString());
    d.show();
    pick(d, 0);
    d.addButton()->click();
    d.selectedList()->item(0)->setSelected(true);
    pick(d, 1);  // the boxes show the defaults of a new choice, and so does row 0
    const SatelliteChoice shown = sel.choices().at(0);
    QVERIFY(d.okButton()->isEnabled());

    auto* edit = d.findChild<QLineEdit*>(box);
    QVERIFY(edit != nullptr);
    edit->setText(typed);
    QLabel* note = d.refusals().noteOf(edit);
    QVERIFY(note->isVisible());
    QVERIFY2(note->text().contains(because), qPrintable(note->text()));
    QVERIFY(!d.okButton()->isEnabled());
    QVERIFY(!d.addButton()->isEnabled());
    const SatelliteChoice after = sel.choices().at(0);
    QCOMPARE(after.leadTimeTens, shown.leadTimeTens);
    QCOMPARE(after.passBeaconIntervalTens, shown.passBeaconIntervalTens);
    QCOMPARE(after.passVia, shown.passVia);
    d.addButton()->click();
    QCOMPARE(sel.rowCount(), std::size_t{1});

    pick(d, 0);  // the boxes show row 0's values again: nothing is refused
    QVERIFY(!note->isVisible());
    QVERIFY(d.okButton()->isEnabled());
    QVERIFY(d.addButton()->isEnabled());
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
    MainConsole console(settings, shared);
    SystemClock clock;
    LinkOutbox noLink;
    TrackerLink tracker(console, settings, shared, noLink, clock);
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

    console.action("upcomingPasses")->trigger();
    QVERIFY(tracker.passesWindow()->isVisible());
    QTRY_VERIFY(!tracker.passesWindow()->shownRows().empty());
    tracker.passesWindow()->skyPlotButton()->click();
    QVERIFY(tracker.skyPlotWindow()->isVisible());
    QTRY_VERIFY(tracker.skyPlotWindow()->pass().has_value());

    // The status bar tells what the tracker is doing, once the worker's first
    // second (its crossing search, slow under the sanitizers) is done.
    QTRY_VERIFY_WITH_TIMEOUT(
        console.statusText(StatusPart::Tracker).startsWith(QStringLiteral("Tracker: next crossing SAT-A in ")) ||
            console.statusText(StatusPart::Tracker) == QStringLiteral("Tracker: no crossing today"),
        20000);
    // Off during a pass ends the pass's schedule and leaves the station's own.
    shared.values.beaconMinutes = 1;
    shared.values.passActive = true;
    console.action("trackerOff")->trigger();
    QVERIFY(!shared.values.passActive.load());
    QCOMPARE(shared.values.beaconMinutes.load(), 1.0);
    QCOMPARE(console.statusText(StatusPart::Tracker), QStringLiteral("Tracker: off"));
    QVERIFY(console.action("trackerOn")->isEnabled());
    QVERIFY(!console.action("trackerShowStatus")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 5000);
    QVERIFY(WorkerThread::joinAll(std::chrono::milliseconds(3000)));
  }

  void passWindowsFollowTheClockAndEachOther() {
    const testing::TestOrbit orbits[] = {
        {"LOW 51", 90001, 21194.5, 51.64, 213.25, 0.0002, 155.1, 334.2, 15.4879, 1.068e-5},
        {"POLAR 800", 90002, 21194.5, 98.6, 34.3, 0.0008, 20.1, 340.0, 14.2955},
    };
    constexpr std::int64_t kStart = 1626177600;  // the elements' epoch
    constexpr double kLat = 48.1;
    constexpr double kLon = 11.6;
    Coordination shared;
    shared.values.setPosition(kLat, kLon);
    std::vector<ElementRecord> records;
    for (const testing::TestOrbit& o : orbits) {
      records.push_back(scanElementText(testing::elementFileText(o)).at(0));
      const auto k = static_cast<std::size_t>(shared.tracker.count++);
      shared.tracker.names[k] = records.back().name.view();
      shared.tracker.line1[k] = records.back().line1.view();
      shared.tracker.line2[k] = records.back().line2.view();
    }
    FixedClock clock(kStart);
    const auto risesAndSets = [](const std::vector<PassRow>& rows) {
      std::vector<std::pair<std::int64_t, std::int64_t>> times;
      for (const PassRow& r : rows) times.emplace_back(r.pass.riseUnix.value_or(0), r.pass.setUnix.value_or(0));
      return times;
    };

    PassesWindow passes(shared, clock);
    passes.show();
    QTRY_VERIFY(!passes.predicting());
    const std::vector<PassRow> oneDay = passTable(records, kLat, kLon, kStart, 1);
    QVERIFY(oneDay.size() >= 6);
    QCOMPARE(risesAndSets(passes.shownRows()), risesAndSets(oneDay));
    const char* const firstName = oneDay.front().satellite == 0 ? "LOW 51" : "POLAR 800";
    QCOMPARE(passes.view()->model()->index(0, 0).data().toString(), QString::fromLatin1(firstName));

    passes.daysBox()->setValue(3);
    QTRY_VERIFY(!passes.predicting());
    QCOMPARE(risesAndSets(passes.shownRows()), risesAndSets(passTable(records, kLat, kLon, kStart, 3)));
    passes.satelliteBox()->setCurrentIndex(2);
    for (const PassRow& r : passes.shownRows()) QCOMPARE(r.satellite, 1);
    passes.view()->sortByColumn(5, Qt::DescendingOrder);  // Max El
    const std::vector<PassRow> highestFirst = passes.shownRows();
    QVERIFY(std::is_sorted(highestFirst.begin(), highestFirst.end(), [](const PassRow& a, const PassRow& b) {
      return a.pass.maxElevationDeg > b.pass.maxElevationDeg;
    }));

    // Time goes on: the first pass ends and drops out.
    passes.satelliteBox()->setCurrentIndex(0);
    passes.view()->sortByColumn(2, Qt::AscendingOrder);  // Rise
    const SatellitePass first = oneDay.front().pass;
    clock.set(*first.setUnix);
    passes.refresh();
    QTRY_VERIFY(!passes.predicting());
    QVERIFY(*passes.shownRows().front().pass.riseUnix > *first.riseUnix);

    // The sky plot follows the first satellite's next pass, and shows it in view.
    clock.set(kStart);
    SkyPlotWindow plot(shared, clock);
    plot.show();
    QTRY_VERIFY(plot.pass().has_value());
    const SatellitePass next =
        std::find_if(oneDay.begin(), oneDay.end(), [](const PassRow& r) { return r.satellite == 0; })->pass;
    QCOMPARE(plot.pass()->riseUnix, next.riseUnix);
    QVERIFY(plot.plot()->track().size() > 10);
    QVERIFY(!plot.plot()->current().has_value());
    QVERIFY(plot.statusLabel()->text().startsWith(QStringLiteral("Rises in")));
    clock.set(next.culminationUnix);
    plot.refresh();
    QVERIFY(plot.plot()->current().has_value());
    QCOMPARE(plot.plot()->current()->elevationDeg, next.maxElevationDeg);
    QVERIFY(plot.statusLabel()->text().contains(QStringLiteral("sets in")));

    // A pass chosen in the table is shown until it is over, then the next.
    clock.set(kStart);
    passes.refresh();
    QTRY_VERIFY(!passes.predicting());
    passes.setPassChosen([&plot](int satellite, const SatellitePass& pass) { plot.showPass(satellite, pass); });
    passes.view()->selectRow(3);
    const PassRow chosen = passes.shownRows().at(3);
    passes.skyPlotButton()->click();
    QTRY_VERIFY(plot.pass().has_value() && plot.pass()->riseUnix == chosen.pass.riseUnix);
    QCOMPARE(plot.satelliteBox()->currentIndex(), chosen.satellite);
    clock.set(*chosen.pass.setUnix);
    plot.refresh();
    QTRY_VERIFY(plot.pass().has_value() && *plot.pass()->riseUnix > *chosen.pass.riseUnix);
    QVERIFY(WorkerThread::joinAll(std::chrono::milliseconds(5000)));
  }
};

QTEST_MAIN(TrackerWindowsTest)
#include "tracker_windows_test.moc"
