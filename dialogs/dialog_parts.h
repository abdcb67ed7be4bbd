#pragma once
// What the settings dialogs share: how texts go between the settings record
// and the fields, the lists, the field widths and the OK and Cancel buttons.
// Internal to the dialogs.

#include <QString>
#include <QStringList>
#include <string>

#include "base/station_settings.h"

class QBoxLayout;
class QComboBox;
class QDialog;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tervane::dialog_parts {

inline constexpr int kNumberFieldChars = 31;  // a number is read from this many leading characters
inline constexpr int kCallsignChars = 31;
inline constexpr int kTextSettingChars = 63;
inline constexpr int kGpsdHostChars = static_cast<int>(decltype(StationSettings::gpsdHost)::kMaxLength);

// Settings texts are kept as UTF-8; a text an earlier version stored in
// Latin-1 is not valid UTF-8 and still shows as it did (as received text
// shows).
QString storedText(const std::string& s);
// The UTF-8 of the text's first characters that fit in limit bytes: a
// character that would not fit whole is left out, never halved.
std::string bytesOf(const QString& s, int limit);
// A drop-down list showing the entry at index, or no selection when the index
// is no entry of the list.
QComboBox* makeList(QWidget* parent, const QStringList& entries, int index);
// The width of a one-line field that shows chars characters of ordinary text.
int fieldWidthForChars(const QLineEdit* field, int chars);
// An editable drop-down list whose text field shows exactly what the operator
// types: no inline completion, and typing never adds an entry.
void makeTypedTextStay(QComboBox* list);
// OK (the default, with the keyboard focus) and Cancel at the dialog's foot.
QPushButton* addOkCancel(QDialog* dialog, QBoxLayout* layout);

}  // namespace tervane::dialog_parts
