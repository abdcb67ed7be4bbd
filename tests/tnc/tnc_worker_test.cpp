#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include <csignal>
#include <sys/resource.h>

#include "aprs/station_entry.h"
#include "base/coordination.h"
#include "tnc/text_tnc_link.h"
#include "tnc/tnc_setup.h"
#include "tnc/tnc_worker.h"
#include "tests/eventually.h"

namespace tervane {
namespace {

using namespace std::chrono_literals;

// A serial port fed by the test: reads return queued chunks (up to the asked
// count), or nothing after a short pause; writes are recorded.
class FakePort final : public SerialPort {
 public:
  void receive(std::string bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    incoming_.push_back(std::move(bytes));
  }
  std::size_t read(std::uint8_t* buffer, std::size_t maxBytes) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!closed_ && !incoming_.empty()) {
        std::string& front = incoming_.front();
        const std::size_t n = std::min(maxBytes, front.size());
        std::copy(front.begin(), front.begin() + static_cast<std::ptrdiff_t>(n), buffer);
        front.erase(0, n);
        if (front.empty()) incoming_.pop_front();
        return n;
      }
    }
    std::this_thread::sleep_for(2ms);
    return 0;
  }
  bool write(const std::uint8_t* data, std::size_t size) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
    writes_.emplace_back(reinterpret_cast<const char*>(data), size);
    return true;
  }
  void close() override {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  bool isOpen() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return !closed_;
  }
  std::vector<std::string> writes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return writes_;
  }

 private:
  mutable std::mutex mutex_;
  std::deque<std::string> incoming_;
  std::vector<std::string> writes_;
  bool closed_ = false;
};

class FakeUi final : public TncUi {
 public:
  void showLine(std::string_view line) override { add(lines, line); }
  void setUtcClock(std::string_view text) override { add(clock, text); }
  void prefillInputLine(std::string_view text) override { add(input, text); }
  void linkEnded() override { ended = true; }
  void captureEnded() override { captureOver = true; }
  void notice(std::string_view text) override { add(notices, text); }
  bool askDeviceOpenError(std::string_view) override {
    asked = true;
    return continueAtError;
  }
  std::vector<std::string> get(const std::vector<std::string>& v) {
    std::lock_guard<std::mutex> lock(mutex);
    return v;
  }

  std::mutex mutex;
  std::vector<std::string> lines, clock, input, notices;
  std::atomic<bool> ended{false}, asked{false}, captureOver{false};
  bool continueAtError = true;

 private:
  void add(std::vector<std::string>& v, std::string_view t) {
    std::lock_guard<std::mutex> lock(mutex);
    v.emplace_back(t);
  }
};

class FakeStations final : public StationSink {
 public:
  void addCallsign(std::string_view call) override {
    std::lock_guard<std::mutex> lock(mutex);
    calls.emplace_back(call);
  }
  void addOrUpdate(const StationEntry& entry) override {
    std::lock_guard<std::mutex> lock(mutex);
    positions.push_back(entry.sourceCall.str());
  }
  std::mutex mutex;
  std::vector<std::string> calls, positions;
};

struct Harness {
  Coordination shared;
  FixedClock clock{1765080000 /* 2025-12-07 04:00:00 UTC */, 0};
  FakeUi ui;
  FakeStations stations;
  StreamSlot slot;
  CaptureSession capture;
  OutboundQueue outbound;
  std::shared_ptr<FakePort> port = std::make_shared<FakePort>();
  bool portFails = false;
  std::atomic<bool> stop{false};
  std::atomic<int> result{99};
  std::thread thread;
  std::unique_ptr<LinkKind> link;

  // Where the run stands among several links (a link alone by default).
  LinkPlace place;
  PacketRouter* router = nullptr;
  LinkCounters counters;

