#include "platform/serial_port.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "base/profile_store.h"
#include "platform/pty.h"

namespace tervane {
namespace {

using std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

long long msSince(SteadyClock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(SteadyClock::now() - start).count();
}

// Puts the line into the state a freshly booted terminal might be in, with
// every setting the port must override turned the wrong way.
void spoilLineSettings(int masterFd) {
  termios line{};
  if (::tcgetattr(masterFd, &line) != 0) return;
  line.c_iflag |= ICRNL | INLCR | IXON | IXOFF | ISTRIP;
  line.c_oflag |= OPOST | ONLCR;
  line.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
  line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CLOCAL | CREAD);
  line.c_cflag |= CS7 | PARENB | CSTOPB | CRTSCTS;
  ::cfsetspeed(&line, B2400);
  ::tcsetattr(masterFd, TCSANOW, &line);
}

// A pseudo-terminal whose slave side is opened as a serial port.
class PtyPort {
 public:
  explicit PtyPort(int baud = 9600) : pty_(openPseudoTerminal()) {
    if (pty_.masterFd < 0) return;
    spoilLineSettings(pty_.masterFd);
    opened_ = openSerialDevice(pty_.slavePath, baud);
  }
  ~PtyPort() { closeMaster(); }
  PtyPort(const PtyPort&) = delete;
  PtyPort& operator=(const PtyPort&) = delete;

  bool ready() const { return opened_.port != nullptr; }
  std::string failure() const { return pty_.error + opened_.error; }
  SerialPort& port() { return *opened_.port; }
  std::shared_ptr<SerialPort> shared() { return opened_.port; }
  const std::string& slavePath() const { return pty_.slavePath; }
  int masterFd() const { return pty_.masterFd; }
  void closeMaster() { closePseudoTerminal(pty_); }

  void sendFromDevice(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      const ssize_t put = ::write(pty_.masterFd, bytes.data() + sent, bytes.size() - sent);
      if (put > 0) sent += static_cast<std::size_t>(put);
      else std::this_thread::sleep_for(milliseconds(1));
    }
  }

  // Everything the device receives until `count` bytes or the time limit.
  std::string receiveAtDevice(std::size_t count, int limitMs = 1000) {
    std::string received;
    const auto start = SteadyClock::now();
    while (received.size() < count && msSince(start) < limitMs) {
      pollfd master{pty_.masterFd, POLLIN, 0};
      if (::poll(&master, 1, 20) <= 0) continue;
      char chunk[512];
      const ssize_t got = ::read(pty_.masterFd, chunk, sizeof chunk);
      if (got > 0) received.append(chunk, static_cast<std::size_t>(got));
    }
    return received;
  }

 private:
  PtyPair pty_;
  SerialOpenResult opened_;
};

std::string readFromPort(SerialPort& port, std::size_t maxBytes) {
  std::vector<std::uint8_t> buffer(maxBytes);
  const std::size_t got = port.read(buffer.data(), buffer.size());
  return std::string(buffer.begin(), buffer.begin() + static_cast<long>(got));
}

