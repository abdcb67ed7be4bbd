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

namespace pass_views {

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

std::string clockText(std::int64_t unixSeconds) {
  const CalendarTime t = calendarFromUnix(unixSeconds);
  return textf("%02d:%02d:%02d", t.hour, t.minute, t.second);
}

std::string dateText(std::int64_t unixSeconds) {
  const CalendarTime t = calendarFromUnix(unixSeconds);
  return textf("%04d-%02d-%02d", t.year, t.month, t.day);
}

std::string spanText(std::int64_t seconds) {
  const auto s = static_cast<long long>(std::max<std::int64_t>(0, seconds));
  return textf("%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
}

std::string durationText(std::int64_t seconds) {
  const auto s = static_cast<long long>(seconds);
  if (s >= 3600) return textf("%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  return textf("%lld:%02lld", s / 60, s % 60);
}

double compassAzimuth(double azimuthDeg) {
  const double turned = std::fmod(std::fmod(azimuthDeg, 360.0) + 360.0, 360.0);
  return turned >= 359.95 ? 0.0 : turned;  // never "360.0" once rounded
}

std::string azimuthText(double azimuthDeg) {
  static const char* const kPoints[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                        "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
  if (!std::isfinite(azimuthDeg)) return textf("%.1f", azimuthDeg);
  const double turned = compassAzimuth(azimuthDeg);
  const auto point = static_cast<std::size_t>(std::lround(turned / 22.5)) % 16;
  return textf("%.1f %s", turned, kPoints[point]);
}

std::string elevationText(double elevationDeg) { return textf("%.1f\xb0", elevationDeg); }

std::string stationText(double latitudeDeg, double longitudeDeg) {
  return latitudeDisplay(latitudeDeg) + "  " + longitudeDisplay(longitudeDeg);
}

}  // namespace pass_views

namespace {
// Two positions count as one station within this many degrees.
constexpr double kSameStationDeg = 0.001;
constexpr Qt::WindowFlags kNoCloseBox = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
}  // namespace

PassInputs PassInputs::from(const Coordination& shared) {
  PassInputs inputs;
  const TrackerTables& t = shared.tracker;
  for (int i = 0; i < std::clamp(t.count, 0, kSatelliteSlots); ++i) {
    const auto k = static_cast<std::size_t>(i);
    ElementRecord record;
    record.name = t.names[k].view();
    record.line1 = t.line1[k].view();
    record.line2 = t.line2[k].view();
    inputs.satellites.push_back(record);
  }
  const StationPosition station = shared.values.position();
  inputs.latitudeDeg = station.latitudeDeg;
  inputs.longitudeDeg = station.longitudeDeg;
  return inputs;
}

bool PassInputs::sameAs(const PassInputs& other) const {
  if (satellites.size() != other.satellites.size()) return false;
  for (std::size_t i = 0; i < satellites.size(); ++i) {
    const ElementRecord& a = satellites[i];
    const ElementRecord& b = other.satellites[i];
    if (a.name.view() != b.name.view() || a.line1.view() != b.line1.view() || a.line2.view() != b.line2.view()) {
      return false;
    }
  }
  return std::fabs(latitudeDeg - other.latitudeDeg) < kSameStationDeg &&
         std::fabs(longitudeDeg - other.longitudeDeg) < kSameStationDeg;
}

std::string PassInputs::satelliteName(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= satellites.size()) return {};
  return std::string(shownName(satellites[static_cast<std::size_t>(index)].name.view()));
}

PassWindow::PassWindow(const QString& title, Coordination& shared, const Clock& clock, QWidget* parent)
    : QDialog(parent, kNoCloseBox), shared_(shared), clock_(clock), job_(std::make_unique<PassJob>(this)) {
  setWindowTitle(title);
  setModal(false);
  satellite_ = new QComboBox(this);
  satellite_->setMinimumContentsLength(18);
  satellite_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  dismiss_ = new QPushButton(QStringLiteral("Dismiss"), this);
  dismiss_->setAutoDefault(false);
  connect(dismiss_, &QPushButton::clicked, this, [this] { hide(); });
  tick_.setInterval(1000);
  connect(&tick_, &QTimer::timeout, this, [this] { refresh(); });
}

PassWindow::~PassWindow() = default;

bool PassWindow::predicting() const { return job_->busy(); }

bool PassWindow::takeInputs() {
  PassInputs latest = PassInputs::from(shared_);
  if (latest.sameAs(inputs_)) return false;
  inputs_ = std::move(latest);
  return true;
}

void PassWindow::addSatelliteBox(QHBoxLayout* row) {
  row->addWidget(new QLabel(QStringLiteral("Satellite:"), this));
  row->addWidget(satellite_);
}

void PassWindow::addButtons(QVBoxLayout* layout, const std::vector<QPushButton*>& buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  for (QPushButton* b : buttons) {
    b->setAutoDefault(false);
    row->addWidget(b);
  }
  row->addWidget(dismiss_);
  layout->addLayout(row);
}

void PassWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  refresh();
  tick_.start();
}

void PassWindow::hideEvent(QHideEvent* event) {
  tick_.stop();
  QDialog::hideEvent(event);
}

void PassWindow::reject() { hide(); }

}  // namespace tervane
