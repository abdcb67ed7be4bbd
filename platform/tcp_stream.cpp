#include "platform/tcp_stream.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "base/text_format.h"
#include "platform/closable_descriptor.h"

namespace tervane {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kWriteTimeoutMs = 5000;
constexpr int kCancelPollMs = 50;

std::string systemReason(int error) { return std::strerror(error); }

int msLeft(SteadyClock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

class TcpStream final : public ByteStream {
 public:
  TcpStream(int socketFd, int wakeFd, int readTimeoutMs)
      : descriptor_(socketFd, wakeFd, &releaseSocket), readTimeoutMs_(readTimeoutMs) {}

  std::size_t read(std::uint8_t* buffer, std::size_t maxBytes) override {
    if (maxBytes == 0) return 0;
    const int fd = descriptor_.beginCall(true);
    if (fd < 0) return 0;
    std::size_t count = 0;
    if (waitFor(fd, POLLIN, readTimeoutMs_)) {
      const ssize_t got = ::recv(fd, buffer, maxBytes, MSG_DONTWAIT);
      if (got > 0) {
        count = static_cast<std::size_t>(got);
      } else if (got == 0) {
        descriptor_.noteFailure("the connection was closed by the other end");
      } else if (errno != EAGAIN && errno != EINTR) {
        descriptor_.noteFailure(systemReason(errno));
      }
    }
    descriptor_.endCall();
    return count;
  }

  bool write(const std::uint8_t* data, std::size_t size) override {
    const int fd = descriptor_.beginCall(true);
    if (fd < 0) return false;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    std::size_t sent = 0;
    bool ok = true;
    while (sent < size) {
      if (!waitFor(fd, POLLOUT, msLeft(deadline))) {
        descriptor_.noteFailure("the other end takes nothing");
        ok = false;
        break;
      }
      const ssize_t put = ::send(fd, data + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (put > 0) {
        sent += static_cast<std::size_t>(put);
      } else if (put < 0 && errno != EAGAIN && errno != EINTR) {
        descriptor_.noteFailure(systemReason(errno));
        ok = false;
        break;
      }
    }
    descriptor_.endCall();
    return ok && !descriptor_.isClosed();
  }

  void close() override { descriptor_.close(); }
  bool isOpen() const override { return !descriptor_.isClosed(); }
  std::string failure() const override { return descriptor_.failure(); }

 private:
  static void releaseSocket(int fd) { ::close(fd); }

  // True when the socket is ready for the events; false on time-out, close
  // or a socket error (which is noted).
  bool waitFor(int fd, short events, int timeoutMs) {
    pollfd fds[2] = {{fd, events, 0}, {descriptor_.wakeFd(), POLLIN, 0}};
    for (;;) {
      if (descriptor_.isClosed()) return false;
      const int ready = ::poll(fds, 2, timeoutMs);
      if (ready < 0) {
        if (errno == EINTR) continue;
        descriptor_.noteFailure(systemReason(errno));
        return false;
      }
      if (fds[1].revents != 0 || descriptor_.isClosed()) return false;
      if (ready == 0) return false;
      // A hang-up still lets the rest of the data be read; recv() then
      // reports the end of the connection.
      if ((fds[0].revents & (events | POLLHUP)) != 0) return true;
      int error = 0;
      socklen_t length = sizeof error;
      ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
      descriptor_.noteFailure(error != 0 ? systemReason(error) : std::string("the connection failed"));
      return false;
    }
  }

  ClosableDescriptor descriptor_;
  const int readTimeoutMs_;
};

// One connection attempt to one address, waiting in short steps so that a
// cancel request is seen quickly. Returns the socket or -1 with *error set.
int connectOne(const addrinfo& address, SteadyClock::time_point deadline, const std::atomic<bool>* cancel,
               std::string* error) {
  const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
  if (fd < 0) {
    *error = systemReason(errno);
    return -1;
  }
  if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0 && errno != EINPROGRESS) {
    *error = systemReason(errno);
    ::close(fd);
    return -1;
  }
  for (;;) {
    if (cancel != nullptr && cancel->load()) {
      *error = "cancelled";
      ::close(fd);
      return -1;
    }
    const int left = msLeft(deadline);
    if (left == 0) {
      *error = "no answer in time";
      ::close(fd);
      return -1;
    }
    pollfd p{fd, POLLOUT, 0};
    const int ready = ::poll(&p, 1, std::min(left, kCancelPollMs));
    if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
    int result = 0;
    socklen_t length = sizeof result;
    if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length) != 0) result = errno;
    if (result != 0) {
      *error = systemReason(result);
      ::close(fd);
      return -1;
    }
    return fd;
  }
}

}  // namespace

TcpOpenResult connectTcp(const std::string& host, int port, int connectTimeoutMs, int readTimeoutMs,
                         const std::atomic<bool>* cancel) {
  TcpOpenResult result;
  if (port <= 0 || port > 65535) {
    result.error = textf("%d is no TCP port", port);
    return result;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = textf("%d", port);
  if (const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
    result.error = ::gai_strerror(rc);
    return result;
  }
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(connectTimeoutMs);
  int fd = -1;
  for (const addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
    fd = connectOne(*a, deadline, cancel, &result.error);
    if (result.error == "cancelled") break;
  }
  ::freeaddrinfo(found);
  if (fd < 0) return result;
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
  const int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd < 0) {
    result.error = systemReason(errno);
    ::close(fd);
    return result;
  }
  result.error.clear();
  result.stream = std::make_shared<TcpStream>(fd, wakeFd, readTimeoutMs);
  return result;
}

}  // namespace tervane
