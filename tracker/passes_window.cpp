// Upcoming Passes: the table of every tracked satellite's passes over the
// next days, predicted on a worker thread and kept current once a second.

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

}  // namespace tervane
