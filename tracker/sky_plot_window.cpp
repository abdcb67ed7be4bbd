// The Sky Plot: a satellite's next pass drawn on the sky as the station
// sees it, with the satellite's place now.

#include "tracker/pass_windows.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

#include "base/text_format.h"
#include "base/worker_thread.h"
#include "tracker/elements.h"
#include "tracker/pass_view_parts.h"

namespace tervane {

using namespace pass_views;

SkyPlotView::SkyPlotView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(280, 280);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize SkyPlotView::sizeHint() const { return {440, 440}; }

void SkyPlotView::setPass(const std::vector<SkyPoint>& track, const std::optional<SatellitePass>& pass) {
  track_ = track;
  pass_ = pass;
  update();
}

void SkyPlotView::setCurrent(const std::optional<SkyPoint>& now) {
  const bool same = now.has_value() == current_.has_value() &&
                    (!now || (now->azimuthDeg == current_->azimuthDeg && now->elevationDeg == current_->elevationDeg));
  current_ = now;
  if (!same) update();
}

void SkyPlotView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), palette().base());
  const QFontMetrics metrics(font());
  const double margin = metrics.height() * 1.6;
  const double radius = std::max(10.0, std::min(width(), height()) / 2.0 - margin);
  const QPointF centre(width() / 2.0, height() / 2.0);
  const auto toScreen = [&](double azimuthDeg, double elevationDeg) {
    const PlotPoint p = skyPlotPoint(azimuthDeg, elevationDeg);
    return QPointF(centre.x() + p.x * radius, centre.y() - p.y * radius);
  };
  const QColor ink = palette().text().color();

  // The sky: horizon, 30° and 60° rings, the four directions.
  QPen grid(palette().mid().color(), 1, Qt::DashLine);
  painter.setPen(grid);
  painter.setBrush(Qt::NoBrush);
  for (double elevation : {30.0, 60.0}) {
    const double r = radius * (90.0 - elevation) / 90.0;
    painter.drawEllipse(centre, r, r);
    painter.drawText(QPointF(centre.x() + 3, centre.y() - r - 3), latin1(textf("%.0f\xb0", elevation)));
  }
  painter.drawLine(toScreen(0, 0), toScreen(180, 0));
  painter.drawLine(toScreen(90, 0), toScreen(-90, 0));
  painter.setPen(QPen(ink, 1.5));
  painter.drawEllipse(centre, radius, radius);
  const struct {
    const char* name;
    double azimuthDeg;
  } directions[] = {{"N", 0}, {"E", 90}, {"S", 180}, {"W", -90}};
  for (const auto& d : directions) {
    const PlotPoint unit = skyPlotPoint(d.azimuthDeg, 0.0);
    const double out = radius + margin * 0.5;
    const QPointF at(centre.x() + unit.x * out, centre.y() - unit.y * out);
    const QString text = QString::fromLatin1(d.name);
    const QRectF box(at.x() - metrics.horizontalAdvance(text), at.y() - metrics.height() / 2.0,
                     2.0 * metrics.horizontalAdvance(text), metrics.height());
    painter.drawText(box, Qt::AlignCenter, text);
  }

  if (track_.size() >= 2) {
    // The path, with arrows along it in its direction of travel.
    const QColor path(30, 90, 200);
    QPainterPath line;
    line.moveTo(toScreen(track_.front().azimuthDeg, track_.front().elevationDeg));
    for (const SkyPoint& p : track_) line.lineTo(toScreen(p.azimuthDeg, p.elevationDeg));
    painter.setPen(QPen(path, 2.5));
    painter.drawPath(line);
    painter.setBrush(path);
    for (std::size_t k : {track_.size() * 3 / 10, track_.size() * 7 / 10}) {
      if (k == 0) continue;
      const QPointF from = toScreen(track_[k - 1].azimuthDeg, track_[k - 1].elevationDeg);
      const QPointF to = toScreen(track_[k].azimuthDeg, track_[k].elevationDeg);
      const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
      const double size = 9.0;
      QPolygonF head;
      head << to << to - QPointF(size * std::cos(angle - 0.45), size * std::sin(angle - 0.45))
           << to - QPointF(size * std::cos(angle + 0.45), size * std::sin(angle + 0.45));
      painter.drawPolygon(head);
    }

    // Rise and set times beside the ends of the path, outside the circle.
    painter.setPen(ink);
    const auto label = [&](const SkyPoint& p, const std::string& text) {
      const QString caption = latin1(text);
      const QPointF at = toScreen(p.azimuthDeg, p.elevationDeg);
      const QPointF out(at.x() - centre.x(), at.y() - centre.y());
      const double length = std::max(1.0, std::hypot(out.x(), out.y()));
      const double w = metrics.horizontalAdvance(caption);
      const double h = metrics.height();
      QPointF middle = at + out / length * (h * 0.9 + w * 0.25);
      middle.setX(std::clamp(middle.x(), w / 2 + 2, width() - w / 2 - 2));
      middle.setY(std::clamp(middle.y(), h / 2 + 2, height() - h / 2 - 2));
      painter.drawText(QRectF(middle.x() - w / 2 - 1, middle.y() - h / 2, w + 2, h), Qt::AlignCenter, caption);
    };
    if (pass_ && pass_->riseUnix) label(track_.front(), "Rise " + clockText(*pass_->riseUnix));
    if (pass_ && pass_->setUnix) label(track_.back(), "Set " + clockText(*pass_->setUnix));
    if (pass_) {
      const QPointF top = toScreen(
          std::max_element(track_.begin(), track_.end(),
                           [](const SkyPoint& a, const SkyPoint& b) { return a.elevationDeg < b.elevationDeg; })
              ->azimuthDeg,
          pass_->maxElevationDeg);
      painter.setBrush(path);
      painter.drawEllipse(top, 3, 3);
      painter.drawText(top + QPointF(6, -4), latin1(elevationText(pass_->maxElevationDeg)));
    }
  }

  if (current_) {
    const QPointF at = toScreen(current_->azimuthDeg, current_->elevationDeg);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(QColor(210, 30, 30));
    painter.drawEllipse(at, 7, 7);
  }
}

