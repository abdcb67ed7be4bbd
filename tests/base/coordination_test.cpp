#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/coordination.h"
#include "base/events.h"
#include "base/outbound.h"
#include "base/profile_file.h"
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

// Producers on several threads (the window, the tracker) post to the
// outbox; the open run's worker takes each thread's items in their order,
// and after TNC > Close nothing is queued and what was left is dropped.
TEST(LinkOutbox, ItemsFromEveryThreadArriveInTheirOrderOnlyWhileALinkIsOpen) {
  LinkOutbox outbox;
  EXPECT_FALSE(outbox.post(Outbound::typedLine("nobody listens\r")));
  auto queue = std::make_shared<OutboundQueue>();
  outbox.attach(queue);
  const auto produce = [&outbox](const std::string& who) {
    for (int i = 0; i < 200; ++i) EXPECT_TRUE(outbox.post(Outbound::packet(who + std::to_string(i))));
  };
  std::thread window(produce, "w");
  std::thread tracker(produce, "t");
  window.join();
  tracker.join();
  int nextFrom[2] = {0, 0};
  int taken = 0;
  while (std::optional<Outbound> item = queue->take()) {
    ++taken;
    const int who = item->text[0] == 'w' ? 0 : 1;
    EXPECT_EQ(item->text.substr(1), std::to_string(nextFrom[who]));
    ++nextFrom[who];
  }
  EXPECT_EQ(taken, 400);
  EXPECT_TRUE(outbox.post(Outbound::packet("left behind")));
  outbox.detach();
  EXPECT_FALSE(outbox.post(Outbound::packet("after close")));
  ASSERT_TRUE(queue->take().has_value());  // the run that is ending still holds what it had
  EXPECT_FALSE(queue->take().has_value());
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
