#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "map/map_window.h"
#include "tracker/element_file.h"
#include "tracker/element_writer.h"

using namespace tervane;

namespace {

constexpr double kLat = 42.36;
constexpr double kLon = -71.06;

StationEntry report(const char* call, double lat, double lon) {
  StationEntry e;
  e.positionValid = true;
  e.callsignFound = true;
  e.sourceCall = call;
  e.latitudeDeg = lat;
  e.longitudeDeg = lon;
  e.symbolTable = '/';
  e.symbolCode = '>';
  return e;
}

std::vector<std::string> selectedCalls(PositionWindow& positions) {
  std::vector<std::string> calls;
  for (const QModelIndex& i : positions.view()->selectionModel()->selectedRows()) {
    calls.emplace_back(positions.table().row(static_cast<std::size_t>(i.row())).sourceCall.view());
  }
  return calls;
}

struct Station {
  Coordination shared;
  FixedClock clock{1781274727};
  bool trackerRunning = false;
  PositionWindow positions{shared};
  MapWindow map{MapSources{&shared, &clock, [this] { return trackerRunning; }, [] { return std::string("N0CALL"); }}};

  Station() {
    shared.values.setPosition(kLat, kLon);
    linkMapToPositions(map, positions);
    map.resize(900, 640);
    map.show();
    map.view()->showArea({kLat, kLon}, 256.0 * 2048);
    QTest::qWait(20);
  }
  QPoint onScreen(double lat, double lon) {
    const ScreenPoint p = map.view()->scene().view().toScreen(toWorld({lat, lon}));
    return QPointF(p.x, p.y).toPoint();
  }
};

}  // namespace

class MapWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void followsThePositionTableAndSharesItsSelection() {
    Station s;
    s.positions.addOrUpdate(report("W1AAA", kLat + 0.05, kLon - 0.05));
    s.positions.addOrUpdate(report("W1BBB", kLat - 0.04, kLon + 0.06));
    s.positions.addOrUpdate(report("W1CCC", kLat + 0.02, kLon + 0.10));
    StationScene& scene = s.map.view()->scene();
    QCOMPARE(scene.size(), std::size_t{3});

    // A row selected in the table is the station selected on the map.
    s.positions.view()->selectRow(1);
    QCOMPARE(scene.selection(), std::vector<std::string>{"W1BBB"});

    // A click on a station's symbol selects its row, and only its row.
    QTest::mouseClick(s.map.view(), Qt::LeftButton, {}, s.onScreen(kLat + 0.02, kLon + 0.10) + QPoint(3, -2));
    QCOMPARE(selectedCalls(s.positions), std::vector<std::string>{"W1CCC"});
    QCOMPARE(scene.selection(), std::vector<std::string>{"W1CCC"});
    // A drag pans instead of picking.
    const QPoint from = s.onScreen(kLat + 0.05, kLon - 0.05);
    const GeoPoint before = s.map.view()->scene().view().geoAt({450.0, 300.0});
    QTest::mousePress(s.map.view(), Qt::LeftButton, {}, from);
    QTest::mouseMove(s.map.view(), from + QPoint(40, 0));
    QTest::mouseMove(s.map.view(), from + QPoint(80, 0));
    QTest::mouseRelease(s.map.view(), Qt::LeftButton, {}, from + QPoint(80, 0));
    QCOMPARE(selectedCalls(s.positions), std::vector<std::string>{"W1CCC"});
    QVERIFY(s.map.view()->scene().view().geoAt({450.0, 300.0}).longitudeDeg < before.longitudeDeg);

    // A station that moves moves on the map; tracking it marks it.
    s.positions.addOrUpdate(report("W1AAA", kLat + 0.06, kLon - 0.07));
    QCOMPARE(scene.find("W1AAA")->geo.longitudeDeg, kLon - 0.07);
    s.shared.events.gpsUploadReady.raise();
    s.positions.setToggleTrackEnabled(true);
    s.positions.view()->selectRow(0);
    s.positions.toggleTrack();
    QVERIFY(scene.find("W1AAA")->tracked);

    // Deleting rows takes their stations off the map; Clear takes them all.
    s.positions.deleteSelected();
    QVERIFY(scene.find("W1AAA") == nullptr);
    QCOMPARE(scene.size(), std::size_t{2});
    QVERIFY(scene.selection().empty());
    s.positions.clearAll();
    QCOMPARE(scene.size(), std::size_t{0});

    // The status line names the point under the cursor.
    QTest::mouseMove(s.map.view(), s.onScreen(kLat, kLon));
    QVERIFY(s.map.statusLine()->text().contains(QStringLiteral("FN42li")));
    QVERIFY(s.map.statusLine()->text().contains(QStringLiteral("42.36")));
  }

  void drawsTheTrackersSatellitesOnlyWhileItRuns() {
    Station s;
    const std::int64_t now = s.clock.unixSeconds();
    const std::vector<ElementRecord> sets =
        scanElementText(formatElementSet(orbitPassingOver("TESTSAT-1", 99001, kLat, kLon, now - 600, 300)));
    QCOMPARE(sets.size(), std::size_t{1});
    s.shared.tracker.count = 1;
    s.shared.tracker.names[0] = sets[0].name.view();
    s.shared.tracker.line1[0] = sets[0].line1.view();
    s.shared.tracker.line2[0] = sets[0].line2.view();

    s.map.refresh();
    QVERIFY(s.map.view()->satellites().empty());
    s.trackerRunning = true;
    s.map.refresh();
    QCOMPARE(s.map.view()->satellites().size(), std::size_t{1});
    const SatelliteTrace sat = s.map.view()->satellites()[0];
    QCOMPARE(sat.name, std::string("TESTSAT-1"));
    // It rose over the station five minutes ago: the station is inside its
    // footprint, and the ground track starts where the satellite is.
    OrbitModel model;
    model.loadElements(sets[0].name.view(), sets[0].line1.view(), sets[0].line2.view());
    model.propagate(now);
    const LookAngles look = model.lookAngles(kLat, kLon);
    QVERIFY(look.elevationDeg > 0.0);
    QVERIFY(std::fabs(sat.subPoint.latitudeDeg - look.subLatitudeDeg) < 1e-6);
    QVERIFY(sat.footprint.size() >= 100);
    QVERIFY(sat.groundTrack.size() > 150);
    QCOMPARE(sat.groundTrack.front().latitudeDeg, sat.subPoint.latitudeDeg);

    // A second later the satellite has moved on.
    s.clock.advance(1);
    s.map.refresh();
    QVERIFY(s.map.view()->satellites()[0].subPoint.latitudeDeg != sat.subPoint.latitudeDeg);
    s.trackerRunning = false;
    s.map.refresh();
    QVERIFY(s.map.view()->satellites().empty());

    // The own station: where the working values put it; a mobile one leaves a track.
    QCOMPARE(s.map.view()->scene().ownStation().name, std::string("N0CALL"));
    s.shared.values.mobileMode = true;
    for (int i = 0; i < 4; ++i) {
      s.shared.values.setPosition(kLat + 0.001 * i, kLon);
      s.map.refresh();
    }
    QCOMPARE(s.map.view()->scene().ownStation().track.size(), std::size_t{4});
  }
};

QTEST_MAIN(MapWindowTest)
#include "map_window_test.moc"
