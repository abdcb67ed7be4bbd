#include "aprs/station_windows.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QMetaObject>
#include <QPushButton>
#include <QResizeEvent>
#include <QStringListModel>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

#include "aprs/received_text.h"

namespace tervane {

namespace {

struct Column {
  const char* title;
  int widthPx;
};
constexpr Column kPositionColumns[] = {{"Callsign", 90}, {"Tracked", 60},  {"Sent", 110}, {"Received", 110},
                                       {"Latitude", 80}, {"Longitude", 90}, {"PHG", 40},  {"Heard", 80}};
constexpr int kColumnCount = kPositionColumnCount;
static_assert(std::size(kPositionColumns) == kColumnCount);
constexpr Qt::WindowFlags kNoCloseBox = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

std::vector<std::size_t> rowsOf(const QItemSelectionModel* selection) {
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : selection->selectedRows()) rows.push_back(static_cast<std::size_t>(index.row()));
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace

// The position table as the list view shows it, one line per row.
class PositionModel final : public QAbstractTableModel {
 public:
  explicit PositionModel(const PositionTable& table, QObject* parent) : QAbstractTableModel(parent), table_(table) {}
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(shownRows_);
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kColumnCount; }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumnCount)
      return QString::fromLatin1(kPositionColumns[section].title);
    return {};
  }
  QVariant data(const QModelIndex& index, int role) const override {
    // While a removal is announced the table already has one row less.
    if (role != Qt::DisplayRole || !index.isValid() || static_cast<std::size_t>(index.row()) >= table_.size()) return {};
    const StationEntry& e = table_.row(static_cast<std::size_t>(index.row()));
    switch (index.column()) {
      case 0: return receivedText(stationName(e));
      case 1: return e.tracked ? QStringLiteral("Yes") : QStringLiteral("No");
      case 2: return receivedText(e.sentTime.view());
      case 3: return receivedText(e.receivedTime.view());
      case 4: return receivedText(e.latitudeText.view());
      case 5: return receivedText(e.longitudeText.view());
      case 6: return receivedText(e.phgDigits.view());
      case 7: return QString::fromLatin1(heardHowText(e.heardHow));
      default: return {};
    }
  }
  void inserted(std::size_t row) {
    beginInsertRows({}, static_cast<int>(row), static_cast<int>(row));
    shownRows_ = table_.size();
    endInsertRows();
  }
  void changed(std::size_t row) {
    emit dataChanged(index(static_cast<int>(row), 0), index(static_cast<int>(row), kColumnCount - 1));
  }
  void removed(std::size_t row) {
    beginRemoveRows({}, static_cast<int>(row), static_cast<int>(row));
    shownRows_ = table_.size();
    endRemoveRows();
  }
  void refill() {
    beginResetModel();
    shownRows_ = table_.size();
    endResetModel();
  }

 private:
  const PositionTable& table_;
  std::size_t shownRows_ = 0;
};

class StationListModel final : public QAbstractListModel {
 public:
  explicit StationListModel(const StationList& list, QObject* parent) : QAbstractListModel(parent), list_(list) {}
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : static_cast<int>(shown_); }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return receivedText(list_.at(static_cast<std::size_t>(index.row())));
  }
  void inserted(std::size_t row) {
    beginInsertRows({}, static_cast<int>(row), static_cast<int>(row));
    shown_ = list_.size();
    endInsertRows();
  }
  void refill() {
    beginResetModel();
    shown_ = list_.size();
    endResetModel();
  }

 private:
  const StationList& list_;
  std::size_t shown_ = 0;
};

