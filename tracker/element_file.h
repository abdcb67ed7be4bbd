#pragma once
// Scanning a Keplerian element file (NORAD two-line sets, each after a name
// line) into the list of available satellites, in file order. A record is
// recognised wherever a line beginning "1 " is directly followed by a line
// beginning "2 "; its name is whatever line precedes it. Lines are read in
// pieces of at most 127 characters, so an overlong physical line counts as
// several lines.

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "tracker/element_record.h"

namespace tervane {

// Longest piece one read delivers, line end included.
inline constexpr std::size_t kElementReadLength = 127;

// Reads the stream as a text-mode file does (CR LF counts as one line end).
std::vector<ElementRecord> scanElementStream(std::istream& in);
std::vector<ElementRecord> scanElementText(std::string_view text);
// An element file that cannot be opened yields no records.
std::vector<ElementRecord> scanElementFile(const std::string& path);

}  // namespace tervane
