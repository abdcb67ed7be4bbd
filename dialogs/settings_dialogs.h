#pragma once
// The settings dialogs. Each edits a working copy, changed at once by every
// control; the caller stores the copy when the dialog is confirmed.

#include <QDialog>

#include <string>

#include "dialogs/field_refusals.h"
#include "dialogs/settings_edits.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tervane {

class TncSettingsDialog : public QDialog {
 public:
  TncSettingsDialog(const TncSettingsEdit& edit, QWidget* parent = nullptr);
  const TncSettingsEdit& edit() const { return edit_; }

  QComboBox* modelList() const { return model_; }
  QComboBox* baudList() const { return baud_; }
  QComboBox* portList() const { return port_; }
  QRadioButton* tncBeaconButton() const { return tncBeacon_; }
  QRadioButton* pcBeaconButton() const { return pcBeacon_; }
  QLineEdit* messageField() const { return message_; }
  QLineEdit* intervalField() const { return interval_; }
  QLineEdit* unprotoField() const { return unproto_; }
  QLineEdit* unprotoViaField() const { return via_; }
  QComboBox* linkList() const { return link_; }
  QLineEdit* kissHostField() const { return kissHost_; }
  QLineEdit* kissPortField() const { return kissPort_; }
  QLineEdit* aprsIsHostField() const { return aprsIsHost_; }
  QLineEdit* aprsIsPortField() const { return aprsIsPort_; }
  QLineEdit* aprsIsFilterField() const { return aprsIsFilter_; }
  QCheckBox* receiveOnlyBox() const { return receiveOnly_; }
  QLabel* passcodeLabel() const { return passcode_; }
  QPushButton* okButton() const { return ok_; }
  const FieldRefusals& refusals() const { return *refusals_; }

 private:
  void addLinkRows(QGridLayout* grid, int row);
  void showLinkChoice();

  TncSettingsEdit edit_;
  FieldRefusals* refusals_ = nullptr;
  QComboBox* model_ = nullptr;
  QComboBox* baud_ = nullptr;
  QComboBox* port_ = nullptr;
  QRadioButton* tncBeacon_ = nullptr;
  QRadioButton* pcBeacon_ = nullptr;
  QLineEdit* message_ = nullptr;
  QLineEdit* interval_ = nullptr;
  QLineEdit* unproto_ = nullptr;
  QLineEdit* via_ = nullptr;
  QComboBox* link_ = nullptr;
  QLineEdit* kissHost_ = nullptr;
  QLineEdit* kissPort_ = nullptr;
  QLineEdit* aprsIsHost_ = nullptr;
  QLineEdit* aprsIsPort_ = nullptr;
  QLineEdit* aprsIsFilter_ = nullptr;
  QCheckBox* receiveOnly_ = nullptr;
  QLabel* passcode_ = nullptr;
  QPushButton* ok_ = nullptr;
};

class StationDataDialog : public QDialog {
 public:
  StationDataDialog(const StationDataEdit& edit, QWidget* parent = nullptr);
  const StationDataEdit& edit() const { return edit_; }
  QLineEdit* field(const char* name) const;
  QRadioButton* mobileButton() const { return mobile_; }
  QRadioButton* fixedButton() const { return fixed_; }
  QPushButton* okButton() const { return ok_; }
  const FieldRefusals& refusals() const { return *refusals_; }

 private:
  StationDataEdit edit_;
  FieldRefusals* refusals_ = nullptr;
  QRadioButton* mobile_ = nullptr;
  QRadioButton* fixed_ = nullptr;
  QPushButton* ok_ = nullptr;
};

// "GPS Receiver Settings": the receiver's port and kind, and where gpsd
// listens when the kind is gpsd.
struct GpsSettingsEdit {
  int portIndex = 1;
  int typeIndex = 0;
  std::string gpsdHost = "localhost";
  int gpsdPort = 2947;
};

class GpsSettingsDialog : public QDialog {
 public:
  explicit GpsSettingsDialog(const GpsSettingsEdit& edit, QWidget* parent = nullptr);
  const GpsSettingsEdit& edit() const { return edit_; }
  int portIndex() const { return edit_.portIndex; }
  int typeIndex() const { return edit_.typeIndex; }
  QComboBox* portList() const { return portList_; }
  QComboBox* typeList() const { return typeList_; }
  QLineEdit* gpsdHostField() const { return gpsdHost_; }
  QLineEdit* gpsdPortField() const { return gpsdPort_; }
  QPushButton* okButton() const { return ok_; }
  const FieldRefusals& refusals() const { return *refusals_; }

 private:
  // The serial port serves a receiver, host and port serve gpsd.
  void enableFieldsOfType();

  GpsSettingsEdit edit_;
  QComboBox* portList_ = nullptr;
  QComboBox* typeList_ = nullptr;
  QLineEdit* gpsdHost_ = nullptr;
  QLineEdit* gpsdPort_ = nullptr;
  QPushButton* ok_ = nullptr;
  FieldRefusals* refusals_ = nullptr;
};

class AddressBookDialog : public QDialog {
 public:
  AddressBookDialog(const AddressBookEdit& edit, QWidget* parent = nullptr);
  const AddressBookEdit& edit() const { return edit_; }
  QComboBox* nicknameList() const { return nickname_; }
  QLineEdit* addressField() const { return address_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* deleteButton() const { return delete_; }
  QPushButton* closeButton() const { return close_; }

 protected:
  void reject() override;  // Escape closes and keeps the edits

 private:
  void fillList();
  void showSelected();

  AddressBookEdit edit_;
  QComboBox* nickname_ = nullptr;
  QLineEdit* address_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace tervane
