// The GPS worker over real pseudo-terminals, against the built simulator in
// both of its modes, through the same serial port layer the program uses.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/text_format.h"
#include "gps/gps_worker.h"
#include "tests/eventually.h"

extern char** environ;

namespace tervane {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

std::string scratchPath(const std::string& leaf) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return ::testing::TempDir() + "gpssim_" + info->name() + "_" + std::to_string(::getpid()) + "_" + leaf;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

class Simulator {
 public:
  explicit Simulator(std::vector<std::string> options) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    std::vector<std::string> words{TERVANE_GPSSIM_PATH};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    devicePath_ = firstLine(out[0]);
    ::close(out[0]);
  }
  ~Simulator() { stop(); }
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  const std::string& devicePath() const { return devicePath_; }

  // Ends the simulator with SIGTERM; its exit status, or -1.
  int stop() {
    if (pid_ <= 0) return exitStatus_;
    ::kill(pid_, SIGTERM);
    int status = 0;
    if (::waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status)) exitStatus_ = WEXITSTATUS(status);
    pid_ = -1;
    return exitStatus_;
  }

 private:
  static std::string firstLine(int fd) {
    std::string line;
    const auto end = SteadyClock::now() + 5s;
    while (SteadyClock::now() < end) {
      pollfd in{fd, POLLIN, 0};
      if (::poll(&in, 1, 100) <= 0) continue;
      char c = 0;
      if (::read(fd, &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return {};
  }

  pid_t pid_ = -1;
  int exitStatus_ = -1;
  std::string devicePath_;
};

class RecordingUi final : public GpsUi {
 public:
  void showPosition(const StationPosition& position) override {
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(latitudeFieldText(position) + " " + longitudeFieldText(position));
  }
  void setToggleTrackEnabled(bool enabled) override { toggleTrack = enabled; }
  void menuOn() override {}
  void linkEnded() override {}
  void notice(std::string_view) override {}
  bool askDeviceOpenError(std::string_view) override {
    ++questions;
    return true;
  }
  std::vector<std::string> shown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
  }
  std::atomic<bool> toggleTrack{false};
  std::atomic<int> questions{0};

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> shown_;
};

// One GPS worker run on the simulator's device, with real pauses and time-outs.
class GpsRun {
 public:
  GpsRun(Coordination& shared, const std::string& devicePath, int gpsType) {
    params_.gpsType = gpsTypeFromIndex(gpsType);
    thread_ = std::thread([this, &shared, devicePath] {
      GpsWorkerContext ctx{shared, ui, [devicePath](int, int baud) { return openSerialDevice(devicePath, baud); },
                           stop_, {}};
      result_ = runGpsWorker(params_, ctx);
    });
    shared_ = &shared;
  }
  ~GpsRun() {
    if (thread_.joinable()) finish();
  }
  GpsRun(const GpsRun&) = delete;
  GpsRun& operator=(const GpsRun&) = delete;

  int finish() {
    stop_.request();
    thread_.join();
    return result_;
  }

  RecordingUi ui;

 private:
  GpsWorkerParams params_;
  GpsStopRequest stop_;
  Coordination* shared_ = nullptr;
  std::thread thread_;
  std::atomic<int> result_{99};
};

TEST(GpsSimulatorProcess, GarminPositionFollowsTheTrackAndWaypointsArrive) {
  const std::string logPath = scratchPath("waypoints.log");
  Simulator simulator({"--garmin", "--track", "--lat", "42.36", "--lon", "-71.06", "--time", "01:02:03", "--log",
                       logPath});
  ASSERT_FALSE(simulator.devicePath().empty());
  Coordination shared;
  shared.values.mobileMode = true;
  {
    GpsRun run(shared, simulator.devicePath(), 0);
    ASSERT_TRUE(shared.events.gpsUploadReady.wait(5000)) << "the Garmin link comes up";
    EXPECT_TRUE(shared.gpsLinkUp);
    EXPECT_TRUE(run.ui.toggleTrack);

    // The receiver moves: the console shows more than one position, all on the circle.
    ASSERT_TRUE(eventually([&] {
      const std::vector<std::string> shown = run.ui.shown();
      return std::set<std::string>(shown.begin(), shown.end()).size() >= 2;
    }));
    const StationPosition position = shared.values.position();
    const double north = position.latitudeDeg - 42.36;
    const double east = (position.longitudeDeg + 71.06) * std::cos(42.36 * std::acos(-1.0) / 180);
    EXPECT_NEAR(std::hypot(north, east), 0.005, 1e-6);
    EXPECT_EQ(position.latHemisphere, 'N');
    EXPECT_EQ(position.lonHemisphere, 'W');
    EXPECT_EQ(shared.gpsHour, 1);
    EXPECT_EQ(shared.gpsMinute, 2);
    EXPECT_EQ(shared.gpsSecond, 3);

    shared.waypointBatch.waypoints = {{"N0CALL-7", 42.5, -71.25}, {"W1AW", 41.714775, -72.72726}};
    run.ui.toggleTrack = false;
    shared.events.gpsUploadRequest.raise();
    ASSERT_TRUE(shared.events.gpsUploadReady.wait(5000));
    EXPECT_TRUE(run.ui.toggleTrack);
    EXPECT_EQ(readFile(logPath),
              "RECORDS\t2\n"
              "WPT\t108\t57\tN0CALL-7\t42.500000\t-71.250000\n"
              "WPT\t108\t53\tW1AW\t41.714775\t-72.727260\n"
              "XFERCMPLT\n");
    EXPECT_EQ(run.finish(), 0);
    EXPECT_FALSE(shared.gpsLinkUp);
    EXPECT_FALSE(run.ui.toggleTrack);
  }
  {
    // The program may close and open the device again: the next run links up too.
    GpsRun again(shared, simulator.devicePath(), 0);
    ASSERT_TRUE(eventually([&] { return shared.gpsLinkUp.load(); }));
    EXPECT_EQ(again.ui.questions, 0);
    EXPECT_EQ(again.finish(), 0);
  }
  EXPECT_EQ(simulator.stop(), 0) << "SIGTERM ends the simulator cleanly";
}

std::string withChecksum(const std::string& body) {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  return "$" + body + textf("*%02X", sum);
}

TEST(GpsSimulatorProcess, NmeaPositionFollowsTheLog) {
  const std::string nmeaPath = scratchPath("track.nmea");
  {
    std::ofstream log(nmeaPath, std::ios::binary);
    log << withChecksum("GPGGA,101500,4221.6000,N,07103.6000,W,1,08,0.9,12.3,M,-33.8,M,,") << "\r\n"
        << withChecksum("GPRMC,101500,A,4221.6000,N,07103.6000,W,0.0,0.0,071225,,,A") << "\r\n"
        << withChecksum("GPGGA,101501.00,4221.6600,N,07103.5400,W,1,08,0.9,12.3,M,-33.8,M,,") << "\r\n"
        << withChecksum("GPRMC,101501.00,A,4221.6600,N,07103.5400,W,0.0,0.0,071225,,,A") << "\r\n"
        << withChecksum("GNGGA,101502.00,4221.7200,N,07103.4800,W,1,08,0.9,12.3,M,-33.8,M,,") << "\n";
  }
  Simulator simulator({"--nmea", nmeaPath, "--rate", "10"});
  ASSERT_FALSE(simulator.devicePath().empty());
  Coordination shared;
  shared.values.mobileMode = true;
  GpsRun run(shared, simulator.devicePath(), 1);
  ASSERT_TRUE(eventually([&] { return shared.gpsSecond == 2; }));
  EXPECT_EQ(run.ui.shown(), (std::vector<std::string>{"42.360000 N  71.060000 W", "42.361000 N  71.059000 W",
                                                      "42.362000 N  71.058000 W"}));
  const StationPosition position = shared.values.position();
  EXPECT_NEAR(position.latitudeDeg, 42.362, 1e-9);
  EXPECT_NEAR(position.longitudeDeg, -71.058, 1e-9);
  EXPECT_EQ(shared.gpsHour, 10);
  EXPECT_EQ(shared.gpsMinute, 15);
  EXPECT_EQ(run.ui.questions, 0);
  EXPECT_EQ(run.finish(), 0);
}

}  // namespace
}  // namespace tervane
