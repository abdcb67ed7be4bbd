#pragma once

// Waits for something another thread will do: polls the predicate every few
// milliseconds until it holds or limitMs have passed, and gives its last answer.

#include <chrono>
#include <thread>

template <typename Pred>
bool eventually(Pred pred, int limitMs = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (std::chrono::steady_clock::now() < end) {
    if (pred()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return pred();
}
