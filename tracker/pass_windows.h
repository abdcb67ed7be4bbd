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
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;
class QVBoxLayout;

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

// What the two pass windows share: the satellites and station they predict
// for, the worker that predicts, the satellite chooser, Dismiss, and a
// refresh every second while the window is shown.
class PassWindow : public QDialog {
 public:
  ~PassWindow() override;
  // Looks at the clock and the inputs, predicts afresh when needed and
  // shows what is in view now.
  virtual void refresh() = 0;
  bool predicting() const;
  QComboBox* satelliteBox() const { return satellite_; }
  QPushButton* dismissButton() const { return dismiss_; }

 protected:
  PassWindow(const QString& title, Coordination& shared, const Clock& clock, QWidget* parent);
  // Takes the satellites and the station from the tracker; true when they
  // have changed since the last time.
  bool takeInputs();
  // Puts "Satellite:" and the chooser into a row.
  void addSatelliteBox(QHBoxLayout* row);
  // Ends the window with a row of buttons: the given ones, then Dismiss.
  void addButtons(QVBoxLayout* layout, const std::vector<QPushButton*>& buttons);
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void reject() override;  // Escape hides the window like Dismiss

  Coordination& shared_;
  const Clock& clock_;
  PassInputs inputs_;
  std::unique_ptr<PassJob> job_;
  QComboBox* satellite_ = nullptr;
  QPushButton* dismiss_ = nullptr;

 private:
  QTimer tick_;
};

class PassesWindow : public PassWindow {
 public:
  PassesWindow(Coordination& shared, const Clock& clock, QWidget* parent = nullptr);
  ~PassesWindow() override;

  // Predicts afresh when the satellites, the station or the days have
  // changed, when a listed pass has ended and once a minute; marks the
  // passes in view.
  void refresh() override;
  // A pass double-clicked, or chosen with the Sky Plot button.
  void setPassChosen(std::function<void(int satellite, const SatellitePass& pass)> chosen);

  QTableView* view() const { return view_; }
  QSpinBox* daysBox() const { return days_; }
  QLabel* noteLabel() const { return note_; }
  QPushButton* skyPlotButton() const { return skyPlot_; }
  // The passes listed, in the order of the view.
  std::vector<PassRow> shownRows() const;

 private:
  void predict();
  void showPredicted(std::vector<PassRow> rows);
  void fillSatelliteBox();
  void chooseSelected();
  void showNote();

  std::int64_t predictedAt_ = 0;
  int predictedDays_ = 0;
  std::vector<PassRow> predicted_;
  PassTableModel* model_ = nullptr;
  QSortFilterProxyModel* sorted_ = nullptr;
  QTableView* view_ = nullptr;
  QSpinBox* days_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* skyPlot_ = nullptr;
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

class SkyPlotWindow : public PassWindow {
 public:
  SkyPlotWindow(Coordination& shared, const Clock& clock, QWidget* parent = nullptr);
  ~SkyPlotWindow() override;

  // Shows the given pass of a satellite (index into the selected
  // satellites) until it is over, then that satellite's next ones.
  void showPass(int satellite, const SatellitePass& pass);
  // Predicts afresh when the inputs have changed or the pass is over, and
  // moves the satellite's mark.
  void refresh() override;

  SkyPlotView* plot() const { return plot_; }
  QLabel* passLabel() const { return passText_; }
  QLabel* statusLabel() const { return status_; }
  // The pass shown, once predicted.
  const std::optional<SatellitePass>& pass() const { return pass_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Prediction;
  void predict();
  void showPredicted(const Prediction& prediction);
  void fillSatelliteBox();
  void showStatus(std::int64_t now);

  int chosenSatellite_ = -1;
  std::optional<std::int64_t> pinnedRise_;
  std::optional<SatellitePass> pass_;
  bool predicted_ = false;
  OrbitModel model_;
  SkyPlotView* plot_ = nullptr;
  QLabel* passText_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace tervane