  Harness() { shared.values.tncBeaconFlag = true; }
  explicit Harness(Coordination* sharedWith) : sharedOverride(sharedWith) {}
  Coordination* sharedOverride = nullptr;
  Coordination& coordination() { return sharedOverride != nullptr ? *sharedOverride : shared; }
  void start() {
    link = std::make_unique<TextTncLink>(SerialLinkParams{1, 9600, [this](int, int) {
                                                            SerialOpenResult r;
                                                            r.devicePath = "/dev/ttyS0";
                                                            if (portFails) {
                                                              r.error = "Permission denied";
                                                            } else {
                                                              r.port = port;
                                                            }
                                                            return r;
                                                          }});
    thread = std::thread([this] {
      TncWorkerContext ctx{coordination(), clock,     ui,    &stations, *link,    slot,
                           capture,        &stop,     &outbound, place,  router,   &counters};
      result = runTncWorker(ctx);
    });
  }
  void stopAndJoin() {
    stop = true;
    thread.join();
  }
  ~Harness() {
    if (thread.joinable()) stopAndJoin();
  }
};

TEST(TncWorker, ShowsDecodesAndEndsOnStop) {
  Harness h;
  h.port->receive("cmd:");  // the probe's answer
  h.start();
  h.port->receive("N0CALL>APRS,WIDE2-2:!4237.14N/07120.83W>test\r\nW1ABC>APRS:>status only\r\nAB_C>APRS:x\r\n");
  ASSERT_TRUE(eventually([&] { return h.ui.get(h.ui.lines).size() == 3; }));
  EXPECT_EQ(h.ui.get(h.ui.lines)[0], "N0CALL>APRS,WIDE2-2:!4237.14N/07120.83W>test\r\n");
  {
    std::lock_guard<std::mutex> lock(h.stations.mutex);
    EXPECT_EQ(h.stations.calls, (std::vector<std::string>{"N0CALL", "W1ABC"}));
    EXPECT_EQ(h.stations.positions, (std::vector<std::string>{"N0CALL"}));
  }
  EXPECT_EQ(h.port->writes().front(), "\x03\r\r");
  EXPECT_FALSE(h.ui.asked);
  EXPECT_EQ(h.ui.get(h.ui.clock).front(), "04:00:00");
  h.stopAndJoin();
  EXPECT_EQ(h.result, 0);
}

