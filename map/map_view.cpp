#include "map/map_view.h"

#include <QFile>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>
#include <numbers>

#include "aprs/received_text.h"
#include "base/text_format.h"
#include "map/clip.h"
#include "map/locator.h"

static void registerMapResources() { Q_INIT_RESOURCE(map); }

namespace tervane {

namespace {

const QColor kOcean(170, 205, 225);
const QColor kOutside(214, 219, 222);
const QColor kLand(242, 239, 230);
const QColor kCoast(110, 150, 175);
const QColor kBorder(160, 140, 170);
const QColor kOwn(200, 30, 30);
const QColor kTrackedHalo(255, 200, 0, 170);
const QColor kSelectedHalo(30, 110, 255, 150);
const QColor kSatellite(230, 110, 0);
constexpr double kPickRadiusPx = 12.0;

// Green for a station heard on the radio directly, amber through a
// digipeater, blue from APRS-IS.
QColor heardColour(HeardHow how) {
  switch (how) {
    case HeardHow::RfDirect: return {20, 150, 40};
    case HeardHow::RfDigipeated: return {230, 150, 0};
    case HeardHow::AprsIs: return {40, 90, 220};
    case HeardHow::Unknown: break;
  }
  return Qt::transparent;
}
constexpr int kSymbolPx = 18;

QString latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

QPointF qt(const ScreenPoint& p) { return {p.x, p.y}; }

QRect toRect(const Box& box) {
  return QRectF(QPointF(box.left, box.top), QPointF(box.right, box.bottom)).toAlignedRect().adjusted(-1, -1, 1, 1);
}

// A polyline through geographic points, with longitudes made continuous so
// that a line across 180° goes on rather than jumping round the world.
std::vector<WorldPoint> continuousWorld(const std::vector<GeoPoint>& points) {
  std::vector<WorldPoint> out;
  out.reserve(points.size());
  double previous = 0.0;
  for (const GeoPoint& g : points) {
    double lon = g.longitudeDeg;
    if (!out.empty()) lon -= 360.0 * std::round((lon - previous) / 360.0);
    previous = lon;
    out.push_back(toWorld({g.latitudeDeg, lon}));
  }
  return out;
}

Box worldBounds(const std::vector<WorldPoint>& points) {
  Box b;
  for (const WorldPoint& p : points) b = b.united({p.x, p.y, p.x + 1e-12, p.y + 1e-12});
  return b;
}

}  // namespace

MapView::MapView(QWidget* parent)
    : QWidget(parent),
      scene_(MarkerMetrics{kSymbolPx, 15.0, 3.0, 22.0},
             [this](std::string_view text) {
               return QFontMetricsF(labelFont_).horizontalAdvance(receivedText(text)) + 6.0;
             }),
      glyphs_(kSymbolPx, 1.0) {
  labelFont_ = font();
  labelFont_.setPixelSize(11);
  ownFont_ = labelFont_;
  ownFont_.setBold(true);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(200, 150);
  glyphs_ = SymbolGlyphs(kSymbolPx, devicePixelRatioF());
}

MapView::~MapView() = default;

const BaseMap* MapView::baseMap() {
  if (!baseMapTried_) {
    baseMapTried_ = true;
    registerMapResources();
    QFile file(QStringLiteral(":/map/world-50m.bin"));
    if (file.open(QIODevice::ReadOnly)) {
      const QByteArray bytes = file.readAll();
      baseMap_ = BaseMap::decode(
          std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
    }
  }
  return baseMap_ ? &*baseMap_ : nullptr;
}

void MapView::viewChanged() {
  update();
  if (onViewChanged) onViewChanged();
}

void MapView::repaintBox(const Box& box) {
  if (!box.empty()) update(toRect(box));
}

void MapView::stationChanged(const StationEntry& entry, bool tracked) { repaintBox(scene_.update(entry, tracked)); }

void MapView::stationRemoved(std::string_view name) { repaintBox(scene_.remove(name)); }

void MapView::clearStations() {
  scene_.clear();
  update();
}

void MapView::setSelection(const std::vector<std::string>& names) { repaintBox(scene_.select(names)); }

void MapView::setOwnStation(std::string_view name, const GeoPoint& geo, bool mobile) {
  repaintBox(scene_.setOwnStation(name, geo, mobile));
}

Box MapView::satelliteArea() const {
  Box world;
  for (const SatelliteTrace& s : satellites_) {
    world = world.united(worldBounds(continuousWorld(s.footprint)));
    world = world.united(worldBounds(continuousWorld(s.groundTrack)));
  }
  Box area = scene_.screenArea(world).grown(3.0);
  // The symbol and the name beside it.
  for (const SatelliteTrace& s : satellites_) {
    const WorldPoint w = toWorld(s.subPoint);
    area = area.united(scene_.screenArea({w.x, w.y, w.x + 1e-12, w.y + 1e-12}).grown(120.0));
  }
  return area;
}

void MapView::setSatellites(std::vector<SatelliteTrace> satellites) {
  const Box before = satelliteArea();
  satellites_ = std::move(satellites);
  repaintBox(before.united(satelliteArea()));
}

void MapView::showArea(const GeoPoint& centre, double pixelsPerWorld) {
  Viewport& v = scene_.changeView();
  v.setPixelsPerWorld(pixelsPerWorld);
  v.centreOn(toWorld(centre));
  viewChanged();
}

void MapView::zoomAround(const QPointF& at, double factor) {
  scene_.changeView().zoomAround({at.x(), at.y()}, factor);
  viewChanged();
}

void MapView::panBy(const QPointF& delta) {
  scene_.changeView().panBy(delta.x(), delta.y());
  viewChanged();
}

// After a pan at the same scale by whole pixels the old picture moves along,
// and only the strips that come into view are drawn.
void MapView::refreshBase(qreal ratio) {
  const Viewport& v = scene_.view();
  const QSize pixels = size() * ratio;
  std::optional<QPoint> shift;
  if (baseValid_ && base_.size() == pixels && baseView_.pixelsPerWorld() == v.pixelsPerWorld() &&
      baseView_.widthPx() == v.widthPx() && baseView_.heightPx() == v.heightPx()) {
    const ScreenPoint origin = v.toScreen(baseView_.toWorld({0.0, 0.0}));
    const double dx = origin.x - std::round(origin.x / v.pixelsPerWorld()) * v.pixelsPerWorld();
    const double dy = origin.y;
    const auto whole = [](double d) { return std::fabs(d - std::round(d)) < 1e-4; };
    if (whole(dx) && whole(dy) && whole(dx * ratio) && whole(dy * ratio) && std::fabs(dx) < width() &&
        std::fabs(dy) < height()) {
      shift = QPoint(static_cast<int>(std::round(dx)), static_cast<int>(std::round(dy)));
    }
  }
  QPixmap next(pixels);
  next.setDevicePixelRatio(ratio);
  {
    QPainter bp(&next);
    if (shift) {
      bp.drawPixmap(*shift, base_);
      const QRect kept(*shift, size());
      for (const QRect& strip : QRegion(rect()).subtracted(QRegion(kept))) {
        bp.save();
        bp.setClipRect(strip);
        renderBase(bp, strip);
        bp.restore();
      }
    } else {
      renderBase(bp, rect());
    }
  }
  base_ = std::move(next);
  baseView_ = v;
  baseValid_ = true;
}

void MapView::renderBase(QPainter& p, const QRect& area) {
  const Viewport& v = scene_.view();
  const QRectF all(area);
  p.fillRect(all, kOutside);
  const ScreenPoint top = v.toScreen({0.0, 0.0});
  const ScreenPoint bottom = v.toScreen({0.0, 1.0});
  p.fillRect(QRectF(0, top.y, v.widthPx(), bottom.y - top.y).intersected(all), kOcean);
  const BaseMap* map = baseMap();
  if (map == nullptr) return;
  const MapLayer& layer = map->layerFor(v.pixelsPerWorld());
  const Box screen{area.left() - 2.0, area.top() - 2.0, area.right() + 3.0, area.bottom() + 3.0};

  QPainterPath land;
  land.setFillRule(Qt::OddEvenFill);
  std::vector<ScreenPoint> points;
  QPolygonF polygon;
  // Outlines that cross 180° run on past the square's edge, so the copies on
  // either side of those in view may reach into it.
  for (int k = v.firstCopy() - 1; k <= v.lastCopy() + 1; ++k) {
    for (const MapLine& ring : layer.land) {
      const Box box = v.screenBox(ring.bounds.shifted(k, 0.0));
      if (!box.intersects(screen)) continue;
      points.clear();
      for (const WorldPoint& w : ring.points) points.push_back(v.toScreen({w.x + k, w.y}));
      const bool inside = box.left >= screen.left && box.right <= screen.right && box.top >= screen.top &&
                          box.bottom <= screen.bottom;
      if (!inside) points = clipRing(points, screen);
      if (points.size() < 3) continue;
      polygon.resize(static_cast<qsizetype>(points.size()));
      for (std::size_t i = 0; i < points.size(); ++i) polygon[static_cast<qsizetype>(i)] = qt(points[i]);
      land.addPolygon(polygon);
      land.closeSubpath();
    }
  }
  // The fill's edge is covered by the smooth coastline drawn over it.
  p.fillPath(land, kLand);
  p.setRenderHint(QPainter::Antialiasing);
  {
    QPen coast(kCoast, 0.0);
    coast.setCosmetic(true);
    p.setPen(coast);
    p.setBrush(Qt::NoBrush);
    p.drawPath(land);
  }

  QPen border(kBorder, 0.0);
  border.setCosmetic(true);
  p.setPen(border);
  for (int k = v.firstCopy() - 1; k <= v.lastCopy() + 1; ++k) {
    for (const MapLine& line : layer.borders) {
      if (!v.screenBox(line.bounds.shifted(k, 0.0)).intersects(screen)) continue;
      points.clear();
      for (const WorldPoint& w : line.points) points.push_back(v.toScreen({w.x + k, w.y}));
      for (const std::vector<ScreenPoint>& piece : clipLine(points, screen)) {
        polygon.resize(static_cast<qsizetype>(piece.size()));
        for (std::size_t i = 0; i < piece.size(); ++i) polygon[static_cast<qsizetype>(i)] = qt(piece[i]);
        p.drawPolyline(polygon);
      }
    }
  }
}

void MapView::drawSatellites(QPainter& p) {
  if (satellites_.empty()) return;
  const Viewport& v = scene_.view();
  p.setRenderHint(QPainter::Antialiasing);
  for (const SatelliteTrace& s : satellites_) {
    const std::vector<WorldPoint> ring = continuousWorld(s.footprint);
    const std::vector<WorldPoint> track = continuousWorld(s.groundTrack);
    for (int k = v.firstCopy() - 1; k <= v.lastCopy(); ++k) {
      QPolygonF footprint;
      for (const WorldPoint& w : ring) footprint << qt(v.toScreen({w.x + k, w.y}));
      p.setPen(QPen(kSatellite, 1.6));
      p.setBrush(QColor(kSatellite.red(), kSatellite.green(), kSatellite.blue(), 28));
      p.drawPolygon(footprint);
      QPolygonF line;
      for (const WorldPoint& w : track) line << qt(v.toScreen({w.x + k, w.y}));
      p.setPen(QPen(kSatellite, 1.6, Qt::DashLine));
      p.drawPolyline(line);
    }
    const WorldPoint at = toWorld(s.subPoint);
    const QPixmap& glyph = glyphs_.glyph('\\', 'S');
    p.setFont(ownFont_);
    for (int k = v.firstCopy() - 1; k <= v.lastCopy() + 1; ++k) {
      const QPointF c = qt(v.toScreen({at.x + k, at.y}));
      p.drawPixmap(c - QPointF(kSymbolPx / 2.0, kSymbolPx / 2.0), glyph);
      const QString name = latin1(s.name);
      const QRectF text(c + QPointF(kSymbolPx / 2.0 + 3, -8), QSizeF(QFontMetricsF(ownFont_).horizontalAdvance(name) + 6, 16));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(255, 255, 255, 200));
      p.drawRoundedRect(text, 3, 3);
      p.setPen(kSatellite.darker(130));
      p.drawText(text, Qt::AlignCenter, name);
    }
  }
}

void MapView::drawOwnStation(QPainter& p) {
  const OwnStation& own = scene_.ownStation();
  if (!own.known) return;
  const Viewport& v = scene_.view();
  p.setRenderHint(QPainter::Antialiasing);
  const std::vector<WorldPoint> track = continuousWorld(own.track);
  const WorldPoint at = toWorld(own.geo);
  for (int k = v.firstCopy() - 1; k <= v.lastCopy() + 1; ++k) {
    if (track.size() >= 2) {
      QPolygonF line;
      for (const WorldPoint& w : track) line << qt(v.toScreen({w.x + k, w.y}));
      p.setPen(QPen(QColor(kOwn.red(), kOwn.green(), kOwn.blue(), 170), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(Qt::NoBrush);
      p.drawPolyline(line);
    }
    const QPointF c = qt(v.toScreen({at.x + k, at.y}));
    if (c.x() < -100 || c.x() > v.widthPx() + 100) continue;
    p.setPen(QPen(Qt::white, 5.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 8.0, 8.0);
    p.setPen(QPen(kOwn, 2.6));
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawEllipse(c, 8.0, 8.0);
    p.setPen(Qt::NoPen);
    p.setBrush(kOwn);
    p.drawEllipse(c, 3.0, 3.0);
    const QString name = latin1(own.name);
    if (name.isEmpty()) continue;
    const QRectF text(c + QPointF(kSymbolPx / 2.0 + 3, -8), QSizeF(QFontMetricsF(ownFont_).horizontalAdvance(name) + 6, 16));
    p.setBrush(QColor(255, 255, 255, 225));
    p.drawRoundedRect(text, 3, 3);
    p.setFont(ownFont_);
    p.setPen(kOwn.darker(120));
    p.drawText(text, Qt::AlignCenter, name);
  }
}

void MapView::drawStations(QPainter& p, const QRect& exposed) {
  const std::vector<Placement>& placements = scene_.placements();
  const QRectF near = QRectF(exposed).adjusted(-30, -30, 30, 30);
  p.setFont(labelFont_);
  p.setRenderHint(QPainter::Antialiasing, false);
  QPen coursePen(QColor(40, 40, 40), 0.0);
  coursePen.setCosmetic(true);
  const QPointF half(kSymbolPx / 2.0, kSymbolPx / 2.0);
  // The most important markers were laid out first; they are drawn last, on top.
  for (auto it = placements.rbegin(); it != placements.rend(); ++it) {
    const Placement& pl = *it;
    if (pl.id == Placement::kGone) continue;
    const QPointF at = qt(pl.at);
    const bool labelNear = pl.labelShown && near.intersects(QRectF(pl.label.left, pl.label.top, pl.label.right - pl.label.left,
                                                                    pl.label.bottom - pl.label.top));
    if (!near.contains(at) && !labelNear) continue;
    const Marker& m = scene_.marker(pl.id);
    const bool selected = scene_.isSelected(pl.id);
    if (pl.symbolShown && m.showsCourse()) {
      // Two one-pixel lines side by side: the raster engine's fast path,
      // where a wider pen would be outlined as a shape for every station.
      const double c = m.courseDeg * std::numbers::pi / 180.0;
      const QPointF ahead = QPointF(std::sin(c), -std::cos(c)) * 22.0;
      const QPointF side(std::cos(c) * 0.5, std::sin(c) * 0.5);
      p.setPen(coursePen);
      p.drawLine(at + side, at + side + ahead);
      p.drawLine(at - side, at - side + ahead);
    }
    if (pl.symbolShown && (m.tracked || selected)) {
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(selected ? QPen(QColor(20, 80, 220), 2.0) : Qt::NoPen);
      p.setBrush(selected ? kSelectedHalo : kTrackedHalo);
      p.drawEllipse(at, kSymbolPx / 2.0 + 3.0, kSymbolPx / 2.0 + 3.0);
      p.setRenderHint(QPainter::Antialiasing, false);
    }
    if (pl.symbolShown) p.drawPixmap(at - half, glyphs_.glyph(m.symbolTable, m.symbolCode));
    if (pl.labelShown) {
      const QRectF box(pl.label.left, pl.label.top, pl.label.right - pl.label.left, pl.label.bottom - pl.label.top);
      p.fillRect(box, selected ? QColor(220, 232, 255, 235) : QColor(255, 255, 255, 200));
      p.setPen(m.object ? QColor(120, 60, 10) : QColor(20, 20, 20));
      // A stripe at the label's left edge says how the station was heard.
      if (m.heard != HeardHow::Unknown) p.fillRect(QRectF(box.left(), box.top(), 3.0, box.height()), heardColour(m.heard));
      const QStaticText& text = labelText(pl.id, m.name);
      p.drawStaticText(QPointF(box.left() + 3.0, box.center().y() - text.size().height() / 2.0), text);
    }
  }
}

const QStaticText& MapView::labelText(std::uint32_t id, const std::string& name) {
  if (labelTexts_.size() <= id) labelTexts_.resize(id + 1);
  auto& [shown, text] = labelTexts_[id];
  if (shown != name || text.text().isEmpty()) {
    shown = name;
    text = QStaticText(receivedText(name));
    text.setTextFormat(Qt::PlainText);
    text.prepare(QTransform(), labelFont_);
  }
  return text;
}

void MapView::drawScaleBar(QPainter& p) {
  const ScaleBar bar = scaleBar(scene_.view().metresPerPixel(), 120.0);
  if (bar.lengthPx <= 0.0) return;
  const QPointF origin(12.0, height() - 14.0);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(QRectF(origin + QPointF(-6, -20), QSizeF(bar.lengthPx + 12 + 60, 28)), QColor(255, 255, 255, 200));
  p.setPen(QPen(QColor(30, 30, 30), 2.0));
  p.drawLine(origin, origin + QPointF(bar.lengthPx, 0));
  p.drawLine(origin + QPointF(0, -6), origin);
  p.drawLine(origin + QPointF(bar.lengthPx, -6), origin + QPointF(bar.lengthPx, 0));
  p.setFont(labelFont_);
  p.drawText(origin + QPointF(bar.lengthPx + 6, 0), QString::fromStdString(bar.text));
}

void MapView::paintMap(QPainter& p, const QRect& exposed) {
  const qreal ratio = p.device()->devicePixelRatioF();
  if (!baseValid_ || base_.size() != size() * ratio || baseView_.centre().x != scene_.view().centre().x ||
      baseView_.centre().y != scene_.view().centre().y || baseView_.pixelsPerWorld() != scene_.view().pixelsPerWorld()) {
    refreshBase(ratio);
  }
  p.drawPixmap(QRectF(exposed), base_, QRectF(QPointF(exposed.topLeft()) * ratio, QSizeF(exposed.size()) * ratio));
  p.setClipRect(exposed);
  drawSatellites(p);
  drawStations(p, exposed);
  drawOwnStation(p);
  drawScaleBar(p);
}

void MapView::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  paintMap(p, event->rect());
}

void MapView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  scene_.changeView().resize(width(), height());
  viewChanged();
}

void MapView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches != 0.0) zoomAround(event->position(), std::pow(2.0, notches));
  event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressedAt_ = event->position();
  lastDragAt_ = event->position();
  dragging_ = false;
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
  if (onCursorMoved) {
    onCursorMoved(scene_.view().geoAt({event->position().x(), event->position().y()}));
  }
  if (!pressedAt_ || !(event->buttons() & Qt::LeftButton)) return;
  if (!dragging_ && (event->position() - *pressedAt_).manhattanLength() > 3.0) dragging_ = true;
  if (dragging_) {
    panBy(event->position() - lastDragAt_);
    lastDragAt_ = event->position();
  }
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressedAt_) return;
  const bool click = !dragging_;
  pressedAt_.reset();
  dragging_ = false;
  if (!click) return;
  const std::optional<std::string> name = scene_.pick({event->position().x(), event->position().y()}, kPickRadiusPx);
  if (!name) return;
  setSelection({*name});
  if (onStationPicked) onStationPicked(*name);
}

