#pragma once
// The map itself: the base map, the stations with their symbols, labels and
// course lines, the own station and its track, and the satellites'
// footprints and ground tracks. Wheel zooms around the cursor, dragging
// pans, a double click centres, a click picks a station.
//
// The base map is drawn once per view into a picture of its own; a report
// repaints only the few pixels its station covers.

#include <QPixmap>
#include <QStaticText>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "map/base_map.h"
#include "map/station_scene.h"
#include "map/symbol_glyphs.h"

namespace tervane {

// A satellite as the map shows it: where it is over the Earth, the edge of
// its footprint and its ground track (longitudes may run past ±180).
struct SatelliteTrace {
  std::string name;
  GeoPoint subPoint;
  std::vector<GeoPoint> footprint;
  std::vector<GeoPoint> groundTrack;
};

class MapView : public QWidget {
 public:
  explicit MapView(QWidget* parent = nullptr);
  ~MapView() override;

  StationScene& scene() { return scene_; }
  // Repaints the parts of the view a change touched.
  void stationChanged(const StationEntry& entry, bool tracked);
  void stationRemoved(std::string_view name);
  void clearStations();
  void setSelection(const std::vector<std::string>& names);
  void setOwnStation(std::string_view name, const GeoPoint& geo, bool mobile);
  void setSatellites(std::vector<SatelliteTrace> satellites);
  const std::vector<SatelliteTrace>& satellites() const { return satellites_; }

  // Moves the view; pixelsPerWorld as for Viewport.
  void showArea(const GeoPoint& centre, double pixelsPerWorld);
  void zoomAround(const QPointF& at, double factor);
  void panBy(const QPointF& delta);

  // Draws the whole map into a painter (the widget's paint, a picture).
  void paintMap(QPainter& painter, const QRect& exposed);
  // The base map, or nothing when the built-in outlines cannot be read.
  const BaseMap* baseMap();

  // A click on a station (its name), and the geographic point under the cursor.
  std::function<void(const std::string&)> onStationPicked;
  std::function<void(const GeoPoint&)> onCursorMoved;
  std::function<void()> onViewChanged;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void viewChanged();
  void repaintBox(const Box& box);
  void refreshBase(qreal ratio);
  void renderBase(QPainter& p, const QRect& area);
  void drawSatellites(QPainter& p);
  void drawOwnStation(QPainter& p);
  void drawStations(QPainter& p, const QRect& exposed);
  void drawScaleBar(QPainter& p);
  Box satelliteArea() const;
  QString tooltipAt(const QPointF& at);

  StationScene scene_;
  SymbolGlyphs glyphs_;
  std::optional<BaseMap> baseMap_;
  bool baseMapTried_ = false;
  QPixmap base_;
  Viewport baseView_;  // the view the base picture was drawn for
  bool baseValid_ = false;
  std::vector<SatelliteTrace> satellites_;
  const QStaticText& labelText(std::uint32_t id, const std::string& name);
  std::vector<std::pair<std::string, QStaticText>> labelTexts_;  // by marker id, laid out once
  QFont labelFont_;
  QFont ownFont_;
  std::optional<QPointF> pressedAt_;
  QPointF lastDragAt_;
  bool dragging_ = false;
};

}  // namespace tervane
