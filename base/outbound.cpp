#include "base/outbound.h"

namespace tervane {

void OutboundQueue::post(Outbound item) {
  std::lock_guard<std::mutex> lock(mutex_);
  items_.push_back(std::move(item));
}

std::optional<Outbound> OutboundQueue::take() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (items_.empty()) return std::nullopt;
  Outbound item = std::move(items_.front());
  items_.pop_front();
  return item;
}

bool LinkOutbox::post(Outbound item) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!queue_) return false;
  queue_->post(std::move(item));
  return true;
}

void LinkOutbox::attach(std::shared_ptr<OutboundQueue> queue) {
  std::lock_guard<std::mutex> lock(mutex_);
  queue_ = std::move(queue);
}

void LinkOutbox::detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.reset();
}

}  // namespace tervane