TEST(SerialPortRead, EndsOnCountGapOrTotalTimeout) {
  struct Row {
    const char* name;
    std::string deviceSends;
    int sendAfterMs;
    std::size_t request;
    std::string expected;
    long long minMs;
    long long maxMs;
  };
  const std::string sixteen = "N0CALL>APRS:abcd";
  const Row rows[] = {
      {"request filled returns at once", sixteen, 0, 16, sixteen, 0, 150},
      {"short burst ends on the inter-byte gap", "hello", 0, 16, "hello", 0, 150},
      {"late burst is waited for and ends on the gap", "late!", 60, 64, "late!", 50, 300},
      {"silent line waits the whole 4 ms per byte plus 200 ms", "", 0, 16, "", 240, 1000},
      {"one-byte read of a silent line", "", 0, 1, "", 190, 1000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PtyPort pty;
    ASSERT_TRUE(pty.ready()) << pty.failure();
    std::thread sender;
    if (row.sendAfterMs == 0 && !row.deviceSends.empty()) {
      pty.sendFromDevice(row.deviceSends);
    } else if (!row.deviceSends.empty()) {
      sender = std::thread([&pty, &row] {
        std::this_thread::sleep_for(milliseconds(row.sendAfterMs));
        pty.sendFromDevice(row.deviceSends);
      });
    }
    const auto start = SteadyClock::now();
    const std::string got = readFromPort(pty.port(), row.request);
    const long long elapsedMs = msSince(start);
    if (sender.joinable()) sender.join();
    EXPECT_EQ(got, row.expected);
    EXPECT_GE(elapsedMs, row.minMs);
    EXPECT_LT(elapsedMs, row.maxMs);
  }
}

TEST(SerialPortRead, SurplusBytesArriveOnTheNextRead) {
  PtyPort pty;
  ASSERT_TRUE(pty.ready()) << pty.failure();
  pty.sendFromDevice("0123456789abcdefXYZ\r\n");
  EXPECT_EQ(readFromPort(pty.port(), 16), "0123456789abcdef");
  EXPECT_EQ(readFromPort(pty.port(), 16), "XYZ\r\n");
}

// Raw transfer both ways: no CR/LF translation, no XON/XOFF, no signal
// characters, no echo; every byte value passes unchanged.
TEST(SerialPortTransfer, EveryByteValuePassesUnchangedBothWays) {
  PtyPort pty;
  ASSERT_TRUE(pty.ready()) << pty.failure();
  std::string allBytes;
  for (int value = 0; value < 256; ++value) allBytes += static_cast<char>(value);

  ASSERT_TRUE(pty.port().write(allBytes));
  EXPECT_EQ(pty.receiveAtDevice(allBytes.size()), allBytes);

  pty.sendFromDevice(allBytes);
  std::string received;
  const auto start = SteadyClock::now();
  while (received.size() < allBytes.size() && msSince(start) < 2000) {
    received += readFromPort(pty.port(), 16);
  }
  EXPECT_EQ(received, allBytes);
  EXPECT_EQ(pty.receiveAtDevice(1, 50), "") << "the port echoed received bytes";
}

TEST(SerialPortOpen, LineSettingsForEachSpeed) {
  struct Row {
    const char* name;
    int baud;
    speed_t expected;
  };
  const Row rows[] = {
      {"1200 baud", 1200, B1200},
      {"4800 baud", 4800, B4800},
      {"9600 baud", 9600, B9600},
      {"unsupported speed falls back to 9600", 2400, B9600},
      {"no speed falls back to 9600", 0, B9600},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PtyPort pty(row.baud);
    ASSERT_TRUE(pty.ready()) << pty.failure();
    // The master of a pseudo-terminal reports the terminal settings of its slave.
    termios line{};
    ASSERT_EQ(::tcgetattr(pty.masterFd(), &line), 0);
    EXPECT_EQ(::cfgetospeed(&line), row.expected);
    EXPECT_EQ(::cfgetispeed(&line), row.expected);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP), 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
  }
}