TEST(TncWorker, APromptCutByTheProbeReadDoesNotSpoilTheFirstLine) {
  const std::string line = "N0CALL>APRS:!4237.14N/07120.83W>first\r\n";
  struct Case {
    const char* what;
    std::vector<std::string> answer;  // as the port delivers it, read by read
  };
  const Case cases[] = {
      {"one prompt", {"cmd:"}},
      // One new line and prompt per probe byte: 18 bytes, the read ends at "cm".
      {"three prompts", {"\r\ncmd:\r\ncmd:\r\ncmd:"}},
      {"prompt cut after its first letter", {"\r\ncmd:\r\ncmd:\r\nc", "md:"}},
      // An answer that only looks cut: what follows is monitored text.
      {"answer ending in c", {"ok abc"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Harness h;
    for (const std::string& part : c.answer) h.port->receive(part);
    h.port->receive(line);
    h.start();
    ASSERT_TRUE(eventually([&] { return h.ui.get(h.ui.lines).size() == 1; }));
    EXPECT_EQ(h.ui.get(h.ui.lines)[0], line);
    std::lock_guard<std::mutex> lock(h.stations.mutex);
    EXPECT_EQ(h.stations.positions, std::vector<std::string>{"N0CALL"});
  }
}

TEST(TncWorker, SilentTncAsksAndCancelEndsTheLink) {
  Harness h;
  h.ui.continueAtError = false;
  h.start();
  ASSERT_TRUE(eventually([&] { return h.result != 99; }));
  h.thread.join();
  EXPECT_TRUE(h.ui.asked);
  EXPECT_TRUE(h.ui.ended);
  EXPECT_EQ(h.result, 0);
  EXPECT_FALSE(h.port->isOpen());
}

TEST(TncWorker, SilentTncContinuesWhenAsked) {
  Harness h;
  h.start();
  ASSERT_TRUE(eventually([&] { return h.ui.asked.load(); }));
  h.port->receive("late>APRS:hello\r\n");
  ASSERT_TRUE(eventually([&] { return h.ui.get(h.ui.lines).size() == 1; }));
  EXPECT_FALSE(h.ui.ended);
}

TEST(TncWorker, PortThatCannotBeOpenedEndsWithMinusOneAndSaysWhy) {
  Harness h;
  h.portFails = true;
  h.start();
  h.thread.join();
  EXPECT_EQ(h.result, -1);
  EXPECT_TRUE(h.ui.ended);
  ASSERT_EQ(h.ui.get(h.ui.notices).size(), 1u);
  EXPECT_NE(h.ui.get(h.ui.notices)[0].find("COM1 (/dev/ttyS0)"), std::string::npos);
  EXPECT_NE(h.ui.get(h.ui.notices)[0].find("Permission denied"), std::string::npos);
}

// What the station sends reaches a text-mode TNC, in order, as exactly the
// bytes of its command language that the program has always written.
TEST(TncWorker, OutboundItemsReachATextTncAsItsCommandLanguage) {
  Harness h;
  h.port->receive("cmd:");
  h.start();
  StationSettings s;
  s.callsign = "N0DEMO";
  s.latitude = "42.3601";
  s.longitude = "-71.0589";
  Outbound initialize{Outbound::Kind::Initialize};
  initialize.settings = std::make_shared<const StationSettings>(s);
  Outbound unset = initialize;
  unset.tncBeaconAllowed = false;
  Outbound passStart{Outbound::Kind::PassStart};
  passStart.destination = "APRS";
  passStart.path = "ARISS";
  Outbound passEnd{Outbound::Kind::PassEnd};
  passEnd.destination = "APRS";
  passEnd.path = "WIDE1-1,WIDE2-1";
  passEnd.tncBeaconTens = 180;
  Outbound passEndPcBeacon = passEnd;
  passEndPcBeacon.tncBeaconTens = -1;
  const std::vector<Outbound> items = {Outbound::typedLine("hello\r"),
                                       Outbound{Outbound::Kind::Control},
                                       Outbound{Outbound::Kind::Converse},
                                       Outbound::packet("/070400z4221.61N/07103.53W-PHG5230/CQ"),
                                       Outbound::packet("QSL K1DEF K1TUV "),
                                       passStart,
                                       passEnd,
                                       passEndPcBeacon,
                                       initialize,
                                       unset};
  std::vector<std::string> expected = {"hello\r",
                                       "\x03",
                                       "\x03" "conv\r",
                                       "\x03" "conv\r/070400z4221.61N/07103.53W-PHG5230/CQ\r",
                                       "\x03" "conv\rQSL K1DEF K1TUV \r",
                                       "\x03UNPROTO APRS VIA ARISS\r",
                                       "B E  0\r",
                                       "\x03UNPROTO APRS VIA WIDE1-1,WIDE2-1\r",
                                       "B E 180\r",
                                       "conv\r",
                                       "\x03UNPROTO APRS VIA WIDE1-1,WIDE2-1\r",
                                       "conv\r"};
  for (const std::string& t : tncInitializationTexts(s, nullptr)) expected.push_back(t);
  for (const std::string& t : withoutTncBeacon(tncInitializationTexts(s, nullptr))) expected.push_back(t);
  for (const Outbound& item : items) h.outbound.post(item);
  ASSERT_TRUE(eventually([&] { return h.port->writes().size() == expected.size() + 1; }));
  auto writes = h.port->writes();
  writes.erase(writes.begin());  // the probe
  EXPECT_EQ(writes, expected);
}

TEST(TncWorker, StopRequestForThisRunEndsItWithinAPass) {
  Harness h;
  h.port->receive("cmd:");
  h.start();
  std::this_thread::sleep_for(20ms);
  h.port->close();
  h.stop = true;
  ASSERT_TRUE(eventually([&] { return h.result != 99; }));
  h.thread.join();
  EXPECT_EQ(h.result, 0);
}

TEST(TncWorker, TimeTagHighlightFilterAndCapture) {
  Harness h;
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tervane-capture-test";
  std::filesystem::create_directories(dir);
  const std::string capturePath = (dir / "cap.txt").string();
  std::string reason;
  h.capture.start(LineFile::create(capturePath, &reason));
  ASSERT_TRUE(h.capture.hasFile()) << reason;
  FilterStrings filters{};
  filters[0] = "WIDE";
  h.shared.values.setFilterStrings(filters);
  h.port->receive("cmd:");
  h.start();

  h.port->receive(std::string("A1A>APRS,WIDE2-1:one\0 after a zero byte\r\n", 41));
  ASSERT_TRUE(eventually([&] { return h.ui.get(h.ui.lines).size() == 1; }));
  h.shared.values.displayMode = 1;  // Text Filter > Highlight
  h.shared.values.timeTags = true;
  std::this_thread::sleep_for(30ms);
  h.port->receive("B1B>APRS,WIDE2-1:two\r\nC1C>APRS:three\r\n");
  ASSERT_TRUE(eventually([&] { return h.ui.get(h.ui.lines).size() == 3; }));
  h.shared.values.displayMode = 2;  // Text Filter > Filter
  h.capture.setPaused(true);
  std::this_thread::sleep_for(30ms);
  h.port->receive("D1D>APRS:four\r\nE1E>APRS,WIDE:five\r\n");
  ASSERT_TRUE(eventually([&] { return h.ui.get(h.ui.lines).size() == 4; }));
  h.capture.stop();

  const std::vector<std::string> shown = {
      "A1A>APRS,WIDE2-1:one\r\n",
      " > [12/7/2025 04:00:00]  B1B>APRS,WIDE2-1:two\r\n",
      "    [12/7/2025 04:00:00]  C1C>APRS:three\r\n",
      "[12/7/2025 04:00:00]  E1E>APRS,WIDE:five\r\n",
  };
  EXPECT_EQ(h.ui.get(h.ui.lines), shown);
  std::ifstream in(capturePath, std::ios::binary);
  std::stringstream captured;
  captured << in.rdbuf();
  EXPECT_EQ(captured.str(), shown[0] + shown[1] + shown[2]);
  std::filesystem::remove_all(dir);
}

// A capture that cannot write ends at once with one line for the operator,
// and the file holds whole lines only.
TEST(TncWorker, ACaptureThatCannotWriteEndsAndSaysWhy) {
  struct Case {
    const char* what;
    bool sizeLimit;  // a file-size limit (as on a full disk); otherwise the file is deleted
    const char* reason;
  };
  const Case cases[] = {
      {"file-size limit reached", true, "File too large"},
      {"file deleted under the capture", false, "the file was deleted"},
  };
  const std::string line = "K1ABC>APRS:>a line of thirty-nine bytes\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::signal(SIGXFSZ, SIG_IGN);  // as the program does: a write beyond the limit fails instead
    Harness h;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tervane-capture-fail";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "cap.txt").string();
    std::string reason;
    h.capture.start(LineFile::create(path, &reason));
    h.port->receive("cmd:");
    h.start();
    h.port->receive(line);
    ASSERT_TRUE(eventually([&] { return h.ui.get(h.ui.lines).size() == 1; }));
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    if (c.sizeLimit) {
      rlimit limit = previous;
      limit.rlim_cur = static_cast<rlim_t>(line.size() * 2 - 10);  // room for one line and a half
      ::setrlimit(RLIMIT_FSIZE, &limit);
    } else {
      std::filesystem::remove(path);
    }
    h.port->receive(line + line);
    ASSERT_TRUE(eventually([&] { return h.ui.get(h.ui.lines).size() == 3; }));
    ASSERT_TRUE(eventually([&] { return h.ui.captureOver.load(); }));
    ::setrlimit(RLIMIT_FSIZE, &previous);
    h.stopAndJoin();
    EXPECT_FALSE(h.capture.isCapturing());
    const std::vector<std::string> notices = h.ui.get(h.ui.notices);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find(path), std::string::npos) << notices[0];
    EXPECT_NE(notices[0].find(c.reason), std::string::npos) << notices[0];
    if (c.sizeLimit) {
      std::ifstream in(path, std::ios::binary);
      std::stringstream captured;
      captured << in.rdbuf();
      EXPECT_EQ(captured.str(), line);
    }
    std::filesystem::remove_all(dir);
  }
}

