#pragma once
// A worker thread as the main window keeps it: started on an entry function,
// tested for still running, and forgotten without waiting for it. Forgotten
// threads are joined once they have ended, or at program exit.
//
// Every worker (a link, the GPS, the tracker) runs the same way: one
// WorkerRun per On or Open, with its own stop request, started by
// startRun(), which waits on the new thread (never on the window's) for the
// run before it to end, so two runs never share a device, and marks the run
// ended when its body returns.

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

// One run of a worker, from On or Open to Off or Close. The worker stops on
// its own run's request alone, so a request meant for one run never reaches
// the next.
class WorkerRun {
 public:
  virtual ~WorkerRun() = default;
  void requestStop() { stop_ = true; }
  bool stopRequested() const { return stop_; }
  // For workers that poll a flag.
  const std::atomic<bool>* stopFlag() const { return &stop_; }
  bool ended() const { return ended_; }

 private:
  friend void startRun(WorkerThread&, std::shared_ptr<WorkerRun>, std::shared_ptr<WorkerRun>, std::function<int()>);
  std::atomic<bool> stop_{false};
  std::atomic<bool> ended_{false};
};

// Starts body on thread as run. previous (may be null) is the run before it:
// the new thread waits up to three seconds for it to end first.
void startRun(WorkerThread& thread, std::shared_ptr<WorkerRun> run, std::shared_ptr<WorkerRun> previous,
              std::function<int()> body);

}  // namespace tervane
