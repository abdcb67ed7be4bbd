#include "dialogs/settings_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStringDecoder>
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

namespace tervane {

namespace {

constexpr int kNumberFieldChars = 31;  // a number is read from this many leading characters
constexpr int kCallsignChars = 31;
constexpr int kTextSettingChars = 63;
constexpr int kGpsdHostChars = static_cast<int>(decltype(StationSettings::gpsdHost)::kMaxLength);

// Settings texts are kept as UTF-8; a text an earlier version stored in
// Latin-1 is not valid UTF-8 and still shows as it did.
QString latin1(const std::string& s) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QByteArrayView bytes(s.data(), static_cast<qsizetype>(s.size()));
  QString text = utf8(bytes);
  return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}
// The UTF-8 of the text's first characters that fit in limit bytes: a
// character that would not fit whole is left out, never halved.
std::string bytesOf(const QString& s, int limit) {
  const QByteArray bytes = s.left(limit).toUtf8();
  return std::string(utf8Prefix(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                                static_cast<std::size_t>(limit)));
}

// A drop-down list showing the entry at index, or no selection when the index
// is no entry of the list.
QComboBox* makeList(QWidget* parent, const QStringList& entries, int index) {
  auto* list = new QComboBox(parent);
  list->addItems(entries);
  list->setCurrentIndex(index >= 0 && index < entries.size() ? index : -1);
  return list;
}

// The width of a one-line field that shows chars characters of ordinary text.
int fieldWidthForChars(const QLineEdit* field, int chars) {
  const QFontMetrics metrics = field->fontMetrics();
  const int framePx = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
  const QMargins text = field->textMargins();
  return metrics.horizontalAdvance(QLatin1Char('x')) * chars + 2 * framePx + text.left() + text.right() + 4;
}

// An editable drop-down list whose text field shows exactly what the operator
// types: no inline completion, and typing never adds an entry.
void makeTypedTextStay(QComboBox* list) {
  list->setEditable(true);
  list->setInsertPolicy(QComboBox::NoInsert);
  list->setCompleter(nullptr);
}

QPushButton* addOkCancel(QDialog* dialog, QBoxLayout* layout) {
  auto* buttons = new QDialogButtonBox(dialog);
  QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  (void)cancel;
  ok->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
  // The keyboard focus starts on OK.
  QTimer::singleShot(0, ok, [ok] { ok->setFocus(); });
  return ok;
}

}  // namespace

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

  message_ = new QLineEdit(latin1(edit_.comment), this);
  interval_ = new QLineEdit(latin1(textf("%7.2f", edit_.intervalMinutes)), this);
  unproto_ = new QLineEdit(latin1(edit_.unproto), this);
  via_ = new QLineEdit(latin1(edit_.unprotoVia), this);
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
                                .arg(latin1(edit_.linkOverride)),
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
    auto* f = new QLineEdit(latin1(text), this);
    f->setObjectName(QString::fromLatin1(name));
    return f;
  };
  kissHost_ = field(edit_.kissHost, "kissHost");
  kissPort_ = field(textf("%d", edit_.kissPort), "kissPort");
  aprsIsHost_ = field(edit_.aprsIsHost, "aprsIsHost");
  aprsIsPort_ = field(textf("%d", edit_.aprsIsPort), "aprsIsPort");
  aprsIsFilter_ = field(edit_.aprsIsFilter, "aprsIsFilter");
  aprsIsFilter_->setPlaceholderText(latin1(edit_.defaultFilter));
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
                         : QStringLiteral("%1 for %2").arg(code).arg(latin1(edit_.callsign)));
}

