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

namespace tervane {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// The table is predicted afresh this often, so that it reaches as far ahead
// as it says.
constexpr std::int64_t kRepredictSeconds = 60;
// How far ahead the sky plot looks for a satellite's next pass.
constexpr int kSkyPlotDays = kMostPassDays;
// Points along a pass's track on the sky plot.
constexpr std::int64_t kTrackPoints = 240;
// Two positions count as one station within this many degrees.
constexpr double kSameStationDeg = 0.001;
constexpr Qt::WindowFlags kNoCloseBox = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

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

// The azimuth clockwise from north, 0 to 360 as a compass reads (the
// tracker's own -180 to 180 turned), with its compass point.
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

// One prediction at a time on a worker thread. Its result reaches the
// window on the window's thread, unless a newer prediction has been started
// since or the window is gone; the window never waits for it.
class PassJob {
 public:
  explicit PassJob(QObject* owner) : owner_(owner) {}

  template <typename Result>
  void start(std::function<Result()> compute, std::function<void(Result)> done) {
    const int generation = ++started_;
    auto deliver = std::make_shared<std::function<void(Result)>>(
        [this, owner = QPointer<QObject>(owner_), generation, done = std::move(done)](Result result) {
          if (!owner || generation != started_) return;
          delivered_ = generation;
          done(std::move(result));
        });
    thread_.start([compute = std::move(compute), deliver] {
      Result result = compute();
      QMetaObject::invokeMethod(
          qApp, [deliver, result = std::move(result)]() mutable { (*deliver)(std::move(result)); },
          Qt::QueuedConnection);
      return 0;
    });
  }
  bool busy() const { return delivered_ != started_; }

 private:
  QObject* owner_;
  int started_ = 0;
  int delivered_ = 0;
  WorkerThread thread_;
};

class PassTableModel final : public QAbstractTableModel {
 public:
  enum Column { kSatellite, kDate, kRise, kRiseAzimuth, kTop, kMaxElevation, kSet, kSetAzimuth, kDuration, kColumns };

  explicit PassTableModel(QObject* parent) : QAbstractTableModel(parent) {}

  void setRows(std::vector<PassRow> rows, const PassInputs& inputs) {
    beginResetModel();
    rows_ = std::move(rows);
    names_.clear();
    for (std::size_t i = 0; i < inputs.satellites.size(); ++i) {
      names_.push_back(latin1(inputs.satelliteName(static_cast<int>(i))));
    }
    endResetModel();
  }

  // Passes in view are shown in bold; only rows that changed are redrawn.
  void setNow(std::int64_t now) {
    const std::int64_t before = now_;
    now_ = now;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      if (rows_[r].pass.inView(before) != rows_[r].pass.inView(now)) {
        const int row = static_cast<int>(r);
        emit dataChanged(index(row, 0), index(row, kColumns - 1), {Qt::FontRole});
      }
    }
  }

