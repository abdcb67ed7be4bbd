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
  if (queues_.empty()) return false;
  for (std::size_t i = 1; i < queues_.size(); ++i) queues_[i]->post(item);
  queues_.front()->post(std::move(item));
  return true;
}

void LinkOutbox::attach(std::shared_ptr<OutboundQueue> queue) {
  std::lock_guard<std::mutex> lock(mutex_);
  queues_.clear();
  if (queue) queues_.push_back(std::move(queue));
}

void LinkOutbox::add(std::shared_ptr<OutboundQueue> queue) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (queue) queues_.push_back(std::move(queue));
}

void LinkOutbox::remove(const std::shared_ptr<OutboundQueue>& queue) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase(queues_, queue);
}

void LinkOutbox::detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  queues_.clear();
}

}  // namespace tervane