TEST(TncWorker, EmailPromptAndPcBeacon) {
  Harness h;
  h.shared.values.setEmailAddress("op@example.org");
  h.shared.values.setCallsign("N0DEMO");
  h.shared.values.setPosition(42.3601, -71.0589);
  h.shared.values.setPhgText("5230");
  h.shared.values.setBeaconComment("CQ");
  h.shared.values.beaconMinutes = 30;
  h.shared.values.lastBeaconHours = 0;
  h.shared.values.tncBeaconFlag = false;
  h.port->receive("cmd:");
  h.shared.events.emailPrompt.raise();
  h.start();
  ASSERT_TRUE(eventually([&] { return h.ui.get(h.ui.input).size() == 1; }));
  EXPECT_EQ(h.ui.get(h.ui.input)[0], ":EMAIL    :op@example.org ");
  const auto writes = h.port->writes();
  ASSERT_GE(writes.size(), 4u);
  EXPECT_EQ(writes[1], "\x03" "conv\r");
  EXPECT_EQ(writes[2], "/070400z4221.61N/07103.53W-PHG5230/CQ\r");
  EXPECT_EQ(writes[3], "\x03" "conv\r");  // the e-mail prompt's escape
  EXPECT_DOUBLE_EQ(h.shared.values.lastBeaconHours.load(), 4.0);
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(h.port->writes().size(), 4u);  // no second beacon before it is due
}