PositionWindow::PositionWindow(Coordination& shared, QWidget* parent)
    : QDialog(parent, kNoCloseBox), shared_(shared) {
  setWindowTitle(QStringLiteral("Received Position Data"));
  setModal(false);
  model_ = new PositionModel(table_, this);
  view_ = new QTableView(this);
  view_->setObjectName(QStringLiteral("positionList"));
  view_->setModel(model_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->verticalHeader()->hide();
  view_->setShowGrid(false);
  view_->setWordWrap(false);
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
  view_->horizontalHeader()->setStretchLastSection(true);
  advancePx_.fill(-1);
  textMarginPx_ = 2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1);
  // Every row the list shows, new or changed, may widen the columns; a list
  // filled anew starts again from the texts it shows.
  connect(model_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
    for (int r = first; r <= last; ++r) widenColumnsFor(r);
  });
  connect(model_, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& from, const QModelIndex& to) {
    for (int r = from.row(); r <= to.row(); ++r) widenColumnsFor(r);
  });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    widestTextPx_.fill(0);
    for (int r = 0; r < model_->rowCount({}); ++r) widenColumnsFor(r);
    resetColumns();
  });
  resetColumns();

  const auto button = [this](const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption), this);
    b->setAutoDefault(false);
    return b;
  };
  toggleTrack_ = button("Toggle Track");
  delete_ = button("Delete");
  clear_ = button("Clear");
  dismiss_ = button("Dismiss");
  toggleTrack_->setEnabled(false);
  shared_.gpsLinkUp = false;
  connect(toggleTrack_, &QPushButton::clicked, this, [this] { toggleTrack(); });
  connect(delete_, &QPushButton::clicked, this, [this] { deleteSelected(); });
  connect(clear_, &QPushButton::clicked, this, [this] { clearAll(); });
  connect(dismiss_, &QPushButton::clicked, this, [this] { hide(); });
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { tellSelection(); });
  resize(770, 340);
}

PositionWindow::~PositionWindow() = default;

// The designed widths are where the columns start; a column is made wider
// where its title or a text it shows would not fit, so that no text is cut.
void PositionWindow::resetColumns() {
  const QHeaderView* header = view_->horizontalHeader();
  for (int c = 0; c < kColumnCount; ++c) {
    view_->setColumnWidth(c, std::max({kPositionColumns[c].widthPx, header->sectionSizeHint(c),
                                       widestTextPx_[static_cast<std::size_t>(c)]}));
  }
}

// The width of a Latin-1 text as the sum of its characters' advances, which
// leaves out only kerning and costs far less than laying the text out.
int PositionWindow::textWidthPx(const QString& text) {
  qreal widthPx = 0;
  for (QChar c : text) {
    qreal& advancePx = advancePx_[static_cast<std::size_t>(c.unicode() & 0xFF)];
    if (advancePx < 0) advancePx = QFontMetricsF(view_->font()).horizontalAdvance(c);
    widthPx += advancePx;
  }
  return static_cast<int>(std::ceil(widthPx));
}

// Only a text wider than any before widens its column, so a column the
// operator has narrowed stays as it is.
void PositionWindow::widenColumnsFor(int row) {
  for (int c = 0; c < kColumnCount; ++c) {
    const int neededPx = textWidthPx(model_->index(row, c).data().toString()) + textMarginPx_;
    int& widestPx = widestTextPx_[static_cast<std::size_t>(c)];
    if (neededPx <= widestPx) continue;
    widestPx = neededPx;
    if (view_->columnWidth(c) < neededPx) view_->setColumnWidth(c, neededPx);
  }
}

void PositionWindow::addOrUpdate(const StationEntry& entry) {
  const TableChange change = table_.addOrUpdate(entry);
  // A killed object or item leaves the list; one never shown changes nothing.
  if (change.kind == TableChange::Removed) {
    model_->removed(change.row);
    if (watch_.removed) watch_.removed(std::string(stationName(entry)));
  }
  if (change.kind == TableChange::Removed || change.kind == TableChange::Unchanged) return;
  const StationEntry& row = table_.row(change.row);
  if (change.kind == TableChange::Updated && row.tracked && shared_.events.gpsUploadReady.wait(0)) {
    toggleTrack_->setEnabled(false);
    shared_.waypointBatch.waypoints.assign(1, Waypoint{stationName(row), row.latitudeDeg, row.longitudeDeg});
    shared_.events.gpsUploadRequest.raise();
  }
  // The views show the tables as they change, row by row. They are never
  // refilled as a whole on the table's thresholds: that would cost a full
  // layout of thousands of rows and drop the operator's selection every
  // few new stations.
  if (change.kind == TableChange::Inserted) {
    model_->inserted(change.row);
  } else {
    model_->changed(change.row);
  }
  if (watch_.changed) watch_.changed(row);
}

