// The GPS worker against in-process receivers: the simulator's Garmin device
// or a scripted NMEA byte stream behind a fake port (pauses are skipped and
// silent reads return at once, so every run takes milliseconds), and against
// the real gpsd fed with NMEA of our own making.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/text_format.h"
#include "gps/garmin_link.h"
#include "gps/gps_time.h"
#include "gps/gps_worker.h"
#include "tools/gpssim/garmin_device.h"
#include "tests/eventually.h"
#include "tests/gps/gpsd_peer.h"

namespace tervane {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

const Bytes kPositionCommand = encodeGarminFrame(kGarminCommand, Bytes{2, 0});
const Bytes kTimeCommand = encodeGarminFrame(kGarminCommand, Bytes{5, 0});

// The receiver's end of the port: a simulated Garmin device that answers what
// the worker writes, or a scripted NMEA stream. Reads hand out one byte.
class TestPort final : public SerialPort {
 public:
  explicit TestPort(std::optional<gpssim::GarminDeviceOptions> garmin, const std::string& nmea = {})
      : input_(nmea.begin(), nmea.end()) {
    if (garmin) device_.emplace(*garmin, clock_);
  }

  std::size_t read(std::uint8_t* buffer, std::size_t maxBytes) override {
    std::uint8_t byte = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (closed_ || maxBytes == 0 || input_.empty()) {
        ++emptyReads_;
        return 0;
      }
      byte = input_.front();
      input_.pop_front();
    }
    if (onByte) onByte(static_cast<char>(byte));
    buffer[0] = byte;
    return 1;
  }
  bool write(const std::uint8_t* data, std::size_t size) override {
    const Bytes frame(data, data + size);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (closed_) return false;
      positionCommands_ += frame == kPositionCommand ? 1 : 0;
      timeCommands_ += frame == kTimeCommand ? 1 : 0;
    }
    if (onWrite) onWrite(frame);
    std::lock_guard<std::mutex> lock(mutex_);
    if (!device_) return true;
    const Bytes answer = device_->receive(frame, 0.0);
    input_.insert(input_.end(), answer.begin(), answer.end());
    for (std::string& line : device_->takeLogLines()) log_.push_back(std::move(line));
    return true;
  }
  void close() override {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  bool isOpen() const override { return locked([&] { return !closed_; }); }
  int positionCommands() const { return locked([&] { return positionCommands_; }); }
  int timeCommands() const { return locked([&] { return timeCommands_; }); }
  int emptyReads() const { return locked([&] { return emptyReads_; }); }
  std::vector<std::string> log() const { return locked([&] { return log_; }); }

  // Called on the worker's thread: every frame written (before the device
  // answers it), every byte read.
  std::function<void(const Bytes&)> onWrite;
  std::function<void(char)> onByte;

 private:
  template <typename Get>
  auto locked(Get get) const -> decltype(get()) {
    std::lock_guard<std::mutex> lock(mutex_);
    return get();
  }

  FixedClock clock_{1765080000};
  mutable std::mutex mutex_;
  std::optional<gpssim::GarminDevice> device_;
  std::deque<std::uint8_t> input_;
  std::vector<std::string> log_;
  int positionCommands_ = 0, timeCommands_ = 0, emptyReads_ = 0;
  bool closed_ = false;
};

class FakeUi final : public GpsUi {
 public:
  void showPosition(const StationPosition& p) override {
    add(shown_, latitudeFieldText(p) + " | " + longitudeFieldText(p));
    if (latch == nullptr) return;
    const std::optional<GpsTimeReading> t = latch->last();
    if (t) add(timesAtShow_, textf("%02d:%02d:%02d", t->hour, t->minute, t->second));
  }
  void setToggleTrackEnabled(bool enabled) override { add(toggles_, enabled); }
  void menuOn() override { ++menuOnCalls; }
  void linkEnded() override { ++linkEndedCalls; }
  void notice(std::string_view text) override { add(notices_, std::string(text)); }
  bool askDeviceOpenError(std::string_view) override {
    ++questions;
    return continueAtError;
  }
  std::vector<std::string> shown() const { return get(shown_); }
  std::vector<bool> toggles() const { return get(toggles_); }
  std::vector<std::string> notices() const { return get(notices_); }
  // The run's last GPS time at each position shown, when `latch` is set.
  std::vector<std::string> timesAtShow() const { return get(timesAtShow_); }

