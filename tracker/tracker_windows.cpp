#include "tracker/tracker_windows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tervane {

namespace {

constexpr Qt::WindowFlags kNoCloseBox = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

struct StatusColumn {
  const char* heading;
  int widthPx;
  bool right;
};
constexpr StatusColumn kStatusColumns[] = {
    {"Name", 140, false},      {"AOS/LOS", 80, false},     {"Range", 80, true},       {"Elevation", 80, true},
    {"Azimuth", 80, true},     {"Sub Sat Lat", 80, true},  {"Sub Sat Lon", 80, true}, {"Altitude", 80, true},
};

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

TrackerStatusWindow::TrackerStatusWindow(std::function<void()> onDismiss, QWidget* parent)
    : QDialog(parent, kNoCloseBox), onDismiss_(std::move(onDismiss)) {
  setWindowTitle(QStringLiteral("Tracker Status"));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  table_ = new QTableWidget(0, 8, this);
  table_->setObjectName(QStringLiteral("trackerStatusList"));
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->setShowGrid(false);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  QStringList headings;
  for (const StatusColumn& c : kStatusColumns) headings << QString::fromLatin1(c.heading);
  table_->setHorizontalHeaderLabels(headings);
  for (int c = 0; c < 8; ++c) {
    table_->setColumnWidth(c, kStatusColumns[c].widthPx);
    if (kStatusColumns[c].right)
      table_->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  table_->setFont(QFont(QStringLiteral("Monospace")));
  layout->addWidget(table_);
  dismiss_ = new QPushButton(QStringLiteral("Dismiss"), this);
  dismiss_->setAutoDefault(false);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(dismiss_);
  row->addStretch(1);
  layout->addLayout(row);
  connect(dismiss_, &QPushButton::clicked, this, [this] { reject(); });
  resize(760, 260);
}

void TrackerStatusWindow::showRow(int index, const TrackerRowText& row) {
  if (index < 0) return;
  if (table_->rowCount() <= index) table_->setRowCount(index + 1);
  const std::string* texts[] = {&row.name,      &row.crossing,    &row.range,        &row.elevation,
                                &row.azimuth,   &row.subLatitude, &row.subLongitude, &row.altitude};
  for (int c = 0; c < 8; ++c) {
    QTableWidgetItem* item = table_->item(index, c);
    if (item == nullptr) {
      item = new QTableWidgetItem;
      item->setTextAlignment((kStatusColumns[c].right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
      table_->setItem(index, c, item);
    }
    // The figures are formatted to a fixed width; right alignment already
    // lines them up, and the leading blanks would only push them out of
    // their column.
    QString text = latin1(*texts[c]);
    if (kStatusColumns[c].right) text = text.trimmed();
    item->setText(text);
  }
}

void TrackerStatusWindow::reject() {
  hide();
  if (onDismiss_) onDismiss_();
}

SatelliteSelectionDialog::SatelliteSelectionDialog(SatelliteSelection& selection, const QString& note,
                                                   QWidget* parent)
    : QDialog(parent, kNoCloseBox), selection_(selection) {
  setWindowTitle(QStringLiteral("Satellite Selection"));
  auto* layout = new QVBoxLayout(this);
  note_ = new QLabel(note, this);
  note_->setVisible(!note.isEmpty());
  note_->setWordWrap(true);
  layout->addWidget(note_);

  auto* lists = new QGridLayout;
  layout->addLayout(lists);
  lists->addWidget(new QLabel(QStringLiteral("Available Satellites:"), this), 0, 0);
  available_ = new QComboBox(this);
  available_->setEditable(true);
  available_->setInsertPolicy(QComboBox::NoInsert);
  available_->setMinimumWidth(220);
  for (const ElementRecord& r : selection_.available()) available_->addItem(latin1(std::string(shownName(r.name.view()))));
  available_->setCurrentIndex(-1);
  lists->addWidget(available_, 1, 0);
  add_ = new QPushButton(QStringLiteral("Add/Modify >>"), this);
  add_->setAutoDefault(false);
  lists->addWidget(add_, 1, 1, Qt::AlignTop);
  lists->addWidget(new QLabel(QStringLiteral("Selected Satellites:"), this), 0, 2);
  selected_ = new QListWidget(this);
  selected_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lists->addWidget(selected_, 1, 2, 3, 1);
  refillList();

  auto* boxes = new QGridLayout;
  lists->addLayout(boxes, 2, 0);
  via_ = new QLineEdit(this);
  interval_ = new QLineEdit(this);
  lead_ = new QLineEdit(this);
  via_->setObjectName(QStringLiteral("via"));
  interval_->setObjectName(QStringLiteral("beaconInterval"));
  lead_->setObjectName(QStringLiteral("leadTime"));
  via_->setMaxLength(static_cast<int>(kPassViaChars));
  // A refused value reaches neither a choice nor the settings; its note
  // stands on the row below the box.
  refusals_ = new FieldRefusals(this);
  boxes->addWidget(new QLabel(QStringLiteral("Unproto via:"), this), 0, 0);
  boxes->addWidget(via_, 0, 1, 1, 2);
  boxes->addWidget(refusals_->watch(via_, checkUnprotoPath), 1, 1, 1, 2);
  boxes->addWidget(new QLabel(QStringLiteral("Beacon Interval:"), this), 2, 0);
  boxes->addWidget(interval_, 2, 1);
  boxes->addWidget(new QLabel(QStringLiteral("Minutes"), this), 2, 2);
  boxes->addWidget(refusals_->watch(interval_, checkPassMinutes), 3, 1, 1, 2);
  boxes->addWidget(new QLabel(QStringLiteral("Lead time:"), this), 4, 0);
  boxes->addWidget(lead_, 4, 1);
  boxes->addWidget(new QLabel(QStringLiteral("Minutes"), this), 4, 2);
  boxes->addWidget(refusals_->watch(lead_, checkPassMinutes), 5, 1, 1, 2);
  autoBeacon_ = new QCheckBox(QStringLiteral("Auto Beacon/Set Unproto Via"), this);
  boxes->addWidget(autoBeacon_, 6, 0, 1, 3);
  delete_ = new QPushButton(QStringLiteral("Delete"), this);
  delete_->setAutoDefault(false);
  lists->addWidget(delete_, 4, 2);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  refusals_->guard(ok_);
  refusals_->guard(add_);

  // A satellite picked in the drop-down shows its choice, or a new one's defaults.
  connect(available_, &QComboBox::activated, this, [this](int i) {
    if (i >= 0) showBoxes(selection_.boxesForPick(static_cast<std::size_t>(i)));
  });
  connect(add_, &QPushButton::clicked, this, [this] {
    const int i = available_->currentIndex();
    const bool picked = i >= 0 && available_->currentText() == available_->itemText(i);
    ChoiceBoxes b{via_->text().toLatin1().toStdString(), interval_->text().toLatin1().toStdString(),
                  lead_->text().toLatin1().toStdString(), autoBeacon_->isChecked()};
    const auto result =
        selection_.addOrModify(picked ? std::optional<std::size_t>(static_cast<std::size_t>(i)) : std::nullopt, b);
    if (result == SatelliteSelection::AddResult::NothingPicked) return;
    if (result == SatelliteSelection::AddResult::Full) {
      note_->setText(QStringLiteral("At most 16 satellites can be selected."));
      note_->show();
      return;
    }
    if (result == SatelliteSelection::AddResult::Added) addRow(selection_.rowCount() - 1);
    showBoxes(ChoiceBoxes{});
  });
  // Every change of an edit box reaches the selected rows' choices at once.
  const auto track = [this](QLineEdit* box, SatelliteSelection::Box which) {
    connect(box, &QLineEdit::textChanged, this, [this, box, which](const QString& t) {
      // The refusals saw the change first (they were connected first).
      if (refusals_->refused(box)) return;
      selection_.boxChanged(selectedRows(), which, t.toLatin1().toStdString());
    });
  };
  track(via_, SatelliteSelection::Box::Via);
  track(interval_, SatelliteSelection::Box::BeaconInterval);
  track(lead_, SatelliteSelection::Box::LeadTime);
  connect(delete_, &QPushButton::clicked, this, [this] {
    selection_.deleteRows(selectedRows());
    refillList();
  });
  resize(620, 320);
}

std::vector<std::size_t> SatelliteSelectionDialog::selectedRows() const {
  std::vector<std::size_t> rows;
  for (int r = 0; r < selected_->count(); ++r) {
    if (selected_->item(r)->isSelected()) rows.push_back(static_cast<std::size_t>(r));
  }
  return rows;
}

void SatelliteSelectionDialog::showBoxes(const ChoiceBoxes& b) {
  interval_->setText(latin1(b.beaconIntervalMinutes));
  lead_->setText(latin1(b.leadTimeMinutes));
  via_->setText(latin1(b.via));
  autoBeacon_->setChecked(b.autoBeacon);
}

void SatelliteSelectionDialog::addRow(std::size_t row) {
  auto* item = new QListWidgetItem(latin1(selection_.rowText(row)), selected_);
  if (!selection_.rowTracked(row)) item->setForeground(Qt::gray);
}

void SatelliteSelectionDialog::refillList() {
  selected_->clear();
  for (std::size_t r = 0; r < selection_.rowCount(); ++r) addRow(r);
}

}  // namespace tervane
