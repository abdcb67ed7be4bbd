#pragma once
// NMEA output for the simulated receiver: a log file's sentences grouped by
// the time of day they carry (one group per fix, as a receiver sends them
// once a second), handed out at a steady pace.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tervane::gpssim {

using SteadyClock = std::chrono::steady_clock;

// The time field of a sentence that carries one (GGA, RMC, ZDA: field 1;
// GLL: field 5); empty for the others.
std::string_view sentenceTime(std::string_view sentence);

// Groups of sentences, each sentence ending in CR LF. A sentence with a time
// that differs from the current group's starts a new group; one without a
// time joins the current group. Empty lines and '#' comment lines are skipped;
// CR LF and LF line ends are both accepted.
std::vector<std::string> groupNmeaSentences(std::string_view text);

// The groups of a log file; false with the system's reason when it cannot be read.
bool loadNmeaLog(const std::string& path, std::vector<std::string>* groups, std::string* error);

// The sample log shipped with the simulator: the installed copy next to the
// executable's share directory, else the one in the source tree.
std::string sampleNmeaPath();

class NmeaFeed {
 public:
  NmeaFeed() = default;
  // groupsPerSecond 0: as fast as the line takes them.
  NmeaFeed(std::vector<std::string> groups, double groupsPerSecond, bool loop);

  // The schedule starts again from now (a program opened the device).
  void restart(SteadyClock::time_point now);
  bool finished() const;
  bool due(SteadyClock::time_point now) const;
  // Milliseconds until the next group is due (0 when due now), or -1 when
  // the feed has finished.
  int waitMs(SteadyClock::time_point now) const;
  // The next group; call only when due.
  std::string take(SteadyClock::time_point now);

 private:
  std::vector<std::string> groups_;
  bool loop_ = false;
  SteadyClock::duration period_{};
  SteadyClock::time_point next_{};
  std::size_t index_ = 0;
};

}  // namespace tervane::gpssim
