#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/coordination.h"
#include "base/events.h"
#include "base/profile_file.h"
#include "base/transmit_courier.h"
#include "base/worker_thread.h"

namespace tervane {
namespace {

using namespace std::chrono_literals;

TEST(AutoResetEvent, ARaiseIsConsumedOnceAndDoubleRaisesCountOnce) {
  AutoResetEvent e;
  EXPECT_FALSE(e.wait(0));
  e.raise();
  e.raise();
  EXPECT_TRUE(e.wait(0));
  EXPECT_FALSE(e.wait(0));
  EXPECT_FALSE(e.poll());
}

TEST(AutoResetEvent, TimedWaitEndsOnARaiseFromAnotherThread) {
  AutoResetEvent e;
  const auto start = std::chrono::steady_clock::now();
  std::thread raiser([&e] {
    std::this_thread::sleep_for(30ms);
    e.raise();
  });
  EXPECT_TRUE(e.wait(5000));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
  raiser.join();
  EXPECT_FALSE(e.wait(20));
}

// A stand-in TNC worker: takes each handed-over text on transmitRequest and
// gives the slot back with transmitReady, as the real worker does.
class FakeTncConsumer {
 public:
  explicit FakeTncConsumer(Coordination& shared) : shared_(shared) {
    thread_ = std::thread([this] {
      shared_.events.transmitReady.raise();
      while (!stop_) {
        if (shared_.events.transmitRequest.wait(5)) {
          written.push_back(shared_.transmitBuffer.str());
          std::this_thread::sleep_for(1ms);
          shared_.events.transmitReady.raise();
        }
      }
    });
  }
  ~FakeTncConsumer() { stop(); }
  // Ends the consumer's thread; what it wrote may be read afterwards.
  void stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  std::vector<std::string> written;

 private:
  Coordination& shared_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST(TransmitCourier, TenTextsArriveInCallOrderOneWriteEach) {
  Coordination shared;
  TransmitCourier courier(shared);
  std::vector<std::string> sent;
  std::vector<std::string> written;
  {
    FakeTncConsumer tnc(shared);
    for (int i = 0; i < 10; ++i) {
      sent.push_back("text " + std::to_string(i) + "\r");
      courier.sendText(sent.back());
    }
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (courier.pending() > 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms);
    tnc.stop();
    written = tnc.written;
  }
  EXPECT_EQ(written, sent);
}

TEST(TransmitCourier, CancelDropsWhatNoWorkerTookAndKeepsTheToken) {
  Coordination shared;
  TransmitCourier courier(shared);
  courier.sendText("never\r");
  courier.requestClear();
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(courier.pending(), 2u);
  courier.cancelAll();
  EXPECT_EQ(courier.pending(), 0u);
  shared.events.transmitReady.raise();
  std::this_thread::sleep_for(60ms);
  EXPECT_FALSE(shared.events.transmitRequest.isRaised());
  EXPECT_TRUE(shared.events.transmitReady.isRaised());
}

TEST(HandToTnc, GivesUpWhenTheSlotIsNotFreeInTime) {
  Coordination shared;
  EXPECT_FALSE(handToTnc(shared, "UNPROTO\r", 20));
  shared.events.transmitReady.raise();
  EXPECT_TRUE(handToTnc(shared, "UNPROTO\r", 20));
  EXPECT_TRUE(shared.events.transmitRequest.isRaised());
  EXPECT_EQ(shared.transmitBuffer, "UNPROTO\r");
}

TEST(WorkerThread, ReportsRunningAndResultAndCanBeForgotten) {
  std::atomic<bool> release{false};
  WorkerThread w;
  EXPECT_FALSE(w.isRunning());
  w.start([&release] {
    while (!release) std::this_thread::sleep_for(1ms);
    return -1;
  });
  EXPECT_TRUE(w.isRunning());
  release = true;
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (w.isRunning() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  EXPECT_FALSE(w.isRunning());
  EXPECT_EQ(w.result(), -1);
  w.forget();
  EXPECT_FALSE(w.isStarted());
  EXPECT_TRUE(WorkerThread::joinAll(1s));
}

TEST(ProfileText, ReadsWhatItWritesAndSkipsDamage) {
  const std::vector<ProfileEntry> entries = {
      {"Version 1.0", "callsign", std::string("N0CALL")},
      {"Version 1.0", "tncType", 3},
      {"Version 1.0", "message", std::string("quote \" back\\slash \x01 tab\t end")},
      {"Version 1.0", "latitude", std::string("12")},
      {"Ports", "COM1", std::string("/dev/pts/3")},
  };
  const std::string text = formatProfileText(entries);
  const auto back = parseProfileText(text);
  ASSERT_EQ(back.size(), entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(entries[i].name);
    EXPECT_EQ(back[i].section, entries[i].section);
    EXPECT_EQ(back[i].name, entries[i].name);
    EXPECT_EQ(back[i].value, entries[i].value);
  }
  using namespace std::string_literals;
  const std::string damagedText = "[Version 1.0]\nmobile=1\ncallsign=\"unterminated\n=5\ngarbage\x00\xff\n"
                                  "tncType=99999999999999\n[broken\nphg=\"5230\""s;
  const auto damaged = parseProfileText(damagedText);
  ASSERT_EQ(damaged.size(), 2u);
  EXPECT_EQ(damaged[0].value, (std::variant<int, std::string>(1)));
  EXPECT_EQ(damaged[1].name, "phg");
  EXPECT_EQ(damaged[1].section, "Version 1.0");
}

}  // namespace
}  // namespace tervane
