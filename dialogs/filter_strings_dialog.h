#pragma once
// "Filter Strings": the operator's 16 monitor filter texts edited as lines of
// one text field. Enter alone confirms the dialog, Ctrl+Enter breaks a line.

#include <QDialog>

#include "tnc/monitor_text.h"

class QPlainTextEdit;

namespace tervane {

class FilterStringsDialog : public QDialog {
 public:
  FilterStringsDialog(const FilterStrings& current, QWidget* parent = nullptr);
  // The slots as the text now reads (the slots as loaded while it is unchanged).
  const FilterStrings& filters() const { return table_; }
  QPlainTextEdit* textField() const { return text_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPlainTextEdit* text_ = nullptr;
  FilterStrings table_;
};

}  // namespace tervane
