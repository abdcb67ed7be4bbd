#pragma once
// The tracker's two pictures of the coming passes: "Upcoming Passes", a
// sortable table of every pass of the selected satellites over the next
// days, and "Sky Plot", the path of one satellite's next or current pass
// across the sky with where it is now. Both work whether the tracker runs or
// not, and follow the clock by themselves while they are shown. The passes
// are predicted on a worker thread and handed back to the window; drawing
// and the current position (one propagation a second) stay on the window's
// thread.

#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "base/coordination.h"
#include "platform/clock.h"
#include "tracker/pass_table.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

namespace tervane {

// What the passes are predicted for: the satellites of the tracker's tables
// and the station's position, read on the user-interface thread.
struct PassInputs {
  std::vector<ElementRecord> satellites;
  double latitudeDeg = 0.0;
  double longitudeDeg = 0.0;

  static PassInputs from(const Coordination& shared);
  // The same satellites, and a station within about 100 metres.
  bool sameAs(const PassInputs& other) const;
  std::string satelliteName(int index) const;
};

class PassTableModel;
class PassJob;

class PassesWindow : public QDialog {
 public:
  PassesWindow(Coordination& shared, const Clock& clock, QWidget* parent = nullptr);
  ~PassesWindow() override;

  // Looks at the clock and the inputs: predicts afresh when the satellites,
  // the station or the days have changed, when a listed pass has ended and
  // once a minute; marks the passes in view.
  void refresh();
  // A pass double-clicked, or chosen with the Sky Plot button.
  void setPassChosen(std::function<void(int satellite, const SatellitePass& pass)> chosen);

  QTableView* view() const { return view_; }
  QComboBox* satelliteBox() const { return satellite_; }
  QSpinBox* daysBox() const { return days_; }
  QLabel* noteLabel() const { return note_; }
  QPushButton* skyPlotButton() const { return skyPlot_; }
  QPushButton* dismissButton() const { return dismiss_; }
  // The passes listed, in the order of the view, and whether a prediction
  // is under way.
  std::vector<PassRow> shownRows() const;
  bool predicting() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void reject() override;  // Escape hides the window like Dismiss

 private:
  void predict();
  void showPredicted(std::vector<PassRow> rows);
  void fillSatelliteBox();
  void chooseSelected();
  void showNote();

  Coordination& shared_;
  const Clock& clock_;
  PassInputs inputs_;
  std::int64_t predictedAt_ = 0;
  int predictedDays_ = 0;
  std::vector<PassRow> predicted_;
  std::unique_ptr<PassJob> job_;
  PassTableModel* model_ = nullptr;
  QSortFilterProxyModel* sorted_ = nullptr;
  QTableView* view_ = nullptr;
  QComboBox* satellite_ = nullptr;
  QSpinBox* days_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* skyPlot_ = nullptr;
  QPushButton* dismiss_ = nullptr;
  QTimer tick_;
  std::function<void(int, const SatellitePass&)> chosen_;
};

// The polar plot itself: north up, east to the right, the horizon circle
// with rings at 30° and 60°, the pass's track with arrows along its way,
// its rise and set times, and the satellite where it is now.
class SkyPlotView : public QWidget {
 public:
  explicit SkyPlotView(QWidget* parent = nullptr);
  void setPass(const std::vector<SkyPoint>& track, const std::optional<SatellitePass>& pass);
  // The satellite's position now; none while it is below the horizon.
  void setCurrent(const std::optional<SkyPoint>& now);
  const std::vector<SkyPoint>& track() const { return track_; }
  const std::optional<SkyPoint>& current() const { return current_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<SkyPoint> track_;
  std::optional<SatellitePass> pass_;
  std::optional<SkyPoint> current_;
};

class SkyPlotWindow : public QDialog {
 public:
  SkyPlotWindow(Coordination& shared, const Clock& clock, QWidget* parent = nullptr);
  ~SkyPlotWindow() override;

  // Shows the given pass of a satellite (index into the selected
  // satellites) until it is over, then that satellite's next ones.
  void showPass(int satellite, const SatellitePass& pass);
  // Looks at the clock and the inputs, as the Upcoming Passes window does,
  // and moves the satellite's mark.
  void refresh();

  QComboBox* satelliteBox() const { return satellite_; }
  SkyPlotView* plot() const { return plot_; }
  QLabel* passLabel() const { return passText_; }
  QLabel* statusLabel() const { return status_; }
  QPushButton* dismissButton() const { return dismiss_; }
  // The pass shown, once predicted.
  const std::optional<SatellitePass>& pass() const { return pass_; }
  bool predicting() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void reject() override;

 private:
  struct Prediction;
  void predict();
  void showPredicted(const Prediction& prediction);
  void fillSatelliteBox();
  void showStatus(std::int64_t now);

  Coordination& shared_;
  const Clock& clock_;
  PassInputs inputs_;
  int chosenSatellite_ = -1;
  std::optional<std::int64_t> pinnedRise_;
  std::optional<SatellitePass> pass_;
  bool predicted_ = false;
  OrbitModel model_;
  std::unique_ptr<PassJob> job_;
  QComboBox* satellite_ = nullptr;
  SkyPlotView* plot_ = nullptr;
  QLabel* passText_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* dismiss_ = nullptr;
  QTimer tick_;
};

}  // namespace tervane
