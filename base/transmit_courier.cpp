#include "base/transmit_courier.h"

namespace tervane {

namespace {
constexpr int kTokenWaitMs = 20;
}

TransmitCourier::TransmitCourier(Coordination& shared) : shared_(shared) { thread_ = std::thread([this] { run(); }); }

TransmitCourier::~TransmitCourier() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void TransmitCourier::sendText(std::string text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(Item{false, std::move(text)});
  }
  wake_.notify_all();
}

void TransmitCourier::requestClear() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(Item{true, {}});
  }
  wake_.notify_all();
}

void TransmitCourier::cancelAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.clear();
  ++generation_;
}

std::size_t TransmitCourier::pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size();
}

void TransmitCourier::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
    if (quit_) return;
    const Item item = queue_.front();
    const unsigned generation = generation_;
    AutoResetEvent& token = item.clear ? shared_.events.clearReady : shared_.events.transmitReady;
    lock.unlock();
    bool taken = false;
    for (;;) {
      taken = token.wait(kTokenWaitMs);
      if (taken) break;
      std::lock_guard<std::mutex> check(mutex_);
      if (quit_ || generation_ != generation) break;
    }
    lock.lock();
    if (!taken) continue;
    if (quit_ || generation_ != generation) {
      token.raise();  // the text was cancelled meanwhile: give the token back
      continue;
    }
    queue_.pop_front();
    if (item.clear) {
      shared_.events.clearRequest.raise();
    } else {
      shared_.transmitBuffer = item.text;
      shared_.events.transmitRequest.raise();
    }
  }
}

}  // namespace tervane
