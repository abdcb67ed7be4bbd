#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "aprs/packet.h"
#include "igate/igate_rules.h"

namespace tervane {
namespace {

Packet packetOf(const std::string& line) {
  const std::optional<Packet> p = readMonitorLine(line);
  EXPECT_TRUE(p.has_value()) << line;
  return p.value_or(Packet{});
}

// Monitor lines as a TNC and APRS-IS give them: what reads as a packet,
// how it is written back, and what is no packet header.
TEST(Packet, MonitorLinesReadAndWriteBack) {
  struct Row {
    const char* name;
    const char* line;
    bool packet;
    int hops;
  };
  const Row rows[] = {
      {"heard directly", "N0CALL-9>APRS,WIDE1-1,WIDE2-1:!4237.14N/07120.83W>", true, 0},
      {"through one digipeater", "KB1XYZ-7>APRS,W1DGE-1*,WIDE2-1:=4215.52N/07110.08W>", true, 1},
      {"through a used alias", "K1ABC>APDW16,W1DGE-1,WIDE1*,WIDE2-1:>status", true, 2},
      {"from APRS-IS with q construct", "W1RPT-5>APRS,TCPIP*,qAC,T2BOSTON:!4152.33N/07124.90Wr", true, 1},
      {"tactical source", "SEA>APN391,WIDE2-1:!4727.12N/12218.43W#", true, 0},
      {"information with colons", "K1DEF>APRS,WIDE2-2::KB1XYZ-7 :Are you on the way?{12", true, 0},
      {"no path", "K1DEF>APRS:>hello", true, 0},
      {"empty information", "K1DEF>APRS:", true, 0},
      {"source of ten characters", "ABCDEFGHIJ>APRS:x", false, 0},
      {"blank in the header", "K1 DEF>APRS:x", false, 0},
      {"empty path entry", "K1DEF>APRS,,WIDE1-1:x", false, 0},
      {"no destination", "K1DEF>:x", false, 0},
      {"no header", "cmd:UNPROTO APRS VIA WIDE1-1", false, 0},
      {"prompt before the header", "cmd:K1DEF>APRS:x", false, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::optional<Packet> p = readMonitorLine(r.line);
    ASSERT_EQ(p.has_value(), r.packet);
    if (!p) continue;
    EXPECT_EQ(monitorText(*p), r.line);
    EXPECT_EQ(hopsUsed(*p), r.hops);
  }
  const Packet third = packetOf("W1GATE>APRS,WIDE2-1:}K1ABC>APRS,TCPIP,W1GATE*::N0CALL   :hi{3");
  const std::optional<Packet> inner = thirdPartyInner(third);
  ASSERT_TRUE(inner.has_value());
  EXPECT_EQ(inner->source, "K1ABC");
  EXPECT_TRUE(pathHolds(*inner, "tcpip"));
  EXPECT_EQ(inner->info, ":N0CALL   :hi{3");
  EXPECT_FALSE(thirdPartyInner(packetOf("W1GATE>APRS:}garbage")).has_value());
}

// What the radio hears, and what goes up to APRS-IS from it, with the
// rule that decided. The gate logs in as N0GATE-10; N0GATE is the station.
TEST(RfToIsGate, GatesWhatTheRulesLetThrough) {
  struct Row {
    const char* name;
    std::string heard;
    std::int64_t atUnix;
    const char* gated;   // the line sent up, or nullptr
    const char* reason;  // why not, when not
  };
  const Row rows[] = {
      {"position heard directly", "N0CALL-9>APRS,WIDE1-1,WIDE2-1:!4237.14N/07120.83W>", 1000,
       "N0CALL-9>APRS,WIDE1-1,WIDE2-1,qAR,N0GATE-10:!4237.14N/07120.83W>", nullptr},
      {"the same packet again within 30 s, through a digipeater",
       "N0CALL-9>APRS,W1DGE-1*,WIDE2-1:!4237.14N/07120.83W>", 1020, nullptr, "duplicate within 30 s"},
      {"the same packet after 30 s", "N0CALL-9>APRS,W1DGE-1*,WIDE2-1:!4237.14N/07120.83W>", 1031,
       "N0CALL-9>APRS,W1DGE-1*,WIDE2-1,qAR,N0GATE-10:!4237.14N/07120.83W>", nullptr},
      {"path holds TCPIP", "K1ABC>APRS,TCPIP*:>from the internet", 1040, nullptr, "path holds TCPIP"},
      {"path holds TCPXX", "K1ABC>APRS,TCPXX*:>x", 1040, nullptr, "path holds TCPXX"},
      {"path holds NOGATE", "K1ABC>APRS,NOGATE:>keep me local", 1040, nullptr, "path holds NOGATE"},
      {"path holds RFONLY in lower case", "K1ABC>APRS,WIDE1-1,rfonly:>x", 1040, nullptr, "path holds RFONLY"},
      {"general query", "K1ABC>APRS,WIDE1-1:?APRS?", 1040, nullptr, "general query"},
      {"own packet heard back", "N0GATE>APZTVA,W1DGE-1*:!4221.61N/07103.53W-", 1040, nullptr,
       "own packet heard back"},
      {"third-party from the internet", "W1GATE>APRS,WIDE2-1:}K1ABC>APRS,TCPIP,W1GATE*::N0CALL   :hi", 1040,
       nullptr, "third-party packet from the internet (TCPIP)"},
      {"third-party relayed over RF goes up as the inner packet",
       "W1LINK>APRS,WIDE2-1:}K1XYZ>APRS,WIDE1-1:>across the RF link", 1040,
       "K1XYZ>APRS,WIDE1-1,qAR,N0GATE-10:>across the RF link", nullptr},
      {"malformed third-party header", "W1LINK>APRS:}K1 XYZ>APRS:>x", 1040, nullptr,
       "malformed third-party header"},
      {"cut at the first line end", "K1DEF>APRS:>first\rsecond", 1040, "K1DEF>APRS,qAR,N0GATE-10:>first", nullptr},
      {"path of twenty hops", "K1DEF>APRS,A,B,C,D,E,F,G,H,I,J,K,L,M,N,O,P,Q,R,S,T:>x", 1040, nullptr,
       "path longer than AX.25 carries"},
      {"zero byte", std::string("K1DEF>APRS:>be\0fore", 19), 1040, nullptr, "zero byte in the information field"},
      {"two kilobytes of information", "K1DEF>APRS:>" + std::string(2048, 'x'), 1040, nullptr,
       "information field longer than AX.25 carries"},
  };
  RfToIsGate gate("N0GATE-10", {"N0GATE", "N0GATE-10"});
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const GateDecision d = gate.decide(packetOf(r.heard), r.atUnix);
    EXPECT_EQ(d.gate, r.gated != nullptr) << d.reason;
    if (r.gated != nullptr) {
      EXPECT_EQ(d.line, r.gated);
    }
    if (r.reason != nullptr) {
      EXPECT_EQ(d.reason, r.reason);
    }
  }
}

// A story in the order it happens: who is heard where, and what APRS-IS
// brings for them. The gate is N0GATE-10, its RF path WIDE1-1.
TEST(IsToRfGate, MessagesReachStationsHeardOnRfOnly) {
  struct Step {
    const char* name;
    char heardOn;  // 'R' heard on RF, 'I' heard on APRS-IS, 'G' from APRS-IS to decide
    const char* line;
    std::int64_t atUnix;
    const char* sent;    // the third-party packet's monitor line, or nullptr
    const char* reason;  // why not, when not
  };
  const Step steps[] = {
      {"a mobile heard directly", 'R', "KB1XYZ-7>APRS,WIDE1-1:=4215.52N/07110.08W>", 1000, nullptr, nullptr},
      {"a station three hops away", 'R', "K1FAR>APRS,W1A*,W1B*,W1C*:>far", 1000, nullptr, nullptr},
      {"a message to the mobile", 'G', "K1DEF>APRS,TCPIP*,qAC,T2BOSTON::KB1XYZ-7 :On my way{12", 1010,
       "N0GATE-10>APZTVA,WIDE1-1:}K1DEF>APRS,TCPIP,N0GATE-10*::KB1XYZ-7 :On my way{12", nullptr},
      {"the same message again within a minute", 'G', "K1DEF>APRS,TCPIP*,qAC,T2BOSTON::KB1XYZ-7 :On my way{12",
       1040, nullptr, "duplicate within 60 s"},
      {"the sender's next position goes out once", 'G', "K1DEF>APRS,TCPIP*,qAC,T2BOSTON:!4221.00N/07105.00W-",
       1050, "N0GATE-10>APZTVA,WIDE1-1:}K1DEF>APRS,TCPIP,N0GATE-10*:!4221.00N/07105.00W-", nullptr},
      {"and only once", 'G', "K1DEF>APRS,TCPIP*,qAC,T2BOSTON:!4221.01N/07105.00W-", 1060, nullptr, "not a message"},
      {"a message to a station three hops away", 'G', "K1DEF>APRS,TCPIP*,qAC,T2BOSTON::K1FAR    :hi{1", 1070,
       nullptr, "addressee heard through more than two digipeaters"},
      {"a message to a station never heard on RF", 'G', "K1DEF>APRS,TCPIP*,qAC,T2BOSTON::W9NOWHERE:hi{2", 1070,
       nullptr, "addressee not heard on RF in 30 minutes"},
      {"a bulletin", 'G', "K1DEF>APRS,TCPIP*,qAC,T2BOSTON::BLN1     :Net tonight", 1070, nullptr, "bulletin"},
      {"an NWS bulletin", 'G', "NWSBOX>APRS,TCPIP*,qAC,T2BOSTON::NWS-WARN :Storm", 1070, nullptr, "NWS bulletin"},
      {"a telemetry definition", 'G', "K1TLM>APRS,TCPIP*,qAC,T2BOSTON::KB1XYZ-7 :PARM.Volts,Temp", 1070, nullptr,
       "telemetry definition"},
      {"a message marked NOGATE", 'G', "K1DEF>APRS,TCPIP*,NOGATE,qAC,T2BOSTON::KB1XYZ-7 :hi{3", 1070, nullptr,
       "path holds NOGATE"},
      {"a message that came from RF through another gate", 'G', "K1DEF>APRS,qAX,T2BOSTON::KB1XYZ-7 :hi{4", 1070,
       nullptr, "path holds qAX"},
      {"the mobile shows up on APRS-IS", 'I', "KB1XYZ-7>APRS,TCPIP*,qAC,T2BOSTON:>on the internet now", 1080,
       nullptr, nullptr},
      {"a message to it now stays on APRS-IS", 'G', "K1DEF>APRS,TCPIP*,qAC,T2BOSTON::KB1XYZ-7 :Where?{5", 1090,
       nullptr, "addressee heard on APRS-IS since"},
      {"heard on RF again", 'R', "KB1XYZ-7>APRS,W1DGE-1*:=4215.60N/07110.00W>", 1100, nullptr, nullptr},
      {"messages go out again", 'G', "K1DEF>APRS,TCPIP*,qAC,T2BOSTON::KB1XYZ-7 :Where?{6", 1110,
       "N0GATE-10>APZTVA,WIDE1-1:}K1DEF>APRS,TCPIP,N0GATE-10*::KB1XYZ-7 :Where?{6", nullptr},
      {"half an hour after the mobile was last heard", 'G', "K1DEF>APRS,TCPIP*,qAC,T2BOSTON::KB1XYZ-7 :Gone?{7",
       1100 + 30 * 60, nullptr, "addressee not heard on RF in 30 minutes"},
  };
  IsToRfGate gate("N0GATE-10", {PathEntry{"WIDE1-1", false}});
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    const Packet p = packetOf(s.line);
    if (s.heardOn == 'R') {
      gate.heardOnRf(p, s.atUnix);
      continue;
    }
    gate.heardOnIs(p, s.atUnix);
    if (s.heardOn == 'I') continue;
    const GateDecision d = gate.decide(p, s.atUnix);
    EXPECT_EQ(d.gate, s.sent != nullptr) << d.reason;
    if (s.sent != nullptr) {
      EXPECT_EQ(monitorText(d.packet), s.sent);
    }
    if (s.reason != nullptr) {
      EXPECT_EQ(d.reason, s.reason);
    }
  }
}

// At most 6 packets a minute and 20 in five minutes go from APRS-IS to RF.
TEST(IsToRfGate, RateLimitsHold) {
  IsToRfGate gate("N0GATE-10", {PathEntry{"WIDE1-1", false}});
  gate.heardOnRf(packetOf("KB1XYZ-7>APRS:>here"), 0);
  int sent = 0;
  std::vector<int> perMinute(6, 0);
  for (int second = 0; second < 6 * 60; second += 5) {
    const std::string line = "K1DEF>APRS,TCPIP*::KB1XYZ-7 :n" + std::to_string(second) + "{" + std::to_string(second % 99);
    gate.heardOnRf(packetOf("KB1XYZ-7>APRS:>still here"), second);
    if (gate.decide(packetOf(line), second).gate) {
      ++sent;
      ++perMinute[static_cast<std::size_t>(second / 60)];
    }
  }
  for (int n : perMinute) EXPECT_LE(n, 6);
  EXPECT_EQ(perMinute[0], 6);
  EXPECT_EQ(perMinute[1] + perMinute[2] + perMinute[3] + perMinute[4] + perMinute[0], 20);
  EXPECT_GT(sent, 20);  // the five-minute window moves on
}

}  // namespace
}  // namespace tervane
