#include "tracker/satellite_selection.h"

#include <algorithm>
#include <cmath>

#include "base/text_format.h"
#include "tracker/elements.h"

namespace tervane {

namespace {
constexpr int kNewLeadTimeTens = 18;
constexpr int kNewBeaconIntervalTens = 6;
constexpr const char* kNewVia = kDefaultSatelliteVia;
}  // namespace

int minutesTextToTens(std::string_view minutes) {
  const double tens = leadingNumber(minutes) * 6;
  if (!(std::fabs(tens) < 2147483647.0)) return 0;
  return static_cast<int>(tens);
}

std::string tensToMinutesText(int tens) { return textf("%8.2f", tens / 6.0); }

SatelliteSelection::SatelliteSelection(std::vector<ElementRecord> available, const StationSettings& settings)
    : available_(std::move(available)) {
  const int stored = std::clamp<int>(settings.satellitesObserved, 0, kMaxChoices);
  for (int i = 0; i < stored; ++i) {
    const auto k = static_cast<std::size_t>(i);
    SatelliteChoice c;
    c.catalogNumber = settings.satelliteID[k];
    c.leadTimeTens = settings.satelliteLeadTime[k];
    c.passBeaconIntervalTens = settings.satelliteBeaconInterval[k];
    c.passVia = settings.satelliteUnprotoVia[k].str();
    c.autoBeacon = settings.satelliteAutoBeaconUnprotoVia[k] != 0;
    choices_.push_back(c);
    rowToAvailable_.push_back(findAvailable(c.catalogNumber));
  }
}

std::optional<std::size_t> SatelliteSelection::findAvailable(int catalogNumber) const {
  for (std::size_t i = 0; i < available_.size(); ++i) {
    if (available_[i].catalogNumber == catalogNumber) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> SatelliteSelection::findChoice(int catalogNumber) const {
  for (std::size_t i = 0; i < choices_.size(); ++i) {
    if (choices_[i].catalogNumber == catalogNumber) return i;
  }
  return std::nullopt;
}

std::string SatelliteSelection::rowText(std::size_t row) const {
  if (!rowToAvailable_[row]) return textf("%d (elements missing)", choices_[row].catalogNumber);
  const std::string name(shownName(available_[*rowToAvailable_[row]].name.view()));
  return rowTracked(row) ? name : name + " (elements unreadable)";
}

bool SatelliteSelection::rowTracked(std::size_t row) const {
  if (!rowToAvailable_[row]) return false;
  const ElementRecord& sat = available_[*rowToAvailable_[row]];
  return elementLinesReadable(sat.line1.view(), sat.line2.view());
}

ChoiceBoxes SatelliteSelection::boxesForPick(std::size_t availableIndex) const {
  ChoiceBoxes b;
  const auto found = availableIndex < available_.size() ? findChoice(available_[availableIndex].catalogNumber)
                                                        : std::nullopt;
  if (found) {
    const SatelliteChoice& c = choices_[*found];
    b.via = c.passVia;
    b.beaconIntervalMinutes = tensToMinutesText(c.passBeaconIntervalTens);
    b.leadTimeMinutes = tensToMinutesText(c.leadTimeTens);
    b.autoBeacon = c.autoBeacon;
  } else {
    b.via = kNewVia;
    b.beaconIntervalMinutes = tensToMinutesText(kNewBeaconIntervalTens);
    b.leadTimeMinutes = tensToMinutesText(kNewLeadTimeTens);
    b.autoBeacon = false;
  }
  return b;
}

SatelliteSelection::AddResult SatelliteSelection::addOrModify(std::optional<std::size_t> availableIndex,
                                                              const ChoiceBoxes& boxes) {
  if (!availableIndex || *availableIndex >= available_.size()) return AddResult::NothingPicked;
  const ElementRecord& sat = available_[*availableIndex];
  SatelliteChoice values;
  values.catalogNumber = sat.catalogNumber;
  values.leadTimeTens = minutesTextToTens(boxes.leadTimeMinutes);
  values.passBeaconIntervalTens = minutesTextToTens(boxes.beaconIntervalMinutes);
  values.passVia = boxes.via.substr(0, kPassViaChars);
  values.autoBeacon = boxes.autoBeacon;
  if (const auto found = findChoice(sat.catalogNumber)) {
    choices_[*found] = values;
    return AddResult::Modified;
  }
  if (choices_.size() >= static_cast<std::size_t>(kMaxChoices)) return AddResult::Full;
  choices_.push_back(values);
  rowToAvailable_.push_back(*availableIndex);
  return AddResult::Added;
}

void SatelliteSelection::boxChanged(const std::vector<std::size_t>& selectedRows, Box box, const std::string& text) {
  for (std::size_t row : selectedRows) {
    if (row >= choices_.size()) continue;
    SatelliteChoice& c = choices_[row];
    switch (box) {
      case Box::Via: c.passVia = text.substr(0, kPassViaChars); break;
      case Box::BeaconInterval: c.passBeaconIntervalTens = minutesTextToTens(text); break;
      case Box::LeadTime: c.leadTimeTens = minutesTextToTens(text); break;
    }
  }
}

void SatelliteSelection::deleteRows(std::vector<std::size_t> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    if (*it >= choices_.size()) continue;
    choices_.erase(choices_.begin() + static_cast<std::ptrdiff_t>(*it));
    rowToAvailable_.erase(rowToAvailable_.begin() + static_cast<std::ptrdiff_t>(*it));
  }
}

void SatelliteSelection::commit(StationSettings& settings, TrackerTables& tracker) const {
  settings.satellitesObserved = static_cast<std::int32_t>(choices_.size());
  int tracked = 0;
  for (std::size_t i = 0; i < choices_.size(); ++i) {
    const SatelliteChoice& c = choices_[i];
    settings.satelliteID[i] = c.catalogNumber;
    settings.satelliteLeadTime[i] = c.leadTimeTens;
    settings.satelliteBeaconInterval[i] = c.passBeaconIntervalTens;
    settings.satelliteAutoBeaconUnprotoVia[i] = c.autoBeacon ? 1 : 0;
    settings.satelliteUnprotoVia[i] = c.passVia;
    // Only satellites whose elements are in the file and readable are
    // tracked; the tracker's slots stay in step with its names and lines.
    if (!rowTracked(i)) continue;
    const ElementRecord& sat = available_[*rowToAvailable_[i]];
    const auto t = static_cast<std::size_t>(tracked++);
    tracker.names[t] = sat.name.view();
    tracker.line1[t] = sat.line1.view();
    tracker.line2[t] = sat.line2.view();
    tracker.leadTimeTens[t] = c.leadTimeTens;
    tracker.beaconIntervalTens[t] = c.passBeaconIntervalTens;
    tracker.autoBeacon[t] = c.autoBeacon;
    tracker.unprotoVia[t] = c.passVia;
  }
  tracker.count = tracked;
}

}  // namespace tervane
