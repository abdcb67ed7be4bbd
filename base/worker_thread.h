#pragma once
// A worker thread as the main window keeps it: started on an entry function,
// tested for still running, and forgotten without waiting for it. Forgotten
// threads are joined once they have ended, or at program exit.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace tervane {

class WorkerThread {
 public:
  WorkerThread() = default;
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Starts the entry function on a new thread; any earlier thread is forgotten first.
  void start(std::function<int()> entry);
  bool isStarted() const { return state_ != nullptr; }
  // True while the entry function has not returned.
  bool isRunning() const;
  // The entry function's result once it has ended (0 while it runs).
  int result() const;
  // Lets go of the thread without waiting; it is joined later by reap().
  void forget();
  // Joins every forgotten thread that has ended.
  static void reap();
  // Waits up to the given time for every thread (running or forgotten) to end
  // and joins those that did; returns true when none is left running.
  static bool joinAll(std::chrono::milliseconds limit);

 private:
  struct State {
    std::thread thread;
    std::atomic<bool> running{true};
    std::atomic<int> result{0};
  };
  std::shared_ptr<State> state_;

  static std::vector<std::shared_ptr<State>>& registry();
};

}  // namespace tervane
