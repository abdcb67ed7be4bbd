#pragma once
// What the device simulators share: a stop on SIGTERM or SIGINT that cannot
// be missed between a check and a wait, and a log file written one flushed
// record per line (tests read it while the simulator runs).

#include <poll.h>
#include <signal.h>

#include <cstdio>
#include <string>

namespace tervane::sim {

// Blocks SIGTERM and SIGINT except inside waitOn(), and makes either set
// stopRequested().
void installStopSignals();
bool stopRequested();
// poll() that lets the stop signals in while it waits; timeoutMs < 0 waits
// without limit.
int waitOn(pollfd* fds, nfds_t count, int timeoutMs);

class RecordLog {
 public:
  explicit RecordLog(const std::string& path);
  ~RecordLog();
  RecordLog(const RecordLog&) = delete;
  RecordLog& operator=(const RecordLog&) = delete;

  // True when a log was asked for and could not be opened.
  bool failed() const { return wanted_ && file_ == nullptr; }
  void write(const std::string& line);

 private:
  bool wanted_;
  std::FILE* file_;
};

}  // namespace tervane::sim
