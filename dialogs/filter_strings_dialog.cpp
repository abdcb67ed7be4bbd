#include "dialogs/filter_strings_dialog.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "aprs/received_text.h"

namespace tervane {

namespace {
constexpr int kTextLimit = 2047;
}

FilterStringsDialog::FilterStringsDialog(const FilterStrings& current, QWidget* parent)
    : QDialog(parent), table_(current) {
  setWindowTitle(QStringLiteral("Filter Strings"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel(QStringLiteral("Enter filter text, one line per filter: (Use control-Enter for line feed.)"), this));
  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("filterText"));
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFont(QStringLiteral("Monospace")));
  text_->setMinimumSize(360, 300);
  // UTF-8, or Latin-1 as an earlier version stored them.
  QString shown = receivedText(formatFilterText(current));
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text_->setPlainText(shown);
  text_->installEventFilter(this);
  layout->addWidget(text_);
  connect(text_, &QPlainTextEdit::textChanged, this, [this] {
    // Filter strings are matched against received bytes, which today's
    // stations send as UTF-8.
    const QByteArray bytes = text_->toPlainText().left(kTextLimit).toUtf8();
    table_ = parseFilterText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  text_->setFocus();
}

bool FilterStringsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (key->modifiers() & Qt::ControlModifier) {
        text_->insertPlainText(QStringLiteral("\n"));
      } else {
        accept();
      }
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tervane
