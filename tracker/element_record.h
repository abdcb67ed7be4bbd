#pragma once
// One NORAD element set as the element file holds it: the name line and the
// two element lines, kept as text, and the catalog number that identifies
// the satellite throughout the tracker.

#include <cstdint>
#include <string_view>

#include "base/fixed_text.h"

namespace tervane {

struct ElementRecord {
  FixedText<32> name;                // name line without its line end, at most 31 characters
  std::int32_t catalogNumber = 0;    // columns 3-7 of line1
  FixedText<128> line1;              // as read, line end included
  FixedText<128> line2;
};

// A satellite's name as the windows show it: without the blanks (and any
// stray carriage return) after it, which element files pad name lines with.
inline std::string_view shownName(std::string_view name) {
  const std::size_t end = name.find_last_not_of(" \t\r");
  return end == std::string_view::npos ? std::string_view() : name.substr(0, end + 1);
}

}  // namespace tervane
