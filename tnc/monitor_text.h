#pragma once
// What the console does with a monitor line before it is shown and captured:
// the time tag, and the Full Text, Highlight and Filter display modes with the
// operator's filter strings.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "base/fixed_text.h"
#include "base/station_settings.h"
#include "platform/clock.h"

namespace tervane {

enum class DisplayMode { FullText = 0, Highlight = 1, Filter = 2 };

using FilterStrings = std::array<FixedText<32>, kFilterSlots>;

// "[M/D/YYYY HH:MM:SS]  " and the line, from the local clock.
std::string timeTagged(const CalendarTime& local, std::string_view line);

// True when a non-empty filter string occurs in the line, byte for byte.
bool matchesFilter(const FilterStrings& filters, std::string_view line);

// The line as shown and captured, or nothing when Filter mode drops it.
std::optional<std::string> applyDisplayMode(DisplayMode mode, const FilterStrings& filters, std::string_view line);

// The Filter Strings dialog's text read into 16 slots: one line per slot, runs
// of line breaks count as one (a text that begins with a break leaves slot 0
// empty), lines after the sixteenth are ignored, each line is cut to 31
// characters. Only the first 2047 characters are read, and none after a zero
// byte.
FilterStrings parseFilterText(std::string_view text);
// The slots as the dialog shows them: each followed by CR LF.
std::string formatFilterText(const FilterStrings& filters);

}  // namespace tervane
