#include "dialogs/field_refusals.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace tervane {

FieldRefusals::FieldRefusals(QWidget* dialog) : QObject(dialog), dialog_(dialog) {}

QLabel* FieldRefusals::watch(QLineEdit* field, Check check) {
  auto* note = new QLabel(dialog_);
  note->setObjectName(field->objectName() + QStringLiteral("Note"));
  QPalette palette = note->palette();
  palette.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
  note->setPalette(palette);
  QFont small = note->font();
  small.setPointSizeF(small.pointSizeF() * 0.9);
  note->setFont(small);
  note->hide();
  watched_.push_back({field, note, std::move(check)});
  show(watched_.back());
  connect(field, &QLineEdit::textChanged, this, [this, field] {
    for (Watched& w : watched_) {
      if (w.field == field) show(w);
    }
    enableGuarded();
  });
  enableGuarded();
  return note;
}

void FieldRefusals::guard(QPushButton* button) {
  guarded_.emplace_back(button);
  enableGuarded();
}

bool FieldRefusals::anyRefused() const {
  return std::any_of(watched_.begin(), watched_.end(), [](const Watched& w) { return !w.note->isHidden(); });
}

bool FieldRefusals::refused(const QLineEdit* field) const {
  const QLabel* note = noteOf(field);
  return note != nullptr && !note->isHidden();
}

QLabel* FieldRefusals::noteOf(const QLineEdit* field) const {
  for (const Watched& w : watched_) {
    if (w.field == field) return w.note;
  }
  return nullptr;
}

void FieldRefusals::show(Watched& w) {
  const std::string text = w.field->text().toUtf8().toStdString();
  const Refusal why = w.check(text);
  w.note->setText(why ? QString::fromUtf8(why->c_str()) : QString());
  w.note->setHidden(!why);
}

void FieldRefusals::enableGuarded() {
  const bool fine = !anyRefused();
  for (const QPointer<QPushButton>& b : guarded_) {
    if (b) b->setEnabled(fine);
  }
}

}  // namespace tervane
