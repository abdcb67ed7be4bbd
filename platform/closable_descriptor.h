#pragma once
// The part that descriptor-based streams (serial ports, TCP connections)
// share: another thread may close the stream while a call is in progress.
// close() marks it closed and signals an eventfd that every wait also polls,
// so the call returns at once; the descriptor itself is released by
// whichever comes last, close() or the end of the last call in progress, so
// its number is never reused under a running call. The first reason the
// stream stopped working is kept for failure().

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace tervane {

class ClosableDescriptor {
 public:
  // release closes the descriptor (and may first undo what was set on it).
  using Release = void (*)(int fd);
  ClosableDescriptor(int fd, int wakeFd, Release release) : fd_(fd), wakeFd_(wakeFd), release_(release) {}
  ~ClosableDescriptor() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      releaseLocked();
    }
    ::close(wakeFd_);
  }
  ClosableDescriptor(const ClosableDescriptor&) = delete;
  ClosableDescriptor& operator=(const ClosableDescriptor&) = delete;

  // The descriptor for one call, or -1 when the stream is closed (or has
  // failed, when failedEndsCalls).
  int beginCall(bool failedEndsCalls = false) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_.load() || fd_ < 0 || (failedEndsCalls && !failure_.empty())) return -1;
    ++callsInProgress_;
    return fd_;
  }
  void endCall() {
    std::lock_guard<std::mutex> lock(mutex_);
    --callsInProgress_;
    if (callsInProgress_ == 0 && closed_.load()) releaseLocked();
  }
  void close() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_.load()) return;
    closed_.store(true);
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t signalled = ::write(wakeFd_, &one, sizeof one);
    if (callsInProgress_ == 0) releaseLocked();
  }
  bool isClosed() const { return closed_.load(); }
  int wakeFd() const { return wakeFd_; }

  void noteFailure(std::string reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failure_.empty() && !closed_.load()) failure_ = std::move(reason);
  }
  std::string failure() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
  }

 private:
  void releaseLocked() {
    if (fd_ < 0) return;
    release_(fd_);
    fd_ = -1;
  }

  mutable std::mutex mutex_;
  int fd_;
  const int wakeFd_;
  const Release release_;
  int callsInProgress_ = 0;
  std::atomic<bool> closed_{false};
  std::string failure_;
};

}  // namespace tervane
