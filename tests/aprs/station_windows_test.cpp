#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "aprs/station_windows.h"

using namespace tervane;

namespace {

// "K0ZZ", "K1ZZ", ...: appended piece by piece, since GCC 12 at -O3 takes
// "K" + std::to_string(i) for an overflowing copy inside libstdc++.
std::string numberedCall(char prefix, int i, const char* suffix) {
  std::string call(1, prefix);
  call += std::to_string(i);
  call += suffix;
  return call;
}

StationEntry entry(const char* call, double lat = 42.5, double lon = -71.25) {
  StationEntry e;
  e.positionValid = true;
  e.callsignFound = true;
  e.sourceCall = call;
  e.latitudeDeg = lat;
  e.longitudeDeg = lon;
  e.latitudeText = "42.500000 N";
  e.longitudeText = " 71.250000 W";
  e.phgDigits = "5132";
  return e;
}

void selectRows(QAbstractItemView* view, std::initializer_list<int> rows) {
  view->clearSelection();
  for (int r : rows) {
    view->selectionModel()->select(view->model()->index(r, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

}  // namespace

class StationWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void positionWindowShowsColumnsAndSortedRows() {
    Coordination shared;
    PositionWindow w(shared);
    QCOMPARE(w.windowTitle(), QStringLiteral("Received Position Data"));
    QVERIFY(!w.isVisible());
    QVERIFY(!w.toggleTrackButton()->isEnabled());
    const char* titles[] = {"Callsign", "Tracked", "Sent", "Received", "Latitude", "Longitude", "PHG"};
    const int widths[] = {90, 60, 110, 110, 80, 90, 40};
    for (int c = 0; c < 7; ++c) {
      QCOMPARE(w.view()->model()->headerData(c, Qt::Horizontal).toString(), QString::fromLatin1(titles[c]));
      QCOMPARE(w.view()->columnWidth(c), widths[c]);
    }
    for (const char* c : {"C1C", "A1A", "B1B"}) w.addOrUpdate(entry(c));
    QAbstractItemModel* m = w.view()->model();
    QCOMPARE(m->rowCount(), 3);
    QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("A1A"));
    QCOMPARE(m->index(2, 0).data().toString(), QStringLiteral("C1C"));
    QCOMPARE(m->index(0, 1).data().toString(), QStringLiteral("No"));
    QCOMPARE(m->index(0, 6).data().toString(), QStringLiteral("5132"));
  }

  void objectsShowUnderTheirNamesAndLeaveWhenKilled() {
    Coordination shared;
    PositionWindow w(shared);
    StationEntry leader = entry("N1NET");
    leader.reportKind = ReportKind::Object;
    leader.objectName = "LEADER";
    StationEntry zulu = leader;
    zulu.objectName = "ZULU";
    for (const StationEntry& e : {entry("N1NET"), leader, zulu}) w.addOrUpdate(e);
    QAbstractItemModel* m = w.view()->model();
    QCOMPARE(m->rowCount(), 3);
    QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("LEADER"));
    QCOMPARE(m->index(1, 0).data().toString(), QStringLiteral("N1NET"));
    selectRows(w.view(), {2});
    leader.killed = true;
    w.addOrUpdate(leader);
    QCOMPARE(m->rowCount(), 2);
    QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("N1NET"));
    QCOMPARE(m->index(1, 0).data().toString(), QStringLiteral("ZULU"));
    const QModelIndexList selected = w.view()->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.front().row(), 1);  // the selection stays on ZULU
    w.addOrUpdate(leader);                // a kill for a name no longer shown
    QCOMPARE(m->rowCount(), 2);
  }

  // New stations keep the operator's column widths and selection, however
  // many arrive: refilling the view every few stations would drop both.
  void newStationsKeepTheOperatorsWidthsAndSelection() {
    Coordination shared;
    PositionWindow w(shared);
    for (int i = 0; i < 8; ++i) w.addOrUpdate(entry(numberedCall('K', i, "AA").c_str()));
    w.view()->setColumnWidth(0, 300);
    selectRows(w.view(), {2});
    for (int i = 0; i < 30; ++i) w.addOrUpdate(entry(numberedCall('W', i, "ZZ").c_str()));
    QCOMPARE(w.view()->columnWidth(0), 300);
    QCOMPARE(w.view()->model()->rowCount(), 38);
    const QModelIndexList selected = w.view()->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected[0].data().toString(), QStringLiteral("K2AA"));
  }

  void toggleTrackSendsNewlyTrackedStationsOnly() {
    Coordination shared;
    PositionWindow w(shared);
    for (const char* c : {"A1A", "B1B", "C1C"}) w.addOrUpdate(entry(c));
    shared.events.gpsUploadReady.raise();  // a Garmin link is up
    w.setToggleTrackEnabled(true);
    selectRows(w.view(), {0});
    w.toggleTrack();
    QVERIFY(shared.events.gpsUploadRequest.wait(0));
    QCOMPARE(shared.waypointBatch.waypoints.size(), std::size_t{1});
    QVERIFY(!w.toggleTrackButton()->isEnabled());
    shared.events.gpsUploadReady.raise();  // the GPS worker sent the batch

    selectRows(w.view(), {0, 2});  // one tracked, one not
    w.toggleTrack();
    QVERIFY(shared.events.gpsUploadRequest.wait(0));
    QCOMPARE(shared.waypointBatch.waypoints.size(), std::size_t{1});
    QCOMPARE(shared.waypointBatch.waypoints[0].name.str(), std::string("C1C"));
    QCOMPARE(w.view()->model()->index(0, 1).data().toString(), QStringLiteral("No"));
    QCOMPARE(w.view()->model()->index(2, 1).data().toString(), QStringLiteral("Yes"));

    shared.events.gpsUploadReady.raise();
    selectRows(w.view(), {2});
    w.toggleTrack();  // untracking sends nothing and gives the batch back
    QVERIFY(!shared.events.gpsUploadRequest.wait(0));
    QVERIFY(shared.events.gpsUploadReady.wait(0));
  }

  void updateOfATrackedStationUploadsOnlyWhenTheTokenIsFree() {
    Coordination shared;
    PositionWindow w(shared);
    w.addOrUpdate(entry("A1A"));
    shared.events.gpsUploadReady.raise();
    selectRows(w.view(), {0});
    w.toggleTrack();
    QVERIFY(shared.events.gpsUploadRequest.wait(0));
    w.addOrUpdate(entry("A1A", -10.0, 20.0));  // token not given back: nothing sent
    QVERIFY(!shared.events.gpsUploadRequest.wait(0));
    shared.events.gpsUploadReady.raise();
    w.addOrUpdate(entry("A1A", -11.0, 21.0));
    QVERIFY(shared.events.gpsUploadRequest.wait(0));
    QCOMPARE(shared.waypointBatch.waypoints.size(), std::size_t{1});
    QCOMPARE(shared.waypointBatch.waypoints[0].latitudeDeg, -11.0);
    QCOMPARE(w.view()->model()->index(0, 1).data().toString(), QStringLiteral("Yes"));
  }

  void deleteClearAndDismiss() {
    Coordination shared;
    PositionWindow w(shared);
    for (const char* c : {"A1A", "B1B", "C1C", "D1D", "E1E", "F1F"}) w.addOrUpdate(entry(c));
    w.show();
    selectRows(w.view(), {1, 4});
    w.deleteButton()->click();
    QCOMPARE(w.table().size(), std::size_t{4});
    QCOMPARE(w.view()->model()->index(1, 0).data().toString(), QStringLiteral("C1C"));
    QCOMPARE(w.view()->model()->index(3, 0).data().toString(), QStringLiteral("F1F"));
    w.dismissButton()->click();
    QVERIFY(!w.isVisible());
    QCOMPARE(w.table().size(), std::size_t{4});
    w.clearButton()->click();
    QCOMPARE(w.view()->model()->rowCount(), 0);
  }

  void resizeCentresTheButtons() {
    Coordination shared;
    PositionWindow w(shared);
    w.resize(700, 400);
    w.show();
    QCoreApplication::processEvents();
    const int cx = w.width();
    const int cy = w.height();
    QCOMPARE(w.view()->geometry(), QRect(20, 30, cx - 50, cy - 110));
    const int bw = w.toggleTrackButton()->width();
    QCOMPARE(w.toggleTrackButton()->x(), cx / 2 - 2 * bw - 45);
    QCOMPARE(w.deleteButton()->x(), cx / 2 - bw - 15);
    QCOMPARE(w.clearButton()->x(), cx / 2 + 15);
    QCOMPARE(w.dismissButton()->x(), cx / 2 + bw + 45);
    QCOMPARE(w.dismissButton()->y(), cy - 50);
  }

  // Every column starts at least as wide as designed and widens to show its
  // whole text, so the hemisphere letters are never cut off; the operator
  // can still resize the columns, and the last one takes the spare room.
  void columnsShowTheirWholeTexts_data() {
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<QString>("received");
    QTest::newRow("south and west") << QStringLiteral("W1AW") << QStringLiteral("42.446160 S")
                                    << QStringLiteral(" 71.250000 W") << QStringLiteral("6/12/2026 14:28:33");
    QTest::newRow("three-digit east longitude")
        << QStringLiteral("VK2RAG-15") << QStringLiteral("33.868800 S") << QStringLiteral("151.209300 E")
        << QStringLiteral("12/31/2026 23:59:59");
    QTest::newRow("long object name") << QStringLiteral("LEADER-ON-THE-HILL") << QStringLiteral("88.888888 N")
                                      << QStringLiteral("100.000000 E") << QStringLiteral("1/1/2027 00:00:00");
  }

  void columnsShowTheirWholeTexts() {
    QFETCH(QString, call);
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    QFETCH(QString, received);
    Coordination shared;
    PositionWindow w(shared);
    w.show();
    QHeaderView* header = w.view()->horizontalHeader();
    const int given[] = {90, 60, 110, 110, 80, 90, 40};
    for (int c = 0; c < 7; ++c) {
      QVERIFY(header->sectionResizeMode(c) == QHeaderView::Interactive);
      const int startPx = std::max(given[c], header->sectionSizeHint(c));
      if (c < 6) QCOMPARE(w.view()->columnWidth(c), startPx);
      if (c == 6) QVERIFY(w.view()->columnWidth(c) >= startPx);
    }
    const auto wholeTextsShown = [&w] {
      const QAbstractItemView* view = w.view();  // the width each column's texts need
      for (int c = 0; c < 6; ++c) {              // the last column stretches to the view's edge
        if (w.view()->columnWidth(c) < view->sizeHintForColumn(c)) return false;
      }
      return true;
    };
    StationEntry e = entry(call.toLatin1().constData());
    e.latitudeText = latitude.toStdString();
    e.longitudeText = longitude.toStdString();
    e.receivedTime = received.toStdString();
    e.sentTime = "6/12/2026 14:28";
    w.addOrUpdate(e);
    QVERIFY(wholeTextsShown());
    w.view()->setColumnWidth(4, 30);  // the operator narrows a column
    for (int i = 0; i < 12; ++i) {    // texts no wider than before leave it so
      e.sourceCall = numberedCall('K', i, "ZZ");
      w.addOrUpdate(e);
    }
    QCOMPARE(w.view()->columnWidth(4), 30);
    e.latitudeText = "188.888888 N";  // a text wider than any before shows whole
    w.addOrUpdate(e);
    QVERIFY(wholeTextsShown());
    QVERIFY(header->stretchLastSection());
  }

  void confirmSendsOneQslTextInListOrder() {
    std::vector<std::string> sent;
    StationsWindow w([&sent](const std::string& t) {
      sent.push_back(t);
      return true;
    });
    QCOMPARE(w.windowTitle(), QStringLiteral("Received Stations"));
    for (const char* c : {"W1ABC", "N1TEST", "N0CALL", "K1ZZZ"}) w.addCallsign(c);
    w.confirm();
    QVERIFY(sent.empty());  // nothing selected
    selectRows(w.view(), {3, 1, 2});
    w.confirm();
    QCOMPARE(sent, (std::vector<std::string>{"QSL N0CALL N1TEST W1ABC "}));
  }

  void stationsListOnceAndRefills() {
    StationsWindow w([](const std::string&) { return true; });
    for (int i = 0; i < 100; ++i) w.addCallsign("N0CALL");
    QCOMPARE(w.view()->model()->rowCount(), 1);
    for (int i = 0; i < 20; ++i) w.addCallsign(numberedCall('K', i, "ZZ"));
    QCOMPARE(w.view()->model()->rowCount(), 21);
    QCOMPARE(w.view()->model()->index(0, 0).data().toString(), QStringLiteral("K0ZZ"));
  }

  void sinkHandsEntriesToTheWindowsThread() {
    Coordination shared;
    PositionWindow positions(shared);
    StationsWindow stations([](const std::string&) { return true; });
    StationWindowsSink sink(positions, stations);
    std::thread worker([&sink] {
      sink.addCallsign("W1ABC");  // heard without a position
      sink.addCallsign("N0CALL");
      sink.addOrUpdate(entry("N0CALL"));
    });
    worker.join();
    QTRY_COMPARE(stations.view()->model()->rowCount(), 2);
    QTRY_COMPARE(positions.view()->model()->rowCount(), 1);
    QCOMPARE(positions.view()->model()->index(0, 0).data().toString(), QStringLiteral("N0CALL"));
  }
};

QTEST_MAIN(StationWindowsTest)
#include "station_windows_test.moc"