StationDataDialog::StationDataDialog(const StationDataEdit& edit, QWidget* parent)
    : QDialog(parent), edit_(edit) {
  setWindowTitle(QStringLiteral("Station Data"));
  auto* layout = new QVBoxLayout(this);
  auto* radios = new QHBoxLayout;
  mobile_ = new QRadioButton(QStringLiteral("Mobile"), this);
  fixed_ = new QRadioButton(QStringLiteral("Fixed"), this);
  (edit_.mobile ? mobile_ : fixed_)->setChecked(true);
  radios->addWidget(mobile_);
  radios->addWidget(fixed_);
  radios->addStretch(1);
  layout->addLayout(radios);
  connect(mobile_, &QRadioButton::clicked, this, [this] { edit_.mobile = true; });
  connect(fixed_, &QRadioButton::clicked, this, [this] { edit_.mobile = false; });

  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  refusals_ = new FieldRefusals(this);
  int row = 0;
  // Each field has its note on the row below it.
  const auto addField = [&](const char* name, const char* caption, const QString& text, const char* unit,
                            FieldRefusals::Check check) {
    auto* f = new QLineEdit(text, this);
    f->setObjectName(QString::fromLatin1(name));
    grid->addWidget(new QLabel(QString::fromLatin1(caption), this), row, 0);
    grid->addWidget(f, row, 1);
    if (unit != nullptr) grid->addWidget(new QLabel(QString::fromLatin1(unit), this), row, 2);
    ++row;
    grid->addWidget(refusals_->watch(f, std::move(check)), row++, 1, 1, 2);
    return f;
  };
  QLineEdit* call = addField("callsign", "Callsign:", latin1(edit_.callsign), nullptr, checkCallsign);
  connect(call, &QLineEdit::textChanged, this, [this](const QString& t) { edit_.callsign = bytesOf(t, kCallsignChars); });
  struct NumberField {
    const char* name;
    const char* caption;
    const char* format;
    const char* unit;
    double StationDataEdit::*value;
    Refusal (*check)(std::string_view);
  };
  const NumberField numbers[] = {
      {"latitude", "Latitude:", "%10.6f", "Degrees", &StationDataEdit::latitudeDeg, checkLatitude},
      {"longitude", "Longitude:", "%10.6f", "Degrees", &StationDataEdit::longitudeDeg, checkLongitude},
      {"power", "Power", "%6.2f", "Watts", &StationDataEdit::powerW, checkPhgPower},
      {"height", "Height", "%6.2f", "Feet", &StationDataEdit::heightFt, checkPhgHeight},
      {"gain", "Antenna Gain:", "%6.2f", "dB.", &StationDataEdit::gainDb, checkPhgGain},
      {"direction", "Antenna Direction:", "%6.2f", "Degrees", &StationDataEdit::directionDeg, checkPhgDirection},
  };
  for (const NumberField& n : numbers) {
    const double v = edit_.*(n.value);
    const std::string shown = std::string_view(n.format) == "%10.6f" ? textf("%10.6f", v) : textf("%6.2f", v);
    QLineEdit* f = addField(n.name, n.caption, latin1(shown), n.unit, n.check);
    double StationDataEdit::*member = n.value;
    connect(f, &QLineEdit::textChanged, this,
            [this, member](const QString& t) { edit_.*member = leadingNumber(bytesOf(t, kNumberFieldChars)); });
  }
  grid->addWidget(new QLabel(QStringLiteral("(0 Degrees for Omni)"), this), row, 1);
  ok_ = addOkCancel(this, layout);
  refusals_->guard(ok_);
}

QLineEdit* StationDataDialog::field(const char* name) const {
  return findChild<QLineEdit*>(QString::fromLatin1(name));
}