TEST(SerialPortOpen, FailuresCarryTheSystemReason) {
  struct Row {
    const char* name;
    const char* path;
    const char* reason;
  };
  const Row rows[] = {
      {"missing device", "/dev/tervane-no-such-port", "No such file or directory"},
      {"not a terminal", "/dev/null", "Inappropriate ioctl for device"},
      {"a directory", "/tmp", "Is a directory"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const SerialOpenResult result = openSerialDevice(row.path, 9600);
    EXPECT_EQ(result.port, nullptr);
    EXPECT_EQ(result.error, row.reason);
    EXPECT_EQ(result.devicePath, row.path);
  }
}

TEST(SerialPortOpen, NoSharingUntilClosedEvenWhileTheOwnerStillHoldsIt) {
  PtyPort pty;
  ASSERT_TRUE(pty.ready()) << pty.failure();
  const SerialOpenResult second = openSerialDevice(pty.slavePath(), 9600);
  EXPECT_EQ(second.port, nullptr);
  EXPECT_FALSE(second.error.empty());

  // The first owner's object stays alive; closing it must free the device.
  std::shared_ptr<SerialPort> first = pty.shared();
  first->close();
  const SerialOpenResult third = openSerialDevice(pty.slavePath(), 9600);
  ASSERT_NE(third.port, nullptr) << third.error;
  EXPECT_TRUE(third.port->isOpen());
  EXPECT_FALSE(first->isOpen());
}

TEST(SerialPortClose, FromAnotherThreadEndsABlockedReadAndEveryLaterCall) {
  PtyPort pty;
  ASSERT_TRUE(pty.ready()) << pty.failure();
  std::shared_ptr<SerialPort> port = pty.shared();
  std::promise<SteadyClock::time_point> returned;
  std::size_t got = 99;
  std::thread owner([&] {
    std::uint8_t buffer[250];
    got = port->read(buffer, sizeof buffer);  // 1.2 s time-out
    returned.set_value(SteadyClock::now());
  });
  std::this_thread::sleep_for(milliseconds(50));
  const auto closedAt = SteadyClock::now();
  port->close();
  const auto returnedAt = returned.get_future().get();
  owner.join();
  EXPECT_EQ(got, 0u);
  EXPECT_LT(std::chrono::duration_cast<milliseconds>(returnedAt - closedAt).count(), 100);

  pty.sendFromDevice("data after close");
  const auto start = SteadyClock::now();
  std::uint8_t buffer[16];
  EXPECT_EQ(port->read(buffer, sizeof buffer), 0u);
  EXPECT_FALSE(port->write(std::string("\x03\r\r")));
  EXPECT_LT(msSince(start), 50);
  EXPECT_FALSE(port->isOpen());
  port->close();
}

TEST(SerialPortClose, FromAnotherThreadEndsAWriteThatCannotDrain) {
  PtyPort pty;
  ASSERT_TRUE(pty.ready()) << pty.failure();
  std::shared_ptr<SerialPort> port = pty.shared();
  // Far more than the terminal buffers hold while nobody reads the device.
  const std::string flood(4 * 1024 * 1024, 'x');
  std::promise<SteadyClock::time_point> returned;
  bool written = true;
  std::thread owner([&] {
    written = port->write(flood);
    returned.set_value(SteadyClock::now());
  });
  std::this_thread::sleep_for(milliseconds(100));
  const auto closedAt = SteadyClock::now();
  port->close();
  const auto returnedAt = returned.get_future().get();
  owner.join();
  EXPECT_FALSE(written);
  EXPECT_LT(std::chrono::duration_cast<milliseconds>(returnedAt - closedAt).count(), 100);
}

double threadCpuMs() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// When the device goes away (the far end of the terminal closed, an adapter
// unplugged), reads return nothing but still take their time-out, so a
// worker loop polling the dead line stays paced instead of spinning.
TEST(SerialPortHangUp, ReadsReturnNothingAtTheUsualPaceWithoutSpinning) {
  PtyPort pty;
  ASSERT_TRUE(pty.ready()) << pty.failure();
  pty.closeMaster();
  const double cpuBeforeMs = threadCpuMs();
  const auto start = SteadyClock::now();
  std::uint8_t buffer[16];
  std::size_t total = 0;
  for (int pass = 0; pass < 3; ++pass) total += pty.port().read(buffer, sizeof buffer);
  const long long elapsedMs = msSince(start);
  const double cpuMs = threadCpuMs() - cpuBeforeMs;
  EXPECT_EQ(total, 0u);
  EXPECT_GE(elapsedMs, 3 * 250);
  EXPECT_LT(cpuMs, 0.05 * static_cast<double>(elapsedMs));
  EXPECT_FALSE(pty.port().write(std::string("x")));

  std::shared_ptr<SerialPort> port = pty.shared();
  std::thread closer([port] {
    std::this_thread::sleep_for(milliseconds(50));
    port->close();
  });
  const auto blockedAt = SteadyClock::now();
  EXPECT_EQ(port->read(buffer, sizeof buffer), 0u);
  EXPECT_LT(msSince(blockedAt), 150) << "close() did not end the paced wait";
  closer.join();
}

class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (value != nullptr) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  ~ScopedEnvironment() { ::unsetenv(name_); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
};

TEST(SerialDevicePath, EnvironmentBeatsProfileBeatsDefault) {
  struct Row {
    const char* name;
    int comNumber;
    const char* environment;  // TERVANEAPRS_COMn, null when unset
    const char* profileEntry;  // entry COMn of section Ports, null when absent
    bool withStore;
    const char* expected;
  };
  const Row rows[] = {
      {"COM1 defaults to the first serial port", 1, nullptr, nullptr, true, "/dev/ttyS0"},
      {"COM4 defaults to the fourth serial port", 4, nullptr, nullptr, true, "/dev/ttyS3"},
      {"no profile store at all", 3, nullptr, nullptr, false, "/dev/ttyS2"},
      {"profile entry chooses the device", 2, nullptr, "/dev/ttyUSB0", true, "/dev/ttyUSB0"},
      {"empty profile entry is no choice", 2, nullptr, "", true, "/dev/ttyS1"},
      {"environment beats the profile", 2, "/dev/pts/7", "/dev/ttyUSB0", true, "/dev/pts/7"},
      {"environment without a store", 4, "/dev/ttyACM1", nullptr, false, "/dev/ttyACM1"},
      {"empty environment value is no choice", 1, "", "/dev/ttyUSB3", true, "/dev/ttyUSB3"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string portName = "COM" + std::to_string(row.comNumber);
    const std::string variable = "TERVANEAPRS_" + portName;
    ScopedEnvironment environment(variable.c_str(), row.environment);
    MemoryProfileStore store;
    // Entries of other ports and of the settings section must not leak in.
    store.writeText("Ports", row.comNumber == 1 ? "COM2" : "COM1", "/dev/wrong-port");
    store.writeText(kSettingsSection, portName, "/dev/wrong-section");
    if (row.profileEntry != nullptr) store.writeText("Ports", portName, row.profileEntry);
    EXPECT_EQ(serialDevicePath(row.comNumber, row.withStore ? &store : nullptr), row.expected);
  }
}

TEST(SerialDevicePath, OpenByComNumberUsesTheMappedDevice) {
  const PtyPair pty = openPseudoTerminal();
  ASSERT_GE(pty.masterFd, 0) << pty.error;
  ScopedEnvironment environment("TERVANEAPRS_COM3", pty.slavePath.c_str());
  const SerialOpenResult opened = openSerialPort(3, 4800, nullptr);
  ASSERT_NE(opened.port, nullptr) << opened.error;
  EXPECT_EQ(opened.devicePath, pty.slavePath);
  termios line{};
  ASSERT_EQ(::tcgetattr(pty.masterFd, &line), 0);
  EXPECT_EQ(::cfgetospeed(&line), static_cast<speed_t>(B4800));
  ::close(pty.masterFd);
}

}  // namespace
}  // namespace tervane
