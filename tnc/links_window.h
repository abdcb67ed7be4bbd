#pragma once
// TNC > Links...: every link of the list with where it stands (closed,
// connecting, up, retrying in N s, failed and why), the packets it carried
// and its last error, each opened and closed on its own; the further links
// of the settings, edited in place; and the IGate, turned on and off, with
// what it gated each way, what it refused and why, or why it is idle.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;
class QTimer;

namespace tervane {

class LinkBoard;
struct StationSettings;

class LinksWindow : public QDialog {
 public:
  LinksWindow(LinkBoard& links, StationSettings& settings, QWidget* parent = nullptr);

  QTableWidget* table() const { return table_; }
  // Reads the links and the IGate again; a timer does it twice a second
  // while the window is shown.
  void refresh();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void editFurtherLinks();

  LinkBoard& links_;
  StationSettings& settings_;
  QTableWidget* table_;
  QCheckBox* igateOn_;
  QLineEdit* igatePath_;
  QLabel* igateState_;
  QPlainTextEdit* refusals_;
  QTimer* timer_;
};

}  // namespace tervane
