#include "map/map_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "base/text_format.h"
#include "map/locator.h"

namespace tervane {

namespace {

// About 200 km across a window: the station's neighbourhood.
constexpr double kRegionPixelsPerWorld = 256.0 * 512;
// Ground tracks are recomputed this often; between times the past part is dropped.
constexpr std::int64_t kTrackRefreshSeconds = 60;
constexpr int kTrackStepSeconds = 30;

QString latin1(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

std::vector<GeoPoint> geoPoints(const std::vector<SurfacePoint>& points) {
  std::vector<GeoPoint> out;
  out.reserve(points.size());
  for (const SurfacePoint& p : points) out.push_back({p.latitudeDeg, p.longitudeDeg});
  return out;
}

}  // namespace

MapWindow::MapWindow(MapSources sources, QWidget* parent) : QWidget(parent, Qt::Window), sources_(std::move(sources)) {
  setWindowTitle(QStringLiteral("Station Map"));
  view_ = new MapView(this);
  view_->setObjectName(QStringLiteral("mapView"));
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("mapStatus"));
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* own = new QPushButton(QStringLiteral("Own Station"), this);
  auto* world = new QPushButton(QStringLiteral("World"), this);
  own->setAutoDefault(false);
  world->setAutoDefault(false);
  connect(own, &QPushButton::clicked, this, [this] { centreOnOwnStation(); });
  connect(world, &QPushButton::clicked, this, [this] { showWorld(); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(own);
  buttons->addWidget(world);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 4);
  layout->setSpacing(4);
  layout->addLayout(buttons);
  layout->addWidget(view_, 1);
  layout->addWidget(status_);

  view_->onStationPicked = [this](const std::string& name) {
    if (onStationPicked) onStationPicked(name);
  };
  view_->onCursorMoved = [this](const GeoPoint& at) { showCursor(at); };
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, [this] { refresh(); });
  // The own track grows while the window is hidden too.
  timer_->start(1000);
  resize(960, 680);
}

MapWindow::~MapWindow() = default;

void MapWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  refresh();
  if (!placed_) {
    placed_ = true;
    centreOnOwnStation();
  }
}

void MapWindow::centreOnOwnStation() {
  const StationPosition own = sources_.shared->values.position();
  view_->showArea({own.latitudeDeg, own.longitudeDeg}, kRegionPixelsPerWorld);
}

void MapWindow::showWorld() { view_->showArea({20.0, 0.0}, 0.0); }

void MapWindow::refresh() {
  const StationPosition own = sources_.shared->values.position();
  const std::string call = sources_.ownCallsign ? sources_.ownCallsign() : std::string();
  view_->setOwnStation(call, {own.latitudeDeg, own.longitudeDeg}, sources_.shared->values.mobileMode);
  if (isVisible()) refreshSatellites(sources_.clock->unixSeconds(), own);
}

void MapWindow::refreshSatellites(std::int64_t now, const StationPosition& own) {
  const bool running = sources_.trackerRunning && sources_.trackerRunning();
  if (!running) {
    if (!satellites_.empty() || !view_->satellites().empty()) {
      satellites_.clear();
      view_->setSatellites({});
    }
    return;
  }
  // The tables are written only while the tracker is off, so the satellites
  // read when it started stay valid for the whole run.
  const TrackerTables& tables = sources_.shared->tracker;
  if (satellites_.empty()) {
    for (int i = 0; i < tables.count && i < static_cast<int>(tables.names.size()); ++i) {
      Satellite s;
      s.model.loadElements(tables.names[static_cast<std::size_t>(i)].view(), tables.line1[static_cast<std::size_t>(i)].view(),
                           tables.line2[static_cast<std::size_t>(i)].view());
      satellites_.push_back(std::move(s));
    }
  }
  std::vector<SatelliteTrace> traces;
  for (Satellite& s : satellites_) {
    if (s.track.empty() || now - s.track.front().unixSeconds >= kTrackRefreshSeconds || now < s.track.front().unixSeconds) {
      s.track = groundTrack(s.model, now, kTrackStepSeconds);
    }
    s.model.propagate(now);
    const LookAngles look = s.model.lookAngles(own.latitudeDeg, own.longitudeDeg);
    if (!std::isfinite(look.subLatitudeDeg) || !std::isfinite(look.subLongitudeDeg)) continue;
    SatelliteTrace trace;
    trace.name = std::string(s.model.name());
    trace.subPoint = {look.subLatitudeDeg, look.subLongitudeDeg};
    trace.footprint = geoPoints(footprintRing({look.subLatitudeDeg, look.subLongitudeDeg}, look.altitudeKm));
    // From where the satellite is now to one orbit after the track began.
    trace.groundTrack.push_back(trace.subPoint);
    for (const TrackPoint& p : s.track) {
      if (p.unixSeconds > now) trace.groundTrack.push_back({p.at.latitudeDeg, p.at.longitudeDeg});
    }
    traces.push_back(std::move(trace));
  }
  view_->setSatellites(std::move(traces));
}

void linkMapToPositions(MapWindow& map, PositionWindow& positions) {
  positions.setWatch(PositionWatch{
      [&map](const StationEntry& row) { map.stationChanged(row); },
      [&map](std::string_view name) { map.stationRemoved(name); }, [&map] { map.clearStations(); },
      [&map](const std::vector<std::string>& names) { map.setSelection(names); }});
  map.onStationPicked = [&positions](const std::string& name) { positions.selectStation(name); };
}

void MapWindow::showCursor(const GeoPoint& at) {
  const std::string text = latitudeDisplay(at.latitudeDeg) + "   " + longitudeDisplay(at.longitudeDeg) + "   " +
                           maidenheadLocator(at) + "   " + textf("%zu stations", view_->scene().size());
  status_->setText(latin1(text));
}

}  // namespace tervane
