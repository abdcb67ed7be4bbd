#include "base/worker_thread.h"

#include <algorithm>
#include <mutex>

namespace tervane {

namespace {
std::mutex& registryMutex() {
  static std::mutex m;
  return m;
}
}  // namespace

std::vector<std::shared_ptr<WorkerThread::State>>& WorkerThread::registry() {
  static std::vector<std::shared_ptr<State>> all;
  return all;
}

WorkerThread::~WorkerThread() { forget(); }

void WorkerThread::start(std::function<int()> entry) {
  forget();
  auto state = std::make_shared<State>();
  {
    std::lock_guard<std::mutex> lock(registryMutex());
    registry().push_back(state);
  }
  State* raw = state.get();
  state->thread = std::thread([raw, entry = std::move(entry)] {
    raw->result = entry();
    raw->running = false;
  });
  state_ = std::move(state);
}

bool WorkerThread::isRunning() const { return state_ && state_->running; }
int WorkerThread::result() const { return state_ && !state_->running ? state_->result.load() : 0; }

void WorkerThread::forget() {
  state_.reset();
  reap();
}

void WorkerThread::reap() {
  std::lock_guard<std::mutex> lock(registryMutex());
  auto& all = registry();
  for (auto& s : all) {
    if (!s->running && s->thread.joinable()) s->thread.join();
  }
  all.erase(std::remove_if(all.begin(), all.end(), [](const auto& s) { return !s->thread.joinable(); }), all.end());
}

bool WorkerThread::joinAll(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    reap();
    {
      std::lock_guard<std::mutex> lock(registryMutex());
      if (registry().empty()) return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void startRun(WorkerThread& thread, std::shared_ptr<WorkerRun> run, std::shared_ptr<WorkerRun> previous,
              std::function<int()> body) {
  thread.start([run = std::move(run), previous = std::move(previous), body = std::move(body)]() mutable {
    for (int i = 0; i < 300 && previous && !previous->ended(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    previous.reset();
    const int result = body();
    run->ended_ = true;
    return result;
  });
}

}  // namespace tervane
