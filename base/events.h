#pragma once
// Auto-reset events through which the user interface and the workers meet.
// An event starts not raised; raising an event that is already raised has no
// further effect; a successful wait consumes the one raise.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tervane {

class AutoResetEvent {
 public:
  void raise() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      raised_ = true;
    }
    changed_.notify_one();
  }

  // Waits up to timeoutMs (0 tests without waiting); true when the raise was consumed.
  bool wait(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!raised_ && timeoutMs > 0) {
      changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return raised_; });
    }
    const bool was = raised_;
    raised_ = false;
    return was;
  }

  // Waits without time limit. Only workers may call this; the user-interface
  // thread never waits without limit.
  void waitForever() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return raised_; });
    raised_ = false;
  }

  // One poll as the workers do it: a wait of 1 ms.
  bool poll() { return wait(1); }

  // Consumes a raise left over, without waiting (a stale stop request before
  // a new worker starts, for example).
  void discard() { wait(0); }

  bool isRaised() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return raised_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool raised_ = false;
};

}  // namespace tervane
