#pragma once
// The tracker's windows: "Tracker Status" (one row per tracked satellite,
// rewritten every second) and the "Satellite Selection" dialog.

#include <QDialog>
#include <functional>

#include "dialogs/field_refusals.h"
#include "tracker/satellite_selection.h"
#include "tracker/tracker_worker.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace tervane {

class TrackerStatusWindow : public QDialog {
 public:
  // onDismiss runs when Dismiss hides the window (it enables Show Status).
  TrackerStatusWindow(std::function<void()> onDismiss, QWidget* parent = nullptr);
  void showRow(int index, const TrackerRowText& row);
  QTableWidget* table() const { return table_; }
  QPushButton* dismissButton() const { return dismiss_; }

 protected:
  void reject() override;

 private:
  std::function<void()> onDismiss_;
  QTableWidget* table_ = nullptr;
  QPushButton* dismiss_ = nullptr;
};

class SatelliteSelectionDialog : public QDialog {
 public:
  // note: shown above the list (for example when the element file held no satellite).
  SatelliteSelectionDialog(SatelliteSelection& selection, const QString& note, QWidget* parent = nullptr);

  QComboBox* availableList() const { return available_; }
  QListWidget* selectedList() const { return selected_; }
  QLineEdit* viaBox() const { return via_; }
  QLineEdit* intervalBox() const { return interval_; }
  QLineEdit* leadBox() const { return lead_; }
  QCheckBox* autoBeaconBox() const { return autoBeacon_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* deleteButton() const { return delete_; }
  QLabel* noteLabel() const { return note_; }
  QPushButton* okButton() const { return ok_; }
  const FieldRefusals& refusals() const { return *refusals_; }

 private:
  std::vector<std::size_t> selectedRows() const;
  void showBoxes(const ChoiceBoxes& boxes);
  void addRow(std::size_t row);
  void refillList();

  SatelliteSelection& selection_;
  QComboBox* available_ = nullptr;
  QListWidget* selected_ = nullptr;
  QLineEdit* via_ = nullptr;
  QLineEdit* interval_ = nullptr;
  QLineEdit* lead_ = nullptr;
  QCheckBox* autoBeacon_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* delete_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* ok_ = nullptr;
  FieldRefusals* refusals_ = nullptr;
};

}  // namespace tervane