struct SkyPlotWindow::Prediction {
  std::optional<SatellitePass> pass;
  std::vector<SkyPoint> track;
};

SkyPlotWindow::SkyPlotWindow(Coordination& shared, const Clock& clock, QWidget* parent)
    : PassWindow(QStringLiteral("Sky Plot"), shared, clock, parent) {
  auto* layout = new QVBoxLayout(this);
  auto* choice = new QHBoxLayout;
  addSatelliteBox(choice);
  choice->addStretch(1);
  layout->addLayout(choice);
  passText_ = new QLabel(this);
  passText_->setWordWrap(true);
  layout->addWidget(passText_);
  plot_ = new SkyPlotView(this);
  layout->addWidget(plot_, 1);
  status_ = new QLabel(this);
  layout->addWidget(status_);
  addButtons(layout, {});

  connect(satellite_, &QComboBox::currentIndexChanged, this, [this](int index) {
    chosenSatellite_ = index;
    pinnedRise_.reset();
    predict();
    refresh();
  });
  fillSatelliteBox();
  resize(480, 600);
}

SkyPlotWindow::~SkyPlotWindow() = default;

void SkyPlotWindow::showPass(int satellite, const SatellitePass& pass) {
  if (takeInputs()) fillSatelliteBox();
  {
    const QSignalBlocker quiet(satellite_);
    satellite_->setCurrentIndex(satellite);
  }
  chosenSatellite_ = satellite_->currentIndex();
  pinnedRise_ = pass.riseUnix;
  predict();
  refresh();
}

void SkyPlotWindow::fillSatelliteBox() {
  const QString before = satellite_->currentText();
  {
    const QSignalBlocker quiet(satellite_);
    satellite_->clear();
    for (std::size_t i = 0; i < inputs_.satellites.size(); ++i) {
      satellite_->addItem(latin1(inputs_.satelliteName(static_cast<int>(i))));
    }
    satellite_->setCurrentIndex(inputs_.satellites.empty() ? -1 : std::max(0, satellite_->findText(before)));
  }
  chosenSatellite_ = satellite_->currentIndex();
  pinnedRise_.reset();
  if (chosenSatellite_ >= 0) {
    const ElementRecord& sat = inputs_.satellites[static_cast<std::size_t>(chosenSatellite_)];
    model_.loadElements(sat.name.view(), sat.line1.view(), sat.line2.view());
  }
}