GpsSettingsDialog::GpsSettingsDialog(const GpsSettingsEdit& edit, QWidget* parent) : QDialog(parent), edit_(edit) {
  setWindowTitle(QStringLiteral("GPS Receiver Settings"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  portList_ = makeList(this, {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                              QStringLiteral("COM4")},
                       edit_.portIndex);
  QStringList types;
  for (const GpsSourceEntry& source : gpsSources()) types << QString::fromLatin1(source.caption);
  typeList_ = makeList(this, types, edit_.typeIndex);
  gpsdHost_ = new QLineEdit(latin1(edit_.gpsdHost), this);
  gpsdHost_->setMaxLength(kGpsdHostChars);
  gpsdPort_ = new QLineEdit(latin1(textf("%d", edit_.gpsdPort)), this);
  gpsdPort_->setMaxLength(kNumberFieldChars);
  gpsdPort_->setObjectName(QStringLiteral("gpsdPort"));
  QWidget* const fields[] = {portList_, typeList_, gpsdHost_, gpsdPort_};
  const char* captions[] = {"Port Number:", "GPSR Type:", "gpsd Host:", "gpsd Port:"};
  for (int row = 0; row < 4; ++row) {
    grid->addWidget(new QLabel(QString::fromLatin1(captions[row]), this), row, 0);
    grid->addWidget(fields[row], row, 1);
  }
  refusals_ = new FieldRefusals(this);
  grid->addWidget(refusals_->watch(gpsdPort_, checkTcpPort), 4, 1);
  grid->setColumnStretch(1, 1);
  connect(portList_, &QComboBox::activated, this, [this](int i) { edit_.portIndex = i; });
  connect(typeList_, &QComboBox::activated, this, [this](int i) {
    edit_.typeIndex = i;
    enableFieldsOfType();
  });
  connect(gpsdHost_, &QLineEdit::textChanged, this,
          [this](const QString& t) { edit_.gpsdHost = bytesOf(t.trimmed(), kGpsdHostChars); });
  connect(gpsdPort_, &QLineEdit::textChanged, this, [this](const QString& t) {
    // A number that is no TCP port is refused beside the field; the copy
    // holds 0 meanwhile, which OK never stores.
    const double port = leadingNumber(bytesOf(t, kNumberFieldChars));
    edit_.gpsdPort = port >= 1 && port <= 65535 ? static_cast<int>(port) : 0;
  });
  enableFieldsOfType();
  ok_ = addOkCancel(this, layout);
  refusals_->guard(ok_);
  // Room for the whole title beside the window frame's buttons.
  constexpr int kFrameButtonsWidth = 160;
  setMinimumWidth(std::max(sizeHint().width(), fontMetrics().horizontalAdvance(windowTitle()) + kFrameButtonsWidth));
}

void GpsSettingsDialog::enableFieldsOfType() {
  const bool gpsd = gpsTypeFromIndex(edit_.typeIndex) == GpsType::Gpsd;
  portList_->setEnabled(!gpsd);
  gpsdHost_->setEnabled(gpsd);
  gpsdPort_->setEnabled(gpsd);
}

AddressBookDialog::AddressBookDialog(const AddressBookEdit& edit, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), edit_(edit) {
  setWindowTitle(QStringLiteral("Select/Edit Email Address"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  nickname_ = new QComboBox(this);
  makeTypedTextStay(nickname_);
  nickname_->setMinimumWidth(260);
  address_ = new QLineEdit(this);
  grid->addWidget(new QLabel(QStringLiteral("Nickname:"), this), 0, 0);
  grid->addWidget(nickname_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Address:"), this), 1, 0);
  grid->addWidget(address_, 1, 1);
  auto* buttons = new QHBoxLayout;
  delete_ = new QPushButton(QStringLiteral("Delete"), this);
  add_ = new QPushButton(QStringLiteral("Add"), this);
  close_ = new QPushButton(QStringLiteral("Close"), this);
  for (QPushButton* b : {delete_, add_, close_}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  fillList();
  showSelected();

  connect(nickname_, &QComboBox::activated, this, [this](int i) {
    if (i < 0 || i >= edit_.count) return;
    edit_.selected = i;
    showSelected();
  });
  connect(address_, &QLineEdit::textChanged, this, [this](const QString& t) {
    if (edit_.selected >= 0 && edit_.selected < kAddressBookSlots)
      edit_.addresses[static_cast<std::size_t>(edit_.selected)] = t.toUtf8().toStdString();
  });
  // Only typing renames the selected entry; choosing from the list changes
  // the text too, but selects another entry instead.
  connect(nickname_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& t) {
    const int i = edit_.selected;
    if (i < 0 || i >= kAddressBookSlots) return;
    edit_.nicknames[static_cast<std::size_t>(i)] = t.toUtf8().toStdString();
    // The list item of the entry shows the new nickname in place.
    const QSignalBlocker block(nickname_);
    const int cursor = nickname_->lineEdit()->cursorPosition();
    if (i < nickname_->count()) {
      nickname_->setItemText(i, t);
    } else {
      nickname_->addItem(t);
    }
    nickname_->setCurrentIndex(i);
    nickname_->setEditText(t);
    nickname_->lineEdit()->setCursorPosition(cursor);
  });
  connect(add_, &QPushButton::clicked, this, [this] {
    if (!edit_.add()) return;
    const QSignalBlocker blockList(nickname_);
    const QSignalBlocker blockAddress(address_);
    nickname_->setCurrentIndex(-1);
    nickname_->setEditText(QString());
    address_->clear();
    nickname_->setFocus();
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    if (!edit_.removeSelected()) return;
    fillList();
    showSelected();
  });
  connect(close_, &QPushButton::clicked, this, [this] { accept(); });
}

void AddressBookDialog::fillList() {
  const QSignalBlocker block(nickname_);
  nickname_->clear();
  for (int i = 0; i < edit_.count; ++i) nickname_->addItem(latin1(edit_.nicknames[static_cast<std::size_t>(i)]));
}

void AddressBookDialog::showSelected() {
  const QSignalBlocker blockList(nickname_);
  const QSignalBlocker blockAddress(address_);
  const int i = edit_.selected;
  const bool inBook = i >= 0 && i < edit_.count;
  nickname_->setCurrentIndex(inBook ? i : -1);
  nickname_->setEditText(inBook ? latin1(edit_.nicknames[static_cast<std::size_t>(i)]) : QString());
  address_->setText(inBook ? latin1(edit_.addresses[static_cast<std::size_t>(i)]) : QString());
}

void AddressBookDialog::reject() { accept(); }

}  // namespace tervane
