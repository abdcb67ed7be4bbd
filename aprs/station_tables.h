#pragma once
// The two tables of stations heard: the last decoded position of every
// station, object and item (one row per name: the callsign, or the object's
// or item's own name) and the list of every distinct callsign. Both are kept
// sorted by byte order of the name (case matters). They tell their view what
// changed, and when the view is to be refilled as a whole: every time the
// count passes a threshold that starts at 10 and grows by 10.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/fixed_text.h"
#include "aprs/station_entry.h"

namespace tervane {

// What one addition did to the table.
struct TableChange {
  enum Kind { Inserted, Updated, Removed, Unchanged } kind = Unchanged;
  std::size_t row = 0;
  bool refill = false;  // the view is to be emptied and refilled in order
};

class PositionTable {
 public:
  // Adds a new station, object or item in order, or replaces the row of
  // that name whole while keeping its tracked flag. A killed object or item
  // removes its row instead (Removed, with the row it had; Unchanged when
  // there was none).
  TableChange addOrUpdate(const StationEntry& entry);
  std::size_t size() const { return rows_.size(); }
  const StationEntry& row(std::size_t i) const { return *rows_[i]; }
  // Inverts a row's tracked flag; returns the new value.
  bool toggleTracked(std::size_t i);
  // Removes the given rows (any order; duplicates ignored).
  void remove(std::vector<std::size_t> rows);
  void clear() { rows_.clear(); }
  int refreshThreshold() const { return refreshThreshold_; }

 private:
  std::vector<std::unique_ptr<StationEntry>> rows_;
  int refreshThreshold_ = 10;
};

class StationList {
 public:
  // Adds a callsign not yet listed; a known one changes nothing.
  TableChange addCallsign(std::string_view call);
  std::size_t size() const { return calls_.size(); }
  std::string_view at(std::size_t i) const { return calls_[i].view(); }
  void remove(std::vector<std::size_t> rows);
  void clear() { calls_.clear(); }
  int refreshThreshold() const { return refreshThreshold_; }

 private:
  std::vector<FixedText<32>> calls_;
  int refreshThreshold_ = 10;
};

// The texts Confirm sends for the selected callsigns, in list order: each
// The information fields "QSL " followed by callsigns, each with a blank;
// with the text-mode TNC's framing (Ctrl-C, "conv", CR) never longer than
// maxLength. A selection too long for one packet goes out as several.
std::vector<std::string> qslTexts(const std::vector<std::string>& calls, std::size_t maxLength = 255);

}  // namespace tervane