void SkyPlotWindow::predict() {
  pass_.reset();
  predicted_ = false;
  plot_->setPass({}, std::nullopt);
  if (chosenSatellite_ < 0 || static_cast<std::size_t>(chosenSatellite_) >= inputs_.satellites.size()) return;
  const ElementRecord sat = inputs_.satellites[static_cast<std::size_t>(chosenSatellite_)];
  model_.loadElements(sat.name.view(), sat.line1.view(), sat.line2.view());
  const std::int64_t now = clock_.unixSeconds();
  job_->start<Prediction>(
      [sat, lat = inputs_.latitudeDeg, lon = inputs_.longitudeDeg, now, pinned = pinnedRise_] {
        Prediction result;
        if (!elementLinesReadable(sat.line1.view(), sat.line2.view())) return result;
        OrbitModel model;
        model.loadElements(sat.name.view(), sat.line1.view(), sat.line2.view());
        const StationGeometry station = stationGeometry(lat, lon);
        const std::int64_t until = pinned ? *pinned + 1 : now + kSkyPlotDays * kSecondsPerDay;
        const std::vector<SatellitePass> passes = predictPasses(model, station, now, until, pinned ? SIZE_MAX : 1);
        for (const SatellitePass& p : passes) {
          if (!pinned || p.riseUnix == pinned) result.pass = p;
        }
        if (!result.pass && !passes.empty()) result.pass = passes.front();
        if (result.pass && result.pass->durationSeconds()) {
          const std::int64_t step = std::max<std::int64_t>(1, *result.pass->durationSeconds() / kTrackPoints);
          result.track = passTrack(model, station, *result.pass, step);
        }
        return result;
      },
      [this](Prediction prediction) { showPredicted(prediction); });
}

void SkyPlotWindow::showPredicted(const Prediction& prediction) {
  predicted_ = true;
  pass_ = prediction.pass;
  plot_->setPass(prediction.track, pass_);
  showStatus(clock_.unixSeconds());
  if (!pass_) {
    passText_->setText(QStringLiteral("No pass within the next %1 days.").arg(kSkyPlotDays));
    return;
  }
  const SatellitePass& p = *pass_;
  std::string text;
  if (p.riseUnix) {
    text += "Rises " + dateText(*p.riseUnix) + " " + clockText(*p.riseUnix) + " UTC at azimuth " +
            azimuthText(p.riseAzimuthDeg) + ", ";
  }
  text += "highest " + elevationText(p.maxElevationDeg) + " at " + clockText(p.culminationUnix);
  if (p.setUnix) text += ", sets " + clockText(*p.setUnix) + " at azimuth " + azimuthText(p.setAzimuthDeg);
  if (p.durationSeconds()) text += " (" + durationText(*p.durationSeconds()) + ")";
  passText_->setText(latin1(text + "."));
}

void SkyPlotWindow::refresh() {
  const std::int64_t now = clock_.unixSeconds();
  if (takeInputs()) {
    fillSatelliteBox();
    predict();
  } else if (predicted_ && !job_->busy() && pass_ && pass_->setUnix && *pass_->setUnix <= now) {
    pinnedRise_.reset();
    predict();
  }
  std::optional<SkyPoint> current;
  if (chosenSatellite_ >= 0 && !inputs_.satellites.empty()) {
    model_.propagate(now);
    const LookAngles look = model_.lookAngles(inputs_.latitudeDeg, inputs_.longitudeDeg);
    if (look.elevationDeg > 0.0) current = SkyPoint{now, look.azimuthDeg, look.elevationDeg};
  }
  plot_->setCurrent(current);
  showStatus(now);
}

void SkyPlotWindow::showStatus(std::int64_t now) {
  std::string text;
  if (inputs_.satellites.empty()) {
    passText_->setText(QStringLiteral("No satellites are selected. Choose them with Tracker > Select Satellites ..."));
  } else if (!predicted_) {
    text = "Predicting ...";
  } else if (pass_ && pass_->inView(now) && plot_->current()) {
    const SkyPoint& at = *plot_->current();
    text = "In view now: azimuth " + azimuthText(at.azimuthDeg) + ", elevation " + elevationText(at.elevationDeg);
    if (pass_->setUnix) text += "; sets in " + spanText(*pass_->setUnix - now);
  } else if (pass_ && pass_->riseUnix && *pass_->riseUnix > now) {
    text = "Rises in " + spanText(*pass_->riseUnix - now);
  }
  text += "   (" + clockText(now) + " UTC)";
  status_->setText(latin1(text));
}

void SkyPlotWindow::showEvent(QShowEvent* event) {
  if (!predicted_ && !job_->busy()) predict();
  PassWindow::showEvent(event);
}

}  // namespace tervane