  std::atomic<int> menuOnCalls{0}, linkEndedCalls{0}, questions{0};
  bool continueAtError = true;
  const GpsTimeLatch* latch = nullptr;

 private:
  template <typename T>
  void add(std::vector<T>& v, T value) {
    std::lock_guard<std::mutex> lock(mutex_);
    v.push_back(std::move(value));
  }
  template <typename T>
  std::vector<T> get(const std::vector<T>& v) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return v;
  }
  mutable std::mutex mutex_;
  std::vector<std::string> shown_, notices_, timesAtShow_;
  std::vector<bool> toggles_;
};

struct Harness {
  Coordination shared;
  FakeUi ui;
  std::shared_ptr<TestPort> port;
  SerialOpenResult failure;
  std::vector<int> bauds;
  GpsStopRequest stop;
  GpsTimeLatch time;
  GpsWorkerParams params;
  std::atomic<int> result{99};
  std::thread thread;

  void start() {
    thread = std::thread([this] {
      PortOpener open = [this](int, int baud) {
        bauds.push_back(baud);
        if (!port) return failure;
        SerialOpenResult opened;
        opened.port = port;
        return opened;
      };
      GpsWorkerContext ctx{shared, ui, open, stop, [](int) {}, &time};
      result = runGpsWorker(params, ctx);
    });
  }
  // As GPS > Off does it.
  void stopAndJoin() {
    stop.request();
    thread.join();
  }
  bool ended() const { return result != 99; }
  ~Harness() {
    if (thread.joinable()) stopAndJoin();
  }
};

gpssim::GarminDeviceOptions garminAt(double latitudeDeg, double longitudeDeg, int format = 108) {
  gpssim::GarminDeviceOptions options;
  options.latitudeDeg = latitudeDeg;
  options.longitudeDeg = longitudeDeg;
  options.waypointFormat = format;
  options.secondOfDay = 12 * 3600 + 34 * 60 + 56;
  return options;
}

TEST(GpsWorkerGarmin, MobileStationTakesPositionAndTimeFromTheReceiver) {
  Harness h;
  h.port = std::make_shared<TestPort>(garminAt(-33.9, -151.2));
  h.shared.values.mobileMode = true;
  h.start();
  ASSERT_TRUE(eventually([&] { return !h.ui.shown().empty() && h.shared.gpsTimeReceived; }));

  const StationPosition position = h.shared.values.position();
  EXPECT_NEAR(position.latitudeDeg, -33.9, 1e-9);
  EXPECT_NEAR(position.longitudeDeg, -151.2, 1e-9);
  EXPECT_EQ(position.latHemisphere, 'S');
  EXPECT_EQ(position.lonHemisphere, 'W');
  EXPECT_EQ(h.ui.shown().front(), "33.900000 S | 151.200000 W");
  EXPECT_EQ(h.shared.gpsHour * 10000 + h.shared.gpsMinute * 100 + h.shared.gpsSecond, 123456);
  EXPECT_TRUE(h.shared.gpsLinkUp);
  EXPECT_EQ(h.ui.toggles(), std::vector<bool>{true});
  EXPECT_TRUE(h.shared.events.gpsUploadReady.isRaised());
  EXPECT_EQ(h.ui.questions + h.ui.menuOnCalls, 0) << "the menu stays as GPS > On set it";
  EXPECT_EQ(h.bauds, std::vector<int>{9600});

  h.stopAndJoin();
  EXPECT_EQ(h.result, 0);
  EXPECT_FALSE(h.port->isOpen());
  EXPECT_FALSE(h.shared.gpsLinkUp);
  EXPECT_EQ(h.ui.toggles(), (std::vector<bool>{true, false}));
}

TEST(GpsWorkerGarmin, FixedStationPollsOnlyTheTime) {
  Harness h;
  h.port = std::make_shared<TestPort>(garminAt(-33.9, -151.2));
  h.shared.values.setPosition(42.5, -71.25);
  h.start();
  ASSERT_TRUE(eventually([&] { return h.port->timeCommands() >= 3; }));
  EXPECT_EQ(h.port->positionCommands(), 0);
  EXPECT_TRUE(h.ui.shown().empty());
  EXPECT_EQ(h.shared.values.position().latitudeDeg, 42.5);
  EXPECT_EQ(h.shared.gpsHour, 12);
}

