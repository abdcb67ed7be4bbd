#pragma once
// A TCP connection that a network link keeps up. It connects when the link
// starts; after a drop or a failed attempt it tries again after 1, 2, 4 ...
// up to 60 seconds, with one console line each time. The worker's pass never
// waits on it for more than a fraction of a second, apart from the attempt
// itself, which TNC > Close cuts short.

#include <chrono>
#include <memory>
#include <string>

#include "platform/byte_stream.h"
#include "tnc/link_kind.h"

namespace tervane {

class ReconnectingTcp {
 public:
  // what names the link in console lines ("KISS link", "APRS-IS").
  ReconnectingTcp(std::string what, std::string host, int port, int readTimeoutMs);

  void attach(LinkServices& services) { services_ = &services; }
  // The connected stream, or nullptr while down. When a new attempt is due
  // it is made now; *fresh tells that the stream was connected just now.
  // While down and not due, waits a little (so an idle pass is paced).
  std::shared_ptr<ByteStream> connected(bool* fresh);
  // The stream failed (or the peer refused us): one console line, and the
  // next attempt after the back-off.
  void drop(const std::string& reason);
  void close();
  bool isUp() const { return stream_ != nullptr; }
  std::string address() const;
  const std::string& what() const { return what_; }

 private:
  using Clock = std::chrono::steady_clock;
  void scheduleRetry();
  int retrySeconds() const;

  std::string what_;
  std::string host_;
  int port_;
  int readTimeoutMs_;
  LinkServices* services_ = nullptr;
  std::shared_ptr<ByteStream> stream_;
  int failures_ = 0;
  Clock::time_point nextAttempt_{};
  Clock::time_point connectedAt_{};
};

}  // namespace tervane