// What the PC beacon sends, or refuses with one console line, for stations
// set up rightly and wrongly, in and out of a satellite pass.
TEST(TncWorker, PcBeaconGoesOutOnlyFromAStationThatIsSetUp) {
  struct Row {
    const char* name;
    const char* callsign;
    double latDeg, lonDeg;
    const char* phg;
    bool tncBeacons;  // the station's choice: the TNC beacons by itself
    bool pass;
    bool mobile;
    const char* sent;     // the report, or nullptr
    const char* refusal;  // part of the console line, or nullptr
  };
  const Row rows[] = {
      {"fixed station on its own schedule", "N0DEMO", 42.3601, -71.0589, "5230", false, false, false,
       "/070400z4221.61N/07103.53W-PHG5230/CQ\r", nullptr},
      {"mobile chosen with the link open", "N0DEMO", 42.3601, -71.0589, "5230", false, false, true,
       "/070400z4221.61N/07103.53W>PHG5230/CQ\r", nullptr},
      {"a pass beacons though the TNC beacons by itself", "N0DEMO-9", 42.3601, -71.0589, "5230", true, true, false,
       "/070400z4221.61N/07103.53W-PHG5230/CQ\r", nullptr},
      {"the TNC beacons by itself outside a pass", "N0DEMO", 42.3601, -71.0589, "5230", true, false, false, nullptr,
       nullptr},
      {"no callsign", "", 42.3601, -71.0589, "5230", false, false, false, nullptr, "no callsign is set"},
      {"N0CALL is no callsign of one's own", "N0CALL-7", 42.3601, -71.0589, "5230", false, true, false, nullptr,
       "no callsign is set"},
      {"position never set", "N0DEMO", 0, 0, "5230", false, true, false, nullptr, "position is not set"},
      {"stored latitude off the globe", "N0DEMO", 95, -71.0589, "5230", false, false, false, nullptr,
       "latitude 95.000000 is outside -90 to 90"},
      {"stored longitude off the globe", "N0DEMO", 42.3601, -200, "5230", false, false, false, nullptr,
       "longitude -200.000000 is outside -180 to 180"},
      {"stored PHG with no direction digit", "N0DEMO", 42.3601, -71.0589, "0099", false, false, false, nullptr,
       "PHG \"0099\" has no meaning"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Harness h;
    h.shared.values.setCallsign(row.callsign);
    h.shared.values.setPosition(row.latDeg, row.lonDeg);
    h.shared.values.setPhgText(row.phg);
    h.shared.values.setBeaconComment("CQ");
    h.shared.values.beaconMinutes = row.pass ? 0 : 30;  // a pass beacons even with no own schedule
    h.shared.values.passBeaconMinutes = 1;
    h.shared.values.passActive = row.pass;
    h.shared.values.lastBeaconHours = row.pass ? -24 : 0;
    h.shared.values.tncBeaconFlag = row.tncBeacons;
    h.shared.values.mobileMode = row.mobile;  // the worker takes the current choice, not one fixed at Open
    h.port->receive("cmd:");
    h.start();
    if (row.refusal != nullptr) {
      ASSERT_TRUE(eventually([&] { return !h.ui.get(h.ui.notices).empty(); }));
      const auto notices = h.ui.get(h.ui.notices);
      EXPECT_NE(notices[0].find(row.refusal), std::string::npos) << notices[0];
    }
    if (row.sent != nullptr) {
      ASSERT_TRUE(eventually([&] { return h.port->writes().size() >= 3; }));
      EXPECT_EQ(h.port->writes()[2], row.sent);
    }
    std::this_thread::sleep_for(50ms);
    h.stopAndJoin();
    if (row.sent == nullptr) {
      for (const std::string& w : h.port->writes()) EXPECT_EQ(w.find("4221"), std::string::npos) << w;
    }
    // A refusal is told once, not on every pass of the loop.
    EXPECT_EQ(h.ui.get(h.ui.notices).size(), row.refusal != nullptr ? 1u : 0u);
  }
}

// Two links on one packet path, each worker on its own thread as in the
// program: a packet the second link brings after the first brought it is
// neither shown nor decoded again, the second link's lines carry its name,
// and each link sends the PC beacon on the schedule, though they share the
// station's working values.
TEST(TncWorker, TwoLinksShareOnePacketPath) {
  Coordination shared;
  shared.values.setCallsign("N0DEMO");
  shared.values.setPosition(42.3601, -71.0589);
  shared.values.setPhgText("5230");
  shared.values.setBeaconComment("CQ");
  shared.values.beaconMinutes = 30;
  shared.values.lastBeaconHours = -24;
  shared.values.tncBeaconFlag = false;
  PacketRouter router;
  Harness a(&shared);
  Harness b(&shared);
  a.router = &router;
  b.router = &router;
  b.place.index = 1;
  b.place.prefix = "[B] ";
  b.place.ownBeaconTime = true;
  a.port->receive("cmd:");
  b.port->receive("cmd:");
  a.start();
  b.start();
  const std::string both = "KB1XYZ-7>APRS,WIDE1-1:!4216.91N/07114.76W>on both links\r\n";
  a.port->receive(both);
  ASSERT_TRUE(eventually([&] { return a.ui.get(a.ui.lines).size() == 1; }));
  b.port->receive(both + "W1ABC>APRS:>only here\r\n");
  ASSERT_TRUE(eventually([&] { return b.ui.get(b.ui.lines).size() == 1; }));
  // Each link's PC beacon: the report after the link's own set-up writes.
  const auto beaconed = [](const Harness& h) {
    const std::vector<std::string> w = h.port->writes();
    return std::count_if(w.begin(), w.end(), [](const std::string& t) { return t.find("4221.61N") != std::string::npos; });
  };
  ASSERT_TRUE(eventually([&] { return beaconed(a) == 1 && beaconed(b) == 1; }));
  // F4's e-mail line is for the first link, whichever worker looks first.
  for (int i = 0; i < 5; ++i) {
    shared.events.emailPrompt.raise();
    ASSERT_TRUE(eventually([&] { return a.ui.get(a.ui.input).size() == static_cast<std::size_t>(i + 1); }));
  }
  EXPECT_TRUE(b.ui.get(b.ui.input).empty());
  a.stopAndJoin();
  b.stopAndJoin();
  EXPECT_EQ(a.ui.get(a.ui.lines), std::vector<std::string>{both});
  EXPECT_EQ(b.ui.get(b.ui.lines), std::vector<std::string>{"[B] W1ABC>APRS:>only here\r\n"});
  EXPECT_EQ(b.stations.calls, std::vector<std::string>{"W1ABC"});
  EXPECT_EQ(a.counters.packetsIn.load(), 1u);
  EXPECT_EQ(b.counters.packetsIn.load(), 1u);
  EXPECT_EQ(b.counters.duplicates.load(), 1u);
  EXPECT_EQ(a.counters.packetsOut.load(), 1u);
  EXPECT_EQ(b.counters.packetsOut.load(), 1u);
  EXPECT_EQ(router.counts().duplicates, 1u);
}

}  // namespace
}  // namespace tervane
