#include "dialogs/dialog_parts.h"

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

#include "aprs/received_text.h"
#include "base/text_format.h"

namespace tervane::dialog_parts {

// Settings texts are kept as UTF-8; a text an earlier version stored in
// Latin-1 is not valid UTF-8 and still shows as it did.
QString storedText(const std::string& s) { return receivedText(s); }
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

}  // namespace tervane::dialog_parts
