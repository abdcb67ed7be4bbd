#pragma once
// What the Satellite Selection dialog edits: the satellites of one scan of
// the element file, the operator's choices (at most 16) with their pass path,
// beacon interval and lead time, and the rows of the Selected Satellites
// list. A stored choice whose satellite is no longer in the element file, or
// whose element lines do not read as numbers, keeps its row, marked as such,
// and is not tracked.

#include <optional>
#include <string>
#include <vector>

#include "base/coordination.h"
#include "base/station_settings.h"
#include "tracker/element_record.h"

namespace tervane {

struct SatelliteChoice {
  int catalogNumber = 0;
  int leadTimeTens = 18;
  int passBeaconIntervalTens = 6;
  std::string passVia;
  bool autoBeacon = false;
};

// A pass path holds this many characters, as its setting does.
inline constexpr std::size_t kPassViaChars = 63;

// The contents of the three edit boxes and the check box.
struct ChoiceBoxes {
  std::string via;
  std::string beaconIntervalMinutes;
  std::string leadTimeMinutes;
  bool autoBeacon = false;
};

// Minutes as typed to tens of seconds (integer part of minutes x 6) and back
// to the "%8.2f" minutes the boxes show.
int minutesTextToTens(std::string_view minutes);
std::string tensToMinutesText(int tens);

class SatelliteSelection {
 public:
  static constexpr int kMaxChoices = kSatelliteSlots;

  SatelliteSelection(std::vector<ElementRecord> available, const StationSettings& settings);

  const std::vector<ElementRecord>& available() const { return available_; }
  const std::vector<SatelliteChoice>& choices() const { return choices_; }
  // The list row of each choice: the satellite's name, or its catalog number
  // with a note when its elements are missing from the file, or its name
  // with a note when its element lines do not read as numbers.
  std::string rowText(std::size_t row) const;
  // The row's satellite will be tracked: its elements are there and readable.
  bool rowTracked(std::size_t row) const;
  std::size_t rowCount() const { return choices_.size(); }

  // The boxes for a satellite picked in the drop-down list.
  ChoiceBoxes boxesForPick(std::size_t availableIndex) const;
  enum class AddResult { Modified, Added, Full, NothingPicked };
  // Add/Modify >> for the picked satellite with the boxes' values.
  AddResult addOrModify(std::optional<std::size_t> availableIndex, const ChoiceBoxes& boxes);
  // An edit box changed: every selected row takes the new value at once.
  enum class Box { Via, BeaconInterval, LeadTime };
  void boxChanged(const std::vector<std::size_t>& selectedRows, Box box, const std::string& text);
  void deleteRows(std::vector<std::size_t> rows);

  // OK: the settings slots and the tracker tables take the choices.
  void commit(StationSettings& settings, TrackerTables& tracker) const;

 private:
  std::optional<std::size_t> findAvailable(int catalogNumber) const;
  std::optional<std::size_t> findChoice(int catalogNumber) const;

  std::vector<ElementRecord> available_;
  std::vector<SatelliteChoice> choices_;
  std::vector<std::optional<std::size_t>> rowToAvailable_;
};

}  // namespace tervane