  const PassRow& passRow(int row) const { return rows_[static_cast<std::size_t>(row)]; }
  const std::vector<PassRow>& rows() const { return rows_; }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumns; }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    static const char* const kHeadings[] = {"Satellite", "Date (UTC)", "Rise", "Rise Az", "Highest",
                                            "Max El",    "Set",        "Set Az", "Duration"};
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(kHeadings[section]);
    if (role == Qt::TextAlignmentRole) return alignment(section);
    return {};
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const PassRow& row = passRow(index.row());
    const SatellitePass& p = row.pass;
    if (role == Qt::FontRole && p.inView(now_)) {
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    if (role == Qt::TextAlignmentRole) return alignment(index.column());
    if (role == Qt::UserRole) return sortKey(row, index.column());
    if (role != Qt::DisplayRole) return {};
    const std::string none = "--:--:--";
    switch (index.column()) {
      case kSatellite: return nameOf(row.satellite);
      case kDate: return latin1(dateText(p.riseUnix.value_or(p.culminationUnix)));
      case kRise: return latin1(p.riseUnix ? clockText(*p.riseUnix) : none);
      case kRiseAzimuth: return p.riseUnix ? latin1(azimuthText(p.riseAzimuthDeg)) : QString();
      case kTop: return latin1(clockText(p.culminationUnix));
      case kMaxElevation: return latin1(elevationText(p.maxElevationDeg));
      case kSet: return latin1(p.setUnix ? clockText(*p.setUnix) : none);
      case kSetAzimuth: return p.setUnix ? latin1(azimuthText(p.setAzimuthDeg)) : QString();
      case kDuration: return p.durationSeconds() ? latin1(durationText(*p.durationSeconds())) : QString();
      default: return {};
    }
  }

 private:
  static QVariant alignment(int column) {
    const Qt::Alignment side = column == kSatellite ? Qt::AlignLeft : Qt::AlignRight;
    return QVariant::fromValue(side | Qt::AlignVCenter);
  }

  QString nameOf(int satellite) const {
    return satellite >= 0 && static_cast<std::size_t>(satellite) < names_.size()
               ? names_[static_cast<std::size_t>(satellite)]
               : QString();
  }

  // What each column sorts by: times and angles as numbers, a rise or set
  // more than a day away before or after every other.
  QVariant sortKey(const PassRow& row, int column) const {
    const SatellitePass& p = row.pass;
    const qlonglong rise = p.riseUnix.value_or(INT64_MIN);
    switch (column) {
      case kSatellite: return nameOf(row.satellite);
      case kDate:
      case kRise: return rise;
      case kRiseAzimuth: return compassAzimuth(p.riseAzimuthDeg);
      case kTop: return static_cast<qlonglong>(p.culminationUnix);
      case kMaxElevation: return p.maxElevationDeg;
      case kSet: return static_cast<qlonglong>(p.setUnix.value_or(INT64_MAX));
      case kSetAzimuth: return compassAzimuth(p.setAzimuthDeg);
      case kDuration: return static_cast<qlonglong>(p.durationSeconds().value_or(INT64_MAX));
      default: return {};
    }
  }

  std::vector<PassRow> rows_;
  std::vector<QString> names_;
  std::int64_t now_ = 0;
};

// ---------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------

PassesWindow::PassesWindow(Coordination& shared, const Clock& clock, QWidget* parent)
    : PassWindow(QStringLiteral("Upcoming Passes"), shared, clock, parent) {
  auto* layout = new QVBoxLayout(this);
  auto* choices = new QHBoxLayout;
  addSatelliteBox(choices);
  choices->addSpacing(16);
  choices->addWidget(new QLabel(QStringLiteral("Days:"), this));
  days_ = new QSpinBox(this);
  days_->setRange(1, kMostPassDays);
  days_->setValue(1);
  choices->addWidget(days_);
  choices->addStretch(1);
  layout->addLayout(choices);

  note_ = new QLabel(this);
  note_->setWordWrap(true);
  layout->addWidget(note_);

  model_ = new PassTableModel(this);
  sorted_ = new QSortFilterProxyModel(this);
  sorted_->setSourceModel(model_);
  sorted_->setSortRole(Qt::UserRole);
  view_ = new QTableView(this);
  view_->setObjectName(QStringLiteral("passList"));
  view_->setModel(sorted_);
  view_->setSortingEnabled(true);
  view_->sortByColumn(PassTableModel::kRise, Qt::AscendingOrder);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->verticalHeader()->hide();
  view_->setShowGrid(false);
  view_->setWordWrap(false);
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
  view_->horizontalHeader()->setStretchLastSection(true);
  const int columnWidths[] = {170, 92, 72, 92, 72, 64, 72, 92, 70};
  for (int c = 0; c < PassTableModel::kColumns; ++c) view_->setColumnWidth(c, columnWidths[c]);
  layout->addWidget(view_, 1);

  skyPlot_ = new QPushButton(QStringLiteral("Sky Plot"), this);
  addButtons(layout, {skyPlot_});

  connect(satellite_, &QComboBox::currentIndexChanged, this, [this] { showPredicted(predicted_); });
  connect(days_, &QSpinBox::valueChanged, this, [this] { refresh(); });
  connect(view_, &QTableView::doubleClicked, this, [this] { chooseSelected(); });
  connect(skyPlot_, &QPushButton::clicked, this, [this] { chooseSelected(); });
  fillSatelliteBox();
  resize(860, 380);
}

