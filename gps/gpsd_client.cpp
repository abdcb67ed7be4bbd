#include "gps/gpsd_client.h"

#include <fcntl.h>
#include <gps.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "base/text_format.h"

#if GPSD_API_MAJOR_VERSION < 11
#error "libgps from gpsd 3.22 or later is needed"
#endif

namespace tervane {

namespace {

std::string systemReason(int error) {
  char buffer[128] = {};
  return strerror_r(error, buffer, sizeof buffer);
}

// A socket descriptor that closes itself.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// Whether anything accepts connections at host:port, waited for without
// blocking, so that a host that drops packets never holds up GPS > Off:
// libgps's own connect blocks until the system gives up, minutes later.
bool reachable(const std::string& host, const std::string& port, const std::function<bool()>& stop,
               std::string& reason) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (const int error = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); error != 0) {
    reason = gai_strerror(error);
    return false;
  }
  std::unique_ptr<addrinfo, void (*)(addrinfo*)> addresses(found, ::freeaddrinfo);
  reason = "no address";
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    Descriptor socket{::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol)};
    if (socket.fd < 0) {
      reason = systemReason(errno);
      continue;
    }
    if (::connect(socket.fd, a->ai_addr, a->ai_addrlen) == 0) return true;
    if (errno != EINPROGRESS) {
      reason = systemReason(errno);
      continue;
    }
    constexpr int kSliceMs = 50;
    pollfd waiting{socket.fd, POLLOUT, 0};
    int waitedMs = 0;
    while (::poll(&waiting, 1, kSliceMs) == 0) {
      waitedMs += kSliceMs;
      if (stop()) {
        reason = "stopped";
        return false;
      }
      if (waitedMs >= GpsdClient::kConnectTimeoutMs) break;
    }
    int error = ETIMEDOUT;
    if (waiting.revents != 0) {
      socklen_t length = sizeof error;
      if (::getsockopt(socket.fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    }
    if (error == 0) return true;
    reason = systemReason(error);
  }
  return false;
}

}  // namespace

GpsdTaken takeFromGpsdFix(const GpsdFix& fix) {
  GpsdTaken taken;
  if (fix.mode < MODE_2D) return taken;
  if (fix.hasPosition && std::fabs(fix.latitudeDeg) <= 90.0 && std::fabs(fix.longitudeDeg) <= 180.0) {
    taken.position = StationPosition{fix.latitudeDeg, fix.longitudeDeg, latitudeLetter(fix.latitudeDeg),
                                     longitudeLetter(fix.longitudeDeg)};
  }
  if (fix.hasTime) taken.time = calendarFromUnix(fix.unixSeconds);
  return taken;
}

struct GpsdClient::Session {
  gps_data_t data{};
  bool opened = false;
  ~Session() {
    if (opened) gps_close(&data);
  }
};

GpsdClient::GpsdClient() = default;
GpsdClient::~GpsdClient() = default;

bool GpsdClient::connect(const std::string& host, int port, const std::function<bool()>& stop,
                         std::string& reason) {
  close();
  if (port < 1 || port > 65535) {
    reason = textf("%d is no TCP port", port);
    return false;
  }
  const std::string service = std::to_string(port);
  if (!reachable(host, service, stop, reason)) return false;
  auto session = std::make_unique<Session>();
  if (gps_open(host.c_str(), service.c_str(), &session->data) != 0) {
    reason = gps_errstr(errno);
    return false;
  }
  session->opened = true;
  if (gps_stream(&session->data, WATCH_ENABLE | WATCH_JSON, nullptr) != 0) {
    reason = systemReason(errno);
    return false;
  }
  session_ = std::move(session);
  return true;
}

GpsdClient::Read GpsdClient::read(int timeoutMs, GpsdFix& fix, std::string& reason) {
  if (!session_) {
    reason = "not connected";
    return Read::Lost;
  }
  gps_data_t& data = session_->data;
  errno = 0;
  if (!gps_waiting(&data, timeoutMs * 1000)) {
    if (errno == 0) return Read::Nothing;
    reason = systemReason(errno);
    close();
    return Read::Lost;
  }
  errno = 0;
  if (gps_read(&data, nullptr, 0) < 0) {
    reason = errno != 0 ? systemReason(errno) : std::string("gpsd closed the connection");
    close();
    return Read::Lost;
  }
  // Only a TPV report sets the fix mode.
  if ((data.set & MODE_SET) == 0) return Read::Other;
  fix = GpsdFix{};
  fix.mode = data.fix.mode;
  fix.hasPosition =
      (data.set & LATLON_SET) != 0 && std::isfinite(data.fix.latitude) && std::isfinite(data.fix.longitude);
  if (fix.hasPosition) {
    fix.latitudeDeg = data.fix.latitude;
    fix.longitudeDeg = data.fix.longitude;
  }
  fix.hasTime = (data.set & TIME_SET) != 0 && data.fix.time.tv_sec > 0;
  if (fix.hasTime) fix.unixSeconds = data.fix.time.tv_sec;
  return Read::Fix;
}

void GpsdClient::close() { session_.reset(); }

}  // namespace tervane
