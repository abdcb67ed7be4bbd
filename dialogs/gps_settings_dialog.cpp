// GPS Receiver Settings: the port and the kind of source, or gpsd.

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
  gpsdHost_ = new QLineEdit(storedText(edit_.gpsdHost), this);
  gpsdHost_->setMaxLength(kGpsdHostChars);
  gpsdPort_ = new QLineEdit(storedText(textf("%d", edit_.gpsdPort)), this);
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

}  // namespace tervane
