// tervane-tncsim: a simulated TNC-2 style TNC on a pseudo-terminal.
//
// Prints the device path to open as the first line of standard output, then
// answers like a text-mode TNC on that device: "cmd:" prompt and echo in
// command mode, unproto transmission of typed lines in converse mode, and
// monitored traffic from a file. What it receives is written to a log file,
// one record a line: "CMD\t<command line>", "TX\t<transmitted line>",
// "MODE\tcommand|converse" and "LINK\topen|closed", bytes outside printable
// ASCII and the backslash as \xNN.
//
// The device may be opened and closed any number of times. While no program
// holds it, the master side reports a hang-up; the simulator then discards
// pending output, holds its traffic and checks again every few milliseconds.

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/pty.h"
#include "tools/simsupport/sim_process.h"
#include "tools/tncsim/tnc_emulator.h"
#include "tools/tncsim/traffic.h"

namespace {

namespace sim = tervane::sim;

using tervane::tncsim::SteadyClock;

constexpr int kHangUpRecheckMs = 20;
constexpr int kIdleWaitMs = 500;
// Traffic is queued only while less than this much output is pending, so a
// program that does not read cannot make the queue grow.
constexpr std::size_t kTrafficQueueLimit = 4096;

constexpr std::string_view kUsage =
    "Usage: tervane-tncsim [options]\n"
    "A simulated TNC-2 style TNC on a pseudo-terminal. The first line of output\n"
    "is the device to open.\n"
    "\n"
    "  --log FILE           record commands, transmitted lines and link changes\n"
    "  --traffic FILE       send the lines of FILE as monitored traffic\n"
    "  --sample-traffic     send the shipped sample traffic\n"
    "  --rate N             traffic lines per second (default 1; 0: no pause)\n"
    "  --count N            stop the traffic after N lines\n"
    "  --loop               repeat the traffic file\n"
    "  --line-end END       crlf (default), cr, lf, lfcr or crcr\n"
    "  --silent             never send anything (a TNC that does not answer)\n"
    "  --baud N             accepted for symmetry with real ports; no effect\n"
    "  --help               this text\n";

struct Options {
  std::string logPath;
  std::string trafficPath;
  tervane::tncsim::TrafficOptions traffic;
  bool silent = false;
};

bool parseNumber(const char* text, double* value) {
  char* end = nullptr;
  errno = 0;
  *value = std::strtod(text, &end);
  return errno == 0 && end != text && *end == '\0' && *value >= 0;
}

// Returns the exit status to end with, or -1 to run.
int parseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    const bool hasValue = i + 1 < argc;
    auto needValue = [&]() -> const char* {
      if (!hasValue) return nullptr;
      return argv[++i];
    };
    if (option == "--help" || option == "-h") {
      std::fputs(kUsage.data(), stdout);
      return 0;
    }
    if (option == "--silent") {
      options->silent = true;
    } else if (option == "--loop") {
      options->traffic.loop = true;
    } else if (option == "--sample-traffic") {
      options->trafficPath = tervane::tncsim::sampleTrafficPath();
    } else if (option == "--log" || option == "--traffic" || option == "--rate" ||
               option == "--count" || option == "--line-end" || option == "--baud") {
      const char* value = needValue();
      if (value == nullptr) {
        std::fprintf(stderr, "tervane-tncsim: %s needs a value\n", argv[i]);
        return 2;
      }
      double number = 0;
      if (option == "--log") {
        options->logPath = value;
      } else if (option == "--traffic") {
        options->trafficPath = value;
      } else if (option == "--line-end") {
        const auto bytes = tervane::tncsim::lineEndBytes(value);
        if (!bytes) {
          std::fprintf(stderr, "tervane-tncsim: unknown line end: %s\n", value);
          return 2;
        }
        options->traffic.lineEnd = *bytes;
      } else if (!parseNumber(value, &number)) {
        std::fprintf(stderr, "tervane-tncsim: not a number: %s\n", value);
        return 2;
      } else if (option == "--rate") {
        options->traffic.linesPerSecond = number;
      } else if (option == "--count") {
        options->traffic.lineLimit = static_cast<long long>(number);
      }
    } else {
      std::fprintf(stderr, "tervane-tncsim: unknown option: %s\n%s", argv[i], kUsage.data());
      return 2;
    }
  }
  return -1;
}



