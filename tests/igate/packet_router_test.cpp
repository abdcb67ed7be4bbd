#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "igate/packet_router.h"

namespace tervane {
namespace {

// Lines as several links bring them, in order: a copy on another link within
// 30 seconds is dropped, a copy on the same link (a digipeater's) is not,
// and each kept packet says how it was heard.
TEST(PacketRouter, CopiesOnASecondLinkCountOnce) {
  struct Step {
    int link;
    bool rf;
    std::int64_t atUnix;
    std::string_view line;
    bool duplicate;
    HeardHow heard;
  };
  const Step steps[] = {
      {0, true, 100, "KB1XYZ-7>APRS,WIDE1-1:>direct\r\n", false, HeardHow::RfDirect},
      {0, true, 101, "KB1XYZ-7>APRS,W1ABC-1*,WIDE1*:>direct\r\n", false, HeardHow::RfDigipeated},
      {1, false, 102, "KB1XYZ-7>APRS,TCPIP*,qAC,T2X:>direct", true, HeardHow::AprsIs},
      {1, false, 103, "K1DEF>APRS,TCPIP*,qAC,T2X:>first on the internet", false, HeardHow::AprsIs},
      {0, true, 132, "K1DEF>APRS,WIDE2-1:>first on the internet", true, HeardHow::RfDirect},
      // 30 seconds after the first copy it counts again.
      {0, true, 133, "K1DEF>APRS,WIDE2-1:>first on the internet", false, HeardHow::RfDirect},
      // Another information field, destination or source is another packet.
      {1, false, 134, "K1DEF>APRS,TCPIP*:>first on the internet!", false, HeardHow::AprsIs},
      {1, false, 134, "K1DEF>APZZZZ,TCPIP*:>first on the internet", false, HeardHow::AprsIs},
      // No packet: shown as received, never taken for a copy.
      {1, false, 135, "# logresp K1TVA-10 verified", false, HeardHow::Unknown},
      {0, true, 135, "# logresp K1TVA-10 verified", false, HeardHow::Unknown},
      {0, true, 136, std::string_view("K1NUL>APRS:>a\0b", 15), false, HeardHow::RfDirect},
  };
  PacketRouter router;
  for (const Step& s : steps) {
    SCOPED_TRACE(std::string(s.line));
    const Reception r = router.received(s.link, s.rf, s.line, s.atUnix);
    EXPECT_EQ(r.duplicate, s.duplicate);
    EXPECT_EQ(r.heard, s.heard);
  }
  EXPECT_EQ(router.counts().duplicates, 2u);
}

// With the gate on, what it lets through reaches the link that sends it and
// is counted; what the link cannot take is counted as refused, and
// malformed or oversized packets never go out.
TEST(PacketRouter, GateHandsItsPacketsToTheirLinks) {
  std::vector<Outbound> up;
  std::vector<Outbound> down;
  bool isReady = false;
  PacketRouter router;
  PacketRouter::IgateSetup setup;
  setup.login = "K1TVA-10";
  setup.rfPath = {PathEntry{"WIDE1-1", false}};
  setup.toIs = [&](Outbound item) {
    if (!isReady) return false;
    up.push_back(std::move(item));
    return true;
  };
  setup.toRf = [&](Outbound item) {
    down.push_back(std::move(item));
    return true;
  };
  router.setIgate(std::move(setup));

  router.received(0, true, "KB1XYZ-7>APRS,WIDE1-1:>before the login\r\n", 100);
  isReady = true;
  router.received(0, true, "KB1XYZ-7>APRS,WIDE1-1:>after the login\r\n", 101);
  std::string twentyHops = "K1AAA>APRS";
  for (int i = 0; i < 20; ++i) twentyHops += ",WIDE" + std::to_string(i % 7 + 1) + "-1";
  router.received(0, true, twentyHops + ":>long path", 102);
  router.received(0, true, "K1BBB>APRS:>" + std::string(2048, 'x'), 103);
  router.received(0, true, "K1CCC>APRS:}not a header at all", 104);
  router.received(1, false, "W1XYZ>APRS,TCPIP*,qAC,T2X::KB1XYZ-7 :hello{1", 105);
  router.received(1, false, "W1XYZ>APRS,TCPIP*,qAC,T2X::BLN1     :to all", 106);

  ASSERT_EQ(up.size(), 1u);
  EXPECT_EQ(up[0].kind, Outbound::Kind::GatedToIs);
  EXPECT_EQ(up[0].text, "KB1XYZ-7>APRS,WIDE1-1,qAR,K1TVA-10:>after the login");
  ASSERT_EQ(down.size(), 1u);
  EXPECT_EQ(down[0].kind, Outbound::Kind::GatedToRf);
  EXPECT_EQ(down[0].text, "}W1XYZ>APRS,TCPIP,K1TVA-10*::KB1XYZ-7 :hello{1");
  EXPECT_EQ(down[0].path, "WIDE1-1");
  const IgateCounts c = router.counts();
  EXPECT_EQ(c.gatedToIs, 1u);
  EXPECT_EQ(c.refusedToIs, 4u);
  EXPECT_EQ(c.refusals.at("RF>IS: the link cannot send now"), 1u);
  EXPECT_EQ(c.gatedToRf, 1u);
  EXPECT_EQ(c.refusals.at("IS>RF: bulletin"), 1u);

  router.setIgate(std::nullopt);
  router.received(0, true, "K1DDD>APRS,WIDE1-1:>gate off", 110);
  EXPECT_EQ(up.size(), 1u);
}

}  // namespace
}  // namespace tervane
