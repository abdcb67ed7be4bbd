#include "igate/igate_rules.h"

#include <algorithm>
#include <cctype>

#include "base/text_format.h"

namespace tervane {
namespace {

constexpr std::int64_t kHeardOnRfSeconds = 30 * 60;
constexpr int kMostHopsToReach = 2;
constexpr std::size_t kMostPerMinute = 6;
constexpr std::size_t kMostPerFiveMinutes = 20;


// The first of the names that the packet's path holds; empty when none.
std::string markedBy(const Packet& p, std::initializer_list<std::string_view> names) {
  for (std::string_view n : names) {
    if (pathHolds(p, n)) return std::string(n);
  }
  return {};
}

std::string_view cutAtLineEnd(std::string_view info) { return info.substr(0, info.find_first_of("\r\n")); }

bool isPositionReport(std::string_view info) {
  return !info.empty() && std::string_view("!=/@'`").find(info.front()) != std::string_view::npos;
}

// Drops what is older than the window from a queue of (time, ...) entries.
template <typename Queue, typename TimeOf>
void forget(Queue& q, std::int64_t nowUnix, std::int64_t windowSeconds, TimeOf timeOf) {
  while (!q.empty() && timeOf(q.front()) <= nowUnix - windowSeconds) q.pop_front();
}

}  // namespace

bool RecentPackets::seen(const std::string& key, std::int64_t nowUnix) {
  forget(nowUnix);
  const auto it = last_.find(key);
  return it != last_.end() && it->second > nowUnix - windowSeconds_;
}

void RecentPackets::note(std::string key, std::int64_t nowUnix) {
  last_[key] = nowUnix;
  order_.emplace_back(nowUnix, std::move(key));
}

void RecentPackets::forget(std::int64_t nowUnix) {
  while (!order_.empty() && order_.front().first <= nowUnix - windowSeconds_) {
    const auto it = last_.find(order_.front().second);
    if (it != last_.end() && it->second == order_.front().first) last_.erase(it);
    order_.pop_front();
  }
}

std::string messageAddressee(std::string_view info) {
  if (info.size() < 11 || info[0] != ':' || info[10] != ':') return {};
  std::string_view a = info.substr(1, 9);
  while (!a.empty() && a.back() == ' ') a.remove_suffix(1);
  return std::string(a);
}

RfToIsGate::RfToIsGate(std::string login, std::vector<std::string> ownCalls)
    : login_(std::move(login)), own_(std::move(ownCalls)) {}

bool RfToIsGate::isOwn(std::string_view call) const {
  const std::string u = upperAscii(call);
  return std::any_of(own_.begin(), own_.end(), [&u](const std::string& own) { return upperAscii(own) == u; });
}

GateDecision RfToIsGate::decide(const Packet& heard, std::int64_t nowUnix) {
  GateDecision d;
  if (const std::string mark = markedBy(heard, {"TCPIP", "TCPXX", "NOGATE", "RFONLY"}); !mark.empty()) {
    d.reason = "path holds " + mark;
    return d;
  }
  if (heard.path.size() > kGateMostDigipeaters) {
    d.reason = "path longer than AX.25 carries";
    return d;
  }
  if (heard.info.size() > kGateLongestInfo) {
    d.reason = "information field longer than AX.25 carries";
    return d;
  }
  Packet up = heard;
  if (!heard.info.empty() && heard.info.front() == '}') {
    const std::optional<Packet> inner = thirdPartyInner(heard);
    if (!inner) {
      d.reason = "malformed third-party header";
      return d;
    }
    if (const std::string mark = markedBy(*inner, {"TCPIP", "TCPXX"}); !mark.empty()) {
      d.reason = "third-party packet from the internet (" + mark + ")";
      return d;
    }
    up = *inner;
  }
  const std::string_view info = cutAtLineEnd(up.info);
  if (info.find('\0') != std::string_view::npos) {
    d.reason = "zero byte in the information field";
    return d;
  }
  if (!info.empty() && info.front() == '?') {
    d.reason = "general query";
    return d;
  }
  if (isOwn(heard.source) || isOwn(up.source)) {
    d.reason = "own packet heard back";
    return d;
  }
  std::string key = up.source + ">" + up.destination + ":";
  key.append(info);
  if (recent_.seen(key, nowUnix)) {
    d.reason = "duplicate within 30 s";
    return d;
  }
  recent_.note(std::move(key), nowUnix);
  d.gate = true;
  d.line = headerText(up) + ",qAR," + login_ + ":";
  d.line.append(info);
  return d;
}

IsToRfGate::IsToRfGate(std::string igateCall, std::vector<PathEntry> rfPath)
    : igateCall_(std::move(igateCall)), rfPath_(std::move(rfPath)) {}

void IsToRfGate::heardOnRf(const Packet& packet, std::int64_t nowUnix) {
  Heard& h = heard_[upperAscii(packet.source)];
  h.rfUnix = nowUnix;
  h.rfHops = hopsUsed(packet);
}

void IsToRfGate::heardOnIs(const Packet& packet, std::int64_t nowUnix) {
  const auto it = heard_.find(upperAscii(packet.source));
  if (it != heard_.end()) it->second.isUnix = nowUnix;
}

GateDecision IsToRfGate::refuse(std::string reason) const {
  GateDecision d;
  d.reason = std::move(reason);
  return d;
}

GateDecision IsToRfGate::decide(const Packet& fromIs, std::int64_t nowUnix) {
  if (const std::string mark = markedBy(fromIs, {"NOGATE", "RFONLY", "TCPXX", "qAX"}); !mark.empty()) {
    return refuse("path holds " + mark);
  }
  for (std::string_view name : {"NOGATE", "RFONLY", "TCPXX"}) {
    if (upperAscii(fromIs.source) == name) return refuse("source is " + std::string(name));
  }
  const std::string addressee = upperAscii(messageAddressee(fromIs.info));
  if (addressee.empty()) {
    // The next position of a station that was just sent a message through
    // the gate goes to RF once, so that stations there see where it is.
    const auto owed = positionOwed_.find(upperAscii(fromIs.source));
    if (owed != positionOwed_.end() && isPositionReport(fromIs.info)) {
      GateDecision d = send(fromIs, nowUnix);
      if (d.gate) positionOwed_.erase(owed);
      return d;
    }
    return refuse("not a message");
  }
  if (addressee.starts_with("BLN")) return refuse("bulletin");
  if (addressee.starts_with("NWS")) return refuse("NWS bulletin");
  const std::string_view text = std::string_view(fromIs.info).substr(11);
  for (std::string_view def : {"PARM.", "UNIT.", "EQNS.", "BITS."}) {
    if (text.starts_with(def)) return refuse("telemetry definition");
  }
  const auto it = heard_.find(addressee);
  if (it == heard_.end() || it->second.rfUnix <= nowUnix - kHeardOnRfSeconds) {
    return refuse("addressee not heard on RF in 30 minutes");
  }
  if (it->second.rfHops > kMostHopsToReach) return refuse("addressee heard through more than two digipeaters");
  if (it->second.isUnix >= it->second.rfUnix) return refuse("addressee heard on APRS-IS since");
  GateDecision d = send(fromIs, nowUnix);
  if (d.gate) positionOwed_[upperAscii(fromIs.source)] = true;
  return d;
}

GateDecision IsToRfGate::send(const Packet& fromIs, std::int64_t nowUnix) {
  forget(sent_, nowUnix, 5 * 60, [](std::int64_t t) { return t; });
  const std::string inner = fromIs.source + ">" + fromIs.destination + ",TCPIP," + igateCall_ + "*:" +
                            std::string(cutAtLineEnd(fromIs.info));
  const std::string key = fromIs.source + ">" + fromIs.destination + ":" + fromIs.info;
  if (recent_.seen(key, nowUnix)) return refuse("duplicate within 60 s");
  const auto lastMinute =
      static_cast<std::size_t>(std::count_if(sent_.begin(), sent_.end(), [nowUnix](std::int64_t t) { return t > nowUnix - 60; }));
  if (lastMinute >= kMostPerMinute || sent_.size() >= kMostPerFiveMinutes) return refuse("rate limit");
  if (inner.size() + 1 > kGateLongestInfo) return refuse("too long for AX.25 in the third-party form");
  recent_.note(key, nowUnix);
  sent_.push_back(nowUnix);
  GateDecision d;
  d.gate = true;
  d.packet.source = igateCall_;
  d.packet.destination = "APZTVA";
  d.packet.path = rfPath_;
  d.packet.info = "}" + inner;
  return d;
}

}  // namespace tervane
