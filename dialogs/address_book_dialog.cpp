// Select/Edit Email Address: the address book of the APRS e-mail gateway.

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
  for (int i = 0; i < edit_.count; ++i) nickname_->addItem(storedText(edit_.nicknames[static_cast<std::size_t>(i)]));
}

void AddressBookDialog::showSelected() {
  const QSignalBlocker blockList(nickname_);
  const QSignalBlocker blockAddress(address_);
  const int i = edit_.selected;
  const bool inBook = i >= 0 && i < edit_.count;
  nickname_->setCurrentIndex(inBook ? i : -1);
  nickname_->setEditText(inBook ? storedText(edit_.nicknames[static_cast<std::size_t>(i)]) : QString());
  address_->setText(inBook ? storedText(edit_.addresses[static_cast<std::size_t>(i)]) : QString());
}

void AddressBookDialog::reject() { accept(); }

}  // namespace tervane
