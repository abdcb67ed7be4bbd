#pragma once
// The Map window (File > View Station Data > Map): every station of the
// position table on a world map, the own station, and while the tracker
// runs the sub-satellite point, footprint and next-orbit ground track of
// each satellite it follows. Created hidden at start like the other station
// windows; it reads the own station once a second (so that a mobile
// station's track grows while it is hidden) and the tracker's satellites
// while it is shown.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "aprs/station_windows.h"
#include "base/coordination.h"
#include "map/map_view.h"
#include "platform/clock.h"
#include "tracker/footprint.h"
#include "tracker/orbit_model.h"

class QLabel;
class QPushButton;
class QTimer;

namespace tervane {

struct MapSources {
  Coordination* shared = nullptr;
  const Clock* clock = nullptr;
  std::function<bool()> trackerRunning;   // the tracker worker runs
  std::function<std::string()> ownCallsign;
};

class MapWindow : public QWidget {
 public:
  explicit MapWindow(MapSources sources, QWidget* parent = nullptr);
  ~MapWindow() override;

  MapView* view() const { return view_; }
  QLabel* statusLine() const { return status_; }

  // The position table's changes.
  void stationChanged(const StationEntry& row) { view_->stationChanged(row, row.tracked); }
  void stationRemoved(std::string_view name) { view_->stationRemoved(name); }
  void clearStations() { view_->clearStations(); }
  void setSelection(const std::vector<std::string>& names) { view_->setSelection(names); }
  // A station chosen on the map.
  std::function<void(const std::string&)> onStationPicked;

  // Reads the own station and the satellites now.
  void refresh();
  void centreOnOwnStation();
  void showWorld();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Satellite {
    OrbitModel model;
    std::vector<TrackPoint> track;
  };
  void refreshSatellites(std::int64_t now, const StationPosition& own);
  void showCursor(const GeoPoint& at);

  MapSources sources_;
  MapView* view_ = nullptr;
  QLabel* status_ = nullptr;
  QTimer* timer_ = nullptr;
  std::vector<Satellite> satellites_;
  bool placed_ = false;
};

// The map follows the position table (rows added, changed, deleted, cleared)
// and its selection; a station picked on the map selects its row.
void linkMapToPositions(MapWindow& map, PositionWindow& positions);

}  // namespace tervane
