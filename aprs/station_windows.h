#pragma once
// The "Received Position Data" and "Received Stations" windows. Both are
// created hidden when the main window starts and live until the program
// ends; "Dismiss" hides them. Stations reach them from the TNC worker through
// StationWindowsSink, which hands every entry to the user-interface thread,
// so the tables and their views are only ever touched there.

#include <QAbstractTableModel>
#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/ui_post.h"
#include "base/coordination.h"
#include "aprs/station_tables.h"
#include "tnc/tnc_worker.h"

class QPushButton;
class QTableView;
class QListView;

namespace tervane {

class PositionModel;
class StationListModel;

// What another view of the position table (the map) is told: every row
// added or changed, with its tracked flag; a station deleted; the table
// cleared; the selected stations whenever the selection changes.
struct PositionWatch {
  std::function<void(const StationEntry&)> changed;
  std::function<void(std::string_view)> removed;
  std::function<void()> cleared;
  std::function<void(const std::vector<std::string>&)> selected;
};

// The Position window's columns: Callsign, Tracked, Sent, Received,
// Latitude, Longitude, PHG, Heard.
inline constexpr int kPositionColumnCount = 8;

class PositionWindow : public QDialog {
 public:
  PositionWindow(Coordination& shared, QWidget* parent = nullptr);
  ~PositionWindow() override;

  void addOrUpdate(const StationEntry& entry);
  const PositionTable& table() const { return table_; }
  QTableView* view() const { return view_; }
  QPushButton* toggleTrackButton() const { return toggleTrack_; }
  QPushButton* deleteButton() const { return delete_; }
  QPushButton* clearButton() const { return clear_; }
  QPushButton* dismissButton() const { return dismiss_; }
  // The GPS worker enables "Toggle Track" while a Garmin link is up.
  void setToggleTrackEnabled(bool enabled);
  void toggleTrack();
  void deleteSelected();
  void clearAll();
  void setWatch(PositionWatch watch);
  // Selects the station's row alone and scrolls to it; false when no row
  // has that name.
  bool selectStation(std::string_view name);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void reject() override;  // Escape hides the window like Dismiss

 private:
  std::vector<std::size_t> selectedRows() const;
  std::vector<std::string> namesOf(const std::vector<std::size_t>& rows) const;
  void resetColumns();
  void widenColumnsFor(int row);
  int textWidthPx(const QString& text);
  void layoutControls();
  void tellSelection();

  Coordination& shared_;
  PositionWatch watch_;
  PositionTable table_;
  // The widest text each column has had to show since the list was last filled anew.
  std::array<int, kPositionColumnCount> widestTextPx_{};
  int textMarginPx_ = 0;                 // room the list leaves around a text
  std::array<qreal, 256> advancePx_{};  // advance of each Latin-1 character, -1 until measured
  PositionModel* model_ = nullptr;
  QTableView* view_ = nullptr;
  QPushButton* toggleTrack_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* clear_ = nullptr;
  QPushButton* dismiss_ = nullptr;
};

class StationsWindow : public QDialog {
 public:
  // sendToTnc hands one text to the TNC worker without blocking.
  StationsWindow(std::function<bool(const std::string&)> sendToTnc, QWidget* parent = nullptr);
  ~StationsWindow() override;

  void addCallsign(std::string_view call);
  const StationList& list() const { return list_; }
  QListView* view() const { return view_; }
  void confirm();
  void deleteSelected();
  void clearAll();

 protected:
  void reject() override;

 private:
  std::vector<std::size_t> selectedRows() const;

  std::function<bool(const std::string&)> sendToTnc_;
  StationList list_;
  StationListModel* model_ = nullptr;
  QListView* view_ = nullptr;
};

// The TNC worker's station sink: queues each callsign and entry for the user
// interface thread and returns at once. The windows take what has queued
// up at most once per frame, so a fast feed costs them one update per batch.
class StationWindowsSink final : public StationSink {
 public:
  StationWindowsSink(PositionWindow& positions, StationsWindow& stations);
  void addCallsign(std::string_view call) override;
  void addOrUpdate(const StationEntry& entry) override;

 private:
  struct Pending;
  void enqueue(const std::function<void(Pending&)>& add);

  PositionWindow* positions_;
  StationsWindow* stations_;
  UiPost post_;
  std::shared_ptr<Pending> pending_;
};

}  // namespace tervane