TEST(GpsWorkerGarmin, UploadsThreeStationsAsD108Waypoints) {
  Harness h;
  h.port = std::make_shared<TestPort>(garminAt(42.36, -71.06));
  h.start();
  // As "Toggle Track" does it: take the token, fill the batch, hand it over.
  ASSERT_TRUE(h.shared.events.gpsUploadReady.wait(3000));
  h.shared.waypointBatch.waypoints = {
      {"N0CALL", 42.36, -71.06}, {"W1AW-9", 41.714775, -72.727260}, {"VK2XYZ-15", -33.8568, 151.2153}};
  h.shared.events.gpsUploadRequest.raise();
  ASSERT_TRUE(h.shared.events.gpsUploadReady.wait(3000));

  EXPECT_EQ(h.port->log(), (std::vector<std::string>{
                               "RECORDS\t3",
                               "WPT\t108\t55\tN0CALL\t42.360000\t-71.060000",
                               "WPT\t108\t55\tW1AW-9\t41.714775\t-72.727260",
                               "WPT\t108\t58\tVK2XYZ-15\t-33.856800\t151.215300",
                               "XFERCMPLT",
                           }));
  EXPECT_TRUE(h.shared.waypointBatch.waypoints.empty()) << "the batch is released";
  EXPECT_EQ(h.ui.toggles(), (std::vector<bool>{true, true}));
}

TEST(GpsWorkerGarmin, UploadAskedBeforeTheLinkWasUp) {
  // A batch filled while no link was up is sent as soon as the link is.
  Harness h;
  h.port = std::make_shared<TestPort>(garminAt(42.36, -71.06, 103));
  h.shared.waypointBatch.waypoints = {{"KB1XYZ-7", 42.0, -71.0}};
  h.shared.events.gpsUploadRequest.raise();
  h.start();
  ASSERT_TRUE(h.shared.events.gpsUploadReady.wait(3000));
  EXPECT_EQ(h.port->log(),
            (std::vector<std::string>{"RECORDS\t1", "WPT\t103\t60\tKB1XYZ\t42.000000\t-71.000000", "XFERCMPLT"}));
  ASSERT_TRUE(eventually([&] { return h.port->timeCommands() >= 2; }));
  EXPECT_FALSE(h.ended());
}

