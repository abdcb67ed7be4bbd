// Serial ports on POSIX terminals (termios). The Windows time-out model of the
// workers (4 ms between bytes, 4 ms per byte plus 200 ms in total) is built
// from poll() on a non-blocking descriptor.
//
// Closing from another thread is ClosableDescriptor's part.

#include "platform/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>

#include "base/profile_store.h"
#include "base/text_format.h"
#include "platform/closable_descriptor.h"

namespace tervane {
namespace {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kReadIntervalMs = 4;
constexpr int kTotalPerByteMs = 4;
constexpr int kTotalConstantMs = 200;
constexpr std::string_view kHungUp = "the device hung up";

SteadyClock::time_point callDeadline(std::size_t byteCount) {
  const auto counted = static_cast<long long>(std::min<std::size_t>(byteCount, 1'000'000'000));
  return SteadyClock::now() + milliseconds(kTotalConstantMs) + milliseconds(kTotalPerByteMs) * counted;
}

// Milliseconds left until the deadline, rounded up so a wait never ends early.
int remainingMs(SteadyClock::time_point deadline) {
  const auto left = deadline - SteadyClock::now();
  if (left <= SteadyClock::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<milliseconds>(left).count();
  return static_cast<int>(std::min<long long>(ms, std::numeric_limits<int>::max()));
}

std::string systemReason(int error) { return std::strerror(error); }

speed_t speedFor(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 4800:
      return B4800;
    default:
      return B9600;
  }
}

enum class WaitResult { Ready, TimedOut, Closed, HungUp };

class PosixSerialPort final : public SerialPort {
 public:
  PosixSerialPort(int deviceFd, int wakeFd) : descriptor_(deviceFd, wakeFd, &releaseDevice) {}

  using SerialPort::write;

  std::size_t read(std::uint8_t* buffer, std::size_t maxBytes) override {
    if (maxBytes == 0) return 0;
    const int fd = descriptor_.beginCall();
    if (fd < 0) return 0;
    const auto deadline = callDeadline(maxBytes);
    std::size_t count = 0;
    bool failed = false;
    while (count < maxBytes) {
      const int timeoutMs =
          count == 0 ? remainingMs(deadline) : std::min(kReadIntervalMs, remainingMs(deadline));
      const WaitResult waited = waitFor(fd, POLLIN, timeoutMs);
      if (waited == WaitResult::TimedOut) break;
      if (waited == WaitResult::Closed) {
        failed = true;
        break;
      }
      if (waited == WaitResult::Ready) {
        const ssize_t got = ::read(fd, buffer + count, maxBytes - count);
        if (got > 0) {
          count += static_cast<std::size_t>(got);
          continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        descriptor_.noteFailure(got < 0 ? systemReason(errno) : std::string(kHungUp));
      } else {
        descriptor_.noteFailure(std::string(kHungUp));
      }
      // The device is gone (other end closed, adapter unplugged) or failing.
      // Return what arrived; with nothing, sit out the time-out so that a
      // worker polling a dead line stays paced instead of spinning.
      if (count == 0) failed = !sleepUntil(deadline);
      break;
    }
    descriptor_.endCall();
    return failed ? 0 : count;
  }

  bool write(const std::uint8_t* data, std::size_t size) override {
    const int fd = descriptor_.beginCall();
    if (fd < 0) return false;
    const auto deadline = callDeadline(size);
    std::size_t sent = 0;
    bool ok = true;
    while (sent < size) {
      const WaitResult waited = waitFor(fd, POLLOUT, remainingMs(deadline));
      if (waited != WaitResult::Ready) {
        ok = false;
        break;
      }
      const ssize_t put = ::write(fd, data + sent, size - sent);
      if (put > 0) {
        sent += static_cast<std::size_t>(put);
      } else if (put == 0 || (errno != EAGAIN && errno != EINTR)) {
        if (put < 0) descriptor_.noteFailure(systemReason(errno));
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
  // Drops the exclusive-use mark before the last close so the next opener is
  // never refused because of a mark left on a terminal that stays alive (a
  // pseudo-terminal whose master is still held).
  static void releaseDevice(int fd) {
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
  }

  WaitResult waitFor(int fd, short events, int timeoutMs) {
    pollfd fds[2] = {{fd, events, 0}, {descriptor_.wakeFd(), POLLIN, 0}};
    for (;;) {
      if (descriptor_.isClosed()) return WaitResult::Closed;
      const int ready = ::poll(fds, 2, timeoutMs);
      if (ready < 0) {
        if (errno == EINTR) continue;
        return WaitResult::HungUp;
      }
      if (fds[1].revents != 0 || descriptor_.isClosed()) return WaitResult::Closed;
      if (ready == 0) return WaitResult::TimedOut;
      if ((fds[0].revents & events) != 0) return WaitResult::Ready;
      return WaitResult::HungUp;
    }
  }

  // Waits until the deadline; false when the port was closed meanwhile.
  bool sleepUntil(SteadyClock::time_point deadline) {
    pollfd wake{descriptor_.wakeFd(), POLLIN, 0};
    for (;;) {
      if (descriptor_.isClosed()) return false;
      const int timeoutMs = remainingMs(deadline);
      if (timeoutMs == 0) return true;
      const int ready = ::poll(&wake, 1, timeoutMs);
      if (ready > 0) return false;
      if (ready < 0 && errno != EINTR) return true;
    }
  }

  ClosableDescriptor descriptor_;
};

// Raw 8N1 without flow control, receiver on, modem lines ignored.
bool configureLine(int fd, int baud, std::string* reason) {
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) {
    *reason = systemReason(errno);
    return false;
  }
  ::cfmakeraw(&settings);
  settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  settings.c_cflag |= CS8 | CLOCAL | CREAD;
  settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  const speed_t speed = speedFor(baud);
  if (::cfsetispeed(&settings, speed) != 0 || ::cfsetospeed(&settings, speed) != 0 ||
      ::tcsetattr(fd, TCSANOW, &settings) != 0) {
    *reason = systemReason(errno);
    return false;
  }
  return true;
}

// DTR and RTS on. Pseudo-terminals and some adapters have no modem lines;
// that is no reason to refuse the port.
bool assertModemLines(int fd, std::string* reason) {
  int lines = TIOCM_DTR | TIOCM_RTS;
  if (::ioctl(fd, TIOCMBIS, &lines) == 0) return true;
  if (errno == ENOTTY || errno == EINVAL) return true;
  *reason = systemReason(errno);
  return false;
}

}  // namespace

std::string serialDevicePath(int comNumber, const ProfileStore* store) {
  const std::string portName = textf("COM%d", comNumber);
  const std::string variable = "TERVANEAPRS_" + portName;
  if (const char* fromEnvironment = std::getenv(variable.c_str());
      fromEnvironment != nullptr && fromEnvironment[0] != '\0') {
    return fromEnvironment;
  }
  if (store != nullptr) {
    std::string fromProfile = store->readText("Ports", portName, "");
    if (!fromProfile.empty()) return fromProfile;
  }
  return textf("/dev/ttyS%d", comNumber - 1);
}

SerialOpenResult openSerialDevice(const std::string& devicePath, int baud) {
  SerialOpenResult result;
  result.devicePath = devicePath;
  const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    result.error = systemReason(errno);
    return result;
  }
  // No sharing: TIOCEXCL refuses later opens by ordinary users, the lock also
  // stops openers with CAP_SYS_ADMIN (for whom TIOCEXCL does not apply) that
  // take the same lock, such as a second instance of this program.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int lockError = errno;
    result.error = systemReason(lockError == EWOULDBLOCK ? EBUSY : lockError);
    ::close(fd);
    return result;
  }
  if (!configureLine(fd, baud, &result.error) || !assertModemLines(fd, &result.error)) {
    ::close(fd);
    return result;
  }
  ::ioctl(fd, TIOCEXCL);
  const int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd < 0) {
    result.error = systemReason(errno);
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return result;
  }
  result.port = std::make_shared<PosixSerialPort>(fd, wakeFd);
  return result;
}

SerialOpenResult openSerialPort(int comNumber, int baud, const ProfileStore* store) {
  return openSerialDevice(serialDevicePath(comNumber, store), baud);
}

}  // namespace tervane
