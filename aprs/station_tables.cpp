#include "aprs/station_tables.h"

#include <algorithm>

namespace tervane {

namespace {

// The view is refilled whenever the count has passed the threshold less two.
bool passThreshold(std::size_t count, int* threshold) {
  if (static_cast<long long>(count) <= *threshold - 2) return false;
  *threshold += 10;
  return true;
}

void removeRows(std::vector<std::size_t> rows, auto& container) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    if (*it < container.size()) container.erase(container.begin() + static_cast<std::ptrdiff_t>(*it));
  }
}

}  // namespace

TableChange PositionTable::addOrUpdate(const StationEntry& entry) {
  const std::string_view name = stationName(entry);
  const auto it = std::lower_bound(rows_.begin(), rows_.end(), name,
                                   [](const auto& row, std::string_view n) { return stationName(*row) < n; });
  TableChange change;
  change.row = static_cast<std::size_t>(it - rows_.begin());
  const bool known = it != rows_.end() && stationName(**it) == name;
  if (entry.killed) {
    if (known) {
      rows_.erase(it);
      change.kind = TableChange::Removed;
    }
    return change;
  }
  if (known) {
    const bool tracked = (*it)->tracked;
    **it = entry;
    (*it)->tracked = tracked;
    change.kind = TableChange::Updated;
  } else {
    auto row = std::make_unique<StationEntry>(entry);
    row->tracked = false;
    rows_.insert(it, std::move(row));
    change.kind = TableChange::Inserted;
  }
  change.refill = passThreshold(rows_.size(), &refreshThreshold_);
  return change;
}

bool PositionTable::toggleTracked(std::size_t i) {
  rows_[i]->tracked = !rows_[i]->tracked;
  return rows_[i]->tracked;
}

void PositionTable::remove(std::vector<std::size_t> rows) { removeRows(std::move(rows), rows_); }

TableChange StationList::addCallsign(std::string_view call) {
  const FixedText<32> text(call);
  const auto it = std::lower_bound(calls_.begin(), calls_.end(), text.view(),
                                   [](const FixedText<32>& a, std::string_view c) { return a.view() < c; });
  TableChange change;
  change.row = static_cast<std::size_t>(it - calls_.begin());
  if (it != calls_.end() && it->view() == text.view()) return change;
  calls_.insert(it, text);
  change.kind = TableChange::Inserted;
  change.refill = passThreshold(calls_.size(), &refreshThreshold_);
  return change;
}

void StationList::remove(std::vector<std::size_t> rows) { removeRows(std::move(rows), calls_); }

std::vector<std::string> qslTexts(const std::vector<std::string>& calls, std::size_t maxLength) {
  // A text-mode TNC is sent Ctrl-C and "conv" before the text and a CR after
  // it: the whole must stay within maxLength.
  constexpr std::size_t kFraming = 6;
  const std::string head = "QSL ";
  std::vector<std::string> texts;
  std::string text = head;
  for (const std::string& call : calls) {
    if (text.size() > head.size() && kFraming + text.size() + call.size() + 2 > maxLength) {
      texts.push_back(text);
      text = head;
    }
    text += call.substr(0, maxLength - kFraming - head.size() - 2);
    text += ' ';
  }
  if (text.size() > head.size()) texts.push_back(text);
  return texts;
}

}  // namespace tervane
