// tervane-gpssim: a simulated GPS receiver on a pseudo-terminal.
//
// Prints the device path to open as the first line of standard output, then
// either streams the sentences of an NMEA log at receiver pace (--nmea) or
// answers the Garmin serial protocol (--garmin): product data and protocol
// list, position and date/time on command, waypoint upload. Uploaded
// waypoints are written to a log file, one record a line, flushed at once:
// "RECORDS\t<count>", "WPT\t<format>\t<size>\t<name>\t<lat>\t<lon>" and
// "XFERCMPLT".
//
// The device may be opened and closed any number of times. While no program
// holds it, the master side reports a hang-up; the simulator then discards
// pending output and checks again every few milliseconds.

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/pty.h"
#include "tools/simsupport/sim_process.h"
#include "tools/gpssim/garmin_device.h"
#include "tools/gpssim/nmea_feed.h"

namespace {

namespace sim = tervane::sim;

using tervane::gpssim::SteadyClock;

constexpr int kHangUpRecheckMs = 20;
constexpr int kIdleWaitMs = 500;
// Sentences are queued only while less than this much output is pending, so
// a program that does not read cannot make the queue grow.
constexpr std::size_t kOutputQueueLimit = 4096;

constexpr std::string_view kUsage =
    "Usage: tervane-gpssim (--nmea FILE | --sample-nmea | --garmin) [options]\n"
    "A simulated GPS receiver on a pseudo-terminal. The first line of output is\n"
    "the device to open.\n"
    "\n"
    "  --nmea FILE            stream the sentences of an NMEA log\n"
    "  --sample-nmea          stream the shipped sample log\n"
    "  --rate N               fixes (groups of sentences with one time) per second\n"
    "                         (default 1; 0: no pause)\n"
    "  --loop                 start the log again after its last sentence\n"
    "  --garmin               answer the Garmin serial protocol\n"
    "  --waypoint-format N    waypoint format in the protocol list (default 108;\n"
    "                         0: the list names none)\n"
    "  --lat DEG, --lon DEG   position in decimal degrees (default 42.36, -71.06)\n"
    "  --track                move along a small circle around the position\n"
    "  --time HH:MM:SS        fixed UTC time of day (default: the PC clock)\n"
    "  --log FILE             record uploaded waypoints\n"
    "  --silent               never send anything (a receiver that is off)\n"
    "  --help                 this text\n";

enum class Mode { None, Nmea, Garmin };

struct Options {
  Mode mode = Mode::None;
  std::string nmeaPath;
  double rate = 1.0;
  bool loop = false;
  std::string logPath;
  tervane::gpssim::GarminDeviceOptions garmin;
};

bool parseNumber(const char* text, double* value) {
  char* end = nullptr;
  errno = 0;
  *value = std::strtod(text, &end);
  return errno == 0 && end != text && *end == '\0';
}

bool parseTimeOfDay(const char* text, int* secondOfDay) {
  int hour = 0, minute = 0, second = 0;
  char tail = 0;
  if (std::sscanf(text, "%d:%d:%d%c", &hour, &minute, &second, &tail) != 3) return false;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
  *secondOfDay = hour * 3600 + minute * 60 + second;
  return true;
}

int usageError(const char* problem, const char* value) {
  std::fprintf(stderr, "tervane-gpssim: %s%s\n%s", problem, value, kUsage.data());
  return 2;
}

// Returns the exit status to end with, or -1 to run.
int parseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help" || option == "-h") {
      std::fputs(kUsage.data(), stdout);
      return 0;
    }
    if (option == "--garmin") {
      options->mode = Mode::Garmin;
    } else if (option == "--sample-nmea") {
      options->mode = Mode::Nmea;
      options->nmeaPath = tervane::gpssim::sampleNmeaPath();
    } else if (option == "--loop") {
      options->loop = true;
    } else if (option == "--track") {
      options->garmin.track = true;
    } else if (option == "--silent") {
      options->garmin.silent = true;
    } else if (option == "--nmea" || option == "--rate" || option == "--waypoint-format" || option == "--lat" ||
               option == "--lon" || option == "--time" || option == "--log") {
      if (i + 1 >= argc) return usageError("a value is needed after ", argv[i]);
      const char* value = argv[++i];
      double number = 0;
      if (option == "--nmea") {
        options->mode = Mode::Nmea;
        options->nmeaPath = value;
      } else if (option == "--log") {
        options->logPath = value;
      } else if (option == "--time") {
        int secondOfDay = 0;
        if (!parseTimeOfDay(value, &secondOfDay)) return usageError("not a time of day: ", value);
        options->garmin.secondOfDay = secondOfDay;
      } else if (!parseNumber(value, &number)) {
        return usageError("not a number: ", value);
      } else if (option == "--rate") {
        if (number < 0) return usageError("not a rate: ", value);
        options->rate = number;
      } else if (option == "--waypoint-format") {
        if (number < 0 || number > 65535) return usageError("not a waypoint format: ", value);
        options->garmin.waypointFormat = static_cast<int>(number);
      } else if (option == "--lat") {
        if (number < -90 || number > 90) return usageError("not a latitude: ", value);
        options->garmin.latitudeDeg = number;
      } else if (option == "--lon") {
        if (number < -180 || number > 180) return usageError("not a longitude: ", value);
        options->garmin.longitudeDeg = number;
      }
    } else {
      return usageError("unknown option: ", argv[i]);
    }
  }
  if (options->mode == Mode::None) return usageError("choose --nmea FILE, --sample-nmea or --garmin", "");
  return -1;
}



