#pragma once
// Hands the user interface's texts for the TNC to the TNC worker without ever
// blocking the user-interface thread. Texts wait in a queue, in call order;
// a courier thread takes the transmitReady token for each in turn (one text
// per handshake) and raises transmitRequest. Clear requests go the same way
// through clearReady and clearRequest. cancelAll() drops whatever has not
// been handed over yet, as TNC > Close does.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "base/coordination.h"

namespace tervane {

class TransmitCourier {
 public:
  explicit TransmitCourier(Coordination& shared);
  ~TransmitCourier();
  TransmitCourier(const TransmitCourier&) = delete;
  TransmitCourier& operator=(const TransmitCourier&) = delete;

  void sendText(std::string text);
  void requestClear();
  void cancelAll();
  // Texts and clears not yet handed over.
  std::size_t pending() const;

 private:
  struct Item {
    bool clear = false;
    std::string text;
  };
  void run();

  Coordination& shared_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Item> queue_;
  unsigned generation_ = 0;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace tervane
