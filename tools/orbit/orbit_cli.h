#pragma once
// tervane-orbit: the tracker's orbit model on the command line, for checking
// predictions against other programs.
//
//   tervane-orbit look FILE LAT LON START [COUNT [STEP]]
//   tervane-orbit crossings FILE LAT LON START [N]
//   tervane-orbit passes FILE LAT LON START DAYS
//   tervane-orbit demo-elements LAT LON START MINUTES

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tervane {

// Whole seconds since 1970 UTC, written as an integer or as
// YYYY-MM-DDTHH:MM:SSZ.
std::optional<std::int64_t> parseInstant(std::string_view text);

// Runs the tool on its arguments (without the program name); returns the
// process exit status: 0 done, 1 element file unreadable, 2 bad arguments.
int runOrbitTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tervane