void PositionWindow::setWatch(PositionWatch watch) { watch_ = std::move(watch); }

std::vector<std::string> PositionWindow::namesOf(const std::vector<std::size_t>& rows) const {
  std::vector<std::string> names;
  for (std::size_t r : rows) names.emplace_back(stationName(table_.row(r)));
  return names;
}

void PositionWindow::tellSelection() {
  if (watch_.selected) watch_.selected(namesOf(selectedRows()));
}

bool PositionWindow::selectStation(std::string_view name) {
  for (std::size_t i = 0; i < table_.size(); ++i) {
    if (stationName(table_.row(i)) != name) continue;
    view_->clearSelection();
    view_->selectRow(static_cast<int>(i));
    view_->scrollTo(model_->index(static_cast<int>(i), 0));
    return true;
  }
  return false;
}

std::vector<std::size_t> PositionWindow::selectedRows() const { return rowsOf(view_->selectionModel()); }

void PositionWindow::setToggleTrackEnabled(bool enabled) { toggleTrack_->setEnabled(enabled); }

void PositionWindow::toggleTrack() {
  // The batch is free once the GPS worker has sent the previous one; the
  // button is grayed until then, so the token is normally there at once.
  if (!shared_.events.gpsUploadReady.wait(0)) {
    QTimer::singleShot(50, this, [this] { toggleTrack(); });
    return;
  }
  const std::vector<std::size_t> rows = selectedRows();
  WaypointBatch batch;
  for (std::size_t r : rows) {
    if (table_.toggleTracked(r)) {
      const StationEntry& e = table_.row(r);
      batch.waypoints.push_back(Waypoint{stationName(e), e.latitudeDeg, e.longitudeDeg});
    }
    model_->changed(r);
    if (watch_.changed) watch_.changed(table_.row(r));
  }
  if (batch.waypoints.empty()) {
    shared_.events.gpsUploadReady.raise();
    return;
  }
  toggleTrack_->setEnabled(false);
  shared_.waypointBatch = std::move(batch);
  shared_.events.gpsUploadRequest.raise();
}

void PositionWindow::deleteSelected() {
  const std::vector<std::size_t> rows = selectedRows();
  const std::vector<std::string> names = namesOf(rows);
  table_.remove(rows);
  view_->clearSelection();
  model_->refill();
  if (watch_.removed) {
    for (const std::string& n : names) watch_.removed(n);
  }
  tellSelection();
}

void PositionWindow::clearAll() {
  table_.clear();
  model_->refill();
  if (watch_.cleared) watch_.cleared();
  tellSelection();
}

void PositionWindow::reject() { hide(); }

void PositionWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  layoutControls();
}

void PositionWindow::layoutControls() {
  const int cx = width();
  const int cy = height();
  view_->setGeometry(20, 30, cx - 50, cy - 110);
  int w = 0;
  int h = 0;
  for (QPushButton* b : {toggleTrack_, delete_, clear_, dismiss_}) {
    w = std::max(w, b->sizeHint().width());
    h = std::max(h, b->sizeHint().height());
  }
  toggleTrack_->setGeometry(cx / 2 - 2 * w - 45, cy - 50, w, h);
  delete_->setGeometry(cx / 2 - w - 15, cy - 50, w, h);
  clear_->setGeometry(cx / 2 + 15, cy - 50, w, h);
  dismiss_->setGeometry(cx / 2 + w + 45, cy - 50, w, h);
}