TEST(GpsWorkerGarmin, WaypointFormatDecidesWhetherTheLinkComesUp) {
  struct Row {
    const char* name;
    int format;
    bool linkUp;
    std::vector<std::string> notices;
  };
  const Row rows[] = {
      {"D155 listed", 155, true, {}},
      {"no D1xx in the list", 0, false, {}},
      {"D109 has no layout",
       109,
       false,
       {"The GPS receiver's waypoint format D109 is not supported; waypoints are not uploaded."}},
      {"D153 has no layout",
       153,
       false,
       {"The GPS receiver's waypoint format D153 is not supported; waypoints are not uploaded."}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Harness h;
    h.port = std::make_shared<TestPort>(garminAt(42.36, -71.06, row.format));
    h.start();
    ASSERT_TRUE(eventually([&] { return h.port->timeCommands() >= 3; }));
    EXPECT_EQ(h.shared.gpsLinkUp, row.linkUp);
    EXPECT_EQ(h.shared.events.gpsUploadReady.isRaised(), row.linkUp);
    EXPECT_EQ(h.ui.toggles(), row.linkUp ? std::vector<bool>{true} : std::vector<bool>{});
    EXPECT_EQ(h.ui.notices(), row.notices);
    EXPECT_EQ(h.shared.gpsHour, 12) << "time is polled either way";
  }
}

TEST(GpsWorker, SilentReceiverAsksTheQuestionOnce) {
  for (const bool garmin : {true, false}) {
    for (const bool continueAtError : {false, true}) {
      SCOPED_TRACE(std::string(garmin ? "Garmin, " : "NMEA, ") + (continueAtError ? "Continue" : "Cancel"));
      Harness h;
      gpssim::GarminDeviceOptions silent;
      silent.silent = true;
      h.port = std::make_shared<TestPort>(garmin ? std::optional(silent) : std::nullopt);
      h.params.gpsType = garmin ? GpsType::Garmin : GpsType::Nmea;
      h.ui.continueAtError = continueAtError;
      h.start();
      if (continueAtError) {
        ASSERT_TRUE(eventually([&] { return h.port->emptyReads() >= 20; })) << "polling goes on";
        EXPECT_EQ(h.ui.menuOnCalls, 1);
        h.stopAndJoin();
      } else {
        ASSERT_TRUE(eventually([&] { return h.ended(); }));
        h.thread.join();
        EXPECT_EQ(h.ui.linkEndedCalls, 1);
        EXPECT_EQ(h.port->emptyReads(), garmin ? 1 : 6);
      }
      EXPECT_EQ(h.result, 0);
      EXPECT_EQ(h.ui.questions, 1);
      EXPECT_FALSE(h.port->isOpen());
    }
  }
}

TEST(GpsWorker, PortThatCannotBeSetUpEndsWithOneNotice) {
  for (const auto& [gpsType, baud] : {std::pair{0, 9600}, std::pair{1, 4800}, std::pair{3, 4800}}) {
    SCOPED_TRACE(gpsType);
    Harness h;
    h.params = {2, gpsTypeFromIndex(gpsType)};
    h.failure.devicePath = "/dev/ttyUSB7";
    h.failure.error = "Permission denied";
    h.start();
    h.thread.join();
    EXPECT_EQ(h.result, -1);
    EXPECT_EQ(h.bauds, std::vector<int>{baud});
    EXPECT_EQ(h.ui.notices(),
              std::vector<std::string>{"GPS port COM2 (/dev/ttyUSB7) could not be opened: Permission denied"});
    EXPECT_EQ(h.ui.linkEndedCalls, 1);
  }
}

std::string nmeaSentence(const std::string& body) {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  return "$" + body + textf("*%02X", sum) + "\r\n";
}

TEST(GpsWorkerNmea, ReadsGgaSentencesOfEveryShape) {
  const std::string stream =
      nmeaSentence("GPGGA,143000,,,,,0,00,99.9,,M,,M,,") +
      nmeaSentence("GPGGA,143032.00,4221.6720,N,07103.4380,W,1,08,0.9,12.5,M,-33.8,M,,") +
      nmeaSentence("GPRMC,143033,A,1111.0000,N,02222.0000,E,0.0,0.0,071225,,,A") +
      nmeaSentence("GNGGA,150000.50,3354.0000,S,15112.0000,W,1,05,1.2,3.0,M,20.1,M,,") +
      "$GPGGA,160000,1111.0000,N,02222.0000,E,1,05,1.2,3.0,M,20.1,M,,*00\r\n" +
      nmeaSentence("GPGGA,230000,1111.0000,N,02222.0000,E,0,00,99.9,3.0,M,20.1,M,,");
  for (const bool mobile : {true, false}) {
    SCOPED_TRACE(mobile ? "mobile" : "fixed");
    Harness h;
    h.params.gpsType = GpsType::Nmea;
    h.port = std::make_shared<TestPort>(std::nullopt, stream);
    h.shared.values.mobileMode = mobile;
    h.shared.values.setPosition(10.0, 20.0);
    h.start();
    ASSERT_TRUE(eventually([&] { return h.shared.gpsHour == 23; })) << "quality 0: the time only";
    EXPECT_EQ(h.ui.questions, 0);
    const StationPosition position = h.shared.values.position();
    if (mobile) {
      EXPECT_EQ(h.ui.shown(),
                (std::vector<std::string>{"42.361200 N |  71.057300 W", "33.900000 S | 151.200000 W"}));
      EXPECT_NEAR(position.latitudeDeg, -33.9, 1e-9);
      EXPECT_NEAR(position.longitudeDeg, -151.2, 1e-9);
      EXPECT_EQ(std::string({position.latHemisphere, position.lonHemisphere}), "SW");
    } else {
      EXPECT_TRUE(h.ui.shown().empty());
      EXPECT_EQ(position.latitudeDeg, 10.0);
    }
    h.stopAndJoin();
    EXPECT_EQ(h.result, 0);
    EXPECT_FALSE(h.port->isOpen());
    EXPECT_EQ(h.ui.toggles(), std::vector<bool>{false});
  }
}

// GPS > Off arrives while a fix is on its way: the worker must not store it,
// nor any later time, over the fixed position that GPS > Off put back.
TEST(GpsWorker, StoresNothingOnceStopped) {
  struct Row {
    const char* name;
    bool garmin;
  };
  const Row rows[] = {
      {"Garmin", true},
      {"NMEA", false},
  };
  const std::string fix = nmeaSentence("GPGGA,143032.00,4221.6720,N,07103.4380,W,1,08,0.9,12.5,M,-33.8,M,,");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Harness h;
    h.shared.values.mobileMode = true;
    std::atomic<bool> armed{false}, fired{false};
    std::size_t shownBeforeOff = 0;
    auto gpsOff = [&] {
      if (!armed || fired.exchange(true)) return;
      shownBeforeOff = h.ui.shown().size();
      h.stop.request();
      h.shared.values.setPosition(-1.5, -2.5);
      h.shared.gpsHour = -1;
    };
    if (row.garmin) {
      h.port = std::make_shared<TestPort>(garminAt(42.36, -71.06));
      h.port->onWrite = [&](const Bytes& frame) {
        if (frame == kPositionCommand) gpsOff();
      };
    } else {
      h.params.gpsType = GpsType::Nmea;
      h.port = std::make_shared<TestPort>(std::nullopt, fix + fix + fix + fix);
      h.port->onByte = [&](char byte) {
        if (byte == '\n') armed = true;
        if (byte == '\r') gpsOff();
      };
    }
    h.start();
    ASSERT_TRUE(eventually([&] { return !h.ui.shown().empty(); }));
    armed = true;
    ASSERT_TRUE(eventually([&] { return h.ended(); }));
    h.thread.join();
    EXPECT_TRUE(fired);
    EXPECT_GE(shownBeforeOff, 1u);
    EXPECT_EQ(h.ui.shown().size(), shownBeforeOff);
    EXPECT_EQ(h.shared.values.position().latitudeDeg, -1.5);
    EXPECT_EQ(h.shared.values.position().longitudeDeg, -2.5);
    EXPECT_EQ(h.shared.gpsHour, -1);
  }
}

