#pragma once
// How a dialog refuses a value: while a field's text is refused, a small red
// note next to the field says why, and the buttons that would take the value
// (OK, Add/Modify) stay grayed, so that nothing typed is quietly dropped or
// put back after the dialog has closed.

#include <QObject>
#include <QPointer>
#include <functional>
#include <string_view>
#include <vector>

#include "dialogs/field_checks.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tervane {

class FieldRefusals : public QObject {
 public:
  using Check = std::function<Refusal(std::string_view text)>;
  explicit FieldRefusals(QWidget* dialog);

  // Checks the field now and on every change. The note belongs in the
  // dialog's layout next to the field; it is hidden while the text is fine.
  QLabel* watch(QLineEdit* field, Check check);
  // The button is enabled only while no watched field is refused.
  void guard(QPushButton* button);
  bool anyRefused() const;
  bool refused(const QLineEdit* field) const;
  QLabel* noteOf(const QLineEdit* field) const;

 private:
  struct Watched {
    QLineEdit* field;
    QLabel* note;
    Check check;
  };
  void show(Watched& w);
  void enableGuarded();

  QWidget* dialog_;
  std::vector<Watched> watched_;
  std::vector<QPointer<QPushButton>> guarded_;
};

}  // namespace tervane
