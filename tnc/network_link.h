#pragma once
// What the network links share: a TCP connection that a link keeps up, and
// the cutting of a line-based service's text (APRS-IS) into lines.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/byte_stream.h"
#include "tnc/link_kind.h"

namespace tervane {

// A TCP connection that a network link keeps up. It connects when the link
// starts; after a drop or a failed attempt it tries again after 1, 2, 4 ...
// up to 60 seconds. A drop gives a console line each time; failed attempts
// give one for each new reason (the status bar counts down to the next
// attempt). The worker's pass never
// waits on it for more than a fraction of a second, apart from the attempt
// itself, which TNC > Close cuts short.
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
  std::string lastRefusal_;  // why the last attempt failed; empty once connected
};

// Cuts the text of a line-based network service into lines. Unlike a TNC's
// monitor output, a line ends at CR, LF or CR LF, whichever the server
// uses; empty lines are skipped. Zero bytes are taken out, so the text on
// either side of one stays on its line. A line longer than kLongestLine is
// dropped whole, up to its line end, and reported once as it starts to be
// dropped; the next line is taken as usual.
class NetworkLineReader {
 public:
  // Text bytes of the longest line kept: with its CR LF it fills the
  // worker's 1024-byte line.
  static constexpr std::size_t kLongestLine = 1022;

  using OnLine = std::function<void(std::string_view line)>;
  using OnTooLong = std::function<void()>;

  // Hands every line the bytes complete to onLine, with CR LF as its end;
  // the text of a line without an end yet waits for the next bytes.
  void feed(std::string_view bytes, const OnLine& onLine, const OnTooLong& onTooLong);
  // A new connection starts with no line begun.
  void reset();

 private:
  std::string line_;
  bool dropping_ = false;
};

}  // namespace tervane
