// tervane-aprsis-sim: a small APRS-IS server on loopback, for the tests and
// the load runs. It listens on 127.0.0.1 (on the given port, or any free one)
// and prints "127.0.0.1:PORT" as its first line of output. A client gets the
// server's greeting, logs in ("user CALL pass CODE ..."), is answered with
// "# logresp CALL verified" when the passcode is the callsign's (otherwise
// unverified), and then receives the feed at the chosen rate, with a comment
// line every 20 seconds as real servers send. With --send, the bytes of a
// file go out first, exactly as they are, so a test can feed what no
// well-behaved server sends (odd line ends, endless lines, zero bytes, any
// character set). Packets the client sends are recorded in the log:
// "CONNECT", "LOGIN\t<line>", "RX\t<packet>", "DROP", "SENT\t<count>".

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "tools/aprsissim/feed.h"
#include "tools/simsupport/sim_process.h"

namespace {

namespace sim = tervane::sim;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kUsage =
    "Usage: tervane-aprsis-sim [options]\n"
    "A small APRS-IS server on 127.0.0.1. The first line of output is HOST:PORT.\n"
    "\n"
    "  --port N         listen on port N (default: any free port)\n"
    "  --log FILE       record connections, logins and received packets\n"
    "  --rate N         feed lines per second (default 10; 0: as fast as possible)\n"
    "  --count N        stop the feed after N lines (default: no end)\n"
    "  --stations N     distinct stations in the feed (default 1000)\n"
    "  --drop-after N   close each connection after N feed lines\n"
    "  --send FILE      after the login answer, send FILE's bytes as they are,\n"
    "                   then the feed (--count 0: nothing more)\n"
    "  --send-every S   send FILE's bytes again every S seconds while logged in\n"
    "  --refuse         turn every login down and hang up\n"
    "  --help           this text\n";

struct Options {
  int port = 0;
  std::string logPath;
  std::string sendPath;
  int sendEvery = 0;  // seconds; 0: once, after the login answer
  double rate = 10;
  long long count = -1;
  long long dropAfter = -1;
  bool refuse = false;
  tervane::aprsissim::FeedOptions feed;
};

int usageError(const char* problem, const char* value) {
  std::fprintf(stderr, "tervane-aprsis-sim: %s%s\n%s", problem, value, kUsage.data());
  return 2;
}

// Returns the exit status to end with, or -1 to run.
int parseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help") {
      std::fputs(kUsage.data(), stdout);
      return 0;
    }
    if (option == "--refuse") {
      o->refuse = true;
      continue;
    }
    if (i + 1 >= argc) return usageError("a value is missing after ", argv[i]);
    const char* value = argv[++i];
    char* end = nullptr;
    const double number = std::strtod(value, &end);
    if (option == "--log") {
      o->logPath = value;
      continue;
    }
    if (option == "--send") {
      o->sendPath = value;
      continue;
    }
    if (end == value || *end != '\0' || number < 0) return usageError("not a number: ", value);
    if (option == "--send-every") {
      o->sendEvery = static_cast<int>(number);
    } else if (option == "--port") {
      o->port = static_cast<int>(number);
    } else if (option == "--rate") {
      o->rate = number;
    } else if (option == "--count") {
      o->count = static_cast<long long>(number);
    } else if (option == "--stations") {
      o->feed.stations = std::max(1, static_cast<int>(number));
    } else if (option == "--drop-after") {
      o->dropAfter = static_cast<long long>(number);
    } else {
      return usageError("unknown option: ", argv[i - 1]);
    }
  }
  return -1;
}

bool sendAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

class Server {
 public:
  Server(const Options& options, std::string sendFirst, int listenFd, sim::RecordLog& log)
      : options_(options), sendFirst_(std::move(sendFirst)), listenFd_(listenFd), log_(log) {}

  int run() {
    while (!sim::stopRequested()) {
      pollfd fds[2] = {{listenFd_, POLLIN, 0}, {client_, POLLIN, 0}};
      const int ready = sim::waitOn(fds, client_ >= 0 ? 2 : 1, client_ >= 0 && loggedIn_ ? 5 : 200);
      if (ready < 0 && errno != EINTR) return 1;
      if ((fds[0].revents & POLLIN) != 0) accept();
      if (client_ >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) receive();
      if (client_ >= 0 && loggedIn_) feed();
    }
    hangUp();
    return 0;
  }

 private:
  void accept() {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    hangUp();  // one client at a time, the newest wins
    client_ = fd;
    loggedIn_ = false;
    received_.clear();
    log_.write("CONNECT");
    sendAll(client_, "# tervane-aprsis-sim 1.0\r\n");
  }