// One second of a receiver's NMEA: RMC, then GGA. Without a fix the receiver
// marks both invalid and counts no satellites, but still sends a position.
struct Second {
  const char* time;
  const char* latitude;
  char ns;
  const char* longitude;
  char ew;
  bool fix;
  const char* shown;  // the console fields it must give, or nothing
};

std::vector<std::string> sentencesOf(std::initializer_list<Second> seconds) {
  std::vector<std::string> lines;
  for (const Second& s : seconds) {
    lines.push_back(nmeaSentence(textf("GPRMC,%s.00,%c,%s,%c,%s,%c,0.0,0.0,071225,,,%c", s.time, s.fix ? 'A' : 'V',
                                       s.latitude, s.ns, s.longitude, s.ew, s.fix ? 'A' : 'N')));
    lines.push_back(nmeaSentence(textf("GPGGA,%s.00,%s,%c,%s,%c,%d,%s,0.9,12.5,M,-33.8,M,,", s.time, s.latitude, s.ns,
                                       s.longitude, s.ew, s.fix ? 1 : 0, s.fix ? "08" : "00")));
  }
  return lines;
}

// gpsd repeats a fix when a later sentence of the same second refines it.
std::vector<std::string> withoutRepeats(std::vector<std::string> shown) {
  shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
  return shown;
}

void useGpsd(Harness& h, int port) {
  h.params.gpsType = GpsType::Gpsd;
  h.params.gpsdHost = "127.0.0.1";
  h.params.gpsdPort = port;
}