int runSimulator(const Options& options, tervane::gpssim::NmeaFeed& feed, int masterFd, sim::RecordLog& log) {
  tervane::SystemClock clock;
  tervane::gpssim::GarminDevice device(options.garmin, clock);
  const auto started = SteadyClock::now();
  const bool streaming = options.mode == Mode::Nmea && !options.garmin.silent;
  bool linked = false;
  std::string pending;
  while (!sim::stopRequested()) {
    int timeoutMs = linked ? kIdleWaitMs : 0;
    if (linked && streaming && pending.size() < kOutputQueueLimit) {
      const int feedWaitMs = feed.waitMs(SteadyClock::now());
      if (feedWaitMs >= 0 && feedWaitMs < timeoutMs) timeoutMs = feedWaitMs;
    }
    pollfd master{masterFd, static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0};
    const int ready = sim::waitOn(&master, 1, timeoutMs);
    if (ready < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "tervane-gpssim: poll: %s\n", std::strerror(errno));
      return 1;
    }

    bool hungUp = (master.revents & (POLLHUP | POLLERR)) != 0;
    if ((master.revents & POLLIN) != 0) {
      std::uint8_t received[4096];
      const ssize_t got = ::read(masterFd, received, sizeof received);
      if (got > 0) {
        if (!linked) {
          linked = true;
          feed.restart(SteadyClock::now());
        }
        if (options.mode == Mode::Garmin) {
          const double elapsedSeconds = std::chrono::duration<double>(SteadyClock::now() - started).count();
          const std::vector<std::uint8_t> answer =
              device.receive(std::span<const std::uint8_t>(received, static_cast<std::size_t>(got)), elapsedSeconds);
          pending.append(answer.begin(), answer.end());
          for (const std::string& line : device.takeLogLines()) log.write(line);
        }
      } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
        hungUp = true;
      }
    }

    if (hungUp) {
      linked = false;
      pending.clear();
      device.reset();
      sim::waitOn(nullptr, 0, kHangUpRecheckMs);
      continue;
    }
    if (!linked) {
      linked = true;
      feed.restart(SteadyClock::now());
    }

    if (streaming) {
      const auto now = SteadyClock::now();
      while (pending.size() < kOutputQueueLimit && feed.due(now)) pending += feed.take(now);
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
    std::fprintf(stderr, "tervane-gpssim: %s: %s\n", options.logPath.c_str(), std::strerror(errno));
    return 1;
  }
  tervane::gpssim::NmeaFeed feed;
  if (options.mode == Mode::Nmea) {
    std::vector<std::string> groups;
    std::string reason;
    if (!tervane::gpssim::loadNmeaLog(options.nmeaPath, &groups, &reason)) {
      std::fprintf(stderr, "tervane-gpssim: %s: %s\n", options.nmeaPath.c_str(), reason.c_str());
      return 1;
    }
    feed = tervane::gpssim::NmeaFeed(std::move(groups), options.rate, options.loop);
  }
  sim::installStopSignals();

  tervane::PtyPair pty = tervane::openPseudoTerminal();
  if (pty.masterFd < 0) {
    std::fprintf(stderr, "tervane-gpssim: cannot open a pseudo-terminal: %s\n", pty.error.c_str());
    return 1;
  }
  std::printf("%s\n", pty.slavePath.c_str());
  std::fflush(stdout);

  const int status = runSimulator(options, feed, pty.masterFd, log);
  tervane::closePseudoTerminal(pty);
  return status;
}