PassesWindow::~PassesWindow() = default;

void PassesWindow::setPassChosen(std::function<void(int, const SatellitePass&)> chosen) {
  chosen_ = std::move(chosen);
}

std::vector<PassRow> PassesWindow::shownRows() const {
  std::vector<PassRow> rows;
  for (int r = 0; r < sorted_->rowCount(); ++r) rows.push_back(model_->passRow(sorted_->mapToSource(sorted_->index(r, 0)).row()));
  return rows;
}

void PassesWindow::refresh() {
  const std::int64_t now = clock_.unixSeconds();
  const bool newInputs = takeInputs();
  if (newInputs) fillSatelliteBox();
  const bool changed = newInputs || days_->value() != predictedDays_;
  const bool ended = std::any_of(predicted_.begin(), predicted_.end(), [now](const PassRow& row) {
    return row.pass.setUnix && *row.pass.setUnix <= now;
  });
  if (changed || (!job_->busy() && (ended || now - predictedAt_ >= kRepredictSeconds))) predict();
  model_->setNow(now);
  showNote();
}

void PassesWindow::predict() {
  predictedAt_ = clock_.unixSeconds();
  predictedDays_ = days_->value();
  job_->start<std::vector<PassRow>>(
      [satellites = inputs_.satellites, lat = inputs_.latitudeDeg, lon = inputs_.longitudeDeg, from = predictedAt_,
       days = predictedDays_] { return passTable(satellites, lat, lon, from, days); },
      [this](std::vector<PassRow> rows) {
        predicted_ = std::move(rows);
        showPredicted(predicted_);
        showNote();
      });
}

void PassesWindow::showPredicted(std::vector<PassRow> rows) {
  const int chosen = satellite_->currentIndex() - 1;
  if (chosen >= 0) {
    rows.erase(std::remove_if(rows.begin(), rows.end(), [chosen](const PassRow& r) { return r.satellite != chosen; }),
               rows.end());
  }
  model_->setRows(std::move(rows), inputs_);
  model_->setNow(clock_.unixSeconds());
}

void PassesWindow::fillSatelliteBox() {
  const QString before = satellite_->currentText();
  const QSignalBlocker quiet(satellite_);
  satellite_->clear();
  satellite_->addItem(QStringLiteral("All selected satellites"));
  for (std::size_t i = 0; i < inputs_.satellites.size(); ++i) {
    satellite_->addItem(latin1(inputs_.satelliteName(static_cast<int>(i))));
  }
  satellite_->setCurrentIndex(std::max(0, satellite_->findText(before)));
}

void PassesWindow::chooseSelected() {
  if (!chosen_ || sorted_->rowCount() == 0) return;
  const QModelIndexList picked = view_->selectionModel()->selectedRows();
  const QModelIndex at = picked.isEmpty() ? sorted_->index(0, 0) : picked.front();
  const PassRow& row = model_->passRow(sorted_->mapToSource(at).row());
  chosen_(row.satellite, row.pass);
}

void PassesWindow::showNote() {
  if (inputs_.satellites.empty()) {
    note_->setText(QStringLiteral("No satellites are selected. Choose them with Tracker > Select Satellites ..."));
    return;
  }
  std::string text = "Passes over " + stationText(inputs_.latitudeDeg, inputs_.longitudeDeg) +
                     ", times in UTC; passes in view now are in bold.";
  if (job_->busy()) text += " Predicting ...";
  note_->setText(latin1(text));
}

// ---------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------

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
