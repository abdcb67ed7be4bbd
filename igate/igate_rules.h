#pragma once
// The IGate's rules, as pure decisions on a packet, the time and what the
// gate has seen, so that they are tested with tables of real packets and a
// made-up clock. Two directions:
//
// RF to APRS-IS: what the radio hears goes up as "SRC>DST,PATH,qAR,LOGIN:info",
// unless the path holds TCPIP, TCPXX, NOGATE or RFONLY, it is a general
// query ('?'), it is the station's own packet heard back, or the same packet
// went up in the last 30 seconds. A third-party packet ('}') goes up as the
// packet inside it, and only when the inner header holds neither TCPIP nor
// TCPXX. The information field is cut at its first CR or LF.
//
// APRS-IS to RF: only messages (no bulletins, no NWS, no telemetry
// definitions) to a station heard on RF directly or through at most two
// digipeaters in the last 30 minutes and not heard on APRS-IS since; never
// from a source or path marked NOGATE, RFONLY, TCPXX or qAX. They go out as
// third-party packets "IGATE>APZTVA,PATH:}SRC>DST,TCPIP,IGATE*:info", and
// after a gated message the sender's next position goes out once too. At
// most 6 packets a minute and 20 in five minutes; the same packet at most
// once a minute.

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "aprs/packet.h"

namespace tervane {

// What the gate does with one packet. When gate is false, reason says why
// in a few words ("path holds NOGATE"), for the operator's counts.
struct GateDecision {
  bool gate = false;
  std::string reason;
  std::string line;  // RF to APRS-IS: the line to send, without line end
  Packet packet;     // APRS-IS to RF: the third-party packet to transmit
};

// The longest information field AX.25 carries, and its most digipeaters.
inline constexpr std::size_t kGateLongestInfo = 256;
inline constexpr std::size_t kGateMostDigipeaters = 8;

// Which packets were seen in the last windowSeconds, by a key of the
// caller's (source, destination and information field): a lookup costs the
// same however busy the channel is.
class RecentPackets {
 public:
  explicit RecentPackets(std::int64_t windowSeconds) : windowSeconds_(windowSeconds) {}
  // True when the key was noted within the window before nowUnix.
  bool seen(const std::string& key, std::int64_t nowUnix);
  void note(std::string key, std::int64_t nowUnix);

 private:
  void forget(std::int64_t nowUnix);
  std::int64_t windowSeconds_;
  std::unordered_map<std::string, std::int64_t> last_;
  std::deque<std::pair<std::int64_t, std::string>> order_;
};

class RfToIsGate {
 public:
  // login: the APRS-IS login callsign (after qAR); ownCalls: the station's
  // own callsigns, whose packets heard back are never gated.
  RfToIsGate(std::string login, std::vector<std::string> ownCalls);

  GateDecision decide(const Packet& heard, std::int64_t nowUnix);

 private:
  bool isOwn(std::string_view call) const;
  std::string login_;
  std::vector<std::string> own_;
  RecentPackets recent_{30};  // what went up
};

class IsToRfGate {
 public:
  // igateCall: the source of the third-party packets; rfPath: their path.
  IsToRfGate(std::string igateCall, std::vector<PathEntry> rfPath);

  // Every packet heard on RF and on APRS-IS passes here first, so that the
  // gate knows who is where.
  void heardOnRf(const Packet& packet, std::int64_t nowUnix);
  void heardOnIs(const Packet& packet, std::int64_t nowUnix);

  GateDecision decide(const Packet& fromIs, std::int64_t nowUnix);

 private:
  struct Heard {
    std::int64_t rfUnix = INT64_MIN;
    int rfHops = 0;
    std::int64_t isUnix = INT64_MIN;
  };
  GateDecision refuse(std::string reason) const;
  GateDecision send(const Packet& fromIs, std::int64_t nowUnix);

  std::string igateCall_;
  std::vector<PathEntry> rfPath_;
  std::map<std::string, Heard> heard_;           // by callsign, upper case
  std::map<std::string, bool> positionOwed_;     // senders of gated messages
  std::deque<std::int64_t> sent_;                // times of gated packets, five minutes
  RecentPackets recent_{60};  // what went out
};

// The addressee of an APRS message (":ADDRESSEE:text"), blanks dropped;
// empty when the information field is no message.
std::string messageAddressee(std::string_view info);

}  // namespace tervane
