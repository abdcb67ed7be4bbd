#pragma once
// Monitored traffic for the simulated TNC: lines read from a text file and
// handed out at a steady rate, each with the chosen line end.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervane::tncsim {

using SteadyClock = std::chrono::steady_clock;

// The bytes for "crlf", "cr", "lf", "lfcr" or "crcr"; nothing for other names.
std::optional<std::string> lineEndBytes(std::string_view name);

// The non-empty lines of a text file, read as bytes, without their line ends.
// False with the system's reason when the file cannot be read.
bool loadTrafficLines(const std::string& path, std::vector<std::string>* lines,
                      std::string* error);

// The sample traffic file shipped with the simulator: the installed copy next
// to the executable's share directory, else the one in the source tree.
std::string sampleTrafficPath();

struct TrafficOptions {
  std::string lineEnd = "\r\n";
  double linesPerSecond = 1.0;  // 0: as fast as the line takes them
  long long lineLimit = -1;     // lines to send in all; negative: no limit
  bool loop = false;            // start the file again after its last line
};

class TrafficFeed {
 public:
  TrafficFeed() = default;
  TrafficFeed(std::vector<std::string> lines, TrafficOptions options);

  // The schedule starts again from now (a program opened the device).
  void restart(SteadyClock::time_point now);
  bool finished() const;
  bool due(SteadyClock::time_point now) const;
  // Milliseconds until the next line is due (0 when due now), or -1 when
  // the feed has finished.
  int waitMs(SteadyClock::time_point now) const;
  // The next line with its line end; call only when due.
  std::string take(SteadyClock::time_point now);
  long long linesSent() const { return sent_; }

 private:
  std::vector<std::string> lines_;
  TrafficOptions options_;
  SteadyClock::duration period_{};
  SteadyClock::time_point next_{};
  std::size_t index_ = 0;
  long long sent_ = 0;
};

}  // namespace tervane::tncsim
