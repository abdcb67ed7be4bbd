// TNC/APRS Settings: the TNC, the PC beacon, the UNPROTO path and the link.

#include "dialogs/settings_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "base/text_format.h"
#include "gps/gps_source.h"
#include "tnc/link_table.h"
#include "tnc/tnc_setup.h"

#include "dialogs/dialog_parts.h"

namespace tervane {

using namespace dialog_parts;

TncSettingsDialog::TncSettingsDialog(const TncSettingsEdit& edit, QWidget* parent) : QDialog(parent), edit_(edit) {
  setWindowTitle(QStringLiteral("TNC/APRS Settings"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  int row = 0;
  refusals_ = new FieldRefusals(this);
  const auto addRow = [&](const char* caption, QWidget* w, const char* unit = nullptr) {
    grid->addWidget(new QLabel(QString::fromLatin1(caption), this), row, 0);
    grid->addWidget(w, row, 1);
    if (unit != nullptr) grid->addWidget(new QLabel(QString::fromLatin1(unit), this), row, 2);
    ++row;
  };
  // A checked field's note goes on the row below it.
  const auto addChecked = [&](const char* caption, QLineEdit* field, FieldRefusals::Check check,
                              const char* unit = nullptr) {
    addRow(caption, field, unit);
    grid->addWidget(refusals_->watch(field, std::move(check)), row++, 1, 1, 2);
  };

  QStringList models;
  for (const char* m : kTncModelNames) models << QString::fromLatin1(m);
  model_ = makeList(this, models, edit_.model);
  makeTypedTextStay(model_);
  if (model_->currentIndex() < 0) model_->setEditText(QString());
  baud_ = makeList(this, {QStringLiteral("1200"), QStringLiteral("4800"), QStringLiteral("9600")}, edit_.baudIndex);
  port_ = makeList(this, {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("COM4")},
                   edit_.portIndex);
  addRow("TNC Type", model_);
  addRow("Baud Rate", baud_);
  addRow("Port Number", port_);
  // A list's choice is taken when its drop-down closes on an entry.
  connect(model_, &QComboBox::activated, this, [this](int i) { edit_.model = i; });
  connect(baud_, &QComboBox::activated, this, [this](int i) { edit_.baudIndex = i; });
  connect(port_, &QComboBox::activated, this, [this](int i) { edit_.portIndex = i; });

  tncBeacon_ = new QRadioButton(QStringLiteral("TNC Initiates Beacon"), this);
  pcBeacon_ = new QRadioButton(QStringLiteral("PC Initiates Beacon"), this);
  auto* group = new QButtonGroup(this);
  group->addButton(tncBeacon_);
  group->addButton(pcBeacon_);
  (edit_.mobile || edit_.tncBeaconOn == 0 ? pcBeacon_ : tncBeacon_)->setChecked(true);
  grid->addWidget(tncBeacon_, row, 0, 1, 2);
  ++row;
  grid->addWidget(pcBeacon_, row, 0, 1, 2);
  ++row;
  connect(tncBeacon_, &QRadioButton::clicked, this, [this] {
    if (edit_.mobile) {
      // A mobile station always beacons from the PC.
      edit_.tncBeaconOn = 0;
      pcBeacon_->setChecked(true);
    } else {
      edit_.tncBeaconOn = 1;
    }
  });
  connect(pcBeacon_, &QRadioButton::clicked, this, [this] { edit_.tncBeaconOn = 0; });

  message_ = new QLineEdit(storedText(edit_.comment), this);
  interval_ = new QLineEdit(storedText(textf("%7.2f", edit_.intervalMinutes)), this);
  unproto_ = new QLineEdit(storedText(edit_.unproto), this);
  via_ = new QLineEdit(storedText(edit_.unprotoVia), this);
  // The beacon message field shows a whole message of the longest kept length.
  message_->setMinimumWidth(fieldWidthForChars(message_, kTextSettingChars));
  // The copy keeps 31 characters of the unproto texts: the fields take no more.
  unproto_->setMaxLength(static_cast<int>(kUnprotoCopyChars));
  via_->setMaxLength(static_cast<int>(kUnprotoCopyChars));
  interval_->setObjectName(QStringLiteral("interval"));
  unproto_->setObjectName(QStringLiteral("unproto"));
  via_->setObjectName(QStringLiteral("unprotoVia"));
  addRow("Beacon Message:", message_);
  addChecked("Beacon Interval:", interval_, checkBeaconMinutes, "Minutes");
  addChecked("UNPROTO", unproto_, checkUnprotoDestination);
  addChecked("UNPROTO VIA", via_, checkUnprotoPath);
  connect(message_, &QLineEdit::textChanged, this,
          [this](const QString& t) { edit_.comment = bytesOf(t, kTextSettingChars); });
  connect(interval_, &QLineEdit::textChanged, this,
          [this](const QString& t) { edit_.intervalMinutes = leadingNumber(bytesOf(t, kNumberFieldChars)); });
  connect(unproto_, &QLineEdit::textChanged, this,
          [this](const QString& t) { edit_.unproto = bytesOf(t, kUnprotoCopyChars); });
  connect(via_, &QLineEdit::textChanged, this,
          [this](const QString& t) { edit_.unprotoVia = bytesOf(t, kUnprotoCopyChars); });
  addLinkRows(grid, row);
  ok_ = addOkCancel(this, layout);
  refusals_->guard(ok_);
}

// Where the traffic comes from and the station's reports go. The TNC rows
// above serve the serial links; the network links have their own.
void TncSettingsDialog::addLinkRows(QGridLayout* grid, int row) {
  if (!edit_.linkOverride.empty()) {
    auto* note = new QLabel(QStringLiteral("For this run TERVANEAPRS_LINK=%1 chooses the link;\n"
                                           "the link chosen here counts from the next run without it.")
                                .arg(storedText(edit_.linkOverride)),
                            this);
    note->setObjectName(QStringLiteral("linkOverrideNote"));
    note->setStyleSheet(QStringLiteral("color: #b00000"));
    grid->addWidget(note, row++, 0, 1, 3);
  }
  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  grid->addWidget(line, row++, 0, 1, 3);
  QStringList captions;
  for (const LinkKindEntry& kind : linkKinds()) captions << QString::fromLatin1(kind.caption);
  link_ = makeList(this, captions, edit_.linkType);
  link_->setObjectName(QStringLiteral("linkList"));
  const auto field = [this](const std::string& text, const char* name) {
    auto* f = new QLineEdit(storedText(text), this);
    f->setObjectName(QString::fromLatin1(name));
    return f;
  };
  kissHost_ = field(edit_.kissHost, "kissHost");
  kissPort_ = field(textf("%d", edit_.kissPort), "kissPort");
  aprsIsHost_ = field(edit_.aprsIsHost, "aprsIsHost");
  aprsIsPort_ = field(textf("%d", edit_.aprsIsPort), "aprsIsPort");
  aprsIsFilter_ = field(edit_.aprsIsFilter, "aprsIsFilter");
  aprsIsFilter_->setPlaceholderText(storedText(edit_.defaultFilter));
  receiveOnly_ = new QCheckBox(QStringLiteral("Receive only (passcode -1, nothing is sent)"), this);
  receiveOnly_->setChecked(edit_.aprsIsReceiveOnly);
  passcode_ = new QLabel(this);
  const std::pair<const char*, QWidget*> rows[] = {
      {"Link", link_},
      {"KISS Host", kissHost_},
      {"KISS Port", kissPort_},
      {"APRS-IS Server", aprsIsHost_},
      {"APRS-IS Port", aprsIsPort_},
      {"APRS-IS Filter", aprsIsFilter_},
      {"", receiveOnly_},
      {"Passcode", passcode_},
  };
  for (const auto& [caption, widget] : rows) {
    grid->addWidget(new QLabel(QString::fromLatin1(caption), this), row, 0);
    grid->addWidget(widget, row++, 1, 1, 2);
    if (widget == kissPort_ || widget == aprsIsPort_) {
      grid->addWidget(refusals_->watch(static_cast<QLineEdit*>(widget), checkTcpPort), row++, 1, 1, 2);
    }
    if (widget == aprsIsFilter_) {
      grid->addWidget(refusals_->watch(aprsIsFilter_, checkAprsIsFilter), row++, 1, 1, 2);
    }
  }
  connect(link_, &QComboBox::activated, this, [this](int i) {
    edit_.linkType = i;
    showLinkChoice();
  });
  connect(kissHost_, &QLineEdit::textChanged, this, [this](const QString& t) { edit_.kissHost = bytesOf(t, 63); });
  connect(kissPort_, &QLineEdit::textChanged, this,
          [this](const QString& t) { edit_.kissPort = static_cast<int>(leadingInteger(bytesOf(t, 7))); });
  connect(aprsIsHost_, &QLineEdit::textChanged, this, [this](const QString& t) { edit_.aprsIsHost = bytesOf(t, 63); });
  connect(aprsIsPort_, &QLineEdit::textChanged, this,
          [this](const QString& t) { edit_.aprsIsPort = static_cast<int>(leadingInteger(bytesOf(t, 7))); });
  connect(aprsIsFilter_, &QLineEdit::textChanged, this,
          [this](const QString& t) { edit_.aprsIsFilter = bytesOf(t, 255); });
  connect(receiveOnly_, &QCheckBox::toggled, this, [this](bool on) {
    edit_.aprsIsReceiveOnly = on;
    showLinkChoice();
  });
  showLinkChoice();
}

void TncSettingsDialog::showLinkChoice() {
  const LinkType type = linkTypeFromIndex(edit_.linkType);
  const bool serial = linkKindOf(type).endpoint == LinkEndpoint::SerialPort;
  model_->setEnabled(type == LinkType::TextTnc);
  baud_->setEnabled(serial);
  port_->setEnabled(serial);
  for (QWidget* w : {static_cast<QWidget*>(kissHost_), static_cast<QWidget*>(kissPort_)}) {
    w->setEnabled(type == LinkType::KissTcp);
  }
  for (QWidget* w : {static_cast<QWidget*>(aprsIsHost_), static_cast<QWidget*>(aprsIsPort_),
                     static_cast<QWidget*>(aprsIsFilter_), static_cast<QWidget*>(receiveOnly_),
                     static_cast<QWidget*>(passcode_)}) {
    w->setEnabled(type == LinkType::AprsIs);
  }
  const int code = shownAprsIsPasscode(edit_);
  passcode_->setText(edit_.callsign.empty() && !edit_.aprsIsReceiveOnly
                         ? QStringLiteral("-1 (no callsign in Settings > Station...)")
                         : QStringLiteral("%1 for %2").arg(code).arg(storedText(edit_.callsign)));
}

}  // namespace tervane
