// Station Data: callsign, Fixed or Mobile, position and the PHG values.

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
  QLineEdit* call = addField("callsign", "Callsign:", storedText(edit_.callsign), nullptr, checkCallsign);
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
    QLineEdit* f = addField(n.name, n.caption, storedText(shown), n.unit, n.check);
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

}  // namespace tervane
