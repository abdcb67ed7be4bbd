#include "tools/simsupport/sim_process.h"

#include <ctime>

namespace tervane::sim {

namespace {

volatile sig_atomic_t stopFlag = 0;
sigset_t waitMask;

void onStopSignal(int) { stopFlag = 1; }

}  // namespace

void installStopSignals() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  // The stop signals are delivered only inside ppoll, so a signal that
  // arrives between the check of the flag and the wait cannot be missed.
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  sigaddset(&blocked, SIGINT);
  sigprocmask(SIG_BLOCK, &blocked, &waitMask);
  sigdelset(&waitMask, SIGTERM);
  sigdelset(&waitMask, SIGINT);
}

bool stopRequested() { return stopFlag != 0; }

int waitOn(pollfd* fds, nfds_t count, int timeoutMs) {
  timespec timeout{timeoutMs / 1000, static_cast<long>(timeoutMs % 1000) * 1'000'000L};
  return ::ppoll(fds, count, timeoutMs < 0 ? nullptr : &timeout, &waitMask);
}

RecordLog::RecordLog(const std::string& path)
    : wanted_(!path.empty()), file_(path.empty() ? nullptr : std::fopen(path.c_str(), "w")) {}

RecordLog::~RecordLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void RecordLog::write(const std::string& line) {
  if (file_ == nullptr) return;
  std::fprintf(file_, "%s\n", line.c_str());
  std::fflush(file_);
}

}  // namespace tervane::sim