StationsWindow::StationsWindow(std::function<bool(const std::string&)> sendToTnc, QWidget* parent)
    : QDialog(parent, kNoCloseBox), sendToTnc_(std::move(sendToTnc)) {
  setWindowTitle(QStringLiteral("Received Stations"));
  setModal(false);
  model_ = new StationListModel(list_, this);
  view_ = new QListView(this);
  view_->setObjectName(QStringLiteral("stationList"));
  view_->setModel(model_);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Every row is one callsign of the same height: the list then lays out a
  // new station without measuring the thousands already listed.
  view_->setUniformItemSizes(true);
  view_->setLayoutMode(QListView::Batched);
  view_->setGeometry(45, 35, 130, 230);
  const auto button = [this](const char* caption, int y, auto handler) {
    auto* b = new QPushButton(QString::fromLatin1(caption), this);
    b->setAutoDefault(false);
    b->setGeometry(205, y, 80, 26);
    connect(b, &QPushButton::clicked, this, handler);
  };
  button("Confirm", 55, [this] { confirm(); });
  button("Delete", 110, [this] { deleteSelected(); });
  button("Clear", 165, [this] { clearAll(); });
  button("Dismiss", 220, [this] { hide(); });
  setFixedSize(330, 300);
}

StationsWindow::~StationsWindow() = default;

void StationsWindow::addCallsign(std::string_view call) {
  const TableChange change = list_.addCallsign(call);
  if (change.kind == TableChange::Inserted) model_->inserted(change.row);
}

std::vector<std::size_t> StationsWindow::selectedRows() const { return rowsOf(view_->selectionModel()); }

void StationsWindow::confirm() {
  std::vector<std::string> calls;
  for (std::size_t r : selectedRows()) calls.emplace_back(list_.at(r));
  for (const std::string& text : qslTexts(calls)) sendToTnc_(text);
}

void StationsWindow::deleteSelected() {
  list_.remove(selectedRows());
  view_->clearSelection();
  model_->refill();
}

void StationsWindow::clearAll() {
  list_.clear();
  model_->refill();
}

void StationsWindow::reject() { hide(); }

// What the worker has handed over and the windows have not taken yet, in
// arrival order per window.
struct StationWindowsSink::Pending {
  std::mutex mutex;
  std::vector<std::string> calls;
  std::vector<StationEntry> entries;
};

StationWindowsSink::StationWindowsSink(PositionWindow& positions, StationsWindow& stations)
    : positions_(&positions), stations_(&stations), post_(&positions), pending_(std::make_shared<Pending>()) {}

void StationWindowsSink::addCallsign(std::string_view call) {
  enqueue([call](Pending& p) { p.calls.emplace_back(call); });
}

void StationWindowsSink::addOrUpdate(const StationEntry& entry) {
  enqueue([&entry](Pending& p) { p.entries.push_back(entry); });
}

// The first item after a drain schedules the next one; later items ride
// along with it.
void StationWindowsSink::enqueue(const std::function<void(Pending&)>& add) {
  {
    std::lock_guard<std::mutex> lock(pending_->mutex);
    const bool first = pending_->calls.empty() && pending_->entries.empty();
    add(*pending_);
    if (!first) return;
  }
  constexpr int kBatchMs = 16;
  PositionWindow* positions = positions_;
  StationsWindow* stations = stations_;
  std::shared_ptr<Pending> pending = pending_;
  post_([positions, stations, pending] {
    QTimer::singleShot(kBatchMs, positions, [positions, stations, pending] {
      std::vector<std::string> calls;
      std::vector<StationEntry> entries;
      {
        std::lock_guard<std::mutex> lock(pending->mutex);
        calls.swap(pending->calls);
        entries.swap(pending->entries);
      }
      for (const std::string& call : calls) stations->addCallsign(call);
      for (const StationEntry& entry : entries) positions->addOrUpdate(entry);
    });
  });
}

}  // namespace tervane
