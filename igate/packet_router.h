#pragma once
// Where the packets of every open link meet. Each received line passes here
// once, on its link's worker thread: the router says whether the same packet
// already came on another link in the last 30 seconds (then it is neither
// shown nor decoded again), how it was heard (RF directly, RF through a
// digipeater, APRS-IS), and, when the IGate is on, hands what the rules let
// through to the APRS-IS link or to the RF link that sends for the gate.
// A link alone sees every packet it hears, copies included, as before.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "aprs/station_entry.h"
#include "base/outbound.h"
#include "igate/igate_rules.h"

namespace tervane {

struct Reception {
  bool duplicate = false;  // came on another link within 30 s
  HeardHow heard = HeardHow::Unknown;
};

// What the IGate has done since it was turned on.
struct IgateCounts {
  bool on = false;
  std::uint64_t gatedToIs = 0;
  std::uint64_t gatedToRf = 0;
  std::uint64_t refusedToIs = 0;
  std::uint64_t refusedToRf = 0;
  // Why packets were not gated, each reason with its count ("RF>IS: path holds NOGATE").
  std::map<std::string, std::uint64_t> refusals;
  std::uint64_t duplicates = 0;  // packets that came on a second link within 30 s
};

class PacketRouter {
 public:
  // Hands one item to the link that sends it; false when that link cannot.
  using Sender = std::function<bool(Outbound)>;
  struct IgateSetup {
    std::string login;                  // the APRS-IS login callsign, after qAR
    std::vector<std::string> ownCalls;  // never gated when heard back
    std::vector<PathEntry> rfPath;      // the path of third-party packets to RF
    Sender toIs;
    Sender toRf;  // empty: nothing goes to RF (no RF link sends for the gate)
  };

  // Turns the IGate on with this set-up, or off.
  void setIgate(std::optional<IgateSetup> setup);
  Reception received(int link, bool rf, std::string_view line, std::int64_t nowUnix);
  IgateCounts counts() const;

 private:
  bool seenOnOtherLink(const Packet& packet, int link, std::int64_t nowUnix);
  void refuse(const char* direction, const std::string& reason, std::uint64_t& count);

  mutable std::mutex mutex_;
  struct Seen {
    int link;
    std::int64_t atUnix;
  };
  std::unordered_map<std::string, Seen> seen_;
  std::deque<std::pair<std::int64_t, std::string>> seenOrder_;
  std::optional<IgateSetup> setup_;
  std::unique_ptr<RfToIsGate> up_;
  std::unique_ptr<IsToRfGate> down_;
  IgateCounts counts_;
};

}  // namespace tervane