int runSimulator(const Options& options, tervane::tncsim::TrafficFeed& traffic, int masterFd,
                 sim::RecordLog& log) {
  tervane::tncsim::TncEmulator tnc(options.silent);
  bool linked = false;
  std::string pending;
  while (!sim::stopRequested()) {
    const auto now = SteadyClock::now();
    // Not linked yet: look at once whether a program now holds the device.
    int timeoutMs = linked ? kIdleWaitMs : 0;
    if (linked && !options.silent && pending.size() < kTrafficQueueLimit) {
      const int trafficWaitMs = traffic.waitMs(now);
      if (trafficWaitMs >= 0 && trafficWaitMs < timeoutMs) timeoutMs = trafficWaitMs;
    }
    pollfd master{masterFd, static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0};
    const int ready = sim::waitOn(&master, 1, timeoutMs);
    if (ready < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "tervane-tncsim: poll: %s\n", std::strerror(errno));
      return 1;
    }

    // Bytes the program wrote just before closing are still taken in (and
    // logged); the answer to them is dropped with the link.
    bool hungUp = (master.revents & (POLLHUP | POLLERR)) != 0;
    if ((master.revents & POLLIN) != 0) {
      char received[4096];
      const ssize_t got = ::read(masterFd, received, sizeof received);
      if (got > 0) {
        if (!linked) {
          linked = true;
          log.write("LINK\topen");
          traffic.restart(SteadyClock::now());
        }
        pending += tnc.receive(std::string_view(received, static_cast<std::size_t>(got)));
        for (const auto& record : tnc.takeRecords()) {
          log.write(std::string(tervane::tncsim::recordTag(record.kind)) + "\t" + tervane::tncsim::escapeForLog(record.text));
        }
      } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
        hungUp = true;
      }
    }

    if (hungUp) {
      if (linked) {
        linked = false;
        log.write("LINK\tclosed");
      }
      pending.clear();
      sim::waitOn(nullptr, 0, kHangUpRecheckMs);
      continue;
    }
    if (!linked) {
      linked = true;
      log.write("LINK\topen");
      traffic.restart(SteadyClock::now());
    }

    if (!options.silent) {
      const auto afterWait = SteadyClock::now();
      while (pending.size() < kTrafficQueueLimit && traffic.due(afterWait)) {
        pending += traffic.take(afterWait);
      }
    }
    if (!pending.empty()) {
      const ssize_t put = ::write(masterFd, pending.data(), pending.size());
      if (put > 0) pending.erase(0, static_cast<std::size_t>(put));
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const int status = parseOptions(argc, argv, &options); status >= 0) return status;

  sim::RecordLog log(options.logPath);
  if (log.failed()) {
    std::fprintf(stderr, "tervane-tncsim: %s: %s\n", options.logPath.c_str(), std::strerror(errno));
    return 1;
  }
  tervane::tncsim::TrafficFeed traffic;
  if (!options.trafficPath.empty()) {
    std::vector<std::string> lines;
    std::string reason;
    if (!tervane::tncsim::loadTrafficLines(options.trafficPath, &lines, &reason)) {
      std::fprintf(stderr, "tervane-tncsim: %s: %s\n", options.trafficPath.c_str(), reason.c_str());
      return 1;
    }
    traffic = tervane::tncsim::TrafficFeed(std::move(lines), options.traffic);
  }
  sim::installStopSignals();

  tervane::PtyPair pty = tervane::openPseudoTerminal();
  if (pty.masterFd < 0) {
    std::fprintf(stderr, "tervane-tncsim: cannot open a pseudo-terminal: %s\n", pty.error.c_str());
    return 1;
  }
  std::printf("%s\n", pty.slavePath.c_str());
  std::fflush(stdout);

  const int status = runSimulator(options, traffic, pty.masterFd, log);
  tervane::closePseudoTerminal(pty);
  return status;
}
