#pragma once
// Writes NORAD two-line element sets: every field in its standard column,
// with valid checksums. Used to make demonstration element files, for
// example a satellite arranged to rise over the station a few minutes from
// now so that an auto-beacon pass can be watched without waiting for one.

#include <cstdint>
#include <string>

namespace tervane {

struct OrbitDescription {
  std::string name;
  int catalogNumber = 99001;
  std::int64_t epochUnix = 0;
  double inclinationDeg = 0;
  double raanDeg = 0;
  double eccentricity = 0.0001;
  double argPerigeeDeg = 0;
  double meanAnomalyDeg = 0;
  double meanMotionRevPerDay = 15.0;
};

// The name line and the two element lines, each ending in a line feed.
std::string formatElementSet(const OrbitDescription& orbit);

// A near-circular polar orbit whose satellite passes over the station
// (nearly overhead) about six minutes after it rises, so that
// it rises about riseInSeconds after it.
OrbitDescription orbitPassingOver(const std::string& name, int catalogNumber, double latitudeDeg,
                                  double longitudeDeg, std::int64_t epochUnix, std::int64_t riseInSeconds);

}  // namespace tervane