void MapView::mouseDoubleClickEvent(QMouseEvent* event) {
  const Viewport& v = scene_.view();
  scene_.changeView().centreOn(v.toWorld({event->position().x(), event->position().y()}));
  viewChanged();
}

void MapView::keyPressEvent(QKeyEvent* event) {
  const QPointF middle(width() / 2.0, height() / 2.0);
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoomAround(middle, 2.0); break;
    case Qt::Key_Minus: zoomAround(middle, 0.5); break;
    case Qt::Key_Left: panBy({width() / 4.0, 0}); break;
    case Qt::Key_Right: panBy({-width() / 4.0, 0}); break;
    case Qt::Key_Up: panBy({0, height() / 4.0}); break;
    case Qt::Key_Down: panBy({0, -height() / 4.0}); break;
    default: QWidget::keyPressEvent(event); return;
  }
}

QString MapView::tooltipAt(const QPointF& at) {
  const std::optional<std::string> name = scene_.pick({at.x(), at.y()}, kPickRadiusPx);
  if (!name) return {};
  const Marker* m = scene_.find(*name);
  if (m == nullptr) return {};
  QString text = receivedText(m->name);
  const QString symbol = SymbolGlyphs::describe(m->symbolTable, m->symbolCode);
  if (!symbol.isEmpty()) text += QStringLiteral(" (") + symbol + QStringLiteral(")");
  text += QStringLiteral("\n") + latin1(latitudeDisplay(m->geo.latitudeDeg)) + QStringLiteral("  ") +
          latin1(longitudeDisplay(m->geo.longitudeDeg));
  if (m->showsCourse()) {
    text += QStringLiteral("\n") + latin1(textf("course %.0f", m->courseDeg));
    if (std::isfinite(m->speedKnots)) text += latin1(textf(", %.0f knots", m->speedKnots));
  }
  if (m->heard != HeardHow::Unknown) text += QStringLiteral("\nheard on ") + QString::fromLatin1(heardHowText(m->heard));
  return text;
}

bool MapView::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = tooltipAt(help->pos());
    if (text.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
  }
  return QWidget::event(event);
}

}  // namespace tervane