  void hangUp() {
    if (client_ < 0) return;
    ::close(client_);
    client_ = -1;
    loggedIn_ = false;
  }

  void receive() {
    char buffer[4096];
    const ssize_t n = ::recv(client_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n <= 0) {
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
      log_.write("DROP");
      hangUp();
      return;
    }
    received_.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end = received_.find('\n'); end != std::string::npos; end = received_.find('\n')) {
      std::string line = received_.substr(0, end);
      received_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!loggedIn_) {
        login(line);
        if (client_ < 0) return;
      } else {
        log_.write("RX\t" + line);
      }
    }
  }

  void login(const std::string& line) {
    log_.write("LOGIN\t" + line);
    if (options_.refuse || line.rfind("user ", 0) != 0) {
      sendAll(client_, "# Invalid login string, closing connection\r\n");
      log_.write("DROP");
      hangUp();
      return;
    }
    sendAll(client_, tervane::aprsissim::loginAnswer(line));
    if (!sendFirst_.empty()) sendAll(client_, sendFirst_);
    loggedIn_ = true;
    connectionLines_ = 0;
    startedAt_ = Clock::now();
    lastComment_ = startedAt_;
    sentAtStart_ = sent_;
    lastSend_ = startedAt_;
  }

  void feed() {
    const auto now = Clock::now();
    if (options_.sendEvery > 0 && !sendFirst_.empty() && now - lastSend_ >= std::chrono::seconds(options_.sendEvery)) {
      lastSend_ = now;
      sendAll(client_, sendFirst_);
    }
    if (now - lastComment_ > std::chrono::seconds(20)) {
      lastComment_ = now;
      sendAll(client_, "# tervane-aprsis-sim 1.0 keep-alive\r\n");
    }
    std::string batch;
    while (options_.count < 0 || sent_ < options_.count) {
      if (options_.rate > 0) {
        const double elapsed = std::chrono::duration<double>(now - startedAt_).count();
        if (static_cast<double>(sent_ - sentAtStart_) >= elapsed * options_.rate) break;
      } else if (batch.size() > 65536) {
        break;
      }
      if (options_.dropAfter >= 0 && connectionLines_ >= options_.dropAfter) {
        if (!batch.empty()) sendAll(client_, batch);
        log_.write("DROP");
        hangUp();
        return;
      }
      batch += tervane::aprsissim::feedLine(static_cast<std::uint64_t>(sent_), options_.feed);
      ++sent_;
      ++connectionLines_;
    }
    if (!batch.empty() && !sendAll(client_, batch)) {
      log_.write("DROP");
      hangUp();
    }
    if (options_.count >= 0 && sent_ == options_.count && !countLogged_) {
      countLogged_ = true;
      log_.write("SENT\t" + std::to_string(sent_));
    }
  }

  const Options& options_;
  const std::string sendFirst_;
  const int listenFd_;
  sim::RecordLog& log_;
  int client_ = -1;
  bool loggedIn_ = false;
  bool countLogged_ = false;
  std::string received_;
  long long sent_ = 0;
  long long sentAtStart_ = 0;
  long long connectionLines_ = 0;
  Clock::time_point startedAt_{};
  Clock::time_point lastComment_{};
  Clock::time_point lastSend_{};
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const int status = parseOptions(argc, argv, &options); status >= 0) return status;
  sim::RecordLog log(options.logPath);
  if (log.failed()) {
    std::fprintf(stderr, "tervane-aprsis-sim: %s: %s\n", options.logPath.c_str(), std::strerror(errno));
    return 1;
  }
  std::string sendFirst;
  if (!options.sendPath.empty()) {
    std::ifstream file(options.sendPath, std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "tervane-aprsis-sim: %s: cannot be read\n", options.sendPath.c_str());
      return 1;
    }
    sendFirst.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  const int listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int one = 1;
  ::setsockopt(listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(options.port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listenFd, 4) != 0) {
    std::fprintf(stderr, "tervane-aprsis-sim: cannot listen on port %d: %s\n", options.port, std::strerror(errno));
    return 1;
  }
  socklen_t length = sizeof address;
  ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length);
  sim::installStopSignals();
  std::printf("127.0.0.1:%d\n", ntohs(address.sin_port));
  std::fflush(stdout);
  Server server(options, std::move(sendFirst), listenFd, log);
  const int status = server.run();
  ::close(listenFd);
  return status;
}