TEST(GpsWorkerGpsd, PositionsFollowTheSentencesFedAcrossAGpsdRestart) {
  if (GpsdPeer::program().empty()) GTEST_SKIP() << "gpsd is not installed";
  const std::initializer_list<Second> beforeRestart = {
      {"120000", "4221.6720", 'N', "07103.4380", 'W', true, "42.361200 N |  71.057300 W"},
      {"120001", "3354.0000", 'S', "15112.0000", 'E', true, "33.900000 S | 151.200000 E"},
      {"120002", "5130.0000", 'N', "00015.0000", 'W', false, nullptr},
      {"120003", "1000.5000", 'S', "06000.2500", 'W', true, "10.008333 S |  60.004167 W"},
  };
  const std::initializer_list<Second> afterRestart = {
      {"120100", "6012.3450", 'N', "02456.7890", 'E', true, "60.205750 N |  24.946483 E"},
      {"120101", "4500.0000", 'S', "17000.0000", 'W', true, "45.000000 S | 170.000000 W"},
  };
  std::vector<std::string> expected;
  for (const auto& part : {beforeRestart, afterRestart}) {
    for (const Second& s : part) {
      if (s.shown != nullptr) expected.emplace_back(s.shown);
    }
  }
  GpsdPeer gpsd;
  Harness h;
  useGpsd(h, gpsd.port());
  h.shared.values.mobileMode = true;
  h.ui.latch = &h.time;
  h.start();
  const std::string where = textf("127.0.0.1:%d", gpsd.port());
  ASSERT_TRUE(eventually([&] { return h.ui.notices().size() == 1; })) << "gpsd is not running yet";
  ASSERT_TRUE(gpsd.start());
  ASSERT_TRUE(gpsd.feed(sentencesOf(beforeRestart)));
  ASSERT_TRUE(eventually([&] { return withoutRepeats(h.ui.shown()).size() == 3; }));
  gpsd.stop();
  ASSERT_TRUE(eventually([&] { return h.ui.notices().size() == 2; }));
  ASSERT_TRUE(gpsd.start());
  ASSERT_TRUE(gpsd.feed(sentencesOf(afterRestart)));
  ASSERT_TRUE(eventually([&] { return withoutRepeats(h.ui.shown()).size() == 5; }, 10000));

  EXPECT_EQ(withoutRepeats(h.ui.shown()), expected);
  EXPECT_EQ(h.ui.notices(),
            (std::vector<std::string>{"gpsd at " + where + " does not answer (Connection refused); reconnecting.",
                                      "gpsd at " + where + " went away (gpsd closed the connection); reconnecting."}));
  for (const std::string& t : h.ui.timesAtShow()) EXPECT_NE(t, "12:00:02") << "the time of a second without a fix";
  ASSERT_TRUE(eventually([&] {
    const std::optional<GpsTimeReading> t = h.time.last();
    return t && t->hour == 12 && t->minute == 1 && t->second == 1;
  }));
  const GpsDate date = h.time.last()->date.value_or(GpsDate{});
  EXPECT_EQ(textf("%04d-%02d-%02d", date.year, date.month, date.day), "2025-12-07");
  const StationPosition position = h.shared.values.position();
  EXPECT_EQ(std::string({position.latHemisphere, position.lonHemisphere}), "SW");
  EXPECT_NEAR(position.longitudeDeg, -170.0, 1e-9);
  h.stopAndJoin();
  EXPECT_EQ(h.result, 0);
  EXPECT_EQ(h.ui.questions + h.ui.linkEndedCalls, 0) << "the window never waits for gpsd";
}

TEST(GpsWorkerGpsd, GpsOffEndsTheLinkWhileGpsdIsAway) {
  struct Row {
    const char* name;
    bool blackHole;
    const char* reason;
  };
  const Row rows[] = {
      {"nothing listens on the port", false, "Connection refused"},
      {"connections are never answered", true, "Connection timed out"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // A listener whose queue is full drops further connection requests
    // unanswered, as a host behind a firewall does.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::vector<int> queued;
    if (row.blackHole) {
      ASSERT_EQ(::listen(listener, 0), 0);
      for (int i = 0; i < 3; ++i) {
        queued.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        ::connect(queued.back(), reinterpret_cast<sockaddr*>(&address), sizeof address);
      }
    }
    Harness h;
    useGpsd(h, ntohs(address.sin_port));
    h.start();
    ASSERT_TRUE(eventually([&] { return h.ui.notices().size() == 1; }, 10000));
    EXPECT_NE(h.ui.notices().front().find(row.reason), std::string::npos) << h.ui.notices().front();
    h.stopAndJoin();
    EXPECT_EQ(h.result, 0);
    EXPECT_EQ(h.ui.notices().size(), 1u);
    for (int fd : queued) ::close(fd);
    ::close(listener);
  }
}

}  // namespace
}  // namespace tervane
