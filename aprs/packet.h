#pragma once
// One APRS packet as a value: who sent it, to which destination, along which
// path, and its information field. Every consumer (decoder, IGate, history)
// asks the packet; none of them reads the monitor text again.
//
// The TNC-2 monitor form is "SRC>DST,PATH1,PATH2*:information": the header
// ends at the first ':', a '*' marks a digipeater (or alias) that has
// repeated the packet, and APRS-IS adds q constructs (qAR, qAC ...) and the
// gateway's name to the path.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervane {

struct PathEntry {
  std::string call;       // "WIDE1-1", "qAR", "N0CALL-10", without the '*'
  bool repeated = false;  // written with '*'
};

struct Packet {
  std::string source;
  std::string destination;
  std::vector<PathEntry> path;
  std::string info;  // everything after the header's ':', as received

  bool operator==(const Packet&) const = default;
};

// A station or path name in a header: 1 to 9 letters, digits and '-'
// (AX.25 calls with SSID, tactical names, APRS-IS logins and q constructs).
bool isHeaderName(std::string_view text);

// The packet of one monitor line (without its line end); nothing when the
// line has no header of names ("SRC>DST[,PATH...]:") before its first ':'.
std::optional<Packet> readMonitorLine(std::string_view line);

// The monitor line of a packet, without line end.
std::string monitorText(const Packet& packet);

// The header alone: "SRC>DST,PATH1,PATH2*".
std::string headerText(const Packet& packet);

// True when an entry of the path is the name (compared without case, the
// '*' aside): "TCPIP", "NOGATE", "qAX"...
bool pathHolds(const Packet& packet, std::string_view name);

// The packet inside a third-party packet ("}SRC>DST,PATH:info"); nothing when
// the information field is no third-party packet or its inner header is
// malformed.
std::optional<Packet> thirdPartyInner(const Packet& packet);

// How many digipeaters repeated the packet on the air: the entries up to the
// last one marked '*', aliases included; 0 for a packet heard directly.
int hopsUsed(const Packet& packet);

}  // namespace tervane
