#pragma once
// The real gpsd as a test peer, with no receiver: gpsd listens on a free
// loopback port and reads NMEA from a TCP source that the test serves. gpsd
// opens that source only once a client asks it for reports, so sentences fed
// after it has connected reach the client; none is lost at start-up. The
// tests' own shared-memory key keeps it apart from any gpsd the machine runs,
// and being one key, the segment gpsd leaves behind is reused by every run.

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class GpsdPeer {
 public:
  GpsdPeer() {
    feedListener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    if (::bind(feedListener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::listen(feedListener_, 4) == 0) {
      feedPort_ = boundPort(feedListener_);
    }
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) port_ = boundPort(probe);
    ::close(probe);
  }
  ~GpsdPeer() {
    stop();
    closeFeed();
    ::close(feedListener_);
  }
  GpsdPeer(const GpsdPeer&) = delete;
  GpsdPeer& operator=(const GpsdPeer&) = delete;

  // The gpsd program, or empty when it is not installed.
  static std::string program() {
    for (const char* path : {"/usr/sbin/gpsd", "/usr/local/sbin/gpsd", "/sbin/gpsd"}) {
      if (::access(path, X_OK) == 0) return path;
    }
    return {};
  }

  int port() const { return port_; }

  // Starts gpsd in the foreground (-N), read-only towards the device (-b),
  // on the loopback port only.
  bool start() {
    const std::string gpsd = program();
    if (gpsd.empty() || port_ == 0 || feedPort_ == 0) return false;
    const std::string portText = std::to_string(port_);
    const std::string device = "tcp://127.0.0.1:" + std::to_string(feedPort_);
    std::vector<std::string> arguments = {gpsd, "-N", "-b", "-S", portText, device};
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = {"GPSD_SHM_KEY=0x47505445"};
    for (char** e = environ; *e != nullptr; ++e) {
      if (std::string(*e).rfind("GPSD_SHM_KEY=", 0) != 0) environment.emplace_back(*e);
    }
    std::vector<char*> envp;
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const bool started = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!started) pid_ = -1;
    return started;
  }

  // Ends gpsd as a service manager would; its clients see the connection close.
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  // Waits for gpsd to open the source (it does when a client watches), then
  // sends the lines as they are, with a short gap between them.
  bool feed(const std::vector<std::string>& lines, int waitLimitMs = 10000) {
    closeFeed();
    pollfd listening{feedListener_, POLLIN, 0};
    if (::poll(&listening, 1, waitLimitMs) != 1) return false;
    feed_ = ::accept4(feedListener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (feed_ < 0) return false;
    for (const std::string& line : lines) {
      if (::send(feed_, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

 private:
  static sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }
  static int boundPort(int fd) {
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0) return 0;
    return ntohs(bound.sin_port);
  }
  void closeFeed() {
    if (feed_ >= 0) ::close(feed_);
    feed_ = -1;
  }

  int feedListener_ = -1;
  int feedPort_ = 0;
  int feed_ = -1;
  int port_ = 0;
  pid_t pid_ = -1;
};
